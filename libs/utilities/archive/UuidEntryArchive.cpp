// The archive operators of UuidEntryDO: they fail with the codec's exception, so they live with
// the codec rather than with the entry.
#include "libs/utilities/archive/detail/Codec.h"
#include "platform/UuidEntryDO.h"

namespace detail = dataobjects_data::detail;
namespace sites = dataobjects_data::detail::throw_sites::uuid_entry;

Archive& operator<<(Archive& archive, const UuidEntryDO& entry) {
  const Uuid::Bytes& bytes = entry.getUuid().bytes();
  detail::write_bytes(archive, reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (archive.fail()) throw detail::writeFailure(sites::kWrite, "UuidEntryDO");
  return archive;
}

Archive& operator>>(Archive& archive, UuidEntryDO& entry) {
  Uuid::Bytes bytes;
  detail::read_bytes(archive, reinterpret_cast<char*>(bytes.data()), bytes.size());
  if (archive.fail()) throw detail::readFailure(sites::kRead, "UuidEntryDO");
  entry.setUuid(Uuid(bytes));
  return archive;
}

#include "platform/UuidEntryDO.h"

#include "libs/utilities/archive/Serialize"

Archive& operator<<(Archive& archive, const UuidEntryDO& entry) {
  const Uuid::Bytes& bytes = entry.getUuid().bytes();
  KavSerialize::ser_helper::write_bytes(archive, reinterpret_cast<const char*>(bytes.data()),
                                       bytes.size());
  if (archive.fail()) {
    throw ExceptionFactory(UuidEntryDO::kFile, UuidEntryDO::kWriteLine)
        .createException<KavSerialize::SerializationException>("Serializing of object %s failed",
                                                               "UuidEntryDO");
  }
  return archive;
}

Archive& operator>>(Archive& archive, UuidEntryDO& entry) {
  Uuid::Bytes bytes;
  KavSerialize::ser_helper::read_bytes(archive, reinterpret_cast<char*>(bytes.data()),
                                      bytes.size());
  if (archive.fail()) {
    throw ExceptionFactory(UuidEntryDO::kFile, UuidEntryDO::kReadLine)
        .createException<KavSerialize::SerializationException>("Deserializing of object %s failed",
                                                               "UuidEntryDO");
  }
  entry.setUuid(Uuid(bytes));
  return archive;
}

/// @file
/// UuidEntryDO: one UUID reference, the form in which data objects hold their keys and their
/// references to other objects.
#ifndef PLATFORM_UUIDENTRYDO_H
#define PLATFORM_UUIDENTRYDO_H

#include <string>

#include "platform/Archive.h"
#include "platform/Export.h"
#include "platform/Uuid.h"

class DATAOBJECTS_DATA_API UuidEntryDO {
 public:
  /// Holds the nil UUID.
  UuidEntryDO() = default;
  explicit UuidEntryDO(const Uuid& uuid) : uuid_(uuid) {}

  const Uuid& getUuid() const { return uuid_; }
  void setUuid(const Uuid& uuid) { uuid_ = uuid; }

  /// The canonical text of the UUID ("00000000-0000-0000-0000-000000000000" for the default).
  std::string ToString() const { return uuid_.toString(); }

 private:
  Uuid uuid_;
};

/// Archive form: the sixteen bytes of the UUID in text order, written with one write. A failed
/// write throws KavSerialize::SerializationException "Serializing of object UuidEntryDO failed"
/// (file "UuidEntryDO").
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const UuidEntryDO& entry);
/// Reads the sixteen bytes with one read. A short read throws "Deserializing of object UuidEntryDO
/// failed" (file "UuidEntryDO") and leaves the entry unchanged.
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, UuidEntryDO& entry);

#endif  // PLATFORM_UUIDENTRYDO_H

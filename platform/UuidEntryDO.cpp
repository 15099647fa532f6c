#include "platform/UuidEntryDO.h"

#include "libs/utilities/archive/Serialize"

Archive& operator<<(Archive& archive, const UuidEntryDO& entry) {
  const Uuid::Bytes& bytes = entry.getUuid().bytes();
  archive.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
  if (archive.fail()) {
    throw ExceptionFactory(UuidEntryDO::kFile, UuidEntryDO::kWriteLine)
        .createException<KavSerialize::SerializationException>("Serializing of object %s failed",
                                                               "UuidEntryDO");
  }
  return archive;
}

Archive& operator>>(Archive& archive, UuidEntryDO& entry) {
  Uuid::Bytes bytes;
  archive.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (archive.fail()) {
    throw ExceptionFactory(UuidEntryDO::kFile, UuidEntryDO::kReadLine)
        .createException<KavSerialize::SerializationException>("Deserializing of object %s failed",
                                                               "UuidEntryDO");
  }
  entry.setUuid(Uuid(bytes));
  return archive;
}

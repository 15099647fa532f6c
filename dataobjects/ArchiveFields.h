// Writing and reading data object fields on an Archive, in the order given. UUID entries go
// through their Archive operators, byte blobs through the byte-vector codec, every other value
// through the codec of its type.
//
//   archive_fields::writeAll(archive, CurrentUuid, MeasurementTimeStamp, JobConfig);
//   archive_fields::readAll(archive, CurrentUuid, MeasurementTimeStamp, JobConfig);
//
// Writing stops at the first failure; reading too, with the earlier fields already replaced.
#ifndef DATAOBJECTS_ARCHIVEFIELDS_H
#define DATAOBJECTS_ARCHIVEFIELDS_H

#include <vector>

#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"
#include "platform/UuidEntryDO.h"

namespace archive_fields {

inline void write(Archive& archive, const UuidEntryDO& entry) {
  archive << entry;
}
inline void write(Archive& archive, const std::vector<unsigned char>& bytes) {
  KavSerialize::serialize(bytes, archive);
}
template <class T>
void write(Archive& archive, const T& value) {
  KavSerialize::serialize(value, archive);
}

inline void read(Archive& archive, UuidEntryDO& entry) {
  archive >> entry;
}
inline void read(Archive& archive, std::vector<unsigned char>& bytes) {
  archive >> bytes;
}
template <class T>
void read(Archive& archive, T& value) {
  KavSerialize::deserialize(value, archive);
}

template <class... Fields>
Archive& writeAll(Archive& archive, const Fields&... fields) {
  (write(archive, fields), ...);
  return archive;
}

template <class... Fields>
Archive& readAll(Archive& archive, Fields&... fields) {
  (read(archive, fields), ...);
  return archive;
}

}  // namespace archive_fields

#endif  // DATAOBJECTS_ARCHIVEFIELDS_H

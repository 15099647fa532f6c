/// @file
/// Writing and reading data object fields on an Archive, in the order given. UUID entries go
/// through their Archive operators, byte blobs through the byte-vector codec, every other value
/// through the codec of its type.
///
/// @code
///   writeAll(archive, CurrentUuid, MeasurementTimeStamp, JobConfig);
///   readAll(archive, CurrentUuid, MeasurementTimeStamp, JobConfig);
/// @endcode
///
/// Writing stops at the first failure; reading too, with the earlier fields already replaced.
/// A nullable field is passed as nullable(flag, value): its flag is written or read as a bool, and
/// its value follows only when that flag is false.
#ifndef DATAOBJECTS_DETAIL_ARCHIVEFIELDS_H
#define DATAOBJECTS_DETAIL_ARCHIVEFIELDS_H

#include <vector>

#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"
#include "platform/UuidEntryDO.h"

namespace dataobjects_data {
namespace detail {

inline void write(Archive& archive, const UuidEntryDO& entry) {
  archive << entry;
}
inline void write(Archive& archive, const std::vector<unsigned char>& bytes) {
  KavSerialize::ser_helper::serialize_bytes(bytes, archive);
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

/// A nullable field: its null flag and the value it governs.
template <class Flag, class T>
struct Nullable {
  Flag& isNull;
  T& value;
};

template <class T>
Nullable<const bool, const T> nullable(const bool& isNull, const T& value) {
  return {isNull, value};
}
template <class T>
Nullable<bool, T> nullable(bool& isNull, T& value) {
  return {isNull, value};
}

/// Writes the flag as it is held, and the value only when it is false; a null value is never
/// looked at.
template <class T>
void write(Archive& archive, Nullable<const bool, const T> field) {
  write(archive, field.isNull);
  if (!field.isNull) write(archive, field.value);
}
/// Stores the flag as it is read, then reads the value only when that flag is false; otherwise
/// the value keeps what it held.
template <class T>
void read(Archive& archive, Nullable<bool, T> field) {
  read(archive, field.isNull);
  if (!field.isNull) read(archive, field.value);
}

template <class... Fields>
Archive& writeAll(Archive& archive, const Fields&... fields) {
  (write(archive, fields), ...);
  return archive;
}

template <class... Fields>
Archive& readAll(Archive& archive, Fields&&... fields) {
  (read(archive, fields), ...);
  return archive;
}

}  // namespace detail
}  // namespace dataobjects_data

#endif  // DATAOBJECTS_DETAIL_ARCHIVEFIELDS_H

/// @file
/// Writing and reading data object fields on an Archive, in the order given. Each field takes
/// the archive form of its type: a UuidEntryDO that of its Archive operators, a byte blob that of
/// the byte-vector codec, every other value that of the codec of its type.
///
/// @code
///   writeAll(archive, CurrentUuid, MeasurementTimeStamp, JobConfig);
///   readAll(archive, CurrentUuid, MeasurementTimeStamp, JobConfig);
/// @endcode
///
/// Writing stops at the first failure; reading too, with the earlier fields already replaced.
/// A nullable field is passed as nullable(flag, value): its flag is written or read as a bool, and
/// its value follows only when that flag is false.
///
/// The fields of one call go straight through the archive's buffer together when they can (see
/// the cursors of the codec): writing reserves room for the longest form of them all, reading
/// takes each field whole from the buffer while it can and hands the rest to the codec.
#ifndef DATAOBJECTS_DETAIL_ARCHIVEFIELDS_H
#define DATAOBJECTS_DETAIL_ARCHIVEFIELDS_H

#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "libs/utilities/archive/Serialize"
#include "libs/utilities/archive/detail/Codec.h"
#include "libs/utilities/archive/detail/DoubleText.h"
#include "platform/Archive.h"
#include "platform/UuidEntryDO.h"

namespace dataobjects_data {
namespace detail {

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

// ---- one field through the codec's own functions ------------------------------------------

inline void write(Archive& archive, const UuidEntryDO& entry) {
  archive << entry;
}
inline void write(Archive& archive, const std::vector<unsigned char>& bytes) {
  serialize_bytes(bytes, archive);
}
template <class T>
void write(Archive& archive, const T& value) {
  KavSerialize::serialize(value, archive);
}
/// The flag as it is held, and the value only when it is false; a null value is never looked at.
template <class T>
void write(Archive& archive, Nullable<const bool, const T> field) {
  write(archive, field.isNull);
  if (!field.isNull) write(archive, field.value);
}

inline void read(Archive& archive, UuidEntryDO& entry) {
  archive >> entry;
}
inline void read(Archive& archive, std::vector<unsigned char>& bytes) {
  deserialize_bytes(bytes, archive);
}
template <class T>
void read(Archive& archive, T& value) {
  KavSerialize::deserialize(value, archive);
}

// ---- fields straight into the buffer -------------------------------------------------------

/// The most bytes a field's archive form takes.
inline std::size_t longest(const UuidEntryDO&) {
  return sizeof(Uuid::Bytes);
}
inline std::size_t longest(bool) {
  return 1;
}
inline std::size_t longest(double) {
  return kDoubleTextMax;
}
inline std::size_t longest(const std::string& text) {
  return 5 + text.size();
}
inline std::size_t longest(const std::vector<unsigned char>& bytes) {
  return 5 + bytes.size();
}
/// The integer types of the wire format: long long and the three unsigned ones.
template <class T>
using IfWireInteger =
    std::enable_if_t<std::is_same<T, long long>::value || std::is_same<T, unsigned short>::value ||
                     std::is_same<T, unsigned int>::value || std::is_same<T, unsigned long>::value>;

template <class T, class = IfWireInteger<T>>
std::size_t longest(T) {
  return 1 + int_traits<T>::maxCount;
}
template <class T>
std::size_t longest(Nullable<const bool, const T> field) {
  return 1 + longest(field.value);
}

inline void put(char*& out, const UuidEntryDO& entry) {
  std::memcpy(out, entry.getUuid().bytes().data(), sizeof(Uuid::Bytes));
  out += sizeof(Uuid::Bytes);
}
inline void put(char*& out, bool value) {
  *out++ = value ? '1' : '0';
}
inline void put(char*& out, double value) {
  char text[kDoubleTextMax];
  const std::size_t length = double_text(value, text);
  std::memcpy(out, text, length);
  out += length;
}
inline void put(char*& out, const std::string& text) {
  put_sized(out, text.data(), text.size());
}
inline void put(char*& out, const std::vector<unsigned char>& bytes) {
  put_sized(out, bytes.data(), bytes.size());
}
template <class T, class = IfWireInteger<T>>
void put(char*& out, T value) {
  put_int(out, value);
}
template <class T>
void put(char*& out, Nullable<const bool, const T> field) {
  put(out, field.isNull);
  if (!field.isNull) put(out, field.value);
}

/// Whether writing `T` needs the stream's default number format (doubles are written as text).
template <class T>
struct IsText : std::is_same<T, double> {};
template <class T>
struct IsText<Nullable<const bool, const T>> : std::is_same<T, double> {};

/// Takes the field whole from the cursor, or nothing (false).
inline bool take(GetCursor& in, UuidEntryDO& entry) {
  if (in.available() < sizeof(Uuid::Bytes)) return false;
  Uuid::Bytes bytes;
  std::memcpy(bytes.data(), in.next(), bytes.size());
  entry.setUuid(Uuid(bytes));
  in.take(bytes.size(), static_cast<std::streamsize>(bytes.size()));
  return true;
}
inline bool take(GetCursor& in, bool& value) {
  return take_bool(in, value);
}
inline bool take(GetCursor& in, double& value, const Archive& archive) {
  const FastRead read = take_double(in, value, archive);
  if (read == FastRead::kFailed) {
    in.done();
    throw readFailure(throw_sites::codec::kDoubleRead, "double");
  }
  return read == FastRead::kDone;
}
inline bool take(GetCursor& in, std::string& text) {
  return take_string(in, text);
}
inline bool take(GetCursor& in, std::vector<unsigned char>& bytes) {
  return take_byte_vector(in, bytes);
}
template <class T, class = IfWireInteger<T>>
bool take(GetCursor& in, T& value) {
  return take_int(in, value);
}

template <class T>
bool take(GetCursor& in, T& value, const Archive&) {
  return take(in, value);
}

/// Reads the field from the cursor, or, when it is not there whole, ends the cursor and reads it
/// (and with it every later field) through the codec's functions.
template <class T>
void read(GetCursor& in, Archive& archive, T& value) {
  if (!take(in, value, archive)) {
    in.done();
    read(archive, value);
  }
}
/// Stores the flag as it is read, then reads the value only when that flag is false; otherwise
/// the value keeps what it held.
template <class T>
void read(GetCursor& in, Archive& archive, Nullable<bool, T> field) {
  read(in, archive, field.isNull);
  if (!field.isNull) read(in, archive, field.value);
}

/// Writes the fields into the buffer as one run when there is room for the longest form of
/// them all; otherwise the first through the codec's functions (which may make room) and the
/// rest again so.
template <class First, class... Rest>
void writeFrom(Archive& archive, const First& first, const Rest&... rest) {
  constexpr bool needsNumberFormat = IsText<First>::value || (IsText<Rest>::value || ...);
  if (!needsNumberFormat || default_number_format(archive)) {
    const auto putAll = [&](char*& out) {
      put(out, first);
      (put(out, rest), ...);
    };
    if (put_direct(archive, (longest(first) + ... + longest(rest)), putAll)) return;
  }
  write(archive, first);
  if constexpr (sizeof...(Rest) > 0) writeFrom(archive, rest...);
}

template <class... Fields>
Archive& writeAll(Archive& archive, const Fields&... fields) {
  writeFrom(archive, fields...);
  return archive;
}

template <class... Fields>
Archive& readAll(Archive& archive, Fields&&... fields) {
  GetCursor in(archive);
  (read(in, archive, fields), ...);
  return archive;
}

}  // namespace detail
}  // namespace dataobjects_data

#endif  // DATAOBJECTS_DETAIL_ARCHIVEFIELDS_H

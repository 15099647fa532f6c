/// @file
/// The value codec's machinery: the wire forms of integers, strings and byte blobs written into
/// and read from a buffer, the stream's route for what does not go direct, and the codec's
/// exceptions. The documented functions of Serialize (Serialize.cpp) and the data objects' field
/// runs (dataobjects/detail/ArchiveFields.h) are built from these. Not installed.
#ifndef LIBS_UTILITIES_ARCHIVE_DETAIL_CODEC_H
#define LIBS_UTILITIES_ARCHIVE_DETAIL_CODEC_H

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "libs/utilities/archive/Serialize"
#include "libs/utilities/archive/detail/StreamAccess.h"
#include "platform/detail/ThrowSites.h"

namespace dataobjects_data {
namespace detail {

/// "Serializing of object <typeName> failed", from `site`.
KavSerialize::SerializationException writeFailure(const ThrowSite& site, const char* typeName);
/// "Deserializing of object <typeName> failed", from `site`.
KavSerialize::SerializationException readFailure(const ThrowSite& site, const char* typeName);
/// The same failures with `cause` attached as the root cause.
KavSerialize::SerializationException writeFailure(const TesmiraException& cause,
                                                  const ThrowSite& site, const char* typeName);
KavSerialize::SerializationException readFailure(const TesmiraException& cause,
                                                 const ThrowSite& site, const char* typeName);

// ---- integers ------------------------------------------------------------------------------

template <class T>
struct int_traits;
template <>
struct int_traits<long long> {
  static constexpr unsigned maxCount = 8;
  static constexpr unsigned countMask = 0x0F;  // bits 4-7 are not part of the count
  static constexpr const char* name = "long long";
  static constexpr const ThrowSite& writeSite = throw_sites::codec::kLongLongWrite;
  static constexpr const ThrowSite& readSite = throw_sites::codec::kLongLongRead;
};
template <>
struct int_traits<unsigned short> {
  static constexpr unsigned maxCount = 2;
  static constexpr unsigned countMask = 0x8F;  // a sign bit makes the count too large
  static constexpr const char* name = "unsigned short";
  static constexpr const ThrowSite& writeSite = throw_sites::codec::kUnsignedShortWrite;
  static constexpr const ThrowSite& readSite = throw_sites::codec::kUnsignedShortRead;
};
template <>
struct int_traits<unsigned int> {
  static constexpr unsigned maxCount = 4;
  static constexpr unsigned countMask = 0x8F;
  static constexpr const char* name = "unsigned int";
  static constexpr const ThrowSite& writeSite = throw_sites::codec::kUnsignedIntWrite;
  static constexpr const ThrowSite& readSite = throw_sites::codec::kUnsignedIntRead;
};
template <>
struct int_traits<unsigned long> {
  static constexpr unsigned maxCount = 4;
  static constexpr unsigned countMask = 0x8F;
  static constexpr const char* name = "unsigned long";
  static constexpr const ThrowSite& writeSite = throw_sites::codec::kUnsignedLongWrite;
  static constexpr const ThrowSite& readSite = throw_sites::codec::kUnsignedLongRead;
};

/// The number of payload bytes of a magnitude: the fewest that hold it, at least one.
inline unsigned payload_count(std::uint32_t magnitude) {
  return (32 - static_cast<unsigned>(__builtin_clz(magnitude | 1)) + 7) / 8;
}
inline unsigned payload_count(std::uint64_t magnitude) {
  return (64 - static_cast<unsigned>(__builtin_clzll(magnitude | 1)) + 7) / 8;
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kLittleEndian = true;
#else
constexpr bool kLittleEndian = false;
#endif

/// Stores the low `count` bytes of `magnitude` (1 to MaxCount), least significant first, at
/// `out`, touching no byte beyond them: two stores that may overlap, as small copies are done.
template <unsigned MaxCount, class Magnitude>
void store_payload(char* out, Magnitude magnitude, unsigned count) {
  if constexpr (kLittleEndian) {
    if (MaxCount >= 4 && count >= 4) {
      const auto low = static_cast<std::uint32_t>(magnitude);
      const auto high = static_cast<std::uint32_t>(magnitude >> (8 * (count - 4)));
      std::memcpy(out, &low, 4);
      std::memcpy(out + count - 4, &high, 4);
    } else if (count >= 2) {
      const auto low = static_cast<std::uint16_t>(magnitude);
      const auto high = static_cast<std::uint16_t>(magnitude >> (8 * (count - 2)));
      std::memcpy(out, &low, 2);
      std::memcpy(out + count - 2, &high, 2);
    } else {
      *out = static_cast<char>(magnitude);
    }
  } else {
    for (unsigned i = 0; i < count; ++i)
      out[i] = static_cast<char>((magnitude >> (8 * i)) & 0xFF);
  }
}

/// The magnitude whose low `count` bytes (0 to MaxCount) stand at `in`, least significant
/// first, reading no byte beyond them.
template <class Magnitude, unsigned MaxCount>
Magnitude load_payload(const unsigned char* in, unsigned count) {
  if constexpr (kLittleEndian) {
    if (MaxCount >= 4 && count >= 4) {
      std::uint32_t low, high;
      std::memcpy(&low, in, 4);
      std::memcpy(&high, in + count - 4, 4);
      return static_cast<Magnitude>(low | static_cast<Magnitude>(high) << (8 * (count - 4)));
    }
    if (count >= 2) {
      std::uint16_t low, high;
      std::memcpy(&low, in, 2);
      std::memcpy(&high, in + count - 2, 2);
      return static_cast<Magnitude>(low | static_cast<Magnitude>(high) << (8 * (count - 2)));
    }
    return count == 1 ? in[0] : 0;
  } else {
    Magnitude magnitude = 0;
    for (unsigned i = count; i > 0; --i)
      magnitude = static_cast<Magnitude>((magnitude << 8) | in[i - 1]);
    return magnitude;
  }
}

template <class T>
using magnitude_of = std::conditional_t<(sizeof(T) > 4), std::uint64_t, std::uint32_t>;

/// Writes `value` in the integer format at `out` (room for 1 + the type's largest count) and
/// moves `out` past it. long long gets the sign bit; an unsigned long wider than 32 bits
/// contributes only its low four bytes.
template <class T>
void put_int(char*& out, T value) {
  using Traits = int_traits<T>;
  using Magnitude = magnitude_of<T>;
  auto magnitude = static_cast<Magnitude>(value);
  unsigned header = 0;
  if constexpr (std::is_signed<T>::value) {
    if (value < 0) {
      magnitude = 0 - magnitude;  // two's complement; the most negative value keeps its pattern
      header = 0x80;
    }
  }
  if constexpr (sizeof(Magnitude) > Traits::maxCount) {
    magnitude &= (Magnitude{1} << (8 * Traits::maxCount)) - 1;
  }
  const unsigned count = payload_count(magnitude);
  out[0] = static_cast<char>(header | count);
  store_payload<Traits::maxCount>(out + 1, magnitude, count);
  out += 1 + count;
}

/// Reads an integer of type T from the cursor when its header is valid and its payload all
/// there; otherwise takes nothing and returns false.
template <class T>
bool take_int(GetCursor& in, T& target) {
  using Traits = int_traits<T>;
  const std::size_t available = in.available();
  if (available == 0) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(in.next());
  const unsigned count = bytes[0] & Traits::countMask;
  if (count > Traits::maxCount || count >= available) return false;
  auto magnitude = load_payload<magnitude_of<T>, Traits::maxCount>(bytes + 1, count);
  if constexpr (std::is_signed<T>::value) {
    if ((bytes[0] & 0x80) != 0) magnitude = 0 - magnitude;
  }
  target = static_cast<T>(magnitude);
  in.take(1 + count, count > 0 ? static_cast<std::streamsize>(count) : 1);
  return true;
}

/// Writes `value` in the integer format with two writes (header, payload) and returns true when
/// the stream has failed afterwards (see put_int for the bytes).
template <class T>
bool pack_integer(T value, std::ostream& os) {
  constexpr std::size_t kMax = 1 + int_traits<T>::maxCount;
  if (put_direct(os, kMax, [&](char*& out) { put_int(out, value); })) return false;
  char bytes[kMax];
  char* end = bytes;
  put_int(end, value);
  os.write(bytes, 1);
  os.write(bytes + 1, end - bytes - 1);
  return os.fail();
}

/// Reads one integer of type T: the header with one read, then its payload with another. Sets
/// the target to 0 first; on failure it stays 0.
template <class T>
void unpack_int(T& target, std::istream& is) {
  using Traits = int_traits<T>;
  target = 0;
  {
    GetCursor in(is);
    if (take_int(in, target)) return;
  }
  unsigned char bytes[1 + Traits::maxCount];
  is.read(reinterpret_cast<char*>(bytes), 1);
  if (is.fail()) throw readFailure(Traits::readSite, Traits::name);
  const unsigned count = bytes[0] & Traits::countMask;
  if (count > Traits::maxCount) throw readFailure(Traits::readSite, Traits::name);
  if (count > 0) {
    is.read(reinterpret_cast<char*>(bytes + 1), static_cast<std::streamsize>(count));
    if (is.fail()) throw readFailure(Traits::readSite, Traits::name);
  }
  auto magnitude = load_payload<magnitude_of<T>, Traits::maxCount>(bytes + 1, count);
  if constexpr (std::is_signed<T>::value) {
    if ((bytes[0] & 0x80) != 0) magnitude = 0 - magnitude;
  }
  target = static_cast<T>(magnitude);
}

// ---- bytes, characters, strings and blobs ---------------------------------------------------

/// os.write(data, n).
inline void write_bytes(std::ostream& os, const char* data, std::size_t n) {
  const auto copy = [&](char*& out) {
    if (n > 0) std::memcpy(out, data, n);
    out += n;
  };
  if (put_direct(os, n, copy)) return;
  os.write(data, static_cast<std::streamsize>(n));
}

/// is.read(data, n).
inline void read_bytes(std::istream& is, char* data, std::size_t n) {
  {
    GetCursor in(is);
    if (in.active() && in.available() >= n) {
      if (n > 0) std::memcpy(data, in.next(), n);
      in.take(n, static_cast<std::streamsize>(n));
      return;
    }
  }
  is.read(data, static_cast<std::streamsize>(n));
}

/// A bool from the cursor when the next character is '0' or '1'; otherwise nothing is taken.
inline bool take_bool(GetCursor& in, bool& target) {
  if (in.available() == 0 || (*in.next() != '0' && *in.next() != '1')) return false;
  target = *in.next() == '1';
  in.take(1, 1);
  return true;
}

/// Writes `size` bytes at `data` with their length in front, as a string or a byte vector
/// travels, at `out` (room for 5 + size).
inline void put_sized(char*& out, const void* data, std::size_t size) {
  put_int(out, static_cast<unsigned long>(size));
  if (size > 0) std::memcpy(out, data, size);
  out += size;
}

/// The length of a string or byte vector at the cursor and where its bytes start, when the
/// length is valid and all its bytes are there; otherwise null. Nothing is taken.
inline const char* sized_body(const GetCursor& in, std::uint32_t& length, unsigned& count) {
  const std::size_t available = in.available();
  if (available == 0) return nullptr;
  const auto* bytes = reinterpret_cast<const unsigned char*>(in.next());
  count = bytes[0] & int_traits<unsigned long>::countMask;
  if (count > int_traits<unsigned long>::maxCount || count >= available) return nullptr;
  length = load_payload<std::uint32_t, 4>(bytes + 1, count);
  if (length > available - 1 - count) return nullptr;
  return in.next() + 1 + count;
}

/// A string from the cursor when its length is valid and all its bytes are there: the target
/// becomes them up to the first zero byte. Otherwise nothing is taken. Should the target not be
/// able to hold them, the length stays read and the target ends empty, as on the stream's route.
inline bool take_string(GetCursor& in, std::string& target) {
  std::uint32_t length = 0;
  unsigned count = 0;
  const char* const body = sized_body(in, length, count);
  if (body == nullptr) return false;
  in.take(1 + count, count > 0 ? static_cast<std::streamsize>(count) : 1);
  const void* const zero = std::memchr(body, 0, length);
  try {
    target.assign(body, zero != nullptr
                            ? static_cast<std::size_t>(static_cast<const char*>(zero) - body)
                            : length);
  } catch (...) {
    target.clear();
    throw;
  }
  in.take(length, static_cast<std::streamsize>(length));
  return true;
}

/// A byte vector from the cursor when its count is valid and all its bytes are there;
/// otherwise nothing is taken. Should the vector not grow to the count, the count stays read and
/// the vector as it was, as on the stream's route.
inline bool take_byte_vector(GetCursor& in, std::vector<unsigned char>& target) {
  std::uint32_t length = 0;
  unsigned count = 0;
  const char* const body = sized_body(in, length, count);
  if (body == nullptr) return false;
  in.take(1 + count, count > 0 ? static_cast<std::streamsize>(count) : 1);
  target.resize(length);
  if (length > 0) {
    std::memcpy(target.data(), body, length);
    in.take(length, 1);  // as the last of as many one-byte reads
  }
  return true;
}

/// Writes a byte vector: the count (a failure there is the unsigned long one, not wrapped), then
/// the bytes in one transfer. The data objects write every byte blob through this.
void serialize_bytes(const std::vector<unsigned char>& bytes, std::ostream& os);

/// Reads a byte vector as operator>> on Archive does when it is not whole in the get area
/// (Serialize.cpp).
void deserialize_bytes_from_stream(std::vector<unsigned char>& bytes, std::istream& is);

/// Reads a byte vector as operator>> on Archive does: from the get area when it is all there.
inline void deserialize_bytes(std::vector<unsigned char>& bytes, std::istream& is) {
  {
    GetCursor in(is);
    if (take_byte_vector(in, bytes)) return;
  }
  deserialize_bytes_from_stream(bytes, is);
}

}  // namespace detail
}  // namespace dataobjects_data

#endif  // LIBS_UTILITIES_ARCHIVE_DETAIL_CODEC_H

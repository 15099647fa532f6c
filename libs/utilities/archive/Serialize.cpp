#include "libs/utilities/archive/Serialize"

#include "libs/utilities/archive/BoundedReading.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "libs/utilities/archive/detail/Codec.h"
#include "libs/utilities/archive/detail/DoubleText.h"

namespace detail = dataobjects_data::detail;
namespace sites = dataobjects_data::detail::throw_sites::codec;

namespace {
constexpr const char kWriteFormat[] = "Serializing of object %s failed";
constexpr const char kReadFormat[] = "Deserializing of object %s failed";
// The first chunk of a string body or byte vector whose length exceeds what the stream says it
// holds.
constexpr std::size_t kFirstChunk = 64 * 1024;

thread_local bool boundedReading = false;

char* bytesAt(std::string& target, std::size_t at) {
  return &target[at];
}
char* bytesAt(std::vector<unsigned char>& target, std::size_t at) {
  return reinterpret_cast<char*>(target.data() + at);
}

// Reads `count` bytes straight into `target` (a string or a byte vector) in chunks that grow
// with what has arrived, so a length announced by the input never allocates much more than the
// input actually holds. Returns false when the input ended first; `target` then holds what was
// read.
template <class Buffer>
bool read_bytes_bounded(Buffer& target, std::uint32_t count, std::istream& is) {
  target.clear();
  const std::size_t total = count;
  {
    detail::GetCursor in(is);
    if (in.active() && in.available() >= total) {
      // When this cannot allocate, nothing is read.
      if (total > 0) target.assign(in.next(), in.next() + total);
      in.take(total, static_cast<std::streamsize>(total));
      return true;
    }
  }
  if (total == 0) {
    char none = 0;
    is.read(&none, 0);
    return !is.fail();
  }
  std::streambuf* buffer = is.rdbuf();
  const std::streamsize available = buffer ? buffer->in_avail() : 0;
  if (available > 0 && static_cast<std::uint64_t>(available) >= total) {
    target.resize(total);
    is.read(bytesAt(target, 0), static_cast<std::streamsize>(total));
    return !is.fail();
  }
  // Each chunk is at most as large as what has already arrived, so the target never holds more
  // than twice the bytes the input really had. gcount() ends as one read of them all leaves it;
  // where the stream's count cannot be set (other standard libraries than libstdc++), as the
  // last chunk's read leaves it.
  std::size_t done = 0;
  try {
    while (done < total) {
      const std::size_t chunk = std::min(total - done, std::max(kFirstChunk, done));
      target.resize(done + chunk);
      is.read(bytesAt(target, done), static_cast<std::streamsize>(chunk));
      done += static_cast<std::size_t>(is.gcount());
      if (is.fail()) break;
    }
  } catch (const std::ios_base::failure&) {  // a stream that throws on failure
    detail::LastCount::set(is, static_cast<std::streamsize>(done) + is.gcount());
    throw;
  }
  target.resize(done);
  detail::LastCount::set(is, static_cast<std::streamsize>(done));
  return !is.fail();
}

template <class T>
void serializeInteger(T value, std::ostream& os) {
  if (detail::pack_integer(value, os)) {
    throw detail::writeFailure(detail::int_traits<T>::writeSite, detail::int_traits<T>::name);
  }
}

// The stream's route for a double: its formatted insertion with precision 35.
void insertDouble(double value, std::ostream& os) {
  const std::streamsize precision = os.precision();
  const std::ios_base::fmtflags flags = os.flags();
  os.precision(35);
  if (value > std::numeric_limits<double>::max()) {
    os << "inf ";
  } else if (value < std::numeric_limits<double>::lowest()) {
    os << "ninf ";
  } else if (value <= std::numeric_limits<double>::max()) {
    os << value << ' ';
  } else {
    os << "NaN ";
  }
  os.precision(precision);
  os.flags(flags);
}

// The stream's route for a floating-point value: 'i', 'n' and 'N' by their first character, any
// other text through the formatted extraction; true when the blank after it is missing.
template <class T>
bool extractFloatingPoint(T& target, std::istream& is) {
  const std::streamsize precision = is.precision();
  const std::ios_base::fmtflags flags = is.flags();
  is.precision(35);
  const std::istream::int_type next = is.peek();
  if (next == 'i') {
    target = std::numeric_limits<T>::infinity();
    for (int i = 0; i < 3; ++i)
      is.get();
  } else if (next == 'n') {
    target = -std::numeric_limits<T>::infinity();
    for (int i = 0; i < 4; ++i)
      is.get();
  } else if (next == 'N') {
    if constexpr (std::is_same<T, double>::value) {
      const std::uint64_t pattern = 0x7FF8000000000000ull;
      std::memcpy(&target, &pattern, sizeof target);
    } else {
      target = std::numeric_limits<T>::quiet_NaN();
    }
    for (int i = 0; i < 3; ++i)
      is.get();
  } else {
    is >> target;
  }
  is.precision(precision);
  is.flags(flags);
  return is.get() != ' ';
}

}  // namespace

namespace dataobjects_data {
namespace detail {

KavSerialize::SerializationException writeFailure(const ThrowSite& site, const char* typeName) {
  return ExceptionFactory(site.file, site.line)
      .createException<KavSerialize::SerializationException>(kWriteFormat, typeName);
}

KavSerialize::SerializationException readFailure(const ThrowSite& site, const char* typeName) {
  return ExceptionFactory(site.file, site.line)
      .createException<KavSerialize::SerializationException>(kReadFormat, typeName);
}

KavSerialize::SerializationException writeFailure(const TesmiraException& cause,
                                                  const ThrowSite& site, const char* typeName) {
  return ExceptionFactory(site.file, site.line)
      .createException<KavSerialize::SerializationException>(cause, kWriteFormat, typeName);
}

KavSerialize::SerializationException readFailure(const TesmiraException& cause,
                                                 const ThrowSite& site, const char* typeName) {
  return ExceptionFactory(site.file, site.line)
      .createException<KavSerialize::SerializationException>(cause, kReadFormat, typeName);
}

void serialize_bytes(const std::vector<unsigned char>& bytes, std::ostream& os) {
  if (bytes.size() <= static_cast<std::size_t>(INT_MAX - 5)) {
    const auto put = [&](char*& out) { put_sized(out, bytes.data(), bytes.size()); };
    if (put_direct(os, 5 + bytes.size(), put)) return;
  }
  KavSerialize::serialize(static_cast<unsigned long>(bytes.size()), os);
  if (!bytes.empty()) {
    write_bytes(os, reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (os.fail()) throw writeFailure(sites::kUnsignedCharWrite, "unsigned char");
  }
}

void deserialize_bytes_from_stream(std::vector<unsigned char>& vector, std::istream& is) {
  unsigned long count = 0;
  KavSerialize::deserialize(count, is);
  if (boundedReading && count > 0) {
    // gcount() ends as on the route below: 1 after the last byte, 0 after a failed read.
    if (!read_bytes_bounded(vector, static_cast<std::uint32_t>(count), is)) {
      char none = 0;
      is.read(&none, 0);
      throw readFailure(sites::kUnsignedCharRead, "unsigned char");
    }
    LastCount::set(is, 1);
    return;
  }
  vector.resize(count);
  // One transfer and the last byte on its own, unless the stream throws on failure: then one
  // byte at a time, so that it throws from the read of the first missing byte, as the one-byte
  // route does. gcount() ends as that route leaves it: 1 after the last byte, 0 after a failed
  // read (an empty read sets it so).
  if (count > 0 && is.exceptions() == std::ios_base::goodbit) {
    char* const data = reinterpret_cast<char*>(vector.data());
    read_bytes(is, data, count - 1);
    if (!is.fail()) read_bytes(is, data + count - 1, 1);
    if (is.fail()) {
      is.read(data, 0);
      throw readFailure(sites::kUnsignedCharRead, "unsigned char");
    }
    return;
  }
  for (unsigned char& element : vector)
    KavSerialize::deserialize(element, is);
}

}  // namespace detail

bool setBoundedReading(bool bounded) noexcept {
  const bool previous = boundedReading;
  boundedReading = bounded;
  return previous;
}

}  // namespace dataobjects_data

namespace KavSerialize {

SerializationException::SerializationException() : TesmiraException("SerializationException") {}
SerializationException::~SerializationException() = default;
TesmiraException* SerializationException::clone() const {
  return new SerializationException(*this);
}

namespace ser_helper {

template <>
bool pack_int<long long>(long long value, std::ostream& os) {
  return detail::pack_integer(value, os);
}
template <>
bool pack_int<unsigned short>(unsigned short value, std::ostream& os) {
  return detail::pack_integer(value, os);
}
template <>
bool pack_int<unsigned int>(unsigned int value, std::ostream& os) {
  return detail::pack_integer(value, os);
}
template <>
bool pack_int<unsigned long>(unsigned long value, std::ostream& os) {
  return detail::pack_integer(value, os);
}

void read_byte_vector(std::vector<unsigned char>& vector, std::istream& is) {
  detail::deserialize_bytes(vector, is);
}

}  // namespace ser_helper

void serialize(const long long& value, std::ostream& os) {
  serializeInteger(value, os);
}
void serialize(const unsigned short& value, std::ostream& os) {
  serializeInteger(value, os);
}
void serialize(const unsigned int& value, std::ostream& os) {
  serializeInteger(value, os);
}
void serialize(const unsigned long& value, std::ostream& os) {
  if ((static_cast<std::uint64_t>(value) >> 32) != 0) {
    throw detail::writeFailure(sites::kUnsignedLongWrite, "unsigned long");
  }
  serializeInteger(value, os);
}

void deserialize(long long& target, std::istream& is) {
  detail::unpack_int(target, is);
}
void deserialize(unsigned short& target, std::istream& is) {
  detail::unpack_int(target, is);
}
void deserialize(unsigned int& target, std::istream& is) {
  detail::unpack_int(target, is);
}
void deserialize(unsigned long& target, std::istream& is) {
  detail::unpack_int(target, is);
}

void serialize(bool value, std::ostream& os) {
  const char c = value ? '1' : '0';
  if (detail::put_direct(os, 1, [c](char*& out) { *out++ = c; })) return;
  os << c;
  if (os.fail()) throw detail::writeFailure(sites::kBoolWrite, "bool");
}

void deserialize(bool& target, std::istream& is) {
  {
    detail::GetCursor in(is);
    if (detail::take_bool(in, target)) return;
  }
  const std::istream::int_type c = is.get();
  if (c == std::istream::traits_type::eof()) {
    throw detail::readFailure(sites::kBoolReadEndOfInput, "bool");
  }
  if (c == '1') {
    target = true;
  } else if (c == '0') {
    target = false;
  } else {
    throw detail::readFailure(sites::kBoolReadBadCharacter, "bool");
  }
}

void serialize(const unsigned char& value, std::ostream& os) {
  detail::write_bytes(os, reinterpret_cast<const char*>(&value), 1);
  if (os.fail()) throw detail::writeFailure(sites::kUnsignedCharWrite, "unsigned char");
}

void deserialize(unsigned char& target, std::istream& is) {
  detail::read_bytes(is, reinterpret_cast<char*>(&target), 1);
  if (is.fail()) throw detail::readFailure(sites::kUnsignedCharRead, "unsigned char");
}

void serialize(const double& value, std::ostream& os) {
  if (detail::default_number_format(os)) {
    char text[detail::kDoubleTextMax];
    const std::size_t length = detail::double_text(value, text);
    const auto copy = [&](char*& out) {
      std::memcpy(out, text, length);
      out += length;
    };
    if (detail::put_direct(os, length, copy)) return;
    if (std::isfinite(value)) {
      // The number and its blank are two insertions on the stream's route.
      os.write(text, static_cast<std::streamsize>(length - 1));
      os.write(text + length - 1, 1);
    } else {
      os.write(text, static_cast<std::streamsize>(length));
    }
  } else {
    insertDouble(value, os);
  }
  if (os.fail()) throw detail::writeFailure(sites::kDoubleWrite, "double");
}

template <class T>
bool deserialize_floating_point(T& target, std::istream& is) {
  if constexpr (std::is_same<T, double>::value) {
    detail::GetCursor in(is);
    const detail::FastRead fast = detail::take_double(in, target, is);
    if (fast != detail::FastRead::kNotTaken) return fast == detail::FastRead::kFailed;
  }
  return extractFloatingPoint(target, is);
}

template bool deserialize_floating_point<float>(float& target, std::istream& is);
template bool deserialize_floating_point<double>(double& target, std::istream& is);
template bool deserialize_floating_point<long double>(long double& target, std::istream& is);

void deserialize(double& target, std::istream& is) {
  if (deserialize_floating_point<double>(target, is)) {
    throw detail::readFailure(sites::kDoubleRead, "double");
  }
}

void serialize(const std::string& value, std::ostream& os) {
  if (value.size() <= static_cast<std::size_t>(INT_MAX - 5)) {
    const auto put = [&](char*& out) { detail::put_sized(out, value.data(), value.size()); };
    if (detail::put_direct(os, 5 + value.size(), put)) return;
  }
  try {
    serialize(static_cast<unsigned long>(value.size()), os);
  } catch (const SerializationException& cause) {
    throw detail::writeFailure(cause, sites::kStringWriteLength, "std::string");
  }
  detail::write_bytes(os, value.data(), value.size());
  if (os.fail()) throw detail::writeFailure(sites::kStringWriteBody, "std::string");
}

void deserialize(std::string& target, std::istream& is) {
  {
    detail::GetCursor in(is);
    if (detail::take_string(in, target)) return;
  }
  try {
    unsigned long length = 0;
    try {
      deserialize(length, is);
    } catch (const SerializationException& cause) {
      throw detail::readFailure(cause, sites::kStringReadLength, "std::string");
    }
    if (!read_bytes_bounded(target, static_cast<std::uint32_t>(length), is)) {
      throw detail::readFailure(sites::kStringReadBody, "std::string");
    }
    const std::size_t zero = target.find('\0');
    if (zero != std::string::npos) target.resize(zero);
  } catch (...) {
    target.clear();
    throw;
  }
}

}  // namespace KavSerialize

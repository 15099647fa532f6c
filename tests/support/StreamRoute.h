// The codec's values written and read the straightforward way, with the stream's member
// functions as the format describes them (write, read, get, formatted insertion), and a check
// that runs the library's codec and this route side by side over the same buffers and reports
// the first difference in bytes, values, stream state, gcount, position or exception.
// Header-only, so that the fuzz build needs no test library.
#ifndef TESTS_SUPPORT_STREAMROUTE_H
#define TESTS_SUPPORT_STREAMROUTE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ios>
#include <memory>
#include <new>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "libs/utilities/archive/ExceptionFactory.h"
#include "libs/utilities/archive/Serialize"
#include "libs/utilities/archive/detail/Codec.h"
#include "platform/Archive.h"
#include "platform/TesmiraException.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/DoubleStreamRoute.h"

namespace testing_support {

enum class Kind { LongLong, UShort, UInt, ULong, Bool, UChar, Double, String, Bytes, Uuid, Count };

// One value of any kind the codec carries, in the member of its kind.
struct Value {
  Kind kind = Kind::LongLong;
  long long ll = 0;
  unsigned short us = 0;
  unsigned int ui = 0;
  unsigned long ul = 0;
  bool b = false;
  unsigned char uc = 0;
  double d = 0;
  std::string s;
  std::vector<unsigned char> bytes;
  UuidEntryDO uuid;
  // A value of `kind` whose `member` holds x, the other members as they start.
  template <class X>
  static Value of(Kind kind, X Value::*member, const X& x) {
    Value v;
    v.kind = kind;
    v.*member = x;
    return v;
  }
  bool operator==(const Value& o) const {
    return kind == o.kind && ll == o.ll && us == o.us && ui == o.ui && ul == o.ul && b == o.b &&
           uc == o.uc && toBits(d) == toBits(o.d) && s == o.s && bytes == o.bytes &&
           !(uuid.getUuid() != o.uuid.getUuid());
  }
};

// A value of `kind` with every member drawn: integers of every payload length, doubles of any
// bit pattern or special, texts and blobs of up to 23 bytes (a fifth of the text's bytes zero).
inline Value randomValue(std::mt19937_64& random, Kind kind) {
  Value v;
  v.kind = kind;
  const std::uint64_t bits = random() >> (random() % 64);
  v.ll = static_cast<long long>(bits) * (random() % 2 ? 1 : -1);
  v.us = static_cast<unsigned short>(bits);
  v.ui = static_cast<unsigned int>(bits);
  v.ul = static_cast<std::uint32_t>(bits);
  v.b = random() % 2 != 0;
  v.uc = static_cast<unsigned char>(random());
  const double specials[] = {0.0, -0.0, 1.5, 4.2375, 1e300, INFINITY, -INFINITY, NAN};
  v.d = random() % 3 == 0 ? specials[random() % 8] : fromBits(random());
  for (auto n = static_cast<std::size_t>(random() % 24); n > 0; --n) {
    v.s.push_back(static_cast<char>(random() % 5 == 0 ? 0 : 'a' + random() % 26));
    v.bytes.push_back(static_cast<unsigned char>(random()));
  }
  Uuid::Bytes uuid;
  for (unsigned char& b : uuid)
    b = static_cast<unsigned char>(random());
  v.uuid.setUuid(Uuid(uuid));
  return v;
}

namespace route {

// The codec's failures, built here as the library documents them, file and lines included.
constexpr char kCodecFile[] = "../../../../libs/utilities/archive/Serialize";
[[noreturn]] inline void writeFailure(const char* type, int line) {
  throw ExceptionFactory(kCodecFile, line)
      .createException<KavSerialize::SerializationException>("Serializing of object %s failed",
                                                             type);
}
[[noreturn]] inline void readFailure(const char* type, int line) {
  throw ExceptionFactory(kCodecFile, line)
      .createException<KavSerialize::SerializationException>("Deserializing of object %s failed",
                                                             type);
}
[[noreturn]] inline void writeFailure(const TesmiraException& cause, const char* type, int line) {
  throw ExceptionFactory(kCodecFile, line)
      .createException<KavSerialize::SerializationException>(
          cause, "Serializing of object %s failed", type);
}
[[noreturn]] inline void readFailure(const TesmiraException& cause, const char* type, int line) {
  throw ExceptionFactory(kCodecFile, line)
      .createException<KavSerialize::SerializationException>(
          cause, "Deserializing of object %s failed", type);
}

// The integer kinds: the type's name, the lines of its write and read failures, the largest
// payload count and the mask that takes the count from the header (a sign bit for long long).
struct IntegerKind {
  const char* type;
  int writeLine, readLine;
  unsigned largest, mask;
};
inline const IntegerKind& integerKind(Kind kind) {
  static const IntegerKind kinds[] = {{"long long", 417, 425, 8, 0x0F},
                                      {"unsigned short", 435, 443, 2, 0x8F},
                                      {"unsigned int", 453, 461, 4, 0x8F},
                                      {"unsigned long", 471, 479, 4, 0x8F}};
  return kinds[static_cast<int>(kind)];
}

inline void writeInt(std::ostream& os, Kind kind, std::uint64_t magnitude, bool negative) {
  const char header = static_cast<char>(negative ? 0x80 : 0);
  char payload[9];
  unsigned count = 0;
  do {
    payload[++count] = static_cast<char>(magnitude & 0xFF);
    magnitude >>= 8;
  } while (magnitude != 0 && count < (kind == Kind::LongLong ? 8u : 4u));
  payload[0] = static_cast<char>(header | static_cast<char>(count));
  os.write(payload, 1);
  os.write(payload + 1, count);
  if (os.fail()) writeFailure(integerKind(kind).type, integerKind(kind).writeLine);
}

inline std::uint64_t readInt(std::istream& is, Kind kind) {
  const IntegerKind& k = integerKind(kind);
  char header = 0;
  is.read(&header, 1);
  if (is.fail()) readFailure(k.type, k.readLine);
  const unsigned count = static_cast<unsigned char>(header) & k.mask;
  if (count > k.largest) readFailure(k.type, k.readLine);
  unsigned char payload[8] = {};
  if (count > 0) {
    is.read(reinterpret_cast<char*>(payload), count);
    if (is.fail()) readFailure(k.type, k.readLine);
  }
  std::uint64_t magnitude = 0;
  for (unsigned i = count; i > 0; --i)
    magnitude = magnitude << 8 | payload[i - 1];
  return k.mask == 0x0F && (header & 0x80) != 0 ? 0 - magnitude : magnitude;
}

// Zeroes `target`, then reads it.
template <class T>
void readInt(std::istream& is, Kind kind, T& target) {
  target = 0;
  target = static_cast<T>(readInt(is, kind));
}

[[noreturn]] inline void uuidFailure(int line, const char* what) {
  throw ExceptionFactory("UuidEntryDO", line)
      .createException<KavSerialize::SerializationException>(what, "UuidEntryDO");
}

inline void write(Archive& os, const Value& v) {
  const auto check = [&os](const char* type, int line) {
    if (os.fail()) writeFailure(type, line);
  };
  const Kind k = v.kind;
  const char* const uc = reinterpret_cast<const char*>(&v.uc);
  const auto bits = static_cast<std::uint64_t>(v.ll);
  if (k == Kind::LongLong) return writeInt(os, k, v.ll < 0 ? 0 - bits : bits, v.ll < 0);
  if (k == Kind::UShort) return writeInt(os, k, v.us, false);
  if (k == Kind::UInt) return writeInt(os, k, v.ui, false);
  if (k == Kind::ULong) return writeInt(os, k, v.ul, false);
  if (k == Kind::Bool) return (os << (v.b ? '1' : '0'), check("bool", 723));
  if (k == Kind::UChar) return (os.write(uc, 1), check("unsigned char", 548));
  if (k == Kind::Double) return (streamRouteWrite(v.d, os), check("double", 644));
  if (k == Kind::String) {
    try {
      writeInt(os, Kind::ULong, v.s.size(), false);
    } catch (const KavSerialize::SerializationException& cause) {
      writeFailure(cause, "std::string", 851);
    }
    return (os.write(v.s.data(), static_cast<std::streamsize>(v.s.size())),
            check("std::string", 857));
  }
  if (k == Kind::Bytes) {
    writeInt(os, Kind::ULong, v.bytes.size(), false);
    for (unsigned char c : v.bytes)
      os.write(reinterpret_cast<const char*>(&c), 1), check("unsigned char", 548);
    return;
  }
  os.write(reinterpret_cast<const char*>(v.uuid.getUuid().bytes().data()), 16);
  if (os.fail()) uuidFailure(1, "Serializing of object %s failed");
}

// Reads into `v`, whose kind says what to read and whose members hold what was there before.
inline void read(Archive& is, Value& v) {
  const auto check = [&is](const char* type, int line) {
    if (is.fail()) readFailure(type, line);
  };
  const Kind k = v.kind;
  if (k == Kind::LongLong) return readInt(is, k, v.ll);
  if (k == Kind::UShort) return readInt(is, k, v.us);
  if (k == Kind::UInt) return readInt(is, k, v.ui);
  if (k == Kind::ULong) return readInt(is, k, v.ul);
  if (k == Kind::UChar)
    return (is.read(reinterpret_cast<char*>(&v.uc), 1), check("unsigned char", 557));
  if (k == Kind::Bool) {
    const int c = is.get();
    if (c == std::char_traits<char>::eof()) readFailure("bool", 748);
    if (c != '0' && c != '1') readFailure("bool", 743);
    v.b = c == '1';
  } else if (k == Kind::Double) {
    if (streamRouteRead(is, v.d)) readFailure("double", 652);
  } else if (k == Kind::String) {
    try {
      unsigned long length = 0;  // at most 32 bits
      try {
        length = static_cast<unsigned long>(readInt(is, Kind::ULong));
      } catch (const KavSerialize::SerializationException& cause) {
        readFailure(cause, "std::string", 873);
      }
      std::unique_ptr<char[]> buffer(new char[length + 1]);
      buffer[length] = '\0';
      is.read(buffer.get(), static_cast<std::streamsize>(length));
      v.s = buffer.get();
      check("std::string", 882);
    } catch (...) {
      v.s.clear();
      throw;
    }
  } else if (k == Kind::Bytes) {
    v.bytes.resize(static_cast<unsigned long>(readInt(is, Kind::ULong)));
    for (unsigned char& c : v.bytes)
      is.read(reinterpret_cast<char*>(&c), 1), check("unsigned char", 557);
  } else {
    Uuid::Bytes bytes;
    is.read(reinterpret_cast<char*>(bytes.data()), 16);
    if (is.fail()) uuidFailure(2, "Deserializing of object %s failed");
    v.uuid.setUuid(Uuid(bytes));
  }
}

}  // namespace route

namespace library {

inline void write(Archive& os, const Value& v) {
  using KavSerialize::serialize;
  const Kind k = v.kind;
  if (k == Kind::LongLong) return serialize(v.ll, os);
  if (k == Kind::UShort) return serialize(v.us, os);
  if (k == Kind::UInt) return serialize(v.ui, os);
  if (k == Kind::ULong) return serialize(v.ul, os);
  if (k == Kind::Bool) return serialize(v.b, os);
  if (k == Kind::UChar) return serialize(v.uc, os);
  if (k == Kind::Double) return serialize(v.d, os);
  if (k == Kind::String) return serialize(v.s, os);
  if (k == Kind::Bytes) return dataobjects_data::detail::serialize_bytes(v.bytes, os);
  os << v.uuid;
}

inline void read(Archive& is, Value& v) {
  using KavSerialize::deserialize;
  const Kind k = v.kind;
  if (k == Kind::LongLong) return deserialize(v.ll, is);
  if (k == Kind::UShort) return deserialize(v.us, is);
  if (k == Kind::UInt) return deserialize(v.ui, is);
  if (k == Kind::ULong) return deserialize(v.ul, is);
  if (k == Kind::Bool) return deserialize(v.b, is);
  if (k == Kind::UChar) return deserialize(v.uc, is);
  if (k == Kind::Double) return deserialize(v.d, is);
  if (k == Kind::String) return deserialize(v.s, is);
  if (k == Kind::Bytes) {
    is >> v.bytes;
    return;
  }
  is >> v.uuid;
}

}  // namespace library

// ---- buffers that end or fail at any byte -------------------------------------------------

// An output buffer that takes `limit` bytes and fails every one after them. Buffered, the bytes
// go into a put area of `limit` bytes (the codec writes straight into it); unbuffered, each goes
// through overflow or xsputn.
class CappedSink : public std::streambuf {
 public:
  CappedSink(std::size_t limit, bool buffered) : storage_(limit, '\0'), buffered_(buffered) {
    if (buffered_) setp(&storage_[0], &storage_[0] + limit);
  }
  std::string written() const {
    return buffered_ ? std::string(pbase(), pptr()) : storage_.substr(0, taken_);
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (buffered_ || taken_ == storage_.size()) return traits_type::eof();
    storage_[taken_++] = traits_type::to_char_type(c);
    return c;
  }

 private:
  std::string storage_;
  bool buffered_;
  std::size_t taken_ = 0;
};

// An input buffer over `bytes` that hands them out `piece` at a time (its get area never holds
// more), or, with piece 0, one at a time through uflow without a get area.
class PieceSource : public std::streambuf {
 public:
  PieceSource(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  std::size_t consumed() const { return handed_ - static_cast<std::size_t>(egptr() - gptr()); }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (handed_ == bytes_.size()) return traits_type::eof();
    if (piece_ == 0) return traits_type::to_int_type(bytes_[handed_]);
    char* const start = &bytes_[handed_];
    handed_ += std::min(piece_, bytes_.size() - handed_);
    setg(start, start, &bytes_[0] + handed_);
    return traits_type::to_int_type(*gptr());
  }
  int_type uflow() override {
    if (piece_ != 0) return std::streambuf::uflow();
    if (handed_ == bytes_.size()) return traits_type::eof();
    return traits_type::to_int_type(bytes_[handed_++]);
  }

 private:
  std::string bytes_;
  std::size_t piece_;
  std::size_t handed_ = 0;
};

// What a stream is set up with besides its buffer.
enum class StreamSetup { Plain, Exceptions, Tied, Unitbuf, Count };

inline void setUp(Archive& archive, StreamSetup setup, std::ostream& tie) {
  if (setup == StreamSetup::Exceptions)
    archive.exceptions(std::ios_base::badbit | std::ios_base::failbit);
  if (setup == StreamSetup::Tied) archive.tie(&tie);
  if (setup == StreamSetup::Unitbuf) archive.setf(std::ios_base::unitbuf);
}

// How a run of values ended: the exception (empty when none), how many values completed, the
// stream's state and gcount, and the bytes written or consumed.
struct RunOutcome {
  std::string failure;
  std::size_t completed = 0;
  std::ios_base::iostate state = std::ios_base::goodbit;
  std::streamsize count = 0;
  std::string bytes;
  std::size_t consumed = 0;
  std::vector<Value> values;
};

inline std::string describe(const TesmiraException& e) {
  std::ostringstream out;
  out << e.getName() << ": " << e.Reason() << " [" << e.getFile() << ":" << e.getLine() << "]";
  if (e.getRootCause() != nullptr) out << " <- " << describe(*e.getRootCause());
  return out.str();
}

// Runs step(0), step(1), ... up to `size`, and records how far it got and how it ended.
template <class Step>
void runValues(RunOutcome& outcome, std::size_t size, Step&& step) {
  try {
    for (; outcome.completed < size; ++outcome.completed)
      step(outcome.completed);
  } catch (const TesmiraException& e) {
    outcome.failure = describe(e);
  } catch (const std::ios_base::failure&) {
    outcome.failure = "std::ios_base::failure";
  } catch (const std::bad_alloc&) {
    // The route takes a buffer of the length read before it reads; the library reads a length
    // beyond the input's bytes without one. Only the fuzzer's lengths come near this.
    outcome.failure = "std::bad_alloc";
  }
}

// Writes `values` with the library or the stream's route into a CappedSink.
inline RunOutcome writeRun(bool useLibrary, const std::vector<Value>& values, std::size_t limit,
                           bool buffered, StreamSetup setup) {
  CappedSink sink(limit, buffered);
  std::ostringstream tie;
  Archive archive(&sink);
  setUp(archive, setup, tie);
  RunOutcome outcome;
  runValues(outcome, values.size(), [&](std::size_t i) {
    useLibrary ? library::write(archive, values[i]) : route::write(archive, values[i]);
  });
  outcome.state = archive.rdstate();
  outcome.bytes = sink.written();
  return outcome;
}

// Reads values of the kinds and earlier contents of `targets` from `bytes` handed out in
// pieces.
inline RunOutcome readRun(bool useLibrary, std::vector<Value> targets, const std::string& bytes,
                          std::size_t piece, StreamSetup setup) {
  PieceSource source(bytes, piece);
  std::ostringstream tie;
  Archive archive(&source);
  setUp(archive, setup, tie);
  RunOutcome outcome;
  runValues(outcome, targets.size(), [&](std::size_t i) {
    useLibrary ? library::read(archive, targets[i]) : route::read(archive, targets[i]);
  });
  outcome.state = archive.rdstate();
  outcome.count = archive.gcount();
  outcome.consumed = source.consumed();
  outcome.values = std::move(targets);
  return outcome;
}

// The first difference between the library's run and the stream's route, or "".
inline std::string difference(const RunOutcome& library, const RunOutcome& route) {
  std::ostringstream out;
  const auto compare = [&out](const char* what, const auto& ours, const auto& theirs) {
    if (out.tellp() == 0 && !(ours == theirs))
      out << what << " \"" << ours << "\", the route's \"" << theirs << "\"";
  };
  compare("failure", library.failure, route.failure);
  compare("values completed", library.completed, route.completed);
  compare("state", library.state, route.state);
  compare("gcount", library.count, route.count);
  compare("bytes written", library.bytes.size(), route.bytes.size());
  compare("bytes written differ", library.bytes == route.bytes, true);
  compare("bytes consumed", library.consumed, route.consumed);
  for (std::size_t i = 0; i < library.values.size(); ++i)
    compare("value differs at", library.values[i] == route.values[i] ? 0 : i + 1, 0u);
  return out.str();
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_STREAMROUTE_H

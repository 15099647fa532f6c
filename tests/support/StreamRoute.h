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
#include <functional>
#include <ios>
#include <memory>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "libs/utilities/archive/ExceptionFactory.h"
#include "libs/utilities/archive/Serialize"
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
  bool operator==(const Value& o) const {
    return kind == o.kind && ll == o.ll && us == o.us && ui == o.ui && ul == o.ul && b == o.b &&
           uc == o.uc && toBits(d) == toBits(o.d) && s == o.s && bytes == o.bytes &&
           !(uuid.getUuid() != o.uuid.getUuid());
  }
};

namespace route {

namespace helper = KavSerialize::ser_helper;

template <class T>
void writeInt(std::ostream& os, T value, const char* type, int line) {
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  char header = 0;
  if (std::is_signed<T>::value && static_cast<long long>(value) < 0) {
    magnitude = 0 - magnitude;
    header = static_cast<char>(0x80);
  }
  char payload[8];
  unsigned count = 0;
  do {
    payload[count++] = static_cast<char>(magnitude & 0xFF);
    magnitude >>= 8;
  } while (magnitude != 0 && count < (sizeof(T) < 8 ? 4u : 8u));
  header = static_cast<char>(header | static_cast<char>(count));
  os.write(&header, 1);
  os.write(payload, count);
  if (os.fail()) helper::throwWriteFailure(type, line);
}

template <class T>
T readInt(std::istream& is, unsigned largest, unsigned mask, const char* type, int line) {
  char header = 0;
  is.read(&header, 1);
  if (is.fail()) helper::throwReadFailure(type, line);
  const unsigned count = static_cast<unsigned char>(header) & mask;
  if (count > largest) helper::throwReadFailure(type, line);
  unsigned char payload[8] = {};
  if (count > 0) {
    is.read(reinterpret_cast<char*>(payload), count);
    if (is.fail()) helper::throwReadFailure(type, line);
  }
  std::uint64_t magnitude = 0;
  for (unsigned i = count; i > 0; --i)
    magnitude = magnitude << 8 | payload[i - 1];
  if (mask == 0x0F && (header & 0x80) != 0) magnitude = 0 - magnitude;
  return static_cast<T>(magnitude);
}

inline void write(Archive& os, const Value& v) {
  switch (v.kind) {
    case Kind::LongLong:
      return writeInt(os, v.ll, "long long", 417);
    case Kind::UShort:
      return writeInt(os, v.us, "unsigned short", 435);
    case Kind::UInt:
      return writeInt(os, v.ui, "unsigned int", 453);
    case Kind::ULong:
      return writeInt(os, v.ul, "unsigned long", 471);
    case Kind::Bool:
      os << (v.b ? '1' : '0');
      if (os.fail()) helper::throwWriteFailure("bool", 723);
      return;
    case Kind::UChar:
      os.write(reinterpret_cast<const char*>(&v.uc), 1);
      if (os.fail()) helper::throwWriteFailure("unsigned char", 548);
      return;
    case Kind::Double:
      streamRouteWrite(v.d, os);
      if (os.fail()) helper::throwWriteFailure("double", 644);
      return;
    case Kind::String:
      try {
        writeInt(os, static_cast<unsigned long>(v.s.size()), "unsigned long", 471);
      } catch (const KavSerialize::SerializationException& cause) {
        helper::throwWriteFailure(cause, "std::string", 851);
      }
      os.write(v.s.data(), static_cast<std::streamsize>(v.s.size()));
      if (os.fail()) helper::throwWriteFailure("std::string", 857);
      return;
    case Kind::Bytes:
      writeInt(os, static_cast<unsigned long>(v.bytes.size()), "unsigned long", 471);
      for (unsigned char c : v.bytes) {
        os.write(reinterpret_cast<const char*>(&c), 1);
        if (os.fail()) helper::throwWriteFailure("unsigned char", 548);
      }
      return;
    default:
      os.write(reinterpret_cast<const char*>(v.uuid.getUuid().bytes().data()), 16);
      if (os.fail()) {
        throw ExceptionFactory(UuidEntryDO::kFile, UuidEntryDO::kWriteLine)
            .createException<KavSerialize::SerializationException>(
                "Serializing of object %s failed", "UuidEntryDO");
      }
  }
}

// Reads into `v`, whose kind says what to read and whose members hold what was there before.
inline void read(Archive& is, Value& v) {
  switch (v.kind) {
    case Kind::LongLong:
      v.ll = 0;
      v.ll = readInt<long long>(is, 8, 0x0F, "long long", 425);
      return;
    case Kind::UShort:
      v.us = 0;
      v.us = readInt<unsigned short>(is, 2, 0x8F, "unsigned short", 443);
      return;
    case Kind::UInt:
      v.ui = 0;
      v.ui = readInt<unsigned int>(is, 4, 0x8F, "unsigned int", 461);
      return;
    case Kind::ULong:
      v.ul = 0;
      v.ul = readInt<unsigned long>(is, 4, 0x8F, "unsigned long", 479);
      return;
    case Kind::Bool: {
      const int c = is.get();
      if (c == std::char_traits<char>::eof()) helper::throwReadFailure("bool", 748);
      if (c != '0' && c != '1') helper::throwReadFailure("bool", 743);
      v.b = c == '1';
      return;
    }
    case Kind::UChar:
      is.read(reinterpret_cast<char*>(&v.uc), 1);
      if (is.fail()) helper::throwReadFailure("unsigned char", 557);
      return;
    case Kind::Double: {
      const int next = is.peek();
      if (next == 'i' || next == 'n' || next == 'N') {
        v.d = next == 'i' ? INFINITY : next == 'n' ? -INFINITY : fromBits(0x7FF8000000000000ull);
        for (int i = next == 'n' ? 4 : 3; i > 0; --i)
          is.get();
      } else {
        is >> v.d;
      }
      if (is.get() != ' ') helper::throwReadFailure("double", 652);
      return;
    }
    case Kind::String:
      try {
        unsigned long length = 0;
        try {
          length = readInt<unsigned long>(is, 4, 0x8F, "unsigned long", 479);
        } catch (const KavSerialize::SerializationException& cause) {
          helper::throwReadFailure(cause, "std::string", 873);
        }
        std::unique_ptr<char[]> buffer(new char[length + 1]);
        buffer[length] = '\0';
        is.read(buffer.get(), static_cast<std::streamsize>(length));
        v.s = buffer.get();
        if (is.fail()) helper::throwReadFailure("std::string", 882);
      } catch (...) {
        v.s.clear();
        throw;
      }
      return;
    case Kind::Bytes:
      v.bytes.resize(readInt<unsigned long>(is, 4, 0x8F, "unsigned long", 479));
      for (unsigned char& c : v.bytes) {
        is.read(reinterpret_cast<char*>(&c), 1);
        if (is.fail()) helper::throwReadFailure("unsigned char", 557);
      }
      return;
    default: {
      Uuid::Bytes bytes;
      is.read(reinterpret_cast<char*>(bytes.data()), 16);
      if (is.fail()) {
        throw ExceptionFactory(UuidEntryDO::kFile, UuidEntryDO::kReadLine)
            .createException<KavSerialize::SerializationException>(
                "Deserializing of object %s failed", "UuidEntryDO");
      }
      v.uuid.setUuid(Uuid(bytes));
    }
  }
}

}  // namespace route

namespace library {

inline void write(Archive& os, const Value& v) {
  switch (v.kind) {
    case Kind::LongLong:
      return KavSerialize::serialize(v.ll, os);
    case Kind::UShort:
      return KavSerialize::serialize(v.us, os);
    case Kind::UInt:
      return KavSerialize::serialize(v.ui, os);
    case Kind::ULong:
      return KavSerialize::serialize(v.ul, os);
    case Kind::Bool:
      return KavSerialize::serialize(v.b, os);
    case Kind::UChar:
      return KavSerialize::serialize(v.uc, os);
    case Kind::Double:
      return KavSerialize::serialize(v.d, os);
    case Kind::String:
      return KavSerialize::serialize(v.s, os);
    case Kind::Bytes:
      return KavSerialize::ser_helper::serialize_bytes(v.bytes, os);
    default:
      os << v.uuid;
  }
}

inline void read(Archive& is, Value& v) {
  switch (v.kind) {
    case Kind::LongLong:
      return KavSerialize::deserialize(v.ll, is);
    case Kind::UShort:
      return KavSerialize::deserialize(v.us, is);
    case Kind::UInt:
      return KavSerialize::deserialize(v.ui, is);
    case Kind::ULong:
      return KavSerialize::deserialize(v.ul, is);
    case Kind::Bool:
      return KavSerialize::deserialize(v.b, is);
    case Kind::UChar:
      return KavSerialize::deserialize(v.uc, is);
    case Kind::Double:
      return KavSerialize::deserialize(v.d, is);
    case Kind::String:
      return KavSerialize::deserialize(v.s, is);
    case Kind::Bytes:
      is >> v.bytes;
      return;
    default:
      is >> v.uuid;
  }
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
  if (library.failure != route.failure) {
    out << "failure \"" << library.failure << "\", the route's \"" << route.failure << "\"";
  } else if (library.completed != route.completed) {
    out << library.completed << " values completed, the route " << route.completed;
  } else if (library.state != route.state) {
    out << "state " << library.state << ", the route's " << route.state;
  } else if (library.count != route.count) {
    out << "gcount " << library.count << ", the route's " << route.count;
  } else if (library.bytes != route.bytes) {
    out << "bytes written differ";
  } else if (library.consumed != route.consumed) {
    out << library.consumed << " bytes consumed, the route " << route.consumed;
  } else {
    for (std::size_t i = 0; i < library.values.size(); ++i)
      if (!(library.values[i] == route.values[i])) out << "value " << i << " differs";
  }
  return out.str();
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_STREAMROUTE_H

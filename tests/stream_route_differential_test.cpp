// The codec's byte forms, first as literal examples of the format: what each kind of value
// writes, which inputs the decoders accept beyond what is written and which they reject. Then
// the codec against the stream's own member functions (tests/support/StreamRoute.h): random
// runs of values, written into buffers that fail at every byte and read from buffers that end
// at every byte or hand the bytes out in pieces, on streams that are plain, throw on failure,
// are tied or flush every write. Bytes, values, state, gcount, position and exceptions must be
// the same.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "libs/utilities/archive/Serialize"
#include "tests/support/StreamRoute.h"
#include "tests/support/TestStreams.h"

namespace {

using namespace testing_support;

constexpr double kInf = std::numeric_limits<double>::infinity();

constexpr auto of = [](auto... arguments) { return Value::of(arguments...); };
const auto ll = [](long long x) { return of(Kind::LongLong, &Value::ll, x); };
const auto text = [](const std::string& s) { return of(Kind::String, &Value::s, s); };
const auto dbl = [](double d) { return of(Kind::Double, &Value::d, d); };

std::string encode(const Value& v) {
  Archive archive;
  library::write(archive, v);
  return archive.str();
}

TEST(Codec, WritesTheFormatsExamplesAndReadsThemBack) {
  const std::vector<unsigned char> blob = {0x00, 0x7F, 0xFF};
  // clang-format off
  const std::pair<Value, const char*> cases[] = {
      {ll(0), "01 00"}, {ll(1), "01 01"}, {ll(-1), "81 01"}, {ll(255), "01 FF"},
      {ll(256), "02 00 01"}, {ll(-300), "82 2C 01"}, {ll(1000000000000LL), "05 00 10 A5 D4 E8"},
      {ll(std::numeric_limits<long long>::max()), "08 FF FF FF FF FF FF FF 7F"},
      {ll(std::numeric_limits<long long>::min()), "88 00 00 00 00 00 00 00 80"},
      {of(Kind::UShort, &Value::us, static_cast<unsigned short>(65535)), "02 FF FF"},
      {of(Kind::UInt, &Value::ui, 70000u), "03 70 11 01"},
      {of(Kind::ULong, &Value::ul, 4294967295ul), "04 FF FF FF FF"},
      {of(Kind::Bool, &Value::b, true), "31"}, {of(Kind::Bool, &Value::b, false), "30"},
      {of(Kind::UChar, &Value::uc, static_cast<unsigned char>(0xFF)), "FF"},
      {text(""), "01 00"}, {text("abc"), "01 03 61 62 63"},
      {of(Kind::Bytes, &Value::bytes, blob), "01 03 00 7F FF"},
      {of(Kind::Uuid, &Value::uuid, UuidEntryDO(Uuid::fromString("00112233-4455-6677-8899-aabbccddeeff"))),
       "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF"},
      {dbl(0.0), "30 20" /* "0 " */}, {dbl(-0.0), "2D 30 20" /* "-0 " */},
      {dbl(-2.5), "2D 32 2E 35 20" /* "-2.5 " */}, {dbl(100.0), "31 30 30 20" /* "100 " */},
      {dbl(kInf), "69 6E 66 20" /* "inf " */}, {dbl(-kInf), "6E 69 6E 66 20" /* "ninf " */}};
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(c.second, hex(encode(c.first))) << c.second;
    Archive archive(bytes(c.second));
    Value back = c.first.kind == Kind::LongLong ? ll(7) : of(c.first.kind, &Value::ll, 0LL);
    library::read(archive, back);
    EXPECT_TRUE(back == c.first) << c.second;
    EXPECT_EQ(EOF, archive.peek());
  }
  EXPECT_EQ("01 03 61 00 62", hex(encode(text(std::string("a\0b", 3)))));
  EXPECT_EQ(encode(text(std::string(300, 'q'))).substr(0, 3), bytes("02 2C 01"));
}

// What the decoders accept that no encoder writes: a count of zero, bits 4 to 6 of a header,
// a sign on zero, specials known by their first character, blanks before a number, a text
// cut at its first zero byte (the rest of it still consumed), and long texts in pieces.
TEST(Codec, ReadsWhatTheFormatAllowsBeyondWhatIsWritten) {
  const struct {
    const char* input;
    Value value;
    long long next;  // the value after it, -1 for none
    // clang-format off
  } accepted[] = {
      {"00 01 07", ll(0), 7}, {"81 00", ll(0), -1}, {"71 05", ll(5), -1},
      {"71 05", of(Kind::UShort, &Value::us, static_cast<unsigned short>(5)), -1},
      {"69 78 79 20", dbl(kInf), -1} /* "ixy " */, {"6E 6F 70 65 20", dbl(-kInf), -1} /* "nope " */,
      {"20 20 32 2E 35 20", dbl(2.5), -1} /* "  2.5 " */, {"01 03 61 00 62 01 07", text("a"), 7}};
  // clang-format on
  for (const auto& a : accepted) {
    Archive archive(bytes(a.input));
    Value back = a.value;
    back.ll = back.us = 9;
    back.d = 9;
    back.s = "old";
    library::read(archive, back);
    EXPECT_EQ(hex(encode(a.value)), hex(encode(back))) << a.input;
    long long next = -1;
    if (archive.peek() != EOF) KavSerialize::deserialize(next, archive);
    EXPECT_EQ(a.next, next) << a.input;
  }
  for (std::size_t length : {256u, 70000u}) {
    std::string value(length, 'x');
    for (std::size_t i = 0; i < length; ++i)
      value[i] = static_cast<char>(1 + i * 7 % 255);
    PieceSource source(encode(text(value)), 7);
    Archive archive(&source);
    Value back = text("old");
    library::read(archive, back);
    ASSERT_EQ(value, back.s);
  }
}

TEST(Codec, RejectsWhatTheFormatRules) {
  const auto wrapped = [](ExpectedFailure outer) {
    outer.causeReason = "Deserializing of object unsigned long failed";
    outer.causeLine = 479;
    return outer;
  };
  const struct {
    Kind kind;
    const char* input;
    ExpectedFailure failure;
    // clang-format off
  } cases[] = {
      {Kind::LongLong, "09 01 02 03 04 05 06 07 08 09", readFailure("long long", 425)},
      {Kind::UShort, "03 01 02 03", readFailure("unsigned short", 443)},
      {Kind::UInt, "05 01 02 03 04 05", readFailure("unsigned int", 461)},
      {Kind::ULong, "05 01 02 03 04 05", readFailure("unsigned long", 479)},
      {Kind::UShort, "81 01", readFailure("unsigned short", 443)},
      {Kind::UInt, "81 01", readFailure("unsigned int", 461)},
      {Kind::ULong, "81 01", readFailure("unsigned long", 479)},
      {Kind::Bool, "32", readFailure("bool", 743)}, {Kind::Bool, "20", readFailure("bool", 743)},
      {Kind::Bool, "", readFailure("bool", 748)}, {Kind::UChar, "", readFailure("unsigned char", 557)},
      // "1.5", "1.5;", "ixyz ", "abc ", "1e999 "
      {Kind::Double, "31 2E 35", readFailure("double", 652)},
      {Kind::Double, "31 2E 35 3B", readFailure("double", 652)},
      {Kind::Double, "69 78 79 7A 20", readFailure("double", 652)},
      {Kind::Double, "61 62 63 20", readFailure("double", 652)},
      {Kind::Double, "31 65 39 39 39 20", readFailure("double", 652)},
      {Kind::String, "05 00 00 00 00 00", wrapped(readFailure("std::string", 873))},
      {Kind::String, "81 01 41", wrapped(readFailure("std::string", 873))},
      {Kind::String, "01 04 41 42", readFailure("std::string", 882)},
      {Kind::String, "04 00 00 00 80 7A 7A", readFailure("std::string", 882)},
      {Kind::Bytes, "81 03", readFailure("unsigned long", 479)},
      {Kind::Bytes, "01 03 0A", readFailure("unsigned char", 557)}};
  // clang-format on
  for (const auto& c : cases) {
    Archive archive(bytes(c.input));
    Value target;
    target.kind = c.kind;
    expectThrows([&] { library::read(archive, target); }, c.failure);
  }
}

TEST(Codec, UnsignedLongAbove32BitsIsRefusedWithoutWriting) {
  if (sizeof(unsigned long) <= 4) GTEST_SKIP() << "unsigned long has 32 bits here";
  Archive archive;
  const unsigned long tooLarge = static_cast<unsigned long>(0xFFFFFFFFull) + 1;
  expectThrows([&] { KavSerialize::serialize(tooLarge, archive); },
               writeFailure("unsigned long", 471));
  EXPECT_TRUE(archive.good());
  EXPECT_EQ("", archive.str());
}

#ifdef DATAOBJECTS_EMULATED_TARGET
constexpr int kRuns = 60;  // under the emulator, a fifth
#else
constexpr int kRuns = 300;
#endif

std::vector<Value> randomRun(std::mt19937_64& random) {
  std::vector<Value> values;
  for (auto n = static_cast<std::size_t>(1 + random() % 6); n > 0; --n)
    values.push_back(randomValue(random, static_cast<Kind>(random() % int(Kind::Count))));
  return values;
}

TEST(StreamRouteDifferential, WritesMatchWhereverTheBufferFails) {
  std::mt19937_64 random(20261206);
  for (int run = 0; run < kRuns; ++run) {
    const std::vector<Value> values = randomRun(random);
    const std::string all = writeRun(false, values, 1 << 16, true, StreamSetup::Plain).bytes;
    for (std::size_t limit = 0; limit <= all.size(); ++limit) {
      for (bool buffered : {true, false}) {
        for (int setup = 0; setup < int(StreamSetup::Count); ++setup) {
          const auto s = static_cast<StreamSetup>(setup);
          ASSERT_EQ("", difference(writeRun(true, values, limit, buffered, s),
                                   writeRun(false, values, limit, buffered, s)))
              << "run " << run << ", room for " << limit << " bytes, buffered " << buffered
              << ", setup " << setup;
        }
      }
    }
  }
}

TEST(StreamRouteDifferential, ReadsMatchWhereverTheInputEndsOrBreaks) {
  std::mt19937_64 random(20261207);
  for (int run = 0; run < kRuns; ++run) {
    const std::vector<Value> values = randomRun(random);
    std::string bytes = writeRun(false, values, 1 << 16, true, StreamSetup::Plain).bytes;
    if (run % 3 == 0)
      bytes[static_cast<std::size_t>(random() % bytes.size())] ^=
          static_cast<char>(1 << (random() % 8));
    std::vector<Value> targets;  // of the same kinds, holding something else before
    for (const Value& v : values)
      targets.push_back(randomValue(random, v.kind));
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
      for (std::size_t piece : {0, 1, 3, 7, 1 << 16}) {
        for (StreamSetup setup : {StreamSetup::Plain, StreamSetup::Exceptions, StreamSetup::Tied}) {
          ASSERT_EQ("", difference(readRun(true, targets, bytes.substr(0, cut), piece, setup),
                                   readRun(false, targets, bytes.substr(0, cut), piece, setup)))
              << hex(bytes) << " run " << run << ", " << cut << " of " << bytes.size()
              << " bytes, pieces of " << piece << ", setup " << int(setup);
        }
      }
    }
  }
}

}  // namespace

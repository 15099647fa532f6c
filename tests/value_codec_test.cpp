// Doubles, strings and byte vectors on the wire.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"
#include "tests/support/TestStreams.h"

namespace {

using testing_support::bytes;
using testing_support::hex;
using testing_support::readFailure;
using testing_support::writeFailure;

std::string encodeDouble(double value) {
  Archive archive;
  KavSerialize::serialize(value, archive);
  return archive.str();
}

double fromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::uint64_t toBits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::string printfText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.35g", value);
  return std::string(text) + " ";
}

void expectRoundTrip(double value) {
  const std::string wire = encodeDouble(value);
  ASSERT_EQ(printfText(value), wire);
  Archive archive(wire);
  double back = 0;
  KavSerialize::deserialize(back, archive);
  ASSERT_EQ(toBits(value), toBits(back)) << wire;
}

TEST(DoubleCodec, WritesTheListedTexts) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0 "},
      {-0.0, "-0 "},
      {1.0, "1 "},
      {-2.5, "-2.5 "},
      {100.0, "100 "},
      {0.1, "0.1000000000000000055511151231257827 "},
      {1e300, "1.0000000000000000525047602552044202e+300 "},
      {std::numeric_limits<double>::max(), "1.7976931348623157081452742373170436e+308 "},
      {1e-5, "1.0000000000000000818030539140313095e-05 "},
      {std::numeric_limits<double>::infinity(), "inf "},
      {-std::numeric_limits<double>::infinity(), "ninf "},
      {std::numeric_limits<double>::quiet_NaN(), "NaN "},
      {-std::numeric_limits<double>::quiet_NaN(), "NaN "},
      {fromBits(0x7FF0000000000001ull), "NaN "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.text, encodeDouble(c.value));
  }
}

TEST(DoubleCodec, FiniteValuesMatchPrintfAndReadBackBitForBit) {
  std::vector<double> specials = {
      std::numeric_limits<double>::denorm_min(),
      -std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::min(),
      fromBits(0x000FFFFFFFFFFFFFull),
      std::numeric_limits<double>::max(),
      std::numeric_limits<double>::lowest(),
      -0.0,
      0.0,
      9007199254740993.0,
      123456789012345678901234567890.0,
  };
  for (int exponent = -320; exponent <= 308; ++exponent) {
    specials.push_back(std::pow(10.0, exponent));
    specials.push_back(-std::pow(10.0, exponent));
  }
  for (double value : specials)
    expectRoundTrip(value);

  std::mt19937_64 random(42);
  for (int i = 0; i < 200000; ++i) {
    const double value = fromBits(random());
    if (!std::isfinite(value)) continue;
    expectRoundTrip(value);
  }
}

TEST(DoubleCodec, ReadsSpecialsByTheirFirstCharacter) {
  struct Case {
    const char* text;
    std::uint64_t bits;
  } cases[] = {
      {"inf ", toBits(std::numeric_limits<double>::infinity())},
      {"ixy ", toBits(std::numeric_limits<double>::infinity())},
      {"ninf ", toBits(-std::numeric_limits<double>::infinity())},
      {"nope ", toBits(-std::numeric_limits<double>::infinity())},
      {"NaN ", 0x7FF8000000000000ull},
      {"  2.5 ", toBits(2.5)},  // the formatted extraction skips leading blanks
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Archive archive(c.text);
    double value = 0;
    KavSerialize::deserialize(value, archive);
    EXPECT_EQ(c.bits, toBits(value));
    EXPECT_EQ(std::char_traits<char>::eof(), archive.peek()) << "the blank is consumed";
  }
}

TEST(DoubleCodec, RejectsTextsWithoutTheirBlank) {
  for (const char* text : {"1.5", "1.5;", "ixyz ", "inf", "", "abc ", "NaN", "-", "1e999 "}) {
    SCOPED_TRACE(text);
    Archive archive{std::string(text)};
    double value = 0;
    testing_support::expectThrows([&] { KavSerialize::deserialize(value, archive); },
                                  readFailure("double", 652));
  }
  testing_support::LimitedSink sink(3);
  Archive archive(&sink);
  testing_support::expectThrows([&] { KavSerialize::serialize(0.25, archive); },
                                writeFailure("double", 644));
  EXPECT_EQ("0.2", sink.written());
}

TEST(DoubleCodec, LeavesTheStreamsFormatSettingsAsTheyWere) {
  Archive archive;
  archive.precision(3);
  archive.setf(std::ios_base::fixed, std::ios_base::floatfield);
  KavSerialize::serialize(0.5, archive);
  double back = 0;
  KavSerialize::deserialize(back, archive);
  EXPECT_EQ(3, archive.precision());
  EXPECT_EQ(std::ios_base::fixed, archive.flags() & std::ios_base::floatfield);
}

std::string encodeString(const std::string& value) {
  Archive archive;
  KavSerialize::serialize(value, archive);
  return archive.str();
}

TEST(StringCodec, WireFormAndZeroBytes) {
  EXPECT_EQ("01 00", hex(encodeString("")));
  EXPECT_EQ("01 03 61 62 63", hex(encodeString("abc")));
  const std::string withZero("a\0b", 3);
  EXPECT_EQ("01 03 61 00 62", hex(encodeString(withZero)));

  Archive archive(encodeString(withZero) + bytes("01 05"));
  std::string text = "old";
  KavSerialize::deserialize(text, archive);
  EXPECT_EQ("a", text) << "the text ends at the first zero byte";
  long long next = 0;
  KavSerialize::deserialize(next, archive);
  EXPECT_EQ(5, next) << "but every byte of the body was consumed";

  std::mt19937 random(7);
  for (std::size_t length : {1u, 255u, 256u, 65535u, 65536u, 200000u}) {
    std::string value(length, 'x');
    for (char& c : value)
      c = static_cast<char>(1 + random() % 255);
    Archive round(encodeString(value));
    std::string back;
    KavSerialize::deserialize(back, round);
    ASSERT_EQ(value, back);
  }
}

TEST(StringCodec, ReadFailuresLeaveTheTargetEmpty) {
  struct Case {
    const char* label;
    std::string wire;
    testing_support::ExpectedFailure failure;
  } cases[] = {
      {"count above 4", bytes("05 00 00 00 00 00"), readFailure("std::string", 873)},
      {"sign bit", bytes("81 01 41"), readFailure("std::string", 873)},
      {"length cut", bytes("02 01"), readFailure("std::string", 873)},
      {"body short", bytes("01 04 41 42"), readFailure("std::string", 882)},
      {"4 GiB announced, ten bytes there", bytes("04 FF FF FF FF") + std::string(10, 'z'),
       readFailure("std::string", 882)},
      {"2 GiB announced", bytes("04 00 00 00 80") + std::string(100, 'z'),
       readFailure("std::string", 882)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.failure.line == 873) {
      c.failure.causeReason = "Deserializing of object unsigned long failed";
      c.failure.causeLine = 479;
    }
    Archive archive(c.wire);
    std::string target = "previous";
    testing_support::expectThrows([&] { KavSerialize::deserialize(target, archive); }, c.failure);
    EXPECT_EQ("", target);
  }
}

TEST(StringCodec, WriteFailuresNameTheLengthOrTheBody) {
  auto lengthFailure = writeFailure("std::string", 851);
  lengthFailure.causeReason = "Serializing of object unsigned long failed";
  lengthFailure.causeLine = 471;
  for (std::size_t limit = 0; limit < 6; ++limit) {
    SCOPED_TRACE(limit);
    testing_support::LimitedSink sink(limit);
    Archive archive(&sink);
    testing_support::expectThrows([&] { KavSerialize::serialize(std::string("hello"), archive); },
                                  limit < 2 ? lengthFailure : writeFailure("std::string", 857));
  }
}

TEST(ByteVectorCodec, WireFormMatchesTheString) {
  std::vector<unsigned char> blob(300);
  for (std::size_t i = 0; i < blob.size(); ++i)
    blob[i] = static_cast<unsigned char>(i * 7);
  Archive archive;
  KavSerialize::serialize(blob, archive);
  EXPECT_EQ(bytes("02 2C 01"), archive.str().substr(0, 3));
  EXPECT_EQ(encodeString(std::string(blob.begin(), blob.end())), archive.str());

  std::vector<unsigned char> back(5, 0xEE);
  archive >> back;
  EXPECT_EQ(blob, back);

  Archive empty;
  KavSerialize::serialize(std::vector<unsigned char>(), empty);
  EXPECT_EQ("01 00", hex(empty.str()));
}

TEST(ByteVectorCodec, ReadResizesThenFillsAndStopsAtTheFirstMissingByte) {
  struct Case {
    const char* label;
    std::string wire;
    std::vector<unsigned char> expected;
    int line;  // 0: no failure
  } cases[] = {
      {"shrinks to the count", bytes("01 03 0A 0B 0C"), {0x0A, 0x0B, 0x0C}, 0},
      {"one byte of three", bytes("01 03 0A"), {0x0A, 2, 3}, 557},
      {"none of seven: grows with zeros", bytes("01 07"), {1, 2, 3, 4, 5, 0, 0}, 557},
      {"count fails: unchanged", bytes("81 03"), {1, 2, 3, 4, 5}, 479},
      {"empty", bytes("01 00"), {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Archive archive(c.wire);
    std::vector<unsigned char> target = {1, 2, 3, 4, 5};
    if (c.line == 0) {
      archive >> target;
    } else {
      testing_support::expectThrows(
          [&] { archive >> target; },
          c.line == 479 ? readFailure("unsigned long", 479) : readFailure("unsigned char", 557));
    }
    EXPECT_EQ(c.expected, target);
  }
}

TEST(ByteVectorCodec, WriteFailuresNameTheCountOrAByte) {
  const std::vector<unsigned char> blob(300, 0x55);
  for (std::size_t limit : {0u, 2u, 3u, 4u, 302u}) {
    SCOPED_TRACE(limit);
    testing_support::LimitedSink sink(limit);
    Archive archive(&sink);
    testing_support::expectThrows(
        [&] { KavSerialize::serialize(blob, archive); },
        limit < 3 ? writeFailure("unsigned long", 471) : writeFailure("unsigned char", 548));
    EXPECT_EQ(limit, sink.written().size());
  }
}

}  // namespace

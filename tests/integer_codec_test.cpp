// Integers, bool and unsigned char on the wire.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"
#include "tests/support/TestStreams.h"

namespace {

using testing_support::bytes;
using testing_support::hex;
using testing_support::readFailure;
using testing_support::writeFailure;

template <class T>
std::string encode(T value) {
  Archive archive;
  KavSerialize::serialize(value, archive);
  return archive.str();
}

template <class T>
T decode(const std::string& wire) {
  Archive archive(wire);
  T value{};
  KavSerialize::deserialize(value, archive);
  return value;
}

// Written from the format description, independently of the codec: the payload length is the
// number of significant bytes of the magnitude.
std::string referenceEncoding(std::uint64_t magnitude, bool negative) {
  int n = 1;
  while (n < 8 && (magnitude >> (8 * n)) != 0)
    ++n;
  std::string out(1, static_cast<char>((negative ? 0x80 : 0) | n));
  for (int i = 0; i < n; ++i)
    out.push_back(static_cast<char>((magnitude >> (8 * i)) & 0xFF));
  return out;
}

TEST(IntegerCodec, WritesTheListedExamples) {
  struct Case {
    long long value;
    const char* wire;
  } cases[] = {
      {0, "01 00"},
      {1, "01 01"},
      {-1, "81 01"},
      {255, "01 FF"},
      {256, "02 00 01"},
      {300, "02 2C 01"},
      {-300, "82 2C 01"},
      {1000000000000LL, "05 00 10 A5 D4 E8"},
      {std::numeric_limits<long long>::max(), "08 FF FF FF FF FF FF FF 7F"},
      {std::numeric_limits<long long>::min(), "88 00 00 00 00 00 00 00 80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.wire, hex(encode(c.value)));
    EXPECT_EQ(c.value, decode<long long>(bytes(c.wire)));
  }
  EXPECT_EQ("02 FF FF", hex(encode<unsigned short>(65535)));
  EXPECT_EQ("03 70 11 01", hex(encode<unsigned int>(70000)));
  EXPECT_EQ("04 FF FF FF FF", hex(encode<unsigned long>(4294967295UL)));
}

TEST(IntegerCodec, RandomValuesMatchTheReferenceEncoderAndRoundTrip) {
  std::mt19937_64 random(20261205);
  for (int i = 0; i < 20000; ++i) {
    // Spread the values over every payload length.
    const std::uint64_t bits = random() >> (random() % 64);
    const long long signedValue = static_cast<long long>(i % 2 ? bits : 0 - bits);
    const std::uint64_t magnitude = signedValue < 0 ? 0 - static_cast<std::uint64_t>(signedValue)
                                                    : static_cast<std::uint64_t>(signedValue);
    ASSERT_EQ(hex(referenceEncoding(magnitude, signedValue < 0)), hex(encode(signedValue)));
    ASSERT_EQ(signedValue, decode<long long>(encode(signedValue)));

    const auto u16 = static_cast<unsigned short>(bits);
    const auto u32 = static_cast<unsigned int>(bits);
    const auto ul = static_cast<unsigned long>(static_cast<std::uint32_t>(bits));
    ASSERT_EQ(hex(referenceEncoding(u16, false)), hex(encode(u16)));
    ASSERT_EQ(hex(referenceEncoding(u32, false)), hex(encode(u32)));
    ASSERT_EQ(hex(referenceEncoding(ul, false)), hex(encode(ul)));
    ASSERT_EQ(u16, decode<unsigned short>(encode(u16)));
    ASSERT_EQ(u32, decode<unsigned int>(encode(u32)));
    ASSERT_EQ(ul, decode<unsigned long>(encode(ul)));
  }
}

TEST(IntegerCodec, ReaderIgnoresBitsFourToSixAndAcceptsACountOfZero) {
  EXPECT_EQ(0, decode<long long>(bytes("81 00")));
  EXPECT_EQ(5, decode<long long>(bytes("71 05")));
  EXPECT_EQ(5u, decode<unsigned short>(bytes("71 05")));

  // A count of 0 reads as 0 and takes no payload byte: the next value starts right after it.
  Archive archive(bytes("00 01 07"));
  long long zero = 9, next = 0;
  KavSerialize::deserialize(zero, archive);
  KavSerialize::deserialize(next, archive);
  EXPECT_EQ(0, zero);
  EXPECT_EQ(7, next);
  EXPECT_EQ(0u, decode<unsigned long>(bytes("00")));
}

template <class T>
void expectRejected(const std::string& wire, const char* type, int line, std::streamoff consumed) {
  Archive archive(wire);
  T target = 7;
  testing_support::expectThrows([&] { KavSerialize::deserialize(target, archive); },
                                readFailure(type, line));
  EXPECT_EQ(T(0), target) << "a failed integer read leaves 0";
  archive.clear();
  EXPECT_EQ(consumed, static_cast<std::streamoff>(archive.tellg()));
}

TEST(IntegerCodec, RejectsLargeCountsSignBitsAndShortInput) {
  SCOPED_TRACE("count above the type's limit: rejected before any payload byte");
  expectRejected<long long>(bytes("09 01 02 03 04 05 06 07 08 09"), "long long", 425, 1);
  expectRejected<unsigned short>(bytes("03 01 02 03"), "unsigned short", 443, 1);
  expectRejected<unsigned int>(bytes("05 01 02 03 04 05"), "unsigned int", 461, 1);
  expectRejected<unsigned long>(bytes("05 01 02 03 04 05"), "unsigned long", 479, 1);

  SCOPED_TRACE("a sign bit is refused by every unsigned decoder");
  expectRejected<unsigned short>(bytes("81 01"), "unsigned short", 443, 1);
  expectRejected<unsigned int>(bytes("81 01"), "unsigned int", 461, 1);
  expectRejected<unsigned long>(bytes("81 01"), "unsigned long", 479, 1);

  SCOPED_TRACE("short input: the payload is cut, or there is nothing at all");
  expectRejected<long long>(bytes("03 01 02"), "long long", 425, 3);
  expectRejected<unsigned short>(bytes("02 01"), "unsigned short", 443, 2);
  expectRejected<unsigned int>(bytes("04 01 02 03"), "unsigned int", 461, 4);
  expectRejected<unsigned long>(bytes("03 01 02"), "unsigned long", 479, 3);
  expectRejected<long long>("", "long long", 425, 0);
}

TEST(IntegerCodec, UnsignedLongAbove32BitsIsRefusedWithoutWriting) {
  if (sizeof(unsigned long) <= 4) GTEST_SKIP() << "unsigned long has 32 bits here";
  Archive archive;
  const unsigned long tooLarge = static_cast<unsigned long>(0xFFFFFFFFull) + 1;
  testing_support::expectThrows([&] { KavSerialize::serialize(tooLarge, archive); },
                                writeFailure("unsigned long", 471));
  EXPECT_TRUE(archive.good());
  EXPECT_EQ("", archive.str());
}

TEST(BoolAndByteCodec, WireFormAndFailures) {
  EXPECT_EQ("31", hex(encode(true)));
  EXPECT_EQ("30", hex(encode(false)));
  EXPECT_TRUE(decode<bool>(bytes("31")));
  EXPECT_FALSE(decode<bool>(bytes("30")));
  EXPECT_EQ("00 7F FF", hex(encode<unsigned char>(0) + encode<unsigned char>(0x7F) +
                            encode<unsigned char>(0xFF)));

  struct Case {
    std::string wire;
    int line;
  } boolCases[] = {{bytes("32"), 743}, {"", 748}, {" ", 743}};
  for (const Case& c : boolCases) {
    SCOPED_TRACE(hex(c.wire));
    Archive archive(c.wire);
    bool target = true;
    testing_support::expectThrows([&] { KavSerialize::deserialize(target, archive); },
                                  readFailure("bool", c.line));
    EXPECT_TRUE(target) << "a failed bool read leaves the target as it was";
  }

  Archive empty;
  unsigned char byte = 0x42;
  testing_support::expectThrows([&] { KavSerialize::deserialize(byte, empty); },
                                readFailure("unsigned char", 557));
  EXPECT_EQ(0x42, byte);
}

TEST(IntegerCodec, EveryEncoderReportsAFailedStreamWithItsLine) {
  struct Case {
    const char* type;
    int line;
    std::function<void(std::ostream&)> write;
  } cases[] = {
      {"long long", 417, [](std::ostream& os) { KavSerialize::serialize(-5LL, os); }},
      {"unsigned short", 435,
       [](std::ostream& os) { KavSerialize::serialize(static_cast<unsigned short>(5), os); }},
      {"unsigned int", 453, [](std::ostream& os) { KavSerialize::serialize(5u, os); }},
      {"unsigned long", 471, [](std::ostream& os) { KavSerialize::serialize(5ul, os); }},
      {"bool", 723, [](std::ostream& os) { KavSerialize::serialize(true, os); }},
      {"unsigned char", 548,
       [](std::ostream& os) { KavSerialize::serialize(static_cast<unsigned char>(5), os); }},
  };
  for (const Case& c : cases) {
    for (std::size_t limit : {0, 1}) {
      if (limit == 1 && (std::string(c.type) == "bool" || std::string(c.type) == "unsigned char"))
        continue;  // one byte is the whole value
      SCOPED_TRACE(std::string(c.type) + " with room for " + std::to_string(limit));
      testing_support::LimitedSink sink(limit);
      Archive archive(&sink);
      testing_support::expectThrows([&] { c.write(archive); }, writeFailure(c.type, c.line));
    }
  }
}

}  // namespace

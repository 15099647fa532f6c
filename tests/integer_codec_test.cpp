// Integers, bool and unsigned char on the wire.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "libs/utilities/archive/Serialize"
#include "tests/support/TestStreams.h"

namespace {

using namespace testing_support;

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

// Written from the format description, independently of the codec.
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
  // clang-format off
  const struct {
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
  // clang-format on
  for (const auto& c : cases) {
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
    const std::uint64_t bits = random() >> (random() % 64);  // every payload length
    const long long value = static_cast<long long>(i % 2 ? bits : 0 - bits);
    const std::uint64_t magnitude =
        static_cast<std::uint64_t>(value < 0 ? -(value + 1) : value) + (value < 0);
    ASSERT_EQ(referenceEncoding(magnitude, value < 0), encode(value));
    ASSERT_EQ(value, decode<long long>(encode(value)));
    const auto u16 = static_cast<unsigned short>(bits);
    const auto u32 = static_cast<unsigned int>(bits);
    const auto ul = static_cast<unsigned long>(static_cast<std::uint32_t>(bits));
    ASSERT_EQ(referenceEncoding(u16, false), encode(u16));
    ASSERT_EQ(referenceEncoding(u32, false), encode(u32));
    ASSERT_EQ(referenceEncoding(ul, false), encode(ul));
    ASSERT_EQ(u16, decode<unsigned short>(encode(u16)));
    ASSERT_EQ(u32, decode<unsigned int>(encode(u32)));
    ASSERT_EQ(ul, decode<unsigned long>(encode(ul)));
  }
}

TEST(IntegerCodec, ReaderIgnoresBitsFourToSixAndTakesACountOfZeroAsZero) {
  EXPECT_EQ(0, decode<long long>(bytes("81 00")));
  EXPECT_EQ(5, decode<long long>(bytes("71 05")));
  EXPECT_EQ(5u, decode<unsigned short>(bytes("71 05")));
  Archive archive(bytes("00 01 07"));  // no payload byte is taken for a count of 0
  long long zero = 9, next = 0;
  KavSerialize::deserialize(zero, archive);
  KavSerialize::deserialize(next, archive);
  EXPECT_EQ(0, zero);
  EXPECT_EQ(7, next);
}

template <class T>
void expectRejected(const std::string& wire, const char* type, int line, std::streamoff taken) {
  SCOPED_TRACE(type + (" " + hex(wire)));
  Archive archive(wire);
  T target = 7;
  expectThrows([&] { KavSerialize::deserialize(target, archive); }, readFailure(type, line));
  EXPECT_EQ(T(0), target);
  archive.clear();
  EXPECT_EQ(taken, static_cast<std::streamoff>(archive.tellg())) << "bytes consumed";
}

TEST(IntegerCodec, RejectsLargeCountsSignBitsAndShortInputLeavingZero) {
  expectRejected<long long>(bytes("09 01 02 03 04 05 06 07 08 09"), "long long", 425, 1);
  expectRejected<unsigned short>(bytes("03 01 02 03"), "unsigned short", 443, 1);
  expectRejected<unsigned int>(bytes("05 01 02 03 04 05"), "unsigned int", 461, 1);
  expectRejected<unsigned long>(bytes("05 01 02 03 04 05"), "unsigned long", 479, 1);
  expectRejected<unsigned short>(bytes("81 01"), "unsigned short", 443, 1);
  expectRejected<unsigned int>(bytes("81 01"), "unsigned int", 461, 1);
  expectRejected<unsigned long>(bytes("81 01"), "unsigned long", 479, 1);
  expectRejected<long long>(bytes("03 01 02"), "long long", 425, 3);
  expectRejected<unsigned short>(bytes("02 01"), "unsigned short", 443, 2);
  expectRejected<unsigned int>(bytes("04 01 02 03"), "unsigned int", 461, 4);
  expectRejected<unsigned long>("", "unsigned long", 479, 0);
}

TEST(IntegerCodec, UnsignedLongAbove32BitsIsRefusedWithoutWriting) {
  if (sizeof(unsigned long) <= 4) GTEST_SKIP() << "unsigned long has 32 bits here";
  Archive archive;
  const unsigned long tooLarge = static_cast<unsigned long>(0xFFFFFFFFull) + 1;
  expectThrows([&] { KavSerialize::serialize(tooLarge, archive); },
               writeFailure("unsigned long", 471));
  EXPECT_TRUE(archive.good());
  EXPECT_EQ("", archive.str());
}

TEST(BoolAndByteCodec, WireFormAndFailuresLeaveTheTarget) {
  EXPECT_EQ("31 30 00 FF", hex(encode(true) + encode(false) + encode<unsigned char>(0) +
                               encode<unsigned char>(0xFF)));
  EXPECT_TRUE(decode<bool>(bytes("31")));
  EXPECT_FALSE(decode<bool>(bytes("30")));
  for (const auto& c : {std::make_pair(bytes("32"), 743), {" ", 743}, {"", 748}}) {
    Archive archive(c.first);
    bool target = true;
    expectThrows([&] { KavSerialize::deserialize(target, archive); },
                 readFailure("bool", c.second));
    EXPECT_TRUE(target);
  }
  Archive empty;
  unsigned char byte = 0x42;
  expectThrows([&] { KavSerialize::deserialize(byte, empty); }, readFailure("unsigned char", 557));
  EXPECT_EQ(0x42, byte);
}

TEST(IntegerCodec, EveryEncoderReportsAFailedStreamWithItsLine) {
  const struct {
    const char* type;
    int line;
    std::function<void(std::ostream&)> write;
  } cases[] = {
      {"long long", 417, [](std::ostream& os) { KavSerialize::serialize(-300LL, os); }},
      {"unsigned short", 435,
       [](std::ostream& os) { KavSerialize::serialize((unsigned short)300, os); }},
      {"unsigned int", 453, [](std::ostream& os) { KavSerialize::serialize(300u, os); }},
      {"unsigned long", 471, [](std::ostream& os) { KavSerialize::serialize(300ul, os); }},
      {"bool", 723, [](std::ostream& os) { KavSerialize::serialize(true, os); }},
      {"unsigned char", 548,
       [](std::ostream& os) { KavSerialize::serialize((unsigned char)5, os); }},
  };
  for (const auto& c : cases) {
    for (std::size_t limit : {0, 1}) {  // no room at all; room for the header only
      if (limit == 1 && c.line >= 548) continue;
      LimitedSink sink(limit);
      Archive archive(&sink);
      expectThrows([&] { c.write(archive); }, writeFailure(c.type, c.line));
    }
  }
}

}  // namespace

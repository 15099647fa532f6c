// Doubles, strings and byte vectors on the wire.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "libs/utilities/archive/Serialize"
#include "tests/support/DoubleStreamRoute.h"
#include "tests/support/TestStreams.h"

namespace {

using namespace testing_support;
using Blob = std::vector<unsigned char>;
constexpr double kInf = std::numeric_limits<double>::infinity();

template <class T>
std::string encode(const T& value) {
  Archive archive;
  KavSerialize::serialize(value, archive);
  return archive.str();
}
std::string encode(const Blob& value) {
  Archive archive;
  KavSerialize::ser_helper::serialize_bytes(value, archive);
  return archive.str();
}

TEST(DoubleCodec, WritesTheListedTexts) {
  // clang-format off
  const std::pair<double, const char*> cases[] = {
      {0.0, "0 "}, {-0.0, "-0 "}, {1.0, "1 "}, {-2.5, "-2.5 "}, {100.0, "100 "},
      {0.1, "0.1000000000000000055511151231257827 "},
      {1e300, "1.0000000000000000525047602552044202e+300 "},
      {std::numeric_limits<double>::max(), "1.7976931348623157081452742373170436e+308 "},
      {1e-5, "1.0000000000000000818030539140313095e-05 "},
      {kInf, "inf "}, {-kInf, "ninf "}, {std::nan(""), "NaN "}, {-std::nan(""), "NaN "},
      {fromBits(0x7FF0000000000001ull), "NaN "},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(c.second, encode(c.first));
}

TEST(DoubleCodec, ReadsSpecialsByTheirFirstCharacterAndNeedsTheBlank) {
  // clang-format off
  const std::pair<const char*, std::uint64_t> accepted[] = {
      {"inf ", toBits(kInf)}, {"ixy ", toBits(kInf)}, {"ninf ", toBits(-kInf)},
      {"nope ", toBits(-kInf)}, {"NaN ", 0x7FF8000000000000ull}, {"  2.5 ", toBits(2.5)}};
  // clang-format on
  for (const auto& c : accepted) {
    Archive archive(c.first);
    double value = 0;
    KavSerialize::deserialize(value, archive);
    EXPECT_EQ(c.second, toBits(value)) << c.first;
    EXPECT_EQ(EOF, archive.peek()) << "the blank is consumed";
  }
  for (const char* text : {"1.5", "1.5;", "ixyz ", "inf", "", "abc ", "NaN", "-", "1e999 "}) {
    Archive archive{std::string(text)};
    double value = 0;
    expectThrows([&] { KavSerialize::deserialize(value, archive); }, readFailure("double", 652));
  }
}

TEST(DoubleCodec, WriteFailureAndTheStreamsFormatSettings) {
  LimitedSink sink(3);
  Archive failing(&sink);
  expectThrows([&] { KavSerialize::serialize(0.25, failing); }, writeFailure("double", 644));
  EXPECT_EQ("0.2", sink.written());

  Archive archive;
  archive.precision(3);
  archive.setf(std::ios_base::fixed, std::ios_base::floatfield);
  KavSerialize::serialize(0.5, archive);
  double back = 0;
  KavSerialize::deserialize(back, archive);
  EXPECT_EQ(3, archive.precision()) << "precision and flags are restored";
  EXPECT_EQ(std::ios_base::fixed, archive.flags() & std::ios_base::floatfield);
}

TEST(StringCodec, WireFormZeroBytesAndLongTexts) {
  EXPECT_EQ("01 00", hex(encode(std::string())));
  EXPECT_EQ("01 03 61 62 63", hex(encode(std::string("abc"))));
  EXPECT_EQ("01 03 61 00 62", hex(encode(std::string("a\0b", 3))));
  Archive archive(bytes("01 03 61 00 62 01 05"));
  std::string text = "old";
  long long next = 0;
  KavSerialize::deserialize(text, archive);
  KavSerialize::deserialize(next, archive);
  EXPECT_EQ("a", text) << "the text ends at the first zero byte";
  EXPECT_EQ(5, next) << "but the whole body was consumed";

  std::mt19937 random(7);
  for (std::size_t length : {255u, 256u, 65536u, 200000u}) {
    std::string value(length, 'x');
    for (char& c : value)
      c = static_cast<char>(1 + random() % 255);
    Archive round(encode(value));
    std::string back;
    KavSerialize::deserialize(back, round);
    ASSERT_EQ(value, back);
  }
}

// A source that hands out its bytes a few at a time, as a socket does: the reader cannot see the
// whole body at once and takes it in pieces.
class Trickle : public std::streambuf {
 public:
  explicit Trickle(std::string bytes) : bytes_(std::move(bytes)) {}

 protected:
  int_type underflow() override {
    if (next_ >= bytes_.size()) return traits_type::eof();
    const std::size_t n = std::min<std::size_t>(7, bytes_.size() - next_);
    setg(&bytes_[next_], &bytes_[next_], &bytes_[next_] + n);
    next_ += n;
    return traits_type::to_int_type(bytes_[next_ - n]);
  }

 private:
  std::string bytes_;
  std::size_t next_ = 0;
};

TEST(StringCodec, ReadsALongBodyThatArrivesInPieces) {
  const std::string text(300000, 't');
  Trickle source(encode(text) + bytes("01 05"));
  Archive archive(&source);
  std::string back;
  long long next = 0;
  KavSerialize::deserialize(back, archive);
  KavSerialize::deserialize(next, archive);
  EXPECT_EQ(text, back);
  EXPECT_EQ(5, next);
}

TEST(StringCodec, FailuresLeaveTheTargetEmpty) {
  ExpectedFailure length = readFailure("std::string", 873);
  length.causeReason = "Deserializing of object unsigned long failed";
  length.causeLine = 479;
  // clang-format off
  const std::pair<std::string, ExpectedFailure> reads[] = {
      {bytes("05 00 00 00 00 00"), length}, {bytes("81 01 41"), length}, {bytes("02 01"), length},
      {bytes("01 04 41 42"), readFailure("std::string", 882)},
      {bytes("04 FF FF FF FF") + std::string(10, 'z'), readFailure("std::string", 882)},
      {bytes("04 00 00 00 80") + std::string(100, 'z'), readFailure("std::string", 882)}};
  // clang-format on
  for (const auto& c : reads) {
    Archive archive(c.first);
    std::string target = "previous";
    expectThrows([&] { KavSerialize::deserialize(target, archive); }, c.second);
    EXPECT_EQ("", target);
  }

  ExpectedFailure lengthWrite = writeFailure("std::string", 851);
  lengthWrite.causeReason = "Serializing of object unsigned long failed";
  lengthWrite.causeLine = 471;
  for (std::size_t limit = 0; limit < 6; ++limit) {
    LimitedSink sink(limit);
    Archive archive(&sink);
    expectThrows([&] { KavSerialize::serialize(std::string("hello"), archive); },
                 limit < 2 ? lengthWrite : writeFailure("std::string", 857));
  }
}

TEST(ByteVectorCodec, SameBytesAsTheStringAndWriteFailures) {
  Blob blob(300);
  for (std::size_t i = 0; i < blob.size(); ++i)
    blob[i] = static_cast<unsigned char>(i * 7);
  EXPECT_EQ("02 2C 01", hex(encode(blob).substr(0, 3)));
  EXPECT_EQ(encode(std::string(blob.begin(), blob.end())), encode(blob));
  EXPECT_EQ("01 00", hex(encode(Blob())));
  for (std::size_t limit : {0u, 2u, 3u, 4u, 302u}) {
    LimitedSink sink(limit);
    Archive archive(&sink);
    expectThrows(
        [&] { KavSerialize::ser_helper::serialize_bytes(blob, archive); },
        limit < 3 ? writeFailure("unsigned long", 471) : writeFailure("unsigned char", 548));
    EXPECT_EQ(limit, sink.written().size());
  }
}

TEST(ByteVectorCodec, ReadResizesThenFillsUpToTheFirstMissingByte) {
  // clang-format off
  const struct { std::string wire; Blob expected; int line; } cases[] = {
      {bytes("01 03 0A 0B 0C"), {0x0A, 0x0B, 0x0C}, 0},  // shrinks to the count
      {bytes("01 03 0A"), {0x0A, 2, 3}, 557},             // one byte of three
      {bytes("01 07"), {1, 2, 3, 4, 5, 0, 0}, 557},       // grows with zeros
      {bytes("81 03"), {1, 2, 3, 4, 5}, 479},             // the count fails: unchanged
      {bytes("01 00"), {}, 0}};
  // clang-format on
  for (const auto& c : cases) {
    Archive archive(c.wire);
    Blob target = {1, 2, 3, 4, 5};
    if (c.line == 0) {
      archive >> target;
    } else {
      expectThrows([&] { archive >> target; }, c.line == 479 ? readFailure("unsigned long", 479)
                                                             : readFailure("unsigned char", 557));
    }
    EXPECT_EQ(c.expected, target) << hex(c.wire);
  }
}

}  // namespace

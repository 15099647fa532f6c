// The double codec against the straightforward stream route it must match character for
// character: formatted insertion with precision 35 when writing, formatted extraction when
// reading.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "libs/utilities/archive/Serialize"
#include "libs/utilities/archive/detail/DoubleText.h"
#include "tests/support/DoubleStreamRoute.h"

namespace {

// Under an emulator (the 32-bit ARM run) a fifth of the samples keeps the suite quick.
#ifdef DATAOBJECTS_EMULATED_TARGET
constexpr int kScale = 5;
#else
constexpr int kScale = 1;
#endif

using namespace testing_support;

ReadOutcome referenceRead(const std::string& text) {
  return streamRouteRead(text, 0.5);
}

ReadOutcome libraryRead(const std::string& text) {
  Archive archive(text);
  double value = 0.5;
  const bool failed = KavSerialize::deserialize_floating_point<double>(value, archive);
  return readOutcome(failed, value, archive);
}

std::string libraryText(double value) {
  Archive archive;
  KavSerialize::serialize(value, archive);
  return archive.str();
}

// Random bit patterns, then the classes where formatting goes wrong first.
std::vector<double> sampleValues() {
  std::mt19937_64 random(20261205);
  std::vector<double> values;
  for (int i = 0; i < 1000000 / kScale; ++i)
    values.push_back(fromBits(random()));
  // clang-format off
  const double limits[] = {
      std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
      fromBits(0x000FFFFFFFFFFFFFull) /* the largest subnormal */,
      std::numeric_limits<double>::max(), std::numeric_limits<double>::epsilon(), 0.0, INFINITY,
      std::nan(""), 9007199254740993.0, 0.1, 1e-5, 999999999.0, 1e9};
  // clang-format on
  values.insert(values.end(), std::begin(limits), std::end(limits));
  for (int e = -324; e <= 308; ++e) {
    const double p = std::pow(10.0, e);
    values.insert(values.end(), {p, std::nextafter(p, 0.0), std::nextafter(p, INFINITY)});
  }
  for (int e = -1074; e <= 1023; ++e)
    values.push_back(std::ldexp(1.0, e));
  for (int i = 0; i < 100000 / kScale; ++i) {  // whole numbers of every size, and their neighbours
    const double whole = std::trunc(
        std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 80) - 20));
    values.insert(values.end(),
                  {whole, std::nextafter(whole, 0.0), std::nextafter(whole, INFINITY)});
  }
  for (double edge : {9.2e18, 9223372036854775807.0, 9007199254740992.0, 18446744073709551616.0,
                      1e35, 1e34, 99999999999999999999999999999999999.0}) {
    values.insert(values.end(), {edge, std::nextafter(edge, 0.0), std::nextafter(edge, INFINITY)});
  }
  // m * 2^-j whose exact expansion has about 35 significant digits: ties and near ties of the
  // last digit kept. Then the decades where the formatter's powers of five stop being exact.
  for (int i = 0; i < 200000 / kScale; ++i) {
    const auto m = static_cast<double>((random() >> (11 + random() % 52)) | 1);
    const long j = std::lround((35.5 - std::log10(m)) / std::log10(5.0)) + (i % 3) - 1;
    values.push_back(std::ldexp(m, static_cast<int>(-j)));
  }
  for (int i = 0; i < 30000 / kScale; ++i) {
    const int decades[] = {-35, -34, -33, -32, 33, 34, 35, 36};
    values.push_back(std::ldexp(static_cast<double>(random() >> 11), -53) * 10 *
                     std::pow(10.0, decades[i % 8]));
  }
  // Values whose 36th digit and beyond lie within 1e-13 of half a unit of the 35th (found by
  // lattice reduction): where the powers of five are truncated, the formatter cannot round them
  // with its own arithmetic.
  for (std::uint64_t bits :
       {0x00000012D793FF98ull, 0x00006F3B546615D9ull, 0x04B83265C13299B7ull, 0x113629141F5CB722ull,
        0x113C35990C48DFC6ull, 0x23F23ABD73CDB578ull, 0x3076D638AC8CC5CBull, 0x36BFEA43F7EC46DCull,
        0x3897801D81EA5C95ull, 0x390371BA39EBB683ull, 0x39D8A36A0F195B2Cull, 0x4FB4B4D488EB0E63ull,
        0x4FBD5B49B51A9E09ull, 0x5C3B8D382C64A3B9ull, 0x6EFF755E9401435Dull, 0x7B7F7F6C71AE3B4Full,
        0x7F30DC8A933DD431ull, 0x34DD75917BF5007Cull, 0x341C8C3AA4C4D6D7ull}) {
    values.push_back(fromBits(bits));
  }
  const std::size_t n = values.size();
  for (std::size_t i = 0; i < n; ++i)
    values.push_back(-values[i]);
  return values;
}

// How many of `values` the writer hands to std::to_chars.
std::size_t writeFallbacks(const std::vector<double>& values) {
  char text[dataobjects_data::detail::kDoubleTextMax];
  std::size_t n = 0;
  for (double value : values)
    n += dataobjects_data::detail::double_text_own(value, text) == 0;
  return n;
}

// How many of `texts` the reader hands to std::from_chars: read in the end, but not by its own
// arithmetic.
std::size_t readFallbacks(const std::vector<std::string>& texts) {
  std::size_t n = 0;
  for (const std::string& text : texts) {
    double value = 0;
    const char* const first = text.data();
    const char* const last = first + text.size();
    n += dataobjects_data::detail::parse_double(first, last, value) != nullptr &&
         dataobjects_data::detail::parse_double_own(first, last, value) == nullptr;
  }
  return n;
}

void checkWrites(const std::vector<double>& values) {
  for (double value : values) {
    const std::string text = libraryText(value);
    ASSERT_EQ(streamRouteText(value), text) << std::hexfloat << value;
    if (std::isfinite(value)) {
      char printed[64];
      std::snprintf(printed, sizeof printed, "%.35g ", value);
      ASSERT_EQ(printed, text);
    }
  }
}

TEST(DoubleDifferential, WritesWhatTheStreamRouteWrites) {
  const std::vector<double> values = sampleValues();
  // Of all these, only the 14 near ties outside the exact powers (both signs) fall back.
  checkWrites(values);
  EXPECT_EQ(28u, writeFallbacks(values));
}

void checkReads(const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    const ReadOutcome expected = referenceRead(text), actual = libraryRead(text);
    ASSERT_TRUE(expected == actual)
        << '"' << text << "\" failed " << expected.failed << "/" << actual.failed << " bits "
        << std::hex << expected.bits << "/" << actual.bits << std::dec << " at "
        << expected.position << "/" << actual.position << " state " << expected.state << "/"
        << actual.state;
  }
}

TEST(DoubleDifferential, ReadsWhatTheStreamRouteReads) {
  std::mt19937_64 random(7);
  const std::string tails[] = {"", " ", "x", " 1", ";", "e", "5"};
  std::vector<std::string> texts;
  for (double value : sampleValues()) {
    std::string text = streamRouteText(value);
    if (random() % 4 == 0) text.pop_back();  // no blank: the next character decides
    texts.push_back(text + tails[random() % 7]);
  }
  // Texts the writer never makes, from the characters a number is made of.
  const char alphabet[] = "0123456789+-.eEinNx \t";
  for (int i = 0; i < 300000 / kScale; ++i) {
    std::string text(static_cast<std::size_t>(random() % 12), ' ');
    for (char& c : text)
      c = alphabet[random() % (sizeof alphabet - 1)];
    texts.push_back(text);
  }
  // Whole numbers of up to 21 digits, most of them not exactly representable.
  const char* const signs[] = {"", "+", "-"};
  for (int i = 0; i < 100000 / kScale; ++i) {
    std::string text = signs[random() % 3];
    for (auto n = 1 + random() % 21; n > 0; --n)
      text += static_cast<char>('0' + random() % 10);
    texts.push_back(text + ' ');
  }
  // clang-format off
  for (const char* text : {"", " ", "+1 ", "+-1 ", "-.5 ", ".e1 ", "1e+ ", "1e999 ", "-1e999 ", "-0 ",
                           "9007199254740993 ", "9999999999999999999 ", "18446744073709551616 ",
                           "00000000000000000000009007199254740993 ", "1e-400 ", "0x1p3 ",
                           "00012.50 ", "1.5e3e4 ", "  7 ", "inf", "NaNx", "5e22 ", "5e23 ", "5e-23 ", "7e-22 "})
    texts.push_back(text);
  // clang-format on
  // Subnormal and out-of-range values, and a few long whole numbers near a middle.
  checkReads(texts);
  EXPECT_LT(readFallbacks(texts), texts.size() / 500);
  texts.clear();
  // At and next to the middle between two doubles: whole numbers up to 2^64, and where long
  // double holds the middle exactly, any finite value to 41 digits.
  for (int i = 0; i < 20000 / kScale; ++i) {
    const int shift = 1 + static_cast<int>(random() % 11);
    const std::uint64_t middle = ((random() >> 11 | 1ull << 52) << shift) + (1ull << (shift - 1));
    for (const char* tail : {" ", ".00000000000000000001 ", "000e-3 "})
      texts.push_back(std::to_string(middle) + tail);
    texts.push_back(std::to_string(middle - 1) + ".99999999999999999999 ");
    if (sizeof(long double) > sizeof(double)) {
      const double low = fromBits(random() % 0x7FEFFFFFFFFFFFFFull);
      char text[64];
      std::snprintf(text, sizeof text, "%.40Le ",
                    (low + 0.5L * (std::nextafter(low, INFINITY) - low)));
      texts.push_back(text);
    }
  }
  checkReads(texts);
}

// A locale with a decimal comma: the library must then format and read as the stream does.
struct CommaPoint : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(DoubleDifferential, OtherFormatSettingsTakeTheStreamRoute) {
  const double value = -1234.5;
  Archive showpos;
  std::ostringstream reference;
  showpos.setf(std::ios_base::showpos);
  reference.setf(std::ios_base::showpos);
  for (double v : {value, std::numeric_limits<double>::max(), -double(INFINITY), double(NAN)}) {
    KavSerialize::serialize(v, showpos);
    streamRouteWrite(v, reference);
  }
  EXPECT_EQ(reference.str(), showpos.str());

  Archive comma;
  comma.imbue(std::locale(std::locale::classic(), new CommaPoint));
  KavSerialize::serialize(value, comma);
  EXPECT_EQ("-1234,5 ", comma.str());
  double back = 0;
  KavSerialize::deserialize(back, comma);
  EXPECT_EQ(value, back);

  Archive fixed;  // a stream's own settings come back after each double
  fixed.precision(3);
  fixed.setf(std::ios_base::fixed, std::ios_base::floatfield);
  KavSerialize::serialize(0.5, fixed);
  KavSerialize::deserialize(back, fixed);
  EXPECT_EQ(0.5, back);
  EXPECT_EQ(3, fixed.precision());
  EXPECT_EQ(std::ios_base::fixed, fixed.flags() & std::ios_base::floatfield);
}

}  // namespace

// The text of a double in the archive, both ways, in 32-bit arithmetic that stays cheap on 32-bit
// ARM: an exact "%.35g" formatter and a parser of the number grammar the stream's extraction
// takes. Both scale by a power of ten from a table of 160-bit powers of five; where that product
// is exact (5^0 .. 5^68) ties are settled exactly, elsewhere the error bound of the truncated
// power decides, and the rare value that lies too close to a rounding boundary for the bound goes
// to std::to_chars or std::from_chars, which are exact but several times slower.
#include <atomic>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "libs/utilities/archive/Serialize"

namespace KavSerialize {
namespace ser_helper {

// Entry k - kMinPower holds 5^k truncated to its top 160 bits P (2^159 <= P < 2^160), 32-bit
// limbs least significant first, so that 5^k lies in [P, P + 1) * 2^(floor(k log2 5) - 159).
// Defined in DoublePowers.cpp, which scripts/gen-double-powers.py writes.
constexpr int kMinPower = -342;
constexpr int kMaxPower = 358;
extern const std::uint32_t kPowersOfFive[kMaxPower - kMinPower + 1][5];

namespace {

// 5^k has at most 160 bits up to k = 68: those entries are exact.
constexpr int kExactPowerMax = 68;

std::atomic<std::uint32_t> writeFallbacks{0};
std::atomic<std::uint32_t> readFallbacks{0};

// floor(log2(5^k)) for kMinPower <= k <= kMaxPower, and floor(log10(2^e)) for -1074 <= e <= 1023:
// the generator of the table checks both over these ranges. A negative left operand of >> is
// shifted arithmetically by every compiler this library builds with (and by C++20's rules).
int floorLog2Pow5(int k) {
  return (k * 1217359) >> 19;
}
int floorLog10Pow2(int e) {
  return (e * 78913) >> 18;
}

int leadingZeros(std::uint64_t x) {
  return __builtin_clzll(x);
}  // x != 0

std::uint32_t low32(std::uint64_t x) {
  return static_cast<std::uint32_t>(x);
}
std::uint32_t high32(std::uint64_t x) {
  return static_cast<std::uint32_t>(x >> 32);
}

// A number of 8 limbs, least significant first.
using Limbs = std::uint32_t[8];

// out = a * p; a 64-bit number times a 160-bit one fills 7 limbs, the eighth is 0.
void multiply(std::uint64_t a, const std::uint32_t (&p)[5], Limbs& out) {
  const std::uint32_t a0 = low32(a), a1 = high32(a);
  std::uint64_t carry = 0;
  for (int i = 0; i < 5; ++i) {
    carry += std::uint64_t{a0} * p[i];
    out[i] = low32(carry);
    carry >>= 32;
  }
  out[5] = low32(carry);
  carry = 0;
  for (int i = 0; i < 5; ++i) {
    carry += std::uint64_t{a1} * p[i] + out[i + 1];
    out[i + 1] = low32(carry);
    carry >>= 32;
  }
  out[6] = low32(carry);
  out[7] = 0;
}

// Bits pos .. pos + 63 of n, for pos <= 160.
std::uint64_t bitsAt(const Limbs& n, int pos) {
  const int i = pos >> 5, s = pos & 31;
  const std::uint64_t low = n[i] | std::uint64_t{n[i + 1]} << 32;
  return s == 0 ? low : low >> s | std::uint64_t{n[i + 2]} << (64 - s);
}

// Whether any of bits 0 .. pos - 1 of n is set.
bool anyBelow(const Limbs& n, int pos) {
  int i = 0;
  for (; (i + 1) * 32 <= pos; ++i) {
    if (n[i] != 0) return true;
  }
  const int s = pos - i * 32;
  return s != 0 && (n[i] & ((std::uint32_t{1} << s) - 1)) != 0;
}

// Divides n[0 .. count - 1] (least significant first) by 10^9 in place; returns the remainder.
// A step divides rest * 2^32 + limb (below 10^9 * 2^32) without a 64-bit division, which 32-bit
// ARM makes a library call: the quotient is (x >> 9) / 5^9, and its double-precision estimate
// ((x >> 9) < 2^53 converts exactly) is within 2^-19 of it, so off by at most one, which the
// remainder corrects.
std::uint32_t divide1e9(std::uint32_t* n, int count) {
  std::uint32_t rest = 0;
  for (int i = count - 1; i >= 0; --i) {
    const std::uint64_t x = std::uint64_t{rest} << 32 | n[i];
    const std::uint64_t y = x >> 9;
    double estimate =
        (static_cast<double>(high32(y)) * 4294967296.0 + static_cast<double>(low32(y))) *
        (1.0 / 1953125.0);
    if (estimate > 4294967295.0) estimate = 4294967295.0;
    std::uint32_t q = static_cast<std::uint32_t>(estimate);
    std::uint64_t r = x - std::uint64_t{q} * 1000000000u;  // wraps when q is one too many
    if ((r >> 63) != 0) {
      --q;
      r += 1000000000u;
    } else if (r >= 1000000000u) {
      ++q;
      r -= 1000000000u;
    }
    n[i] = q;
    rest = low32(r);
  }
  return rest;
}

struct DigitPairs {
  char text[200];
  constexpr DigitPairs() : text() {
    for (int i = 0; i < 100; ++i) {
      text[2 * i] = static_cast<char>('0' + i / 10);
      text[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
  }
};
constexpr DigitPairs kDigitPairs;

void writePair(char* out, std::uint32_t v) {
  std::memcpy(out, kDigitPairs.text + 2 * v, 2);
}

// The nine digits of c < 10^9, with leading zeros.
void write9(char* out, std::uint32_t c) {
  const std::uint32_t top = c / 100000000u;
  c -= top * 100000000u;
  out[0] = static_cast<char>('0' + top);
  const std::uint32_t high = c / 10000u, low = c - high * 10000u;
  const std::uint32_t a = high / 100u, b = low / 100u;
  writePair(out + 1, a);
  writePair(out + 3, high - a * 100u);
  writePair(out + 5, b);
  writePair(out + 7, low - b * 100u);
}

char* copy(char* out, const char* from, int count) {
  std::memcpy(out, from, static_cast<std::size_t>(count));
  return out + count;
}

// The digits of a whole number u.
char* writeWhole(char* out, std::uint64_t u) {
  char buffer[27];
  char* p = buffer + sizeof buffer;
  std::uint32_t n[2] = {low32(u), high32(u)};
  while (n[1] != 0 || n[0] >= 1000000000u) {
    p -= 9;
    write9(p, divide1e9(n, 2));
  }
  p -= 9;
  write9(p, n[0]);
  while (*p == '0' && p < buffer + sizeof buffer - 1)
    ++p;
  return copy(out, p, static_cast<int>(buffer + sizeof buffer - p));
}

// The 35 significant digits `digits` (trailing zeros included) of a value of decimal exponent
// `exponent`, laid out as "%.35g" does.
char* layOut(char* out, char* digits, int exponent) {
  int count = 35;
  while (count > 1 && digits[count - 1] == '0')
    --count;
  if (exponent >= -4 && exponent < 35) {
    if (exponent < 0) {
      *out++ = '0';
      *out++ = '.';
      for (int i = -1; i > exponent; --i)
        *out++ = '0';
      return copy(out, digits, count);
    }
    const int whole = exponent + 1;
    if (count <= whole) {
      out = copy(out, digits, count);
      std::memset(out, '0', static_cast<std::size_t>(whole - count));
      return out + (whole - count);
    }
    out = copy(out, digits, whole);
    *out++ = '.';
    return copy(out, digits + whole, count - whole);
  }
  *out++ = digits[0];
  if (count > 1) {
    *out++ = '.';
    out = copy(out, digits + 1, count - 1);
  }
  *out++ = 'e';
  *out++ = exponent < 0 ? '-' : '+';
  std::uint32_t magnitude = static_cast<std::uint32_t>(exponent < 0 ? -exponent : exponent);
  if (magnitude >= 100) {
    const std::uint32_t hundreds = magnitude / 100;
    *out++ = static_cast<char>('0' + hundreds);
    magnitude -= hundreds * 100;
  }
  writePair(out, magnitude);
  return out + 2;
}

// The text of the finite nonzero m * 2^e, m below 2^53, after its sign; nullptr when the product
// with the truncated power of five is too close to a rounding boundary to round it.
char* writeScaled(char* out, std::uint64_t m, int e) {
  const int shift = leadingZeros(m) - 11;
  m <<= shift;
  e -= shift;  // now 2^52 <= m < 2^53
  // The decimal exponent E of the value is `estimate` or one more, so that v * 10^(34 - estimate)
  // lies in [10^34, 10^36): its whole part has 35 or 36 digits.
  const int estimate = floorLog10Pow2(e + 52);
  const int k = 34 - estimate;
  Limbs product;
  multiply(m, kPowersOfFive[k - kMinPower], product);
  // v * 10^k = product * 2^-fractionBits; the product has 211 to 213 bits and the whole part
  // 113 to 120, so 92 <= fractionBits <= 100.
  const int fractionBits = 159 - floorLog2Pow5(k) - k - e;
  const std::uint64_t fraction = bitsAt(product, fractionBits - 64);  // in units of 2^-64
  const bool sticky = anyBelow(product, fractionBits - 64);
  const std::uint64_t wholeLow = bitsAt(product, fractionBits);
  const std::uint64_t wholeHigh = bitsAt(product, fractionBits + 64);
  std::uint32_t whole[4] = {low32(wholeLow), high32(wholeLow), low32(wholeHigh), high32(wholeHigh)};
  char digits[36];
  write9(digits + 27, divide1e9(whole, 4));
  write9(digits + 18, divide1e9(whole, 3));
  write9(digits + 9, divide1e9(whole, 2));
  write9(digits, whole[0]);

  // Outside the exact entries the true product exceeds the computed one by less than m (the
  // power is short by less than one unit); in units of `fraction`, with the bits below it, less
  // than `margin`.
  const bool exact = k >= 0 && k <= kExactPowerMax;
  const std::uint64_t margin = exact ? 0 : (m >> (fractionBits - 64)) + 2;
  const bool wide = digits[0] != '0';
  char* const kept = wide ? digits : digits + 1;
  int exponent = estimate + (wide ? 1 : 0);
  bool up;
  if (!wide) {  // round at the units: the fraction against one half
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
    if (fraction > kHalf || (fraction == kHalf && sticky)) {
      up = true;
    } else if (fraction == kHalf) {
      if (!exact) return nullptr;
      up = (digits[35] & 1) != 0;  // a tie goes to the even digit
    } else {
      if (fraction + margin > kHalf) return nullptr;
      up = false;
    }
  } else {  // round the units digit away: it and the fraction against 5
    const int last = digits[35] - '0';
    const bool rest = fraction != 0 || sticky;
    if (last > 5 || (last == 5 && rest)) {
      up = true;
    } else if (last == 5) {
      if (!exact) return nullptr;
      up = (digits[34] & 1) != 0;
    } else {
      if (last == 4 && margin != 0 && fraction >= 0 - margin) return nullptr;
      up = false;
    }
  }
  if (up) {
    int i = 34;
    while (i >= 0 && kept[i] == '9')
      kept[i--] = '0';
    if (i >= 0) {
      ++kept[i];
    } else {
      kept[0] = '1';
      ++exponent;
    }
  }
  return layOut(out, kept, exponent);
}

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The double nearest to (significand + a fraction below one if `truncated`) * 10^exponent,
// significand nonzero and below 10^19, stored in `value` with its sign; false when it is not a
// normal number or lies too close to the middle between two doubles to tell.
bool scaleDecimal(std::uint64_t significand, std::ptrdiff_t exponent, bool truncated, bool negative,
                  double& value) {
  if (!truncated && exponent >= -22 && exponent <= 22 && significand <= std::uint64_t{1} << 53) {
    // Both factors are exact doubles: one rounding, the right one.
    double v = static_cast<double>(high32(significand)) * 4294967296.0 +
               static_cast<double>(low32(significand));
    v = exponent >= 0 ? v * kExactPowersOfTen[exponent] : v / kExactPowersOfTen[-exponent];
    value = negative ? -v : v;
    return true;
  }
  if (exponent < kMinPower || exponent > 308) return false;  // below the subnormals, or infinite
  const int q = static_cast<int>(exponent);
  const int zeros = leadingZeros(significand);
  Limbs product;
  multiply(significand << zeros, kPowersOfFive[q - kMinPower], product);
  // value = product * 2^(floorLog2Pow5(q) - 159 + q - zeros); the product has 223 or 224 bits.
  const int low = (product[6] >> 31) != 0 ? 171 : 170;  // the lowest bit of the 53 kept
  std::uint64_t mantissa = bitsAt(product, low) & ((std::uint64_t{1} << 53) - 1);
  const std::uint64_t rest = bitsAt(product, low - 64);  // in units of 2^(low - 64)
  const bool sticky = anyBelow(product, low - 64);
  // The true product exceeds the computed one by less than 2^64 (the power, unless exact) plus,
  // for dropped digits, less than 2^(160 + zeros), zeros <= 4 since the significand has 19
  // digits then: in units of `rest`, with the bits below it, less than `margin`.
  std::uint64_t margin = truncated ? std::uint64_t{1} << (zeros + 54) : 0;
  if (truncated || q < 0 || q > kExactPowerMax) margin += 2;
  constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
  bool up;
  if (rest > kHalf || (rest == kHalf && sticky)) {
    up = true;
  } else if (rest == kHalf) {
    if (margin != 0) return false;
    up = (mantissa & 1) != 0;  // a tie goes to the even mantissa
  } else {
    if (rest + margin > kHalf) return false;
    up = false;
  }
  int biased = low + floorLog2Pow5(q) - 159 + q - zeros + 1075;
  if (up && ++mantissa == std::uint64_t{1} << 53) {
    mantissa >>= 1;
    ++biased;
  }
  if (biased <= 0 || biased >= 2047) return false;  // subnormal or infinite
  const std::uint64_t bits = (negative ? std::uint64_t{1} << 63 : 0) |
                             std::uint64_t(static_cast<std::uint32_t>(biased)) << 52 |
                             (mantissa & ((std::uint64_t{1} << 52) - 1));
  std::memcpy(&value, &bits, sizeof value);
  return true;
}

// The digit c stands for, or a value above 9.
unsigned digitOf(char c) {
  return static_cast<unsigned char>(c - '0');
}

}  // namespace

std::size_t double_text(double value, char (&text)[kDoubleTextMax]) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0x7FF) {
    const char* const special = m != 0 ? "NaN " : negative ? "ninf " : "inf ";
    const std::size_t length = std::strlen(special);
    std::memcpy(text, special, length);
    return length;
  }
  char* out = text;
  if (negative) *out++ = '-';
  int e = -1074;
  if (biased != 0) {
    m |= std::uint64_t{1} << 52;
    e = biased - 1075;
  }
  if (m == 0) {
    *out++ = '0';
  } else if (e >= 0 && e <= 11) {  // a whole number below 2^64 prints as its digits
    out = writeWhole(out, m << e);
  } else if (e < 0 && e >= -52 && (m & ((std::uint64_t{1} << -e) - 1)) == 0) {
    out = writeWhole(out, m >> -e);
  } else {
    char* const end = writeScaled(out, m, e);
    if (end != nullptr) {
      out = end;
    } else {
      writeFallbacks.fetch_add(1, std::memory_order_relaxed);
      out =
          std::to_chars(text, text + kDoubleTextMax - 1, value, std::chars_format::general, 35).ptr;
    }
  }
  *out++ = ' ';
  return static_cast<std::size_t>(out - text);
}

const char* parse_double(const char* first, const char* last, double& value) {
  const char* p = first;
  if (p < last && (*p == '+' || *p == '-')) ++p;
  const bool negative = p != first && *first == '-';
  // The value is (significand + a fraction below one if truncated) * 10^exponent: the first 19
  // significant digits, and the others only as a count or as "not all zero".
  std::uint64_t significand = 0;
  int taken = 0;
  std::ptrdiff_t exponent = 0;
  bool truncated = false;
  const char* const wholeStart = p;
  for (; p < last; ++p) {
    const unsigned d = digitOf(*p);
    if (d > 9) break;
    if (taken < 19) {
      significand = significand * 10 + d;
      taken += significand != 0;
    } else {
      ++exponent;
      truncated = truncated || d != 0;
    }
  }
  bool digits = p != wholeStart;
  if (p < last && *p == '.') {
    const char* const fractionStart = ++p;
    for (; p < last; ++p) {
      const unsigned d = digitOf(*p);
      if (d > 9) break;
      if (taken < 19) {
        significand = significand * 10 + d;
        taken += significand != 0;
        --exponent;
      } else {
        truncated = truncated || d != 0;
      }
    }
    digits = digits || p != fractionStart;
  }
  if (!digits) return nullptr;
  if (p < last && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negativeExponent = false;
    if (p < last && (*p == '+' || *p == '-')) negativeExponent = *p++ == '-';
    const char* const exponentStart = p;
    int written = 0;  // saturates far beyond any exponent that gives a finite nonzero value
    for (; p < last; ++p) {
      const unsigned d = digitOf(*p);
      if (d > 9) break;
      if (written < 100000) written = written * 10 + static_cast<int>(d);
    }
    if (p == exponentStart) return nullptr;
    exponent += negativeExponent ? -written : written;
  }
  if (p >= last || *p != ' ') return nullptr;
  if (significand == 0) {
    value = negative ? -0.0 : 0.0;
    return p;
  }
  if (scaleDecimal(significand, exponent, truncated, negative, value)) return p;
  readFallbacks.fetch_add(1, std::memory_order_relaxed);
  const char* const number = *first == '+' ? first + 1 : first;
  double converted = 0;
  const std::from_chars_result result = std::from_chars(number, p, converted);
  if (result.ec != std::errc() || result.ptr != p) return nullptr;
  value = converted;
  return p;
}

void count_double_fallbacks(std::uint32_t& writes, std::uint32_t& reads) {
  writes = writeFallbacks.load(std::memory_order_relaxed);
  reads = readFallbacks.load(std::memory_order_relaxed);
}

}  // namespace ser_helper
}  // namespace KavSerialize

// The text of a double in the archive, both ways, in 32-bit arithmetic that stays cheap on 32-bit
// ARM: an exact "%.35g" formatter and a parser of the number grammar the stream's extraction
// takes. Both scale by a power of ten from a table of 160-bit powers of five; where that product
// is exact (5^0 .. 5^68) ties are settled exactly, elsewhere the error bound of the truncated
// power decides, and the rare value that lies too close to a rounding boundary for the bound goes
// to std::to_chars or std::from_chars, which are exact but several times slower.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "libs/utilities/archive/detail/DoublePowers.h"
#include "libs/utilities/archive/detail/DoubleText.h"

namespace dataobjects_data {
namespace detail {
namespace {

// 5^k has at most 160 bits up to k = 68: those entries are exact. Up to k = 41 their low 64
// bits are 0 as well.
constexpr int kExactPowerMax = 68;
constexpr int kExactHighPowerMax = 41;

// floor(log2(5^k)) for kMinPower <= k <= kMaxPower, and floor(log10(2^e)) for -1074 <= e <= 1023:
// the generator of the table checks both over these ranges. A negative left operand of >> is
// shifted arithmetically by every compiler this library builds with (and by C++20's rules).
int floorLog2Pow5(int k) {
  return (k * 1217359) >> 19;
}
int floorLog10Pow2(int e) {
  return (e * 78913) >> 18;
}

// The leading zero bits of x, which is not 0.
int leadingZeros(std::uint64_t x) {
  return __builtin_clzll(x);
}

std::uint32_t low32(std::uint64_t x) {
  return static_cast<std::uint32_t>(x);
}
std::uint32_t high32(std::uint64_t x) {
  return static_cast<std::uint32_t>(x >> 32);
}

// A number of 8 limbs, least significant first.
using Limbs = std::uint32_t[8];

// out = a * p for a number p of N limbs; the limbs of out above N + 1 are 0.
template <int N>
void multiply(std::uint64_t a, const std::uint32_t* p, Limbs& out) {
  const std::uint32_t a0 = low32(a), a1 = high32(a);
  std::uint64_t carry = 0;
  for (int i = 0; i < N; ++i) {
    carry += std::uint64_t{a0} * p[i];
    out[i] = low32(carry);
    carry >>= 32;
  }
  out[N] = low32(carry);
  carry = 0;
  for (int i = 0; i < N; ++i) {
    carry += std::uint64_t{a1} * p[i] + out[i + 1];
    out[i + 1] = low32(carry);
    carry >>= 32;
  }
  out[N + 1] = low32(carry);
  for (int i = N + 2; i < 8; ++i)
    out[i] = 0;
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

constexpr std::uint64_t k1e18 = 1000000000000000000u;

// n / 10^9 for n < 10^18, and the remainder in `rest`, without the 64-bit division that 32-bit
// ARM makes a library call. n / 10^9 = (n >> 9) / 5^9, and (n >> 9) * ceil(2^52 / 5^9) / 2^52
// exceeds that by less than 0.4, so the quotient taken from it is right or one too large.
std::uint32_t divide1e9(std::uint64_t n, std::uint32_t& rest) {
  constexpr std::uint32_t kReciprocal = 2305843010u;  // ceil(2^52 / 5^9)
  const std::uint64_t a = n >> 9;                     // below 2^51
  const std::uint64_t t = (std::uint64_t{low32(a)} * kReciprocal >> 32) +
                          std::uint64_t{high32(a)} * kReciprocal;  // a * kReciprocal >> 32
  std::uint32_t q = static_cast<std::uint32_t>(t >> 20);
  std::uint64_t r = n - std::uint64_t{q} * 1000000000u;
  if ((r >> 63) != 0) {  // wrapped: q was one too large
    --q;
    r += 1000000000u;
  }
  rest = low32(r);
  return q;
}

constexpr std::uint32_t kPowersOfTen32[] = {1,      10,      100,      1000,      10000,
                                            100000, 1000000, 10000000, 100000000, 1000000000};

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

// The digits of 0 < c < 10^9, without leading zeros.
char* writeShort(char* out, std::uint32_t c) {
  int count = 1;
  while (count < 9 && c >= kPowersOfTen32[count])
    ++count;
  char* p = out + count;
  for (; c >= 100; c /= 100) {
    p -= 2;
    writePair(p, c % 100);
  }
  if (c >= 10) {
    writePair(p - 2, c);
  } else {
    p[-1] = static_cast<char>('0' + c);
  }
  return out + count;
}

// The digits of a whole number 0 < u < 2^64.
char* writeWhole(char* out, std::uint64_t u) {
  if (u < 1000000000u) return writeShort(out, low32(u));
  std::uint32_t top = 0;
  while (u >= k1e18) {  // at most 18 times
    u -= k1e18;
    ++top;
  }
  std::uint32_t low;
  const std::uint32_t high = divide1e9(u, low);
  if (top != 0) {
    out = writeShort(out, top);
    write9(out, high);
    out += 9;
  } else {
    out = writeShort(out, high);
  }
  write9(out, low);
  return out + 9;
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
  // The decimal exponent of the value is `estimate` or one more, so y = v * 10^(16 - estimate)
  // lies in [10^16, 10^18): its whole part holds the first 17 or 18 digits, its fraction times
  // 10^18 the next 18 and, below them, what decides the rounding.
  const int estimate = floorLog10Pow2(e + 52);
  const int k = 16 - estimate;
  Limbs product;
  multiply<5>(m, kPowersOfFive[k - kMinPower], product);
  // y = product * 2^-point; the product has 211 to 213 bits and y 54 to 60, so
  // 152 <= point <= 159.
  const int point = 159 - floorLog2Pow5(k) - k - e;
  const std::uint64_t high = bitsAt(product, point);
  std::uint32_t fraction[5] = {product[0], product[1], product[2], product[3], product[4]};
  fraction[4] &= (std::uint32_t{1} << (point - 128)) - 1;
  Limbs scaled;  // the fraction times 10^18, exactly
  multiply<5>(k1e18, fraction, scaled);
  const std::uint64_t low = bitsAt(scaled, point);
  const std::uint64_t below = bitsAt(scaled, point - 64);  // in units of 2^-64
  const bool sticky = anyBelow(scaled, point - 64);
  char digits[36];
  std::uint32_t rest;
  write9(digits, divide1e9(high, rest));
  write9(digits + 9, rest);
  write9(digits + 18, divide1e9(low, rest));
  write9(digits + 27, rest);

  // Outside the exact entries the true y exceeds the computed one by less than m * 2^-point
  // (the power is short by less than one unit), the true 36-digit number the computed one by
  // less than m * 10^18 * 2^-point < m * 2^(60 - point): in units of `below`, with the bits
  // below it, by less than `margin`. Ties need 27 <= k + 18 <= 52, where the entries are exact.
  const bool exact = k >= 0 && k <= kExactPowerMax;
  const std::uint64_t margin = exact ? 0 : (m >> (point - 124)) + 2;
  const bool wide = digits[0] != '0';
  char* const kept = wide ? digits : digits + 1;
  int exponent = estimate + (wide ? 1 : 0);
  bool up;
  if (!wide) {  // round at the units: the fraction against one half
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
    if (below > kHalf || (below == kHalf && sticky)) {
      up = true;
    } else if (below == kHalf) {
      if (!exact) return nullptr;
      up = (digits[35] & 1) != 0;  // a tie goes to the even digit
    } else {
      if (below + margin > kHalf) return nullptr;
      up = false;
    }
  } else {  // round the units digit away: it and the fraction against 5
    const int last = digits[35] - '0';
    const bool above = below != 0 || sticky;
    if (last > 5 || (last == 5 && above)) {
      up = true;
    } else if (last == 5) {
      if (!exact) return nullptr;
      up = (digits[34] & 1) != 0;
    } else {
      if (last == 4 && margin != 0 && below >= 0 - margin) return nullptr;
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
  // The significand times the top 96 bits of the power: value = product * 2^(floorLog2Pow5(q) -
  // 95 + q - zeros), the product of 159 or 160 bits.
  Limbs product;
  multiply<3>(significand << zeros, kPowersOfFive[q - kMinPower] + 2, product);
  const int low = (product[4] >> 31) != 0 ? 107 : 106;  // the lowest bit of the 53 kept
  std::uint64_t mantissa = bitsAt(product, low) & ((std::uint64_t{1} << 53) - 1);
  const std::uint64_t rest = bitsAt(product, low - 64);  // in units of 2^(low - 64)
  const bool sticky = anyBelow(product, low - 64);
  // The true product exceeds the computed one by less than 2^64 (the 64 bits of the power left
  // out, unless they are 0) plus, for dropped digits, less than 2^(96 + zeros), zeros <= 4 since
  // the significand has 19 digits then: in units of `rest`, with the bits below it, by less than
  // `margin`.
  std::uint64_t margin = truncated ? (std::uint64_t{1} << (zeros + 54)) + 2 : 0;
  if (q < 0 || q > kExactHighPowerMax) margin += (std::uint64_t{1} << 22) + 2;
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
  int biased = low + floorLog2Pow5(q) - 95 + q - zeros + 1075;
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

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kLittleEndian = true;
#else
constexpr bool kLittleEndian = false;
#endif

// The number of four digit values, one a byte, the first in the lowest byte.
std::uint32_t fourDigits(std::uint32_t v) {
  const std::uint32_t pairs = v * 10 + (v >> 8);  // bytes 0 and 2: the first and last two digits
  return (pairs & 0xFF) * 100 + (pairs >> 16 & 0xFF);
}

// The characters at p .. p + 3 as a word, byte i holding p[i] (little-endian only).
std::uint32_t load4(const char* p) {
  std::uint32_t x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

// Bits 7, 15, 23, 31 set for the bytes of x that are not digits. A byte below '0' sets its top
// bit in x - '0', one above '9' in x + 0x46: the lowest such byte gets no borrow or carry from
// the bytes below it, so the lowest bit set is right (higher ones may be wrong).
std::uint32_t notDigits(std::uint32_t x) {
  return ((x + 0x46464646u) | (x - 0x30303030u)) & 0x80808080u;
}

// How many of the eight characters at p are digits before the first one that is not, and the
// number they make.
[[gnu::always_inline]] inline int leadingDigits(const char* p, std::uint32_t& value) {
  const std::uint32_t x0 = load4(p), x1 = load4(p + 4);
  const std::uint32_t v0 = x0 - 0x30303030u, v1 = x1 - 0x30303030u;
  const std::uint32_t other0 = notDigits(x0), other1 = notDigits(x1);
  // Shifting the digits of a word to its top leaves zeros before them.
  if (other0 != 0) {
    const int count = __builtin_ctz(other0) >> 3;
    value = count == 0 ? 0 : fourDigits(v0 << (32 - 8 * count));
    return count;
  }
  const int count = other1 != 0 ? __builtin_ctz(other1) >> 3 : 4;
  value = fourDigits(v0) * kPowersOfTen32[count] +
          (count == 0 ? 0 : fourDigits(v1 << (32 - 8 * count)));
  return 4 + count;
}

// Like leadingDigits, but only whether one of those digits is not 0.
[[gnu::always_inline]] inline int leadingDigits(const char* p, bool& nonzero) {
  const std::uint32_t x0 = load4(p), x1 = load4(p + 4);
  const std::uint32_t v0 = x0 - 0x30303030u, v1 = x1 - 0x30303030u;
  const std::uint32_t other0 = notDigits(x0), other1 = notDigits(x1);
  if ((other0 | other1) == 0) {
    nonzero = (v0 | v1) != 0;
    return 8;
  }
  // (lowest bit set >> 7) - 1 covers the digits below the first other byte.
  if (other0 != 0) {
    nonzero = (v0 & (((other0 & (0 - other0)) >> 7) - 1)) != 0;
    return __builtin_ctz(other0) >> 3;
  }
  nonzero = v0 != 0 || (v1 & (((other1 & (0 - other1)) >> 7) - 1)) != 0;
  return 4 + (__builtin_ctz(other1) >> 3);
}

// The first 19 significant digits of a number, and whether a nonzero one did not fit.
struct Significand {
  std::uint64_t digits = 0;
  int taken = 0;
  bool truncated = false;
};

// Reads the run of digits at p into s, the first of them significant unless s has none yet: up
// to 8 at a time in 32 bits while s has room, then the rest only as "all zero or not". Returns
// the end of the run; `kept` gets how many of its digits went into s.
const char* readDigits(const char* p, const char* last, Significand& s, int& kept) {
  const int before = s.taken;
  std::uint32_t value = 0;
  int count = 0;
  while (kLittleEndian && last - p >= 8 && (count = leadingDigits(p, value)) <= 19 - s.taken) {
    s.digits = s.digits * kPowersOfTen32[count] + value;
    s.taken += count;
    p += count;
    if (count < 8) {
      kept = s.taken - before;
      return p;
    }
  }
  while (s.taken < 19) {  // the last digits that fit, or the end of the buffer is near
    const int room = 19 - s.taken < 9 ? 19 - s.taken : 9;
    std::uint32_t chunk = 0;
    int n = 0;
    unsigned d = 0;
    while (n < room && p < last && (d = digitOf(*p)) <= 9) {
      chunk = chunk * 10 + d;
      ++p;
      ++n;
    }
    s.digits = s.digits * kPowersOfTen32[n] + chunk;
    s.taken += n;
    if (n < room) break;
  }
  kept = s.taken - before;
  if (s.taken < 19) return p;
  while (kLittleEndian && last - p >= 8) {
    bool nonzero = false;
    count = leadingDigits(p, nonzero);
    s.truncated = s.truncated || nonzero;
    p += count;
    if (count < 8) return p;
  }
  unsigned d = 0;
  while (p < last && (d = digitOf(*p)) <= 9) {
    s.truncated = s.truncated || d != 0;
    ++p;
  }
  return p;
}

// The text of `value`, or 0 when `fallBack` is false and the value lies too close to a rounding
// boundary for the arithmetic here.
std::size_t formatDouble(double value, char (&text)[kDoubleTextMax], bool fallBack) {
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
    } else if (fallBack) {
      out =
          std::to_chars(text, text + kDoubleTextMax - 1, value, std::chars_format::general, 35).ptr;
    } else {
      return 0;
    }
  }
  *out++ = ' ';
  return static_cast<std::size_t>(out - text);
}

// parse_double; with `fallBack` false, nullptr also where std::from_chars would have to decide.
const char* parseDouble(const char* first, const char* last, double& value, bool fallBack) {
  const char* p = first;
  if (p < last && (*p == '+' || *p == '-')) ++p;
  const bool negative = p != first && *first == '-';
  // The value is (s.digits + a fraction below one if s.truncated) * 10^exponent.
  Significand s;
  std::ptrdiff_t exponent = 0;
  int kept = 0;
  const char* const wholeStart = p;
  while (p < last && *p == '0')
    ++p;
  const char* const wholeDigits = p;
  p = readDigits(p, last, s, kept);
  exponent += (p - wholeDigits) - kept;
  bool digits = p != wholeStart;
  if (p < last && *p == '.') {
    const char* const fractionStart = ++p;
    if (s.taken == 0) {  // zeros after the point before the first significant digit
      while (p < last && *p == '0')
        ++p;
      exponent -= p - fractionStart;
    }
    p = readDigits(p, last, s, kept);
    exponent -= kept;
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
  if (s.digits == 0) {
    value = negative ? -0.0 : 0.0;
    return p;
  }
  if (scaleDecimal(s.digits, exponent, s.truncated, negative, value)) return p;
  if (!fallBack) return nullptr;
  const char* const number = *first == '+' ? first + 1 : first;
  double converted = 0;
  const std::from_chars_result result = std::from_chars(number, p, converted);
  if (result.ec != std::errc() || result.ptr != p) return nullptr;
  value = converted;
  return p;
}

}  // namespace

std::size_t double_text(double value, char (&text)[kDoubleTextMax]) {
  return formatDouble(value, text, true);
}

std::size_t double_text_own(double value, char (&text)[kDoubleTextMax]) {
  return formatDouble(value, text, false);
}

const char* parse_double(const char* first, const char* last, double& value) {
  return parseDouble(first, last, value, true);
}

const char* parse_double_own(const char* first, const char* last, double& value) {
  return parseDouble(first, last, value, false);
}

}  // namespace detail
}  // namespace dataobjects_data

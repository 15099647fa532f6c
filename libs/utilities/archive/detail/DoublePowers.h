/// @file
/// The table of powers of five that the double text scales by (DoubleText.cpp), defined in
/// DoublePowers.cpp, which scripts/checks/gen-double-powers.py writes from the bounds below.
/// Not installed.
#ifndef LIBS_UTILITIES_ARCHIVE_DETAIL_DOUBLEPOWERS_H
#define LIBS_UTILITIES_ARCHIVE_DETAIL_DOUBLEPOWERS_H

#include <cstdint>

namespace dataobjects_data {
namespace detail {

// The powers the table holds: 5^kMinPower for reading (19 digits times 10^-342 is below the
// smallest subnormal) up to 5^kMaxPower for writing (10^(16 - floor(log10(2^-1074)))).
constexpr int kMinPower = -342;
constexpr int kMaxPower = 340;

// Entry k - kMinPower holds 5^k truncated to its top 160 bits P (2^159 <= P < 2^160), 32-bit
// limbs least significant first, so that 5^k lies in [P, P + 1) * 2^(floor(k log2 5) - 159).
extern const std::uint32_t kPowersOfFive[kMaxPower - kMinPower + 1][5];

}  // namespace detail
}  // namespace dataobjects_data

#endif  // LIBS_UTILITIES_ARCHIVE_DETAIL_DOUBLEPOWERS_H

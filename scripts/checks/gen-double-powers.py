#!/usr/bin/env python3
"""Writes libs/utilities/archive/DoublePowers.cpp: the powers of five that the double formatter
and parser of libs/utilities/archive/DoubleText.cpp scale by, for the bounds kMinPower and
kMaxPower that libs/utilities/archive/detail/DoublePowers.h declares the table with.

Entry k (kMinPower <= k <= kMaxPower) is the 160-bit integer P with 2^159 <= P < 2^160 and
P <= 5^k * 2^-b < P + 1, where b = floor(k * log2(5)) - 159: 5^k truncated to its top 160 bits
(exact for 0 <= k <= 68, where 5^k has at most 160 bits; its low 64 bits are zero for
0 <= k <= 41). Limbs of 32 bits, least significant first. The script also proves, for every
exponent the C++ code meets, the two integer formulas it uses instead of logarithms.

  scripts/checks/gen-double-powers.py           rewrite the file
  scripts/checks/gen-double-powers.py --check   fail when the file differs from what it writes
"""
import pathlib
import re
import sys

ARCHIVE = pathlib.Path(__file__).resolve().parents[2] / "libs/utilities/archive"
OUTPUT = ARCHIVE / "DoublePowers.cpp"
HEADER = ARCHIVE / "detail/DoublePowers.h"


def bound(name):
    """The value of `constexpr int name` in the header that declares the table."""
    found = re.findall(rf"^constexpr int {name} = (-?\d+);$", HEADER.read_text(), re.MULTILINE)
    if len(found) != 1:
        sys.exit(f"{HEADER} does not define {name} once")
    return int(found[0])


MIN_POWER = bound("kMinPower")
MAX_POWER = bound("kMaxPower")
EXACT_MAX = 68
EXACT_HIGH_MAX = 41  # the parser multiplies by the top 96 bits only: exact while the rest is 0


def floor_log2_pow5(k):
    """floor(log2(5^k)), exactly, from big integers."""
    if k >= 0:
        return (5**k).bit_length() - 1
    # 2^j <= 5^k < 2^(j+1)  <=>  2^-j >= 5^-k > 2^(-j-1); 5^-k is never a power of two
    return -((5**-k).bit_length())


def floor_log10_pow2(e):
    """floor(log10(2^e)), exactly."""
    if e >= 0:
        return len(str(2**e)) - 1
    return -len(str(2**-e))  # 10^(d-1) <= 2^-e < 10^d and 2^-e is never a power of ten


def power(k):
    b = floor_log2_pow5(k) - 159
    if k >= 0:
        p = 5**k >> b if b >= 0 else 5**k << -b
    else:
        p = (1 << -b) // 5**-k
    assert 1 << 159 <= p < 1 << 160, k
    if 0 <= k <= EXACT_MAX:  # the product with such an entry is exact
        assert b < 0 and p == 5**k << -b
    assert (p & ((1 << 64) - 1) == 0) == (0 <= k <= EXACT_HIGH_MAX), k
    return p


def check_formulas():
    for k in range(MIN_POWER, MAX_POWER + 1):
        assert (k * 1217359) >> 19 == floor_log2_pow5(k), k
    for e in range(-1074, 1024):
        assert (e * 78913) >> 18 == floor_log10_pow2(e), e
    assert 5**EXACT_MAX < 1 << 160 <= 5 ** (EXACT_MAX + 1)


def render():
    lines = [
        "// Written by scripts/checks/gen-double-powers.py; do not edit. The powers of five that",
        "// DoubleText.cpp scales by: entry k - kMinPower holds 5^k truncated to its top 160 bits",
        "// (2^159 <= P < 2^160), in 32-bit limbs, least significant first.",
        "#include <cstdint>",
        "",
        '#include "libs/utilities/archive/detail/DoublePowers.h"',
        "",
        "namespace dataobjects_data {",
        "namespace detail {",
        "",
        "const std::uint32_t kPowersOfFive[kMaxPower - kMinPower + 1][5] = {",
    ]
    for k in range(MIN_POWER, MAX_POWER + 1):
        p = power(k)
        limbs = ", ".join(f"0x{(p >> (32 * i)) & 0xFFFFFFFF:08X}" for i in range(5))
        lines.append(f"    {{{limbs}}},  // {k}")
    lines += ["};", "", "}  // namespace detail", "}  // namespace dataobjects_data", ""]
    return "\n".join(lines)


def main():
    check_formulas()
    text = render()
    if sys.argv[1:] == ["--check"]:
        if OUTPUT.read_text() != text:
            sys.exit(f"{OUTPUT} is not what scripts/checks/gen-double-powers.py writes")
        return
    if sys.argv[1:]:
        sys.exit("usage: scripts/checks/gen-double-powers.py [--check]")
    OUTPUT.write_text(text)


if __name__ == "__main__":
    main()

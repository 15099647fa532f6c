// The straightforward route for doubles, written from the description of the format: formatted
// insertion with precision 35 when writing, formatted extraction when reading, with "inf",
// "ninf" and "NaN" for the specials. The differential test and the double fuzz target hold the
// codec against it. Header-only, so that the fuzz build needs no test library.
#ifndef TESTS_SUPPORT_DOUBLESTREAMROUTE_H
#define TESTS_SUPPORT_DOUBLESTREAMROUTE_H

#include <cmath>
#include <cstdint>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>

namespace testing_support {

inline double fromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline std::uint64_t toBits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline void streamRouteWrite(double value, std::ostream& os) {
  os.precision(35);
  if (value > std::numeric_limits<double>::max()) {
    os << "inf ";
  } else if (value < std::numeric_limits<double>::lowest()) {
    os << "ninf ";
  } else if (value <= std::numeric_limits<double>::max()) {
    os << value << ' ';
  } else {
    os << "NaN ";
  }
}

inline std::string streamRouteText(double value) {
  std::ostringstream os;
  streamRouteWrite(value, os);
  return os.str();
}

// Everything a read leaves behind: its result, the value's bits, the position and the state.
struct ReadOutcome {
  bool failed;
  std::uint64_t bits;
  long long position;
  std::ios_base::iostate state;
  bool operator==(const ReadOutcome& o) const {
    return failed == o.failed && bits == o.bits && position == o.position && state == o.state;
  }
};

inline ReadOutcome readOutcome(bool failed, double value, std::istream& is) {
  const std::ios_base::iostate state = is.rdstate();
  is.clear();
  return {failed, toBits(value), static_cast<long long>(is.tellg()), state};
}

// Reads a double the straightforward way: "inf", "ninf" and "NaN" known by their first
// character, anything else by formatted extraction, then the blank. Returns whether it failed.
inline bool streamRouteRead(std::istream& is, double& value) {
  const int next = is.peek();
  if (next == 'i' || next == 'n' || next == 'N') {
    value = next == 'i' ? INFINITY : next == 'n' ? -INFINITY : fromBits(0x7FF8000000000000ull);
    for (int i = next == 'n' ? 4 : 3; i > 0; --i)
      is.get();
  } else {
    is >> value;
  }
  return is.get() != ' ';
}

// Reads `text` the straightforward way into a double that starts as `initial`.
inline ReadOutcome streamRouteRead(const std::string& text, double initial) {
  std::stringstream is(text, std::ios::in | std::ios::binary);
  double value = initial;
  const bool failed = streamRouteRead(is, value);
  return readOutcome(failed, value, is);
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_DOUBLESTREAMROUTE_H

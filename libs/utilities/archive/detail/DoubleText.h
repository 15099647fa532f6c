/// @file
/// The text of a double in the archive, written and read without the stream's number formatting
/// (DoubleText.cpp). Not installed.
#ifndef LIBS_UTILITIES_ARCHIVE_DETAIL_DOUBLETEXT_H
#define LIBS_UTILITIES_ARCHIVE_DETAIL_DOUBLETEXT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ios>
#include <limits>

#include "libs/utilities/archive/detail/StreamAccess.h"

namespace dataobjects_data {
namespace detail {

// Room for the longest text of a double with precision 35 and its blank:
// "-1.7976931348623157081452742373170436e+308 " has 43 characters.
constexpr std::size_t kDoubleTextMax = 48;

/// True when the stream formats numbers as the classic "C" locale does with the default flags
/// and no field width: then double_text gives exactly the text of its formatted insertion.
inline bool default_number_format(const std::ios_base& stream) {
  constexpr std::ios_base::fmtflags kShaping = std::ios_base::floatfield | std::ios_base::showpos |
                                               std::ios_base::showpoint | std::ios_base::uppercase;
  return (stream.flags() & kShaping) == 0 && stream.width() == 0 && classic_locale(stream);
}

/// Writes the archive text of `value` (the value, or inf / ninf / NaN, then a blank) into `text`
/// and returns its length.
std::size_t double_text(double value, char (&text)[kDoubleTextMax]);

/// Reads the number at `first` as the formatted extraction takes one (an optional sign, digits
/// with at most one decimal point, an exponent after at least one digit) when a blank follows it
/// before `last`, and converts it as strtod rounds: returns the blank's position and stores the
/// value, or returns nullptr (nothing stored) for any other text and for a number that does not
/// convert or overflows.
const char* parse_double(const char* first, const char* last, double& value);

/// double_text and parse_double with their own arithmetic alone: 0 or nullptr where they hand
/// the value to std::to_chars or std::from_chars (a value too close to a rounding boundary for
/// that arithmetic; when reading, also a subnormal or out-of-range one). Tests count those.
std::size_t double_text_own(double value, char (&text)[kDoubleTextMax]);
const char* parse_double_own(const char* first, const char* last, double& value);

enum class FastRead { kDone, kFailed, kNotTaken };

/// Reads a double and its blank from the cursor when they are there whole and the stream reads
/// numbers as the classic locale does: the characters the formatted extraction would take,
/// converted by parse_double; or "i", "n" or "N" with the three or four characters the stream's
/// route takes after it, unchecked. kFailed when the character after those is not the blank (it
/// is taken, as the route's get() takes it). Anything else - a text cut by the end of the buffer,
/// leading blanks, a number that does not convert or overflows, a missing blank - is kNotTaken
/// with nothing taken, so the stream's route decides.
inline FastRead take_double(GetCursor& in, double& target, const std::ios_base& stream) {
  if (in.available() == 0 || !classic_locale(stream)) return FastRead::kNotTaken;
  const char* const first = in.next();
  const char* const last = first + in.available();
  if (*first == 'i' || *first == 'n' || *first == 'N') {
    const int taken = *first == 'n' ? 4 : 3;
    if (last - first <= taken) return FastRead::kNotTaken;
    if (*first == 'N') {
      const std::uint64_t pattern = 0x7FF8000000000000ull;
      std::memcpy(&target, &pattern, sizeof target);
    } else {
      target = *first == 'i' ? std::numeric_limits<double>::infinity()
                             : -std::numeric_limits<double>::infinity();
    }
    in.take(static_cast<std::size_t>(taken) + 1, 1);
    return first[taken] == ' ' ? FastRead::kDone : FastRead::kFailed;
  }
  double value = 0;
  const char* const p = parse_double(first, last, value);
  if (p == nullptr) return FastRead::kNotTaken;
  target = value;
  in.take(static_cast<std::size_t>(p + 1 - first), 1);  // the blank is the last character read
  return FastRead::kDone;
}

}  // namespace detail
}  // namespace dataobjects_data

#endif  // LIBS_UTILITIES_ARCHIVE_DETAIL_DOUBLETEXT_H

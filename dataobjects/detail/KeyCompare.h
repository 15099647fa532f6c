/// @file
/// Key comparisons shared by every data object and its Id. UUIDs compare through Uuid's <, >
/// and != (equality is always the negation of !=); numbers numerically.
#ifndef DATAOBJECTS_DETAIL_KEYCOMPARE_H
#define DATAOBJECTS_DETAIL_KEYCOMPARE_H

#include <cstddef>
#include <tuple>
#include <utility>

#include "platform/UuidEntryDO.h"

namespace dataobjects_data {
namespace detail {

inline bool less(const UuidEntryDO& a, const UuidEntryDO& b) {
  return a.getUuid() < b.getUuid();
}
inline bool greater(const UuidEntryDO& a, const UuidEntryDO& b) {
  return a.getUuid() > b.getUuid();
}
inline bool equal(const UuidEntryDO& a, const UuidEntryDO& b) {
  return !(a.getUuid() != b.getUuid());
}

inline bool less(unsigned short a, unsigned short b) {
  return a < b;
}
inline bool greater(unsigned short a, unsigned short b) {
  return a > b;
}
inline bool equal(unsigned short a, unsigned short b) {
  return a == b;
}

namespace key_parts {

template <std::size_t I, class Tuple>
bool lexicographicLess(const Tuple& a, const Tuple& b) {
  if constexpr (I == std::tuple_size<Tuple>::value) {
    return false;
  } else {
    if (less(std::get<I>(a), std::get<I>(b))) return true;
    if constexpr (I + 1 < std::tuple_size<Tuple>::value) {
      if (greater(std::get<I>(a), std::get<I>(b))) return false;
    }
    return lexicographicLess<I + 1>(a, b);
  }
}

template <class Tuple, std::size_t... I>
bool anyGreater(const Tuple& a, const Tuple& b, std::index_sequence<I...>) {
  return (greater(std::get<I>(a), std::get<I>(b)) || ...);
}

template <class Tuple, std::size_t... I>
bool allEqual(const Tuple& a, const Tuple& b, std::index_sequence<I...>) {
  return (equal(std::get<I>(a), std::get<I>(b)) && ...);
}

}  // namespace key_parts

/// `a < b` of keys (tuples of key fields, in key order): the first part that is less decides
/// true, the first that is greater decides false; equal keys are not less.
template <class... P>
bool keyLess(const std::tuple<const P&...>& a, const std::tuple<const P&...>& b) {
  return key_parts::lexicographicLess<0>(a, b);
}

/// `a > b` of keys: true as soon as any part of `a` is greater than the same part of `b`, in key
/// order. A part that is less does not end the test, so this is not the converse of keyLess.
template <class... P>
bool keyGreater(const std::tuple<const P&...>& a, const std::tuple<const P&...>& b) {
  return key_parts::anyGreater(a, b, std::index_sequence_for<P...>{});
}

/// Key equality: every part equal, tested in key order up to the first difference.
template <class... P>
bool keyEqual(const std::tuple<const P&...>& a, const std::tuple<const P&...>& b) {
  return key_parts::allEqual(a, b, std::index_sequence_for<P...>{});
}

}  // namespace detail
}  // namespace dataobjects_data

#endif  // DATAOBJECTS_DETAIL_KEYCOMPARE_H

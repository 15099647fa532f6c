// Shared by the fuzz targets: a global operator new that refuses requests above 256 MiB, as a
// device with little memory would, and the decode / re-encode / decode-again check.
#ifndef FUZZ_FUZZSUPPORT_H
#define FUZZ_FUZZSUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/Archive.h"
#include "platform/TesmiraException.h"

namespace fuzz_support {

// While not 0, an allocation larger than this fails the run (FuzzAllocator.cpp).
extern std::size_t allocationCeiling;

// Stops the run with a message; libFuzzer saves the input that got here.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

template <class T>
std::string archiveOf(const T& value) {
  Archive archive;
  archive << value;
  return archive.str();
}

// Decodes a T from the input. Where that succeeds, the decoded value is written and read back,
// and the second value must write the same bytes and render the same text as the first (a
// comparison that holds for NaN too). Library exceptions and refused allocations are expected
// outcomes of hostile input; anything else escapes and fails the run. `check` also sees each
// value that decoded.
struct NoCheck {
  template <class T>
  void operator()(const T&) const {}
};
template <class T, class Check = NoCheck>
void decodeAndRoundTrip(const std::uint8_t* data, std::size_t size, Check check = {}) {
  T first;
  try {
    Archive input(std::string(reinterpret_cast<const char*>(data), size));
    input >> first;
  } catch (const TesmiraException&) {
    return;
  } catch (const std::bad_alloc&) {
    return;
  } catch (const std::length_error&) {
    return;
  }
  check(first);
  const std::string bytes = archiveOf(first);
  Archive again(bytes);
  T second;
  again >> second;
  if (archiveOf(second) != bytes) fail("re-encoding changed the archive form");
  if (second.ToString() != first.ToString()) fail("re-decoding changed the text");
}

}  // namespace fuzz_support

#endif  // FUZZ_FUZZSUPPORT_H

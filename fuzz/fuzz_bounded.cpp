// The bounded route of reading: the input's first byte picks a class and the size of the pieces
// in which a buffer hands out the rest, which is read as objects of that class until it ends or
// a read fails, inside a BoundedReading. No allocation may exceed what the input justifies, in
// a few small multiples of its size: a count claiming more than the input holds must fail on
// the missing bytes, never cost its claim.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "dataobjects/detail/ObjectFields.h"
#include "libs/utilities/archive/BoundedReading.h"
#include "tests/support/StreamRoute.h"

namespace {

constexpr std::size_t kPieces[] = {0, 1, 7, 64, 4096, 1 << 20};

template <class O>
void readAll(const std::string& input, std::size_t piece) {
  testing_support::PieceSource source(input, piece);
  Archive archive(&source);
  const dataobjects_data::BoundedReading bounded;
  try {
    while (archive.peek() != EOF) {
      O object;
      archive >> object;
    }
  } catch (const TesmiraException&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t piece = kPieces[data[0] / 16 % 6];
  unsigned pick = data[0] % 7;
  // A read may hold a string or vector of up to twice the bytes that arrived, besides its first
  // chunk of 64 KiB, and the compressor's per-thread streams and memo (some 400 KiB).
  fuzz_support::allocationCeiling = 4 * size + (1 << 20);
  dataobjects_data::detail::forEachClass([&](auto* tag) {
    if (pick-- == 0) readAll<std::remove_pointer_t<decltype(tag)>>(input, piece);
  });
  fuzz_support::allocationCeiling = 0;
  return 0;
}

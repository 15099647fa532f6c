// The double codec against the stream route, differentially: the input read as archive text by
// both must give the same value, result, position and stream state; its first eight bytes taken
// as a double must be written as the same text by both.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "libs/utilities/archive/Serialize"
#include "tests/support/DoubleStreamRoute.h"

using testing_support::readOutcome;
using testing_support::streamRouteRead;
using testing_support::streamRouteText;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Archive archive(text);
  double value = 0.25;
  const bool failed = KavSerialize::deserialize_floating_point<double>(value, archive);
  if (!(readOutcome(failed, value, archive) == streamRouteRead(text, 0.25))) {
    fuzz_support::fail("the double reader disagrees with the stream route");
  }
  if (size >= sizeof(double)) {
    double written;
    std::memcpy(&written, data, sizeof written);
    Archive out;
    KavSerialize::serialize(written, out);
    if (out.str() != streamRouteText(written))
      fuzz_support::fail("the double writer disagrees with the stream route");
  }
  return 0;
}

// The double codec against the stream route, differentially: the input read as archive text by
// both must give the same value, result, position and stream state; its first eight bytes taken
// as a double must be written as the same text by both.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "libs/utilities/archive/Serialize"

namespace {

struct Outcome {
  bool failed;
  std::uint64_t bits;
  long long position;
  std::ios_base::iostate state;
};

Outcome finish(bool failed, double value, std::istream& is) {
  Outcome o{failed, 0, 0, is.rdstate()};
  std::memcpy(&o.bits, &value, sizeof value);
  is.clear();
  o.position = static_cast<long long>(is.tellg());
  return o;
}

Outcome streamRoute(const std::string& text) {
  std::stringstream is(text, std::ios::in | std::ios::binary);
  double value = 0.25;
  const int next = is.peek();
  if (next == 'i' || next == 'n' || next == 'N') {
    const std::uint64_t nan = 0x7FF8000000000000ull;
    double quiet;
    std::memcpy(&quiet, &nan, sizeof quiet);
    value = next == 'i' ? INFINITY : next == 'n' ? -INFINITY : quiet;
    for (int i = 0; i < (next == 'n' ? 4 : 3); ++i)
      is.get();
  } else {
    is >> value;
  }
  const bool failed = is.get() != ' ';
  return finish(failed, value, is);
}

std::string streamText(double value) {
  std::ostringstream os;
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
  return os.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Archive archive(text);
  double value = 0.25;
  const bool failed = KavSerialize::deserialize_floating_point<double>(value, archive);
  const Outcome library = finish(failed, value, archive), reference = streamRoute(text);
  if (library.failed != reference.failed || library.bits != reference.bits ||
      library.position != reference.position || library.state != reference.state) {
    fuzz_support::fail("the double reader disagrees with the stream route");
  }
  if (size >= sizeof(double)) {
    double written;
    std::memcpy(&written, data, sizeof written);
    Archive out;
    KavSerialize::serialize(written, out);
    if (out.str() != streamText(written))
      fuzz_support::fail("the double writer disagrees with the stream route");
  }
  return 0;
}

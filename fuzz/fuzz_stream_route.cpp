// The codec against the stream's own member functions, differentially: the input picks a run of
// values and how the stream is set up, the run is written by both into buffers that fail after
// every possible byte count, and the input's remaining bytes are read back by both as those
// values, cut at every length and handed out in pieces. Everything must come out the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "tests/support/StreamRoute.h"

using namespace testing_support;

namespace {

// Takes bytes off the front of the input; zeros once it is used up.
struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::uint64_t take(std::size_t n) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n && size > 0; ++i, ++data, --size)
      value = value << 8 | *data;
    return value;
  }
};

Value valueFrom(Input& in) {
  Value v;
  v.kind = static_cast<Kind>(in.take(1) % static_cast<unsigned>(Kind::Count));
  const std::uint64_t bits = in.take(8);
  v.ll = static_cast<long long>(bits);
  v.us = static_cast<unsigned short>(bits);
  v.ui = static_cast<unsigned int>(bits);
  v.ul = static_cast<std::uint32_t>(bits);
  v.b = (bits & 1) != 0;
  v.uc = static_cast<unsigned char>(bits);
  std::memcpy(&v.d, &bits, sizeof v.d);
  for (std::size_t n = in.take(1) % 20; n > 0; --n) {
    v.s.push_back(static_cast<char>(in.take(1)));
    v.bytes.push_back(static_cast<unsigned char>(v.s.back()));
  }
  return v;
}

void check(const RunOutcome& library, const RunOutcome& route) {
  if (route.failure == "std::bad_alloc") return;  // a length no buffer can be taken for
  const std::string different = difference(library, route);
  if (!different.empty()) fuzz_support::fail(different.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  const auto setup =
      static_cast<StreamSetup>(in.take(1) % static_cast<unsigned>(StreamSetup::Count));
  const std::size_t piece = in.take(1) % 9;
  std::vector<Value> values;
  for (std::size_t n = 1 + in.take(1) % 4; n > 0; --n)
    values.push_back(valueFrom(in));
  const std::string all = writeRun(false, values, 1 << 16, true, StreamSetup::Plain).bytes;
  for (std::size_t limit = 0; limit <= all.size(); ++limit) {
    for (bool buffered : {true, false})
      check(writeRun(true, values, limit, buffered, setup),
            writeRun(false, values, limit, buffered, setup));
  }
  const std::string rest(reinterpret_cast<const char*>(in.data), in.size);
  const StreamSetup readSetup = setup == StreamSetup::Unitbuf ? StreamSetup::Plain : setup;
  for (const std::string& bytes : {all, rest}) {
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
      check(readRun(true, values, bytes.substr(0, cut), piece, readSetup),
            readRun(false, values, bytes.substr(0, cut), piece, readSetup));
  }
  return 0;
}

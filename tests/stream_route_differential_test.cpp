// The codec against the stream's own member functions: random runs of values, written into
// buffers that fail at every byte and read from buffers that end at every byte or hand the bytes
// out in pieces, on streams that are plain, throw on failure, are tied or flush every write.
// Bytes, values, state, gcount, position and exceptions must be the same.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/StreamRoute.h"
#include "tests/support/TestStreams.h"

namespace {

using namespace testing_support;

#ifdef DATAOBJECTS_EMULATED_TARGET
constexpr int kRuns = 60;  // under the emulator, a fifth
#else
constexpr int kRuns = 300;
#endif

std::string kindsOf(const std::vector<Value>& values) {
  std::string kinds = "kinds";
  for (const Value& v : values)
    kinds += " " + std::to_string(int(v.kind));
  return kinds;
}

std::vector<Value> randomRun(std::mt19937_64& random) {
  std::vector<Value> values;
  for (auto n = static_cast<std::size_t>(1 + random() % 6); n > 0; --n)
    values.push_back(randomValue(random, static_cast<Kind>(random() % int(Kind::Count))));
  return values;
}

TEST(StreamRouteDifferential, WritesMatchWhereverTheBufferFails) {
  std::mt19937_64 random(20261206);
  for (int run = 0; run < kRuns; ++run) {
    const std::vector<Value> values = randomRun(random);
    const std::string all = writeRun(false, values, 1 << 16, true, StreamSetup::Plain).bytes;
    for (std::size_t limit = 0; limit <= all.size(); ++limit) {
      for (bool buffered : {true, false}) {
        for (int setup = 0; setup < int(StreamSetup::Count); ++setup) {
          const auto s = static_cast<StreamSetup>(setup);
          ASSERT_EQ("", difference(writeRun(true, values, limit, buffered, s),
                                   writeRun(false, values, limit, buffered, s)))
              << kindsOf(values) << ", run " << run << ", room for " << limit << " bytes, buffered "
              << buffered << ", setup " << setup;
        }
      }
    }
  }
}

TEST(StreamRouteDifferential, ReadsMatchWhereverTheInputEndsOrBreaks) {
  std::mt19937_64 random(20261207);
  for (int run = 0; run < kRuns; ++run) {
    const std::vector<Value> values = randomRun(random);
    std::string bytes = writeRun(false, values, 1 << 16, true, StreamSetup::Plain).bytes;
    if (run % 3 == 0)
      bytes[static_cast<std::size_t>(random() % bytes.size())] ^=
          static_cast<char>(1 << (random() % 8));
    std::vector<Value> targets;  // of the same kinds, holding something else before
    for (const Value& v : values)
      targets.push_back(randomValue(random, v.kind));
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
      for (std::size_t piece : {0, 1, 3, 7, 1 << 16}) {
        for (StreamSetup setup : {StreamSetup::Plain, StreamSetup::Exceptions, StreamSetup::Tied}) {
          ASSERT_EQ("", difference(readRun(true, targets, bytes.substr(0, cut), piece, setup),
                                   readRun(false, targets, bytes.substr(0, cut), piece, setup)))
              << kindsOf(values) << ", " << hex(bytes) << " run " << run << ", " << cut << " of "
              << bytes.size() << " bytes, pieces of " << piece << ", setup " << int(setup);
        }
      }
    }
  }
}

}  // namespace

// The codec of integers, bool, unsigned char and doubles allocates nothing on its success path:
// counted through a replacement of the global operator new in this test binary.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <random>
#include <vector>

#include "libs/utilities/archive/Serialize"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace {

struct Values {
  std::vector<long long> integers;
  std::vector<double> doubles;
};

Values sample() {
  std::mt19937_64 random(3);
  Values v;
  for (int i = 0; i < 2000; ++i) {
    v.integers.push_back(static_cast<long long>(random() >> (random() % 64)) * (i % 2 ? 1 : -1));
    v.doubles.push_back(
        std::ldexp(static_cast<double>(random() % 1000000) - 500000.0, i % 200 - 100));
  }
  v.doubles.insert(v.doubles.end(), {INFINITY, -INFINITY, std::nan(""), -0.0, 0.1, 1e300,
                                     std::numeric_limits<double>::denorm_min()});
  return v;
}

void writeAll(const Values& v, Archive& archive) {
  for (long long n : v.integers) {
    KavSerialize::serialize(n, archive);
    KavSerialize::serialize(static_cast<unsigned short>(n), archive);
    KavSerialize::serialize(static_cast<unsigned int>(n), archive);
    KavSerialize::serialize(static_cast<unsigned long>(static_cast<unsigned int>(n)), archive);
    KavSerialize::serialize(n % 2 == 0, archive);
    KavSerialize::serialize(static_cast<unsigned char>(n), archive);
  }
  for (double d : v.doubles)
    KavSerialize::serialize(d, archive);
}

void readAll(const Values& v, Archive& archive) {
  long long n;
  unsigned short s;
  unsigned int u;
  unsigned long l;
  bool b;
  unsigned char c;
  double d;
  for (std::size_t i = 0; i < v.integers.size(); ++i) {
    KavSerialize::deserialize(n, archive);
    KavSerialize::deserialize(s, archive);
    KavSerialize::deserialize(u, archive);
    KavSerialize::deserialize(l, archive);
    KavSerialize::deserialize(b, archive);
    KavSerialize::deserialize(c, archive);
  }
  for (std::size_t i = 0; i < v.doubles.size(); ++i)
    KavSerialize::deserialize(d, archive);
}

TEST(Allocation, PrimitivesOtherThanTextsAllocateNothing) {
  const Values values = sample();
  Archive archive;
  writeAll(values, archive);  // grows the archive's buffer once
  archive.seekp(0);
  const long beforeWriting = allocations;
  writeAll(values, archive);
  EXPECT_EQ(beforeWriting, allocations.load()) << "allocations while writing";

  const long beforeReading = allocations;
  readAll(values, archive);
  EXPECT_EQ(beforeReading, allocations.load()) << "allocations while reading";
  EXPECT_EQ(EOF, archive.peek());
}

}  // namespace

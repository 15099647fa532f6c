// A byte blob written to a new archive and read back, beside cereal, msgpack, the one-byte
// route and a memcpy of the blob as the ceiling: throughput against blob size for the plot.
#include <benchmark/benchmark.h>

#include <cstring>
#include <sstream>

#include "RoundTrips.h"
#include "libs/utilities/archive/Serialize"
#include "libs/utilities/archive/detail/Codec.h"

namespace {

// A blob written and read back, in each way.
void BM_Blob_Library(benchmark::State& state) {
  const auto blob = bench::randomBytes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Archive archive;
    dataobjects_data::detail::serialize_bytes(blob, archive);
    std::vector<unsigned char> back;
    archive >> back;
    benchmark::DoNotOptimize(back.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_Blob_OneByteRoute(benchmark::State& state) {
  const auto blob = bench::randomBytes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Archive archive;
    KavSerialize::serialize(static_cast<unsigned long>(blob.size()), archive);
    for (const unsigned char& b : blob)
      KavSerialize::serialize(b, archive);
    unsigned long count = 0;
    KavSerialize::deserialize(count, archive);
    std::vector<unsigned char> back(count);
    for (unsigned char& b : back)
      KavSerialize::deserialize(b, archive);
    benchmark::DoNotOptimize(back.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_Blob_Cereal(benchmark::State& state) {
  bench::cerealNew(state, bench::randomBytes(static_cast<std::size_t>(state.range(0))));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_Blob_Msgpack(benchmark::State& state) {
  bench::msgpackNew(state, bench::randomBytes(static_cast<std::size_t>(state.range(0))));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
// The ceiling: the bytes copied into a new buffer and out into another.
void BM_Blob_Memcpy(benchmark::State& state) {
  const auto blob = bench::randomBytes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::vector<unsigned char> wire(blob.size());
    std::memcpy(wire.data(), blob.data(), blob.size());
    std::vector<unsigned char> back(wire.size());
    std::memcpy(back.data(), wire.data(), wire.size());
    benchmark::DoNotOptimize(back.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
#define BLOB_SIZES RangeMultiplier(4)->Range(1 << 10, 1 << 20)
BENCHMARK(BM_Blob_Library)->BLOB_SIZES;
BENCHMARK(BM_Blob_OneByteRoute)->BLOB_SIZES;
BENCHMARK(BM_Blob_Cereal)->BLOB_SIZES;
BENCHMARK(BM_Blob_Msgpack)->BLOB_SIZES;
BENCHMARK(BM_Blob_Memcpy)->BLOB_SIZES;

}  // namespace

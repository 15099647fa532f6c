// Round trips through a new archive, stream or buffer each time, for the library and its peers,
// as the Google Benchmark files time them. Not for the ARM cost runner, which has no benchmark
// library.
#ifndef BENCH_ROUNDTRIPS_H
#define BENCH_ROUNDTRIPS_H

#include <benchmark/benchmark.h>

#include <sstream>

#include "PeerFields.h"

namespace bench {

// A round trip through a new archive each time.
template <class T>
void libraryNew(benchmark::State& state, const T& object) {
  for (auto _ : state) {
    Archive archive;
    archive << object;
    T back;
    archive >> back;
    benchmark::DoNotOptimize(&back);
  }
}

template <class F>
void cerealNew(benchmark::State& state, const F& fields) {
  for (auto _ : state) {
    std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
    {
      cereal::BinaryOutputArchive out(stream);
      out(fields);
    }
    F back;
    {
      cereal::BinaryInputArchive in(stream);
      in(back);
    }
    benchmark::DoNotOptimize(&back);
  }
}

template <class F>
void msgpackNew(benchmark::State& state, const F& fields) {
  for (auto _ : state) {
    msgpack::sbuffer buffer;
    msgpack::pack(buffer, fields);
    const msgpack::object_handle handle = msgpack::unpack(buffer.data(), buffer.size());
    F back;
    handle.get().convert(back);
    benchmark::DoNotOptimize(&back);
  }
}

}  // namespace bench

#endif  // BENCH_ROUNDTRIPS_H

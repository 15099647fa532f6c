// Each data object class written to and read from an archive, with realistic contents.
#include <benchmark/benchmark.h>

#include "RoundTrips.h"

namespace {

template <class T>
void writeObject(benchmark::State& state, const T& object) {
  Archive archive;
  for (auto _ : state) {
    archive.seekp(0);
    archive << object;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(archive.tellp()));
}

template <class T>
void readObject(benchmark::State& state, const T& object) {
  Archive archive;
  archive << object;
  T back;
  for (auto _ : state) {
    archive.seekg(0);
    archive >> back;
    benchmark::DoNotOptimize(&back);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(archive.str().size()));
}

#define OBJECT_BENCHMARKS(Name, make)           \
  void BM_##Name##_Write(benchmark::State& s) { \
    writeObject(s, make);                       \
  }                                             \
  void BM_##Name##_Read(benchmark::State& s) {  \
    readObject(s, make);                        \
  }                                             \
  BENCHMARK(BM_##Name##_Write);                 \
  BENCHMARK(BM_##Name##_Read)

OBJECT_BENCHMARKS(JobDataDO, bench::job());
OBJECT_BENCHMARKS(CharacteristicValueDataDO, bench::characteristic());
OBJECT_BENCHMARKS(TrendDataDO, bench::trend());
OBJECT_BENCHMARKS(AlarmDataDO, bench::alarm());
OBJECT_BENCHMARKS(AlarmLearningValuesDO, bench::learning());
OBJECT_BENCHMARKS(CharacteristicValueDataMeasurementDataMapDO, bench::link());

// MeasurementDataDO with a 200-byte details text (details=1) or none, and a blob of range(0)
// bytes.
MeasurementDataDO measurementFor(const benchmark::State& state) {
  return bench::measurement(static_cast<std::size_t>(state.range(0)),
                            state.range(1) != 0 ? bench::detailsText() : std::string());
}
void BM_MeasurementDataDO_Write(benchmark::State& s) {
  writeObject(s, measurementFor(s));
}
void BM_MeasurementDataDO_Read(benchmark::State& s) {
  readObject(s, measurementFor(s));
}
// A new archive for every round trip.
void BM_MeasurementDataDO_RoundTrip(benchmark::State& s) {
  bench::libraryNew(s, measurementFor(s));
}
#define MEASUREMENT_SIZES \
  ArgNames({"blob", "details"})->ArgsProduct({{0, 1 << 10, 64 << 10, 1 << 20}, {0, 1}})
BENCHMARK(BM_MeasurementDataDO_Write)->MEASUREMENT_SIZES;
BENCHMARK(BM_MeasurementDataDO_Read)->MEASUREMENT_SIZES;
BENCHMARK(BM_MeasurementDataDO_RoundTrip)->MEASUREMENT_SIZES;

}  // namespace

// Every class written and read back, and the same fields through cereal's binary archive and
// msgpack beside it: on one archive (stream, buffer) kept for every round trip and rewound, as
// an application that writes through one long-lived archive does, and on a new one for every
// round trip. The library also on an archive over a caller's own std::stringbuf. And what making
// an archive costs, beside making a std::stringstream.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "RoundTrips.h"

namespace {

constexpr auto kMode = std::ios::in | std::ios::out | std::ios::binary;

template <class T>
void roundTripOn(benchmark::State& state, Archive& archive, const T& object) {
  T back;
  for (auto _ : state) {
    archive.seekp(0);
    archive << object;
    archive.seekg(0);
    archive >> back;
    benchmark::DoNotOptimize(&back);
  }
}

template <class T>
void libraryReused(benchmark::State& state, const T& object) {
  Archive archive;
  roundTripOn(state, archive, object);
}

template <class T>
void libraryCallersBuffer(benchmark::State& state, const T& object) {
  std::stringbuf buffer(kMode);
  Archive archive(&buffer);
  roundTripOn(state, archive, object);
}

template <class F>
void cerealReused(benchmark::State& state, const F& fields) {
  std::stringstream stream(kMode);
  cereal::BinaryOutputArchive out(stream);
  cereal::BinaryInputArchive in(stream);
  F back;
  for (auto _ : state) {
    stream.seekp(0);
    out(fields);
    stream.seekg(0);
    in(back);
    benchmark::DoNotOptimize(&back);
  }
}

template <class F>
void msgpackReused(benchmark::State& state, const F& fields) {
  msgpack::sbuffer buffer;
  F back;
  for (auto _ : state) {
    buffer.clear();
    msgpack::pack(buffer, fields);
    const msgpack::object_handle handle = msgpack::unpack(buffer.data(), buffer.size());
    handle.get().convert(back);
    benchmark::DoNotOptimize(&back);
  }
}

// Registers BM_RoundTrip/<name>/<way>_<archive> for one class and its peer fields.
template <class T, class F>
void registerClass(const std::string& name, const T& object, const F& fields) {
  const std::string prefix = "BM_RoundTrip/" + name + "/";
  benchmark::RegisterBenchmark((prefix + "library_reused").c_str(), libraryReused<T>, object);
  benchmark::RegisterBenchmark((prefix + "library_callers_buffer").c_str(), libraryCallersBuffer<T>,
                               object);
  benchmark::RegisterBenchmark((prefix + "library_new").c_str(), bench::libraryNew<T>, object);
  benchmark::RegisterBenchmark((prefix + "cereal_reused").c_str(), cerealReused<F>, fields);
  benchmark::RegisterBenchmark((prefix + "cereal_new").c_str(), bench::cerealNew<F>, fields);
  benchmark::RegisterBenchmark((prefix + "msgpack_reused").c_str(), msgpackReused<F>, fields);
  benchmark::RegisterBenchmark((prefix + "msgpack_new").c_str(), bench::msgpackNew<F>, fields);
}

const int registered = [] {
  registerClass("JobDataDO", bench::job(), bench::jobFields());
  registerClass("AlarmDataDO", bench::alarm(), bench::alarmFields());
  registerClass("CharacteristicValueDataDO", bench::characteristic(),
                bench::characteristicFields());
  registerClass("TrendDataDO", bench::trend(), bench::trendFields());
  registerClass("AlarmLearningValuesDO", bench::learning(), bench::learningFields());
  registerClass("CharacteristicValueDataMeasurementDataMapDO", bench::link(), bench::linkFields());
  registerClass("MeasurementDataDO_64KiB", bench::measurement(64 << 10, std::string()),
                bench::measurementFields(64 << 10, false));
  return 0;
}();

void BM_Archive_New(benchmark::State& state) {
  for (auto _ : state) {
    Archive archive;
    benchmark::DoNotOptimize(&archive);
  }
}
void BM_Archive_OverCallersBuffer(benchmark::State& state) {
  std::stringbuf buffer(kMode);
  for (auto _ : state) {
    Archive archive(&buffer);
    benchmark::DoNotOptimize(&archive);
  }
}
void BM_Archive_Stringstream(benchmark::State& state) {
  for (auto _ : state) {
    std::stringstream stream(kMode);
    benchmark::DoNotOptimize(&stream);
  }
}
BENCHMARK(BM_Archive_New);
BENCHMARK(BM_Archive_OverCallersBuffer);
BENCHMARK(BM_Archive_Stringstream);

}  // namespace

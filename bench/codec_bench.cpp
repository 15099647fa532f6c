// The value codec, primitive by primitive, beside the straightforward stream routes it must
// match byte for byte: formatted insertion and extraction of doubles with precision 35, and
// byte vectors moved one byte at a time.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iomanip>
#include <random>
#include <sstream>
#include <vector>

#include "BenchSupport.h"
#include "libs/utilities/archive/Serialize"
#include "libs/utilities/archive/detail/Codec.h"

namespace {

constexpr int kBatch = 1000;

template <class T>
void encodeBatch(benchmark::State& state, const std::vector<T>& values) {
  Archive archive;
  for (auto _ : state) {
    archive.seekp(0);
    for (const T& v : values)
      KavSerialize::serialize(v, archive);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(values.size()));
}

template <class T>
void decodeBatch(benchmark::State& state, const std::vector<T>& values) {
  Archive archive;
  for (const T& v : values)
    KavSerialize::serialize(v, archive);
  std::vector<T> out(values.size());
  for (auto _ : state) {
    archive.seekg(0);
    for (T& v : out)
      KavSerialize::deserialize(v, archive);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(values.size()));
}

std::vector<long long> longLongs(bool large) {
  std::mt19937_64 random(1);
  std::vector<long long> values(kBatch);
  for (auto& v : values)
    v = large ? static_cast<long long>(random()) : static_cast<long long>(random() % 200);
  return values;
}

std::vector<double> doubles(int kind) {
  return bench::sampleDoubles(kind, static_cast<std::size_t>(kBatch));
}

std::vector<std::string> strings(std::size_t length) {
  std::vector<std::string> values(100);
  for (auto& s : values) {
    const auto bytes = bench::randomBytes(length);
    s.assign(bytes.begin(), bytes.end());
    for (char& c : s)
      c = c == 0 ? 'z' : c;
  }
  return values;
}

void BM_LongLong_Encode(benchmark::State& s) {
  encodeBatch(s, longLongs(s.range(0) != 0));
}
void BM_LongLong_Decode(benchmark::State& s) {
  decodeBatch(s, longLongs(s.range(0) != 0));
}
BENCHMARK(BM_LongLong_Encode)->ArgName("large")->Arg(0)->Arg(1);
BENCHMARK(BM_LongLong_Decode)->ArgName("large")->Arg(0)->Arg(1);

// kind: 0 random bit patterns, 1 integers, 2 specials (inf, -inf, NaN, -0).
void BM_Double_Encode(benchmark::State& s) {
  encodeBatch(s, doubles(static_cast<int>(s.range(0))));
}
void BM_Double_Decode(benchmark::State& s) {
  decodeBatch(s, doubles(static_cast<int>(s.range(0))));
}
BENCHMARK(BM_Double_Encode)->ArgName("kind")->DenseRange(0, 2);
BENCHMARK(BM_Double_Decode)->ArgName("kind")->DenseRange(0, 2);

// The straightforward route: the stream's formatted insertion and extraction, precision 35.
void BM_Double_Encode_StreamRoute(benchmark::State& state) {
  const auto values = doubles(static_cast<int>(state.range(0)));
  std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
  for (auto _ : state) {
    stream.seekp(0);
    for (double v : values)
      stream << std::setprecision(35) << v << ' ';
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
void BM_Double_Decode_StreamRoute(benchmark::State& state) {
  const auto values = doubles(static_cast<int>(state.range(0)));
  std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
  for (double v : values)
    stream << std::setprecision(35) << v << ' ';
  std::vector<double> out(values.size());
  for (auto _ : state) {
    stream.clear();
    stream.seekg(0);
    for (double& v : out) {
      stream >> v;
      stream.get();
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_Double_Encode_StreamRoute)->ArgName("kind")->DenseRange(0, 1);
BENCHMARK(BM_Double_Decode_StreamRoute)->ArgName("kind")->DenseRange(0, 1);

void BM_String_Encode(benchmark::State& s) {
  encodeBatch(s, strings(static_cast<std::size_t>(s.range(0))));
}
void BM_String_Decode(benchmark::State& s) {
  decodeBatch(s, strings(static_cast<std::size_t>(s.range(0))));
}
BENCHMARK(BM_String_Encode)->Arg(16)->Arg(1024);
BENCHMARK(BM_String_Decode)->Arg(16)->Arg(1024);

void BM_ByteVector_Encode(benchmark::State& state) {
  const auto blob = bench::randomBytes(static_cast<std::size_t>(state.range(0)));
  Archive archive;
  for (auto _ : state) {
    archive.seekp(0);
    dataobjects_data::detail::serialize_bytes(blob, archive);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_ByteVector_Decode(benchmark::State& state) {
  const auto blob = bench::randomBytes(static_cast<std::size_t>(state.range(0)));
  Archive archive;
  dataobjects_data::detail::serialize_bytes(blob, archive);
  std::vector<unsigned char> out;
  for (auto _ : state) {
    archive.seekg(0);
    archive >> out;
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
// The straightforward route: one write and one failure test per byte, one read per byte.
void BM_ByteVector_Encode_OneByteRoute(benchmark::State& state) {
  const auto blob = bench::randomBytes(static_cast<std::size_t>(state.range(0)));
  Archive archive;
  for (auto _ : state) {
    archive.seekp(0);
    KavSerialize::serialize(static_cast<unsigned long>(blob.size()), archive);
    for (const unsigned char& b : blob)
      KavSerialize::serialize(b, archive);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_ByteVector_Decode_OneByteRoute(benchmark::State& state) {
  const auto blob = bench::randomBytes(static_cast<std::size_t>(state.range(0)));
  Archive archive;
  dataobjects_data::detail::serialize_bytes(blob, archive);
  std::vector<unsigned char> out;
  for (auto _ : state) {
    archive.seekg(0);
    unsigned long count = 0;
    KavSerialize::deserialize(count, archive);
    out.resize(count);
    for (unsigned char& b : out)
      KavSerialize::deserialize(b, archive);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
// The ceiling: the same bytes copied once.
void BM_ByteVector_Memcpy(benchmark::State& state) {
  const auto blob = bench::randomBytes(static_cast<std::size_t>(state.range(0)));
  std::vector<unsigned char> out(blob.size());
  for (auto _ : state) {
    std::memcpy(out.data(), blob.data(), blob.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ByteVector_Encode)->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_ByteVector_Decode)->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_ByteVector_Encode_OneByteRoute)->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_ByteVector_Decode_OneByteRoute)->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_ByteVector_Memcpy)->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20);

}  // namespace

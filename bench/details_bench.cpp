// Details texts of 200 and 8,000 bytes compressed to gzip and decompressed, each direction on its
// own: zlib set up for every call (what a straightforward compressor does), zlib with its
// streams kept and reset (the floor for zlib's output), libdeflate's whole-buffer gzip with its
// state kept, and the library's details through a MeasurementDataDO (the setter compresses,
// the getter decompresses: each call also makes the stored vector or the text it returns), with
// one text again and again and with texts that all differ; and round trips of the two classes
// with details.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "BenchSupport.h"
#include "dataobjects/MeasurementDataDO.h"

namespace {

const std::string& text(benchmark::State& state) {
  static const std::string small = bench::detailsText(200), large = bench::detailsText(8000);
  return state.range(0) == 200 ? small : large;
}

std::vector<unsigned char> zlibCompress(const std::string& in, z_stream* kept) {
  z_stream local{};
  z_stream* z = kept;
  if (z == nullptr) {
    z = &local;
    deflateInit2(z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  } else {
    deflateReset(z);
  }
  std::vector<unsigned char> out(deflateBound(z, in.size()));
  z->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z->avail_in = static_cast<uInt>(in.size());
  z->next_out = out.data();
  z->avail_out = static_cast<uInt>(out.size());
  deflate(z, Z_FINISH);
  out.resize(z->total_out);
  if (kept == nullptr) deflateEnd(z);
  return out;
}

std::string zlibUncompress(const std::vector<unsigned char>& in, std::size_t length,
                           z_stream* kept) {
  z_stream local{};
  z_stream* z = kept;
  if (z == nullptr) {
    z = &local;
    inflateInit2(z, 15 + 16);
  } else {
    inflateReset(z);
  }
  std::string out(length, '\0');
  z->next_in = const_cast<Bytef*>(in.data());
  z->avail_in = static_cast<uInt>(in.size());
  z->next_out = reinterpret_cast<Bytef*>(&out[0]);
  z->avail_out = static_cast<uInt>(length);
  inflate(z, Z_FINISH);
  if (kept == nullptr) inflateEnd(z);
  return out;
}

// Each contender: how to compress and how to decompress, with whatever state it keeps.
struct ZlibPerCall {
  std::vector<unsigned char> compress(const std::string& in) { return zlibCompress(in, nullptr); }
  std::string decompress(const std::vector<unsigned char>& in, std::size_t length) {
    return zlibUncompress(in, length, nullptr);
  }
};

struct ZlibKeptState {
  z_stream deflater{}, inflater{};
  ZlibKeptState() {
    deflateInit2(&deflater, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    inflateInit2(&inflater, 15 + 16);
  }
  ~ZlibKeptState() {
    deflateEnd(&deflater);
    inflateEnd(&inflater);
  }
  std::vector<unsigned char> compress(const std::string& in) { return zlibCompress(in, &deflater); }
  std::string decompress(const std::vector<unsigned char>& in, std::size_t length) {
    return zlibUncompress(in, length, &inflater);
  }
};

struct Libdeflate {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  ~Libdeflate() {
    libdeflate_free_compressor(compressor);
    libdeflate_free_decompressor(decompressor);
  }
  std::vector<unsigned char> compress(const std::string& in) {
    std::vector<unsigned char> out(libdeflate_gzip_compress_bound(compressor, in.size()));
    out.resize(libdeflate_gzip_compress(compressor, in.data(), in.size(), out.data(), out.size()));
    return out;
  }
  std::string decompress(const std::vector<unsigned char>& in, std::size_t length) {
    std::string out(length, '\0');
    size_t actual = 0;
    libdeflate_gzip_decompress(decompressor, in.data(), in.size(), &out[0], out.size(), &actual);
    return out;
  }
};

// The library: the stored form is the object's; the text getter decompresses it every time. The
// same text again and again is what the compressor remembers.
struct Library {
  MeasurementDataDO object;
  std::vector<unsigned char> compress(const std::string& in) {
    object.setMeasurementDataDetails(in);
    return {};
  }
  std::string decompress(const std::vector<unsigned char>&, std::size_t) {
    return object.getMeasurementDataDetails();
  }
};

// The library with 64 texts of the same size in turn, all different: more than the compressor
// remembers, so every call compresses or decompresses.
struct LibraryDistinct {
  std::vector<std::string> texts;
  std::vector<MeasurementDataDO> objects;
  std::size_t next = 0;
  std::vector<unsigned char> compress(const std::string& in) {
    if (texts.empty()) {
      for (int variant = 1; variant <= 64; ++variant)
        texts.push_back(bench::detailsText(in.size(), variant));
      objects.resize(texts.size());
      for (std::size_t i = 0; i < texts.size(); ++i)
        objects[i].setMeasurementDataDetails(texts[i]);
    }
    objects[next].setMeasurementDataDetails(texts[next]);
    next = (next + 1) % texts.size();
    return {};
  }
  std::string decompress(const std::vector<unsigned char>&, std::size_t) {
    std::string text = objects[next].getMeasurementDataDetails();
    next = (next + 1) % objects.size();
    return text;
  }
};

template <class Way>
void BM_Details_Compress(benchmark::State& state) {
  Way way;
  for (auto _ : state)
    benchmark::DoNotOptimize(way.compress(text(state)));
}

template <class Way>
void BM_Details_Decompress(benchmark::State& state) {
  Way way;
  const std::vector<unsigned char> compressed = way.compress(text(state));
  for (auto _ : state)
    benchmark::DoNotOptimize(way.decompress(compressed, text(state).size()));
}

#define DETAILS_BENCHMARKS(Way)                                      \
  BENCHMARK_TEMPLATE(BM_Details_Compress, Way)->Arg(200)->Arg(8000); \
  BENCHMARK_TEMPLATE(BM_Details_Decompress, Way)->Arg(200)->Arg(8000)
DETAILS_BENCHMARKS(ZlibPerCall);
DETAILS_BENCHMARKS(ZlibKeptState);
DETAILS_BENCHMARKS(Libdeflate);
DETAILS_BENCHMARKS(Library);
DETAILS_BENCHMARKS(LibraryDistinct);

// Round trips on one archive reused of a MeasurementDataDO (64-byte blob) or a
// CharacteristicValueDataDO with a details text of range(0) bytes (none for 0): one object every
// time (distinct:0), or 64 objects in turn whose texts all differ (distinct:1).
template <class T>
void BM_DetailsRoundTrip(benchmark::State& state, T (*make)(std::size_t, int)) {
  const auto size = static_cast<std::size_t>(state.range(0));
  std::vector<T> objects;
  for (int variant = 1; variant <= (state.range(1) != 0 ? 64 : 1); ++variant)
    objects.push_back(make(size, variant));
  Archive archive;
  T back;
  std::size_t next = 0;
  for (auto _ : state) {
    archive.seekp(0);
    archive << objects[next];
    archive.seekg(0);
    archive >> back;
    benchmark::DoNotOptimize(&back);
    next = (next + 1) % objects.size();
  }
}
#define DETAILS_ROUND_TRIPS         \
  ArgNames({"details", "distinct"}) \
      ->Args({0, 0})                \
      ->Args({200, 0})              \
      ->Args({8000, 0})             \
      ->Args({200, 1})              \
      ->Args({8000, 1})
BENCHMARK_CAPTURE(BM_DetailsRoundTrip, MeasurementDataDO, bench::measurementWithDetails)
    ->DETAILS_ROUND_TRIPS;
BENCHMARK_CAPTURE(BM_DetailsRoundTrip, CharacteristicValueDataDO, bench::characteristicWithDetails)
    ->DETAILS_ROUND_TRIPS;

}  // namespace

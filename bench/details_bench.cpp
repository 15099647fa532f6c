// A 200-byte details text compressed to gzip and back, three ways: zlib set up for every call
// (what a straightforward compressor does), zlib with its state kept and reset per thread, and
// libdeflate's whole-buffer gzip with its compressor kept per thread. Beside them, what the
// library's details mechanism costs through a MeasurementDataDO.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <vector>

#include "BenchSupport.h"
#include "dataobjects/MeasurementDataDO.h"

namespace {

const std::string& text() {
  static const std::string t = bench::detailsText();
  return t;
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

void BM_Details_ZlibPerCall(benchmark::State& state) {
  for (auto _ : state) {
    const auto compressed = zlibCompress(text(), nullptr);
    benchmark::DoNotOptimize(zlibUncompress(compressed, text().size(), nullptr));
  }
}

void BM_Details_ZlibKeptState(benchmark::State& state) {
  z_stream deflater{}, inflater{};
  deflateInit2(&deflater, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  inflateInit2(&inflater, 15 + 16);
  for (auto _ : state) {
    const auto compressed = zlibCompress(text(), &deflater);
    benchmark::DoNotOptimize(zlibUncompress(compressed, text().size(), &inflater));
  }
  deflateEnd(&deflater);
  inflateEnd(&inflater);
}

void BM_Details_Libdeflate(benchmark::State& state) {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  for (auto _ : state) {
    std::vector<unsigned char> compressed(
        libdeflate_gzip_compress_bound(compressor, text().size()));
    compressed.resize(libdeflate_gzip_compress(compressor, text().data(), text().size(),
                                               compressed.data(), compressed.size()));
    std::string out(text().size(), '\0');
    size_t actual = 0;
    libdeflate_gzip_decompress(decompressor, compressed.data(), compressed.size(), &out[0],
                               out.size(), &actual);
    benchmark::DoNotOptimize(out);
  }
  libdeflate_free_compressor(compressor);
  libdeflate_free_decompressor(decompressor);
}

// The library's own path: the details stored compressed, then the text got back.
void BM_Details_Library(benchmark::State& state) {
  MeasurementDataDO object;
  for (auto _ : state) {
    object.setMeasurementDataDetails(text());
    benchmark::DoNotOptimize(object.getMeasurementDataDetails());
  }
}

BENCHMARK(BM_Details_ZlibPerCall);
BENCHMARK(BM_Details_ZlibKeptState);
BENCHMARK(BM_Details_Libdeflate);
BENCHMARK(BM_Details_Library);

}  // namespace

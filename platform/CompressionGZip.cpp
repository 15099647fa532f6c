#include "platform/CompressionGZip.h"

#include <zlib.h>

#include <cstring>
#include <memory>

#include "platform/ExceptionFactory.h"
#include "platform/detail/CompressionMemo.h"
#include "platform/detail/ThrowSites.h"

namespace {

using dataobjects_data::detail::CompressionMemo;
using dataobjects_data::detail::MemoBytes;

constexpr int kGzipWindowBits = 15 + 16;  // 32 KiB window, gzip header and trailer
constexpr int kDefaultMemLevel = 8;

using dataobjects_data::detail::ThrowSite;
using namespace dataobjects_data::detail::throw_sites::gzip;

// The compressor's failure at `site`, with zlib's message or ours as the reason.
CompressionException failure(const ThrowSite& site, const char* message) {
  return ExceptionFactory(site.file, site.line)
      .createException<CompressionException>("%s", message);
}

// A zlib stream that ends itself with `End` (inflateEnd or deflateEnd): when released, or with
// its owner.
template <int (*End)(z_streamp)>
struct OwnedStream {
  z_stream z{};
  bool open = false;
  void release() {
    if (open) End(&z);
    open = false;
  }
  ~OwnedStream() { release(); }
};

using InflateStream = OwnedStream<inflateEnd>;
using DeflateStream = OwnedStream<deflateEnd>;

// The streams each thread keeps and resets for every call: for the short details texts of the
// data objects, setting a zlib stream up costs as much as the work itself. The deflate stream
// has zlib's default window and memory level, so its output is byte for byte what a fresh
// stream gives; it holds about 260 KiB for as long as the thread lives. Beside them, the memo of
// the thread's recent results: objects that carry the same details text as the one before them
// are common, and their text is then copied instead of compressed again.
struct KeptStreams {
  InflateStream inflater;
  DeflateStream deflater;
  int deflaterLevel = 0;
  CompressionMemo memo;
};

KeptStreams& keptStreams() {
  thread_local KeptStreams streams;
  return streams;
}

z_stream& deflater(KeptStreams& streams, int level) {
  DeflateStream& kept = streams.deflater;
  if (kept.open && streams.deflaterLevel == level) {
    if (deflateReset(&kept.z) != Z_OK) throw failure(kDeflateFailed, "deflateReset failed");
    return kept.z;
  }
  kept.release();
  kept.z = z_stream{};
  if (deflateInit2(&kept.z, level, Z_DEFLATED, kGzipWindowBits, kDefaultMemLevel,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    throw failure(kDeflateFailed, kept.z.msg ? kept.z.msg : "deflateInit2 failed");
  }
  kept.open = true;
  streams.deflaterLevel = level;
  return kept.z;
}

z_stream& inflater(KeptStreams& streams, int windowBits) {
  InflateStream& kept = streams.inflater;
  if (kept.open) {
    if (inflateReset2(&kept.z, windowBits) != Z_OK)
      throw failure(kInflateInit, "inflateReset2 failed");
    return kept.z;
  }
  kept.z = z_stream{};
  if (inflateInit2(&kept.z, windowBits) != Z_OK) {
    throw failure(kInflateInit, kept.z.msg ? kept.z.msg : "inflateInit2 failed");
  }
  kept.open = true;
  return kept.z;
}

}  // namespace

CompressionException::CompressionException() : TesmiraException("CompressionException") {}
CompressionException::~CompressionException() = default;
TesmiraException* CompressionException::clone() const {
  return new CompressionException(*this);
}

CompressionZLibBase::CompressionZLibBase(int level, int windowBits)
    : level_(level), windowBits_(windowBits) {
  if (level < -1 || level > 9) throw failure(kBadLevel, "compression level must be -1 or 0 to 9");
}

CompressionZLibBase::~CompressionZLibBase() = default;

unsigned char* CompressionZLibBase::Compress(int length, const void* data, int& compressedLength) {
  if (length < 0 || (length > 0 && data == nullptr)) throw failure(kBadArguments, "invalid input");
  KeptStreams& streams = keptStreams();
  CompressionMemo& memo = streams.memo;
  const CompressionMemo::Input text(data, static_cast<std::size_t>(length));
  const MemoBytes known = memo.compressed(text, level_, windowBits_);
  if (known.data != nullptr) {
    unsigned char* copy = new unsigned char[known.size];
    std::memcpy(copy, known.data, known.size);
    compressedLength = static_cast<int>(known.size);
    return copy;
  }
  DeflateStream local;
  z_stream* z = nullptr;
  if (windowBits_ == kGzipWindowBits) {
    z = &deflater(streams, level_);
  } else {
    if (deflateInit2(&local.z, level_, Z_DEFLATED, windowBits_, kDefaultMemLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
      throw failure(kDeflateFailed, local.z.msg ? local.z.msg : "deflateInit2 failed");
    }
    local.open = true;
    z = &local.z;
  }
  const uLong bound = deflateBound(z, static_cast<uLong>(length));
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[bound]);
  z->next_in = static_cast<Bytef*>(const_cast<void*>(data));
  z->avail_in = static_cast<uInt>(length);
  z->next_out = buffer.get();
  z->avail_out = static_cast<uInt>(bound);
  if (deflate(z, Z_FINISH) != Z_STREAM_END) {
    throw failure(kDeflateFailed, z->msg ? z->msg : "deflate did not finish");
  }
  compressedLength = static_cast<int>(z->total_out);
  memo.rememberCompression(text, level_, windowBits_, {buffer.get(), z->total_out});
  return buffer.release();
}

int CompressionZLibBase::Uncompress(int compressedLength, const void* data, int length,
                                    void* output) {
  if (compressedLength < 0 || length < 0 || (compressedLength > 0 && data == nullptr) ||
      (length > 0 && output == nullptr)) {
    throw failure(kBadArguments, "invalid input");
  }
  KeptStreams& streams = keptStreams();
  CompressionMemo& memo = streams.memo;
  const CompressionMemo::Input compressed(data, static_cast<std::size_t>(compressedLength));
  const MemoBytes known = memo.text(compressed, static_cast<std::size_t>(length), windowBits_);
  if (known.data != nullptr) {
    if (length > 0) std::memcpy(output, known.data, known.size);
    return length;
  }
  z_stream& z = inflater(streams, windowBits_);
  z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  z.avail_in = static_cast<uInt>(compressedLength);
  z.next_out = static_cast<Bytef*>(output);
  z.avail_out = static_cast<uInt>(length);

  // A gzip file may hold several members one after another; each must be complete.
  for (;;) {
    const int status = inflate(&z, Z_FINISH);
    if (status == Z_STREAM_END) {
      if (z.avail_in == 0) break;
      if (inflateReset(&z) != Z_OK) throw failure(kCorrupt, "inflateReset failed");
      continue;
    }
    if (status == Z_NEED_DICT || status == Z_DATA_ERROR || status == Z_STREAM_ERROR ||
        status == Z_MEM_ERROR) {
      throw failure(kCorrupt, z.msg ? z.msg : "invalid compressed data");
    }
    // Z_BUF_ERROR or Z_OK: either the input ran out or the output is full.
    if (z.avail_out == 0) {
      unsigned char probe = 0;
      z.next_out = &probe;
      z.avail_out = 1;
      const int more = inflate(&z, Z_FINISH);
      if (z.avail_out == 0) throw failure(kTooLong, "decompressed data longer than expected");
      if (more == Z_STREAM_END) {
        z.next_out = static_cast<Bytef*>(output) + length;
        z.avail_out = 0;
        if (z.avail_in == 0) break;
        if (inflateReset(&z) != Z_OK) throw failure(kCorrupt, "inflateReset failed");
        continue;
      }
      if (more == Z_DATA_ERROR || more == Z_NEED_DICT || more == Z_STREAM_ERROR) {
        throw failure(kCorrupt, z.msg ? z.msg : "invalid compressed data");
      }
      throw failure(kTruncated, "unexpected end of compressed data");
    }
    throw failure(kTruncated, "unexpected end of compressed data");
  }
  if (z.avail_out != 0) throw failure(kTooShort, "decompressed data shorter than expected");
  memo.rememberDecompression(
      compressed, windowBits_,
      {static_cast<const unsigned char*>(output), static_cast<std::size_t>(length)});
  return length;
}

void CompressionZLibBase::ReleaseThreadStreams() {
  KeptStreams& streams = keptStreams();
  streams.deflater.release();
  streams.inflater.release();
  streams.memo.clear();
}

CompressionGZip::CompressionGZip(int level) : CompressionZLibBase(level, kGzipWindowBits) {}
CompressionGZip::~CompressionGZip() = default;

#include "platform/CompressionGZip.h"

#include <zlib.h>

#include <cstring>
#include <memory>

#include "libs/utilities/archive/ExceptionFactory.h"

namespace {

constexpr const char* kFile = "CompressionGZip";
constexpr int kGzipWindowBits = 15 + 16;  // 32 KiB window, gzip header and trailer

enum Line : int {
  kBadLevel = 30,
  kBadArguments = 40,
  kDeflateFailed = 50,
  kInflateInit = 60,
  kCorrupt = 70,
  kTooShort = 80,
  kTooLong = 90,
  kTruncated = 100,
};

[[noreturn]] void fail(Line line, const char* message) {
  throw ExceptionFactory(kFile, line).createException<CompressionException>("%s", message);
}

// Owns an inflate stream for the duration of one Uncompress call.
struct InflateStream {
  z_stream z{};
  bool open = false;
  ~InflateStream() {
    if (open) inflateEnd(&z);
  }
};

struct DeflateStream {
  z_stream z{};
  bool open = false;
  ~DeflateStream() {
    if (open) deflateEnd(&z);
  }
};

}  // namespace

CompressionException::CompressionException() : TesmiraException("CompressionException") {}
CompressionException::~CompressionException() = default;
TesmiraException* CompressionException::clone() const {
  return new CompressionException(*this);
}

CompressionZLibBase::CompressionZLibBase(int level, int windowBits)
    : level_(level), windowBits_(windowBits) {
  if (level < -1 || level > 9) fail(kBadLevel, "compression level must be -1 or 0 to 9");
}

CompressionZLibBase::~CompressionZLibBase() = default;

unsigned char* CompressionZLibBase::Compress(int length, const void* data, int& compressedLength) {
  if (length < 0 || (length > 0 && data == nullptr)) fail(kBadArguments, "invalid input");
  DeflateStream stream;
  if (deflateInit2(&stream.z, level_, Z_DEFLATED, windowBits_, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    fail(kDeflateFailed, stream.z.msg ? stream.z.msg : "deflateInit2 failed");
  }
  stream.open = true;
  const uLong bound = deflateBound(&stream.z, static_cast<uLong>(length));
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[bound]);
  stream.z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  stream.z.avail_in = static_cast<uInt>(length);
  stream.z.next_out = buffer.get();
  stream.z.avail_out = static_cast<uInt>(bound);
  if (deflate(&stream.z, Z_FINISH) != Z_STREAM_END) {
    fail(kDeflateFailed, stream.z.msg ? stream.z.msg : "deflate did not finish");
  }
  compressedLength = static_cast<int>(stream.z.total_out);
  return buffer.release();
}

int CompressionZLibBase::Uncompress(int compressedLength, const void* data, int length,
                                    void* output) {
  if (compressedLength < 0 || length < 0 || (compressedLength > 0 && data == nullptr) ||
      (length > 0 && output == nullptr)) {
    fail(kBadArguments, "invalid input");
  }
  InflateStream stream;
  if (inflateInit2(&stream.z, windowBits_) != Z_OK) {
    fail(kInflateInit, stream.z.msg ? stream.z.msg : "inflateInit2 failed");
  }
  stream.open = true;
  stream.z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  stream.z.avail_in = static_cast<uInt>(compressedLength);
  stream.z.next_out = static_cast<Bytef*>(output);
  stream.z.avail_out = static_cast<uInt>(length);

  // A gzip file may hold several members one after another; each must be complete.
  for (;;) {
    const int status = inflate(&stream.z, Z_FINISH);
    if (status == Z_STREAM_END) {
      if (stream.z.avail_in == 0) break;
      if (inflateReset(&stream.z) != Z_OK) fail(kCorrupt, "inflateReset failed");
      continue;
    }
    if (status == Z_NEED_DICT || status == Z_DATA_ERROR || status == Z_STREAM_ERROR ||
        status == Z_MEM_ERROR) {
      fail(kCorrupt, stream.z.msg ? stream.z.msg : "invalid compressed data");
    }
    // Z_BUF_ERROR or Z_OK: either the input ran out or the output is full.
    if (stream.z.avail_out == 0) {
      unsigned char probe = 0;
      stream.z.next_out = &probe;
      stream.z.avail_out = 1;
      const int more = inflate(&stream.z, Z_FINISH);
      if (stream.z.avail_out == 0) fail(kTooLong, "decompressed data longer than expected");
      if (more == Z_STREAM_END) {
        stream.z.next_out = static_cast<Bytef*>(output) + length;
        stream.z.avail_out = 0;
        if (stream.z.avail_in == 0) break;
        if (inflateReset(&stream.z) != Z_OK) fail(kCorrupt, "inflateReset failed");
        continue;
      }
      if (more == Z_DATA_ERROR || more == Z_NEED_DICT || more == Z_STREAM_ERROR) {
        fail(kCorrupt, stream.z.msg ? stream.z.msg : "invalid compressed data");
      }
      fail(kTruncated, "unexpected end of compressed data");
    }
    fail(kTruncated, "unexpected end of compressed data");
  }
  if (stream.z.avail_out != 0) fail(kTooShort, "decompressed data shorter than expected");
  return length;
}

CompressionGZip::CompressionGZip(int level) : CompressionZLibBase(level, kGzipWindowBits) {}
CompressionGZip::~CompressionGZip() = default;

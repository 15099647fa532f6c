/// @file
/// The gzip compressor: CompressionGZip writes complete gzip streams (RFC 1952) and reads them
/// back; CompressionException reports what the decompressor found wrong.
#ifndef PLATFORM_COMPRESSIONGZIP_H
#define PLATFORM_COMPRESSIONGZIP_H

#include "platform/Export.h"
#include "platform/TesmiraException.h"

/// Thrown by the compressor; the reason holds the decompressor's message. File "CompressionGZip".
class DATAOBJECTS_DATA_API CompressionException : public TesmiraException {
 public:
  CompressionException();
  ~CompressionException() override;
  TesmiraException* clone() const override;
};

/// zlib-based compression with the container chosen by the derived class. Each thread keeps
/// one zlib stream per direction and resets it for every call, which saves most of the cost for
/// short inputs; the output is the same as from a fresh stream with zlib's defaults. Each thread
/// also remembers its last eight results: compressing a text that it compressed a moment ago, or
/// decompressing a form that it produced or decompressed a moment ago, copies the result, which
/// is byte for byte what doing the work gives; failures are never remembered. A thread that has
/// compressed holds about 260 KiB for it, one that has decompressed about 40 KiB, and either
/// 64 KiB for the results, until it ends or calls ReleaseThreadStreams().
class DATAOBJECTS_DATA_API CompressionZLibBase {
 public:
  virtual ~CompressionZLibBase();
  CompressionZLibBase(const CompressionZLibBase&) = delete;
  CompressionZLibBase& operator=(const CompressionZLibBase&) = delete;

  /// Compresses `length` bytes at `data`. Returns a buffer allocated with new[] (release it with
  /// delete[]) and sets `compressedLength` to the number of bytes in it.
  unsigned char* Compress(int length, const void* data, int& compressedLength);

  /// Decompresses `compressedLength` bytes at `data` into `output`, which has room for exactly
  /// `length` bytes, and returns `length`. Throws CompressionException unless the input is one or
  /// more complete, valid streams that together decompress to exactly `length` bytes.
  int Uncompress(int compressedLength, const void* data, int length, void* output);

  /// Releases the zlib streams and the results that the calling thread keeps between calls. A
  /// long-lived thread that is done compressing for a while calls it to give the memory back; its
  /// next call sets the streams up again. Other threads' streams are not touched.
  static void ReleaseThreadStreams();

 protected:
  /// `level`: -1 for zlib's default level, otherwise 0 to 9. `windowBits` selects the container.
  CompressionZLibBase(int level, int windowBits);

 private:
  int level_;
  int windowBits_;
};

class DATAOBJECTS_DATA_API CompressionGZip : public CompressionZLibBase {
 public:
  /// `level`: -1 for zlib's default level, otherwise 0 (store) to 9 (smallest).
  explicit CompressionGZip(int level);
  ~CompressionGZip() override;
};

#endif  // PLATFORM_COMPRESSIONGZIP_H

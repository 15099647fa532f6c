#include "dataobjects/CompressedDetails.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "libs/utilities/archive/DataObjectException.h"
#include "libs/utilities/archive/ExceptionFactory.h"
#include "libs/utilities/archive/Serialize"
#include "platform/CompressionGZip.h"

namespace {

constexpr std::size_t kHeaderSize = 4;
// Deflate turns 2 bits into at most 258 bytes, so no stream produces more than 1032 bytes per
// input byte; a recorded length beyond that is corrupt whatever the stream holds.
constexpr std::uint64_t kMaxExpansion = 1032;

// Where the details code itself rejects stored bytes before the decompressor sees them.
constexpr const char kFile[] = "CompressedDetails";
constexpr int kShortHeaderLine = 1;
constexpr int kImplausibleLengthLine = 2;

[[noreturn]] void throwDatabaseError(const CompressionException& cause, const char* file,
                                     int line) {
  throw ExceptionFactory(file, line)
      .createException<DataObjectException>(cause, "Database error: %s. Reason: %s",
                                            "deactivate all", cause.Reason());
}

void checkCompressible(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw std::length_error("details text too long to compress");
  }
}

CompressionException rejected(int line, const std::string& reason) {
  return ExceptionFactory(kFile, line).createException<CompressionException>("%s", reason.c_str());
}

}  // namespace

namespace dataobjects_data {
namespace detail {

CompressedDetails::CompressedDetails(const CompressedDetails& other) = default;
CompressedDetails::~CompressedDetails() = default;

std::string CompressedDetails::text(long long externalReference, ExternalReferenceLoader loader,
                                    const ErrorSite& site) const {
  if (!pending_.empty()) return text_;
  if (bytes_.empty() && externalReference != -1 && loader != nullptr) {
    bytes_ = loader(externalReference);
  }
  if (bytes_.empty()) return std::string();
  if (bytes_ != textOf_) {
    std::string text = decompress(bytes_, site);
    text_.swap(text);
    textOf_ = bytes_;
  }
  return text_;
}

void CompressedDetails::setText(const char* data, std::size_t size) {
  if (size == 0) {
    bytes_.clear();
    pending_.clear();
    return;
  }
  std::vector<unsigned char> stored = compress(data, size);
  textOf_.clear();
  text_.assign(data, static_cast<std::size_t>(std::find(data, data + size, '\0') - data));
  textOf_ = stored;
  bytes_.swap(stored);
  pending_.clear();
}

void CompressedDetails::read(Archive& archive) {
  std::vector<unsigned char> slot;
  archive >> slot;
  if (slot.empty()) {
    bytes_.clear();
    pending_.clear();
    return;
  }
  checkCompressible(slot.size());
  const auto* data = reinterpret_cast<const char*>(slot.data());
  text_.assign(data, static_cast<std::size_t>(std::find(data, data + slot.size(), '\0') - data));
  textOf_.clear();
  bytes_.clear();
  pending_.swap(slot);
}

void CompressedDetails::compressPending() const {
  std::vector<unsigned char> stored =
      compress(reinterpret_cast<const char*>(pending_.data()), pending_.size());
  textOf_ = stored;
  bytes_.swap(stored);
  pending_.clear();
  pending_.shrink_to_fit();
}

std::vector<unsigned char> CompressedDetails::compress(const char* data, std::size_t size) {
  checkCompressible(size);
  CompressionGZip compressor(-1);
  int compressedLength = 0;
  std::unique_ptr<unsigned char[]> compressed(
      compressor.Compress(static_cast<int>(size), data, compressedLength));
  std::vector<unsigned char> stored(kHeaderSize + static_cast<std::size_t>(compressedLength));
  const auto length = static_cast<std::uint32_t>(size);
  for (std::size_t i = 0; i < kHeaderSize; ++i) {
    stored[i] = static_cast<unsigned char>((length >> (8 * i)) & 0xFF);
  }
  if (compressedLength > 0) {
    std::memcpy(stored.data() + kHeaderSize, compressed.get(),
                static_cast<std::size_t>(compressedLength));
  }
  return stored;
}

std::string CompressedDetails::decompress(const std::vector<unsigned char>& stored,
                                          const ErrorSite& site) {
  if (stored.size() < kHeaderSize) {
    throwDatabaseError(rejected(kShortHeaderLine, "compressed details shorter than their header"),
                       site.file, site.line);
  }
  const std::uint32_t length =
      static_cast<std::uint32_t>(stored[0]) | static_cast<std::uint32_t>(stored[1]) << 8 |
      static_cast<std::uint32_t>(stored[2]) << 16 | static_cast<std::uint32_t>(stored[3]) << 24;
  const std::size_t compressedSize = stored.size() - kHeaderSize;
  if (length > static_cast<std::uint32_t>(INT_MAX) ||
      compressedSize > static_cast<std::size_t>(INT_MAX) ||
      length > kMaxExpansion * compressedSize) {
    throwDatabaseError(rejected(kImplausibleLengthLine,
                                "recorded length " + std::to_string(length) + " is more than " +
                                    std::to_string(compressedSize) + " compressed bytes can hold"),
                       site.file, site.line);
  }
  CompressionGZip compressor(-1);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  try {
    compressor.Uncompress(static_cast<int>(compressedSize), stored.data() + kHeaderSize,
                          static_cast<int>(length), &text[0]);
  } catch (const CompressionException& cause) {
    throwDatabaseError(cause, site.file, site.line);
  }
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace detail
}  // namespace dataobjects_data

#include "dataobjects/detail/CompressedDetails.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "libs/utilities/archive/DataObjectException.h"
#include "libs/utilities/archive/ExceptionFactory.h"
#include "libs/utilities/archive/Serialize"
#include "libs/utilities/archive/detail/Codec.h"
#include "platform/CompressionGZip.h"

namespace dataobjects_data {
namespace detail {
namespace {

constexpr std::size_t kHeaderSize = 4;
// Deflate turns 2 bits into at most 258 bytes, so no stream produces more than 1032 bytes per
// input byte; a recorded length beyond that is corrupt whatever the stream holds.
constexpr std::uint64_t kMaxExpansion = 1032;

namespace sites = throw_sites::details;

// The owning class's details error at `site`, caused by `cause`.
DataObjectException databaseError(const CompressionException& cause, const ThrowSite& site) {
  return ExceptionFactory(site.file, site.line)
      .createException<DataObjectException>(cause, "Database error: %s. Reason: %s",
                                            "deactivate all", cause.Reason());
}

void checkCompressible(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw std::length_error("details text too long to compress");
  }
}

// Stored bytes that the details code refuses at `site` before the decompressor sees them.
CompressionException rejected(const ThrowSite& site, const std::string& reason) {
  return ExceptionFactory(site.file, site.line)
      .createException<CompressionException>("%s", reason.c_str());
}

// The stored form of `size` bytes at `data`: the 4-byte length, then the gzip stream, in a
// vector whose capacity is its size.
std::vector<unsigned char> compress(const char* data, std::size_t size) {
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

// The text held in `stored`, cut at its first zero byte; failures as described in the header.
std::string decompress(const std::vector<unsigned char>& stored, const ThrowSite& site) {
  if (stored.size() < kHeaderSize) {
    throw databaseError(
        rejected(sites::kShortHeader, "compressed details shorter than their header"), site);
  }
  const std::uint32_t length =
      static_cast<std::uint32_t>(stored[0]) | static_cast<std::uint32_t>(stored[1]) << 8 |
      static_cast<std::uint32_t>(stored[2]) << 16 | static_cast<std::uint32_t>(stored[3]) << 24;
  const std::size_t compressedSize = stored.size() - kHeaderSize;
  if (length > static_cast<std::uint32_t>(INT_MAX) ||
      compressedSize > static_cast<std::size_t>(INT_MAX) ||
      length > kMaxExpansion * compressedSize) {
    throw databaseError(rejected(sites::kImplausibleLength,
                                 "recorded length " + std::to_string(length) + " is more than " +
                                     std::to_string(compressedSize) + " compressed bytes can hold"),
                        site);
  }
  CompressionGZip compressor(-1);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  try {
    compressor.Uncompress(static_cast<int>(compressedSize), stored.data() + kHeaderSize,
                          static_cast<int>(length), &text[0]);
  } catch (const CompressionException& cause) {
    throw databaseError(cause, site);
  }
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace

std::string detailsText(std::vector<unsigned char>& stored, long long externalReference,
                        ExternalReferenceLoader loader, const ThrowSite& site) {
  if (stored.empty() && externalReference != -1 && loader != nullptr) {
    std::vector<unsigned char> fetched = loader(externalReference);
    if (fetched.capacity() != fetched.size()) fetched.shrink_to_fit();
    stored.swap(fetched);
  }
  if (stored.empty()) return std::string();
  return decompress(stored, site);
}

void storeDetailsText(std::vector<unsigned char>& stored, const char* text, std::size_t size) {
  if (size == 0) {
    releaseStoredDetails(stored);
    return;
  }
  std::vector<unsigned char> compressed = compress(text, size);
  stored.swap(compressed);
}

void readDetailsText(Archive& archive, std::vector<unsigned char>& stored) {
  std::vector<unsigned char> text;
  deserialize_bytes(text, archive);
  storeDetailsText(stored, reinterpret_cast<const char*>(text.data()), text.size());
}

void assignStoredDetails(std::vector<unsigned char>& stored,
                         const std::vector<unsigned char>& bytes) {
  std::vector<unsigned char> copy(bytes);
  stored.swap(copy);
}

void releaseStoredDetails(std::vector<unsigned char>& stored) noexcept {
  std::vector<unsigned char>().swap(stored);
}

}  // namespace detail
}  // namespace dataobjects_data

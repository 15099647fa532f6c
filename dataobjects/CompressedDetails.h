/// @file
/// CompressedDetails: a details text held gzip-compressed, as CharacteristicValueDataDO and
/// MeasurementDataDO keep theirs.
///
/// Stored form: empty for no text; otherwise bytes 0-3 hold the text's length (unsigned 32-bit,
/// little-endian) and the rest is one gzip stream of the whole text. When nothing is held and
/// the object has an external reference other than -1, the text getter first fetches the stored
/// form through the object's ExternalReferenceLoader and keeps what it returns.
///
/// Stored bytes that cannot be decompressed make the text getter throw a DataObjectException
/// `"Database error: deactivate all. Reason: <the decompressor's reason>"` with the owning class's
/// file and line and the CompressionException as its root cause. A stored form shorter than its
/// 4-byte header, or one that records a length the compressed bytes cannot produce (more than
/// 1032 bytes per compressed byte, or more than fits an int), is reported the same way without
/// allocating for the recorded length.
///
/// A text read from an archive is compressed only when its stored form is first asked for
/// (bytes()); until then the object answers from the text itself. An object that is read and
/// written again, compared or printed never pays for compression.
#ifndef DATAOBJECTS_COMPRESSEDDETAILS_H
#define DATAOBJECTS_COMPRESSEDDETAILS_H

#include <cstddef>
#include <string>
#include <vector>

#include "dataobjects/BaseDataObject.h"
#include "platform/Archive.h"
#include "platform/Export.h"

namespace dataobjects_data {
namespace detail {

/// The file (static storage) and line with which a class reports details it cannot decompress.
struct ErrorSite {
  const char* file;
  int line;
};

class CompressedDetails {
 public:
  CompressedDetails() = default;
  CompressedDetails(const CompressedDetails& other);
  ~CompressedDetails();
  CompressedDetails& operator=(const CompressedDetails& other) {
    bytes_ = other.bytes_;
    text_ = other.text_;
    textOf_ = other.textOf_;
    pending_ = other.pending_;
    return *this;
  }

  /// The text, cut at its first zero byte. Fetches through `loader` first when nothing is held
  /// and `externalReference` is not -1 (a loader returning nothing is asked again next time).
  std::string text(long long externalReference, ExternalReferenceLoader loader,
                   const ErrorSite& site) const;

  /// Stores `text` compressed; the empty text is stored as nothing, without compressing. If the
  /// compressor throws, the stored bytes stay as they were.
  void setText(const std::string& text) { setText(text.data(), text.size()); }
  void setText(const char* data, std::size_t size);

  /// Reads the details slot of an archive (a byte vector on the wire) and stores the bytes read
  /// as the text, to be compressed when first needed. After a failure the stored bytes are
  /// unchanged.
  void read(Archive& archive);

  /// The stored form; compresses a text read from an archive first.
  const std::vector<unsigned char>& bytes() const {
    if (!pending_.empty()) compressPending();
    return bytes_;
  }
  std::vector<unsigned char>& bytes() {
    if (!pending_.empty()) compressPending();
    return bytes_;
  }
  void setBytes(const std::vector<unsigned char>& bytes) {
    bytes_ = bytes;
    pending_.clear();
  }
  void clear() {
    bytes_.clear();
    textOf_.clear();
    pending_.clear();
  }

  /// The stored form of `size` bytes at `data`: the 4-byte length, then the gzip stream.
  static std::vector<unsigned char> compress(const char* data, std::size_t size);
  /// The text held in `stored`, cut at its first zero byte; failures as described above.
  static std::string decompress(const std::vector<unsigned char>& stored, const ErrorSite& site);

 private:
  void compressPending() const;

  mutable std::vector<unsigned char> bytes_;
  /// The text last compressed into, or decompressed from, the stored bytes `textOf_`. It stands
  /// for the stored bytes while they still equal `textOf_` (they are compared, since a caller
  /// may change them through bytes()), and spares decompressing them again.
  mutable std::string text_;
  mutable std::vector<unsigned char> textOf_;
  /// A text read from an archive, not compressed yet; while it is not empty it stands for the
  /// stored bytes, and text_ holds it cut at its first zero byte.
  mutable std::vector<unsigned char> pending_;
};

}  // namespace detail
}  // namespace dataobjects_data

#endif  // DATAOBJECTS_COMPRESSEDDETAILS_H

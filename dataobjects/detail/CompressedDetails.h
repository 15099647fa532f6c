/// @file
/// The compressed details of CharacteristicValueDataDO and MeasurementDataDO: a details text held
/// only in its stored form, a byte vector of the owning object.
///
/// Stored form: empty for no text; otherwise bytes 0-3 hold the text's length (unsigned 32-bit,
/// little-endian) and the rest is one gzip stream of the whole text. The vector's capacity is its
/// size, so an object holds its stored bytes and nothing more. The text is never kept: every
/// request decompresses. When nothing is stored and the object has an external reference other
/// than -1, the text is first fetched through the object's ExternalReferenceLoader, and the bytes
/// it returns stay stored.
///
/// Stored bytes that cannot be decompressed make the text request throw a DataObjectException
/// `"Database error: deactivate all. Reason: <the decompressor's reason>"` from the owning class's
/// throw site, with the CompressionException as its root cause. A stored form shorter than its
/// 4-byte header, or one that records a length the compressed bytes cannot produce (more than
/// 1032 bytes per compressed byte, or more than fits an int), is reported the same way without
/// allocating for the recorded length.
///
/// Every function that replaces the stored bytes does so only once the new ones are complete, so
/// a failure (the compressor's, a short archive, memory) leaves them as they were. The vector
/// object itself is never replaced: a reference to it stays valid.
#ifndef DATAOBJECTS_DETAIL_COMPRESSEDDETAILS_H
#define DATAOBJECTS_DETAIL_COMPRESSEDDETAILS_H

#include <string>
#include <vector>

#include "dataobjects/BaseDataObject.h"
#include "platform/Archive.h"
#include "platform/detail/ThrowSites.h"

namespace dataobjects_data {
namespace detail {

/// The text in `stored`, cut at its first zero byte; fetched through `loader` into `stored`
/// first when `stored` is empty and `externalReference` is not -1.
std::string detailsText(std::vector<unsigned char>& stored, long long externalReference,
                        ExternalReferenceLoader loader, const ThrowSite& site);

/// Stores `size` bytes at `text` compressed; the empty text as an empty vector, without
/// compressing.
void storeDetailsText(std::vector<unsigned char>& stored, const char* text, std::size_t size);
inline void storeDetailsText(std::vector<unsigned char>& stored, const std::string& text) {
  storeDetailsText(stored, text.data(), text.size());
}

/// Reads the details slot of an archive (a byte vector on the wire) and stores the bytes read
/// as the text, compressed.
void readDetailsText(Archive& archive, std::vector<unsigned char>& stored);

/// Replaces the stored bytes with a copy of `bytes`, unchecked.
void assignStoredDetails(std::vector<unsigned char>& stored,
                         const std::vector<unsigned char>& bytes);

/// Empties the stored bytes and releases their memory.
void releaseStoredDetails(std::vector<unsigned char>& stored) noexcept;

}  // namespace detail
}  // namespace dataobjects_data

#endif  // DATAOBJECTS_DETAIL_COMPRESSEDDETAILS_H

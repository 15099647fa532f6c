/// @file
/// The memo of recent results that the gzip compressor keeps per thread: texts and the forms
/// they were compressed to or decompressed from, so that the same work asked again is a copy.
/// Only the library's sources include this header; it is not installed.
#ifndef PLATFORM_DETAIL_COMPRESSIONMEMO_H
#define PLATFORM_DETAIL_COMPRESSIONMEMO_H

#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace dataobjects_data {
namespace detail {

/// Bytes found in the memo or handed to it. `data` is null when nothing was found.
struct MemoBytes {
  const unsigned char* data;
  std::size_t size;
};

/// Up to kEntries pairs of a text and its compressed form, in one block of `budget` bytes that
/// is allocated when the first pair is remembered. A new pair takes the place after the last
/// one (from the start again when it does not fit before the end) and pushes out the pairs it
/// overlaps, and the oldest pair when every entry is taken. A pair larger than the budget is not
/// remembered. A lookup answers only with a pair whose input equals the one given byte for byte;
/// hashes just skip the pairs that cannot match.
class CompressionMemo {
 public:
  static constexpr std::size_t kEntries = 8;
  static constexpr std::size_t kBudget = 64 * 1024;

  /// The bytes of a lookup, hashed once for the lookup and for remembering them after a miss.
  class Input {
   public:
    Input(const void* data, std::size_t size);
    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::uint32_t hash() const { return hash_; }

   private:
    const unsigned char* data_;
    std::size_t size_;
    std::uint32_t hash_;
  };

  explicit CompressionMemo(std::size_t budget = kBudget) : budget_(budget) {}

  /// The form that compressing `text` at `level` with `windowBits` gave.
  MemoBytes compressed(const Input& text, int level, int windowBits) const;

  /// The text of exactly `textSize` bytes that `compressed` decompressed to with `windowBits`.
  MemoBytes text(const Input& compressed, std::size_t textSize, int windowBits) const;

  /// Remembers that compressing `text` at `level` gave `compressed`. A pair that decompressing
  /// the same form made is marked as this compression's instead of being held twice.
  void rememberCompression(const Input& text, int level, int windowBits, MemoBytes compressed);

  /// Remembers that `compressed` decompressed to `text`; compressing that text does not find it.
  void rememberDecompression(const Input& compressed, int windowBits, MemoBytes text);

  /// Forgets every pair and releases the block.
  void clear() noexcept;

 private:
  // Each entry is in one of three states:
  //  - free: `added` is kFree, and its other members are left from an earlier pair;
  //  - holding a pair that compressing at `level` gave: both lookups find it;
  //  - holding a pair that only decompressing gave: `level` is kDecompressedOnly, which no
  //    compressor has, so compressed() passes over it and text() alone finds it.
  struct Entry {
    static constexpr std::uint64_t kFree = 0;
    static constexpr int kDecompressedOnly = INT_MIN;

    std::uint64_t added = kFree;  // order of remembering, from 1
    std::size_t offset = 0;       // in the block: the compressed form, then the text
    std::size_t compressedSize = 0;
    std::size_t textSize = 0;
    std::uint32_t compressedHash = 0;
    std::uint32_t textHash = 0;  // with a level only
    int windowBits = 0;
    int level = kDecompressedOnly;

    bool holdsPair() const { return added != kFree; }
    void forget() { added = kFree; }
  };

  const Entry* withForm(const Input& compressed, std::size_t textSize, int windowBits) const;
  Entry* place(std::size_t size);

  std::size_t budget_;
  std::unique_ptr<unsigned char[]> block_;
  std::size_t next_ = 0;  // where the next pair goes
  std::uint64_t added_ = 0;
  Entry entries_[kEntries];
};

}  // namespace detail
}  // namespace dataobjects_data

#endif  // PLATFORM_DETAIL_COMPRESSIONMEMO_H

#include "platform/detail/CompressionMemo.h"

#include <cstring>

namespace dataobjects_data {
namespace detail {
namespace {

constexpr std::uint32_t kMultiplier = 0x9E3779B1u;

std::uint32_t word(const unsigned char* at) {
  std::uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// Four interleaved multiplicative hashes over 32-bit words: cheap, and enough to pass over the
// pairs whose bytes need not be compared.
std::uint32_t hashOf(const unsigned char* data, std::size_t size) {
  std::uint32_t a = static_cast<std::uint32_t>(size), b = 0, c = 0, d = 0;
  const unsigned char* at = data;
  for (const unsigned char* end = data + size / 16 * 16; at != end; at += 16) {
    a = a * kMultiplier + word(at);
    b = b * kMultiplier + word(at + 4);
    c = c * kMultiplier + word(at + 8);
    d = d * kMultiplier + word(at + 12);
  }
  for (const unsigned char* end = data + size / 4 * 4; at != end; at += 4)
    a = a * kMultiplier + word(at);
  for (const unsigned char* end = data + size; at != end; ++at)
    a = a * kMultiplier + *at;
  return ((a * kMultiplier + b) * kMultiplier + c) * kMultiplier + d;
}

bool sameBytes(const unsigned char* held, const CompressionMemo::Input& input) {
  return input.size() == 0 || std::memcmp(held, input.data(), input.size()) == 0;
}

void copy(unsigned char* to, MemoBytes from) {
  if (from.size > 0) std::memcpy(to, from.data, from.size);
}

}  // namespace

CompressionMemo::Input::Input(const void* data, std::size_t size)
    : data_(static_cast<const unsigned char*>(data)), size_(size), hash_(hashOf(data_, size)) {}

MemoBytes CompressionMemo::compressed(const Input& text, int level, int windowBits) const {
  for (const Entry& entry : entries_) {
    if (entry.holdsPair() && entry.textHash == text.hash() && entry.textSize == text.size() &&
        entry.level == level && entry.windowBits == windowBits &&
        sameBytes(block_.get() + entry.offset + entry.compressedSize, text)) {
      return {block_.get() + entry.offset, entry.compressedSize};
    }
  }
  return {nullptr, 0};
}

MemoBytes CompressionMemo::text(const Input& compressed, std::size_t textSize,
                                int windowBits) const {
  const Entry* entry = withForm(compressed, textSize, windowBits);
  if (entry == nullptr) return {nullptr, 0};
  return {block_.get() + entry->offset + entry->compressedSize, entry->textSize};
}

const CompressionMemo::Entry* CompressionMemo::withForm(const Input& compressed,
                                                        std::size_t textSize,
                                                        int windowBits) const {
  for (const Entry& entry : entries_) {
    if (entry.holdsPair() && entry.compressedHash == compressed.hash() &&
        entry.compressedSize == compressed.size() && entry.textSize == textSize &&
        entry.windowBits == windowBits && sameBytes(block_.get() + entry.offset, compressed)) {
      return &entry;
    }
  }
  return nullptr;
}

void CompressionMemo::rememberCompression(const Input& text, int level, int windowBits,
                                          MemoBytes compressed) {
  const Input form(compressed.data, compressed.size);
  if (const Entry* known = withForm(form, text.size(), windowBits)) {
    // The same form decompresses to one text only: this one.
    Entry& entry = entries_[known - entries_];
    entry.level = level;
    entry.textHash = text.hash();
    return;
  }
  Entry* entry = place(compressed.size + text.size());
  if (entry == nullptr) return;
  copy(block_.get() + entry->offset, compressed);
  copy(block_.get() + entry->offset + compressed.size, {text.data(), text.size()});
  entry->compressedSize = compressed.size;
  entry->textSize = text.size();
  entry->compressedHash = form.hash();
  entry->textHash = text.hash();
  entry->windowBits = windowBits;
  entry->level = level;
}

void CompressionMemo::rememberDecompression(const Input& compressed, int windowBits,
                                            MemoBytes text) {
  Entry* entry = place(compressed.size() + text.size);
  if (entry == nullptr) return;
  copy(block_.get() + entry->offset, {compressed.data(), compressed.size()});
  copy(block_.get() + entry->offset + compressed.size(), text);
  entry->compressedSize = compressed.size();
  entry->textSize = text.size;
  entry->compressedHash = compressed.hash();
  entry->windowBits = windowBits;
  entry->level = Entry::kDecompressedOnly;
}

// An entry for a pair of `size` bytes at the block's next free place, the pairs it overlaps and,
// with every entry taken, the oldest forgotten; null when the pair exceeds the budget.
CompressionMemo::Entry* CompressionMemo::place(std::size_t size) {
  if (size > budget_) return nullptr;
  if (!block_) block_.reset(new unsigned char[budget_]);
  if (size > budget_ - next_) next_ = 0;
  const std::size_t begin = next_, end = next_ + size;
  Entry* free = nullptr;
  Entry* oldest = nullptr;
  for (Entry& entry : entries_) {
    if (entry.holdsPair() && entry.offset < end &&
        begin < entry.offset + entry.compressedSize + entry.textSize) {
      entry.forget();
    }
    if (!entry.holdsPair()) {
      if (free == nullptr) free = &entry;
    } else if (oldest == nullptr || entry.added < oldest->added) {
      oldest = &entry;
    }
  }
  Entry* entry = free != nullptr ? free : oldest;
  entry->added = ++added_;
  entry->offset = begin;
  next_ = end;
  return entry;
}

void CompressionMemo::clear() noexcept {
  for (Entry& entry : entries_)
    entry.forget();
  block_.reset();
  next_ = 0;
}

}  // namespace detail
}  // namespace dataobjects_data

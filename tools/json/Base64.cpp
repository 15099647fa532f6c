#include "tools/json/Base64.h"

#include <cstdint>
#include <stdexcept>

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int digitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

std::string base64Encode(const std::vector<unsigned char>& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
    if (n > 1) group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
    if (n > 2) group |= bytes[i + 2];
    for (std::size_t k = 0; k < 4; ++k) {
      text.push_back(k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=');
    }
  }
  return text;
}

std::vector<unsigned char> base64Decode(const std::string& text) {
  if (text.size() % 4 != 0) throw std::invalid_argument("base64 length is not a multiple of 4");
  std::vector<unsigned char> bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const std::size_t padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const int value = k >= 4 - padding ? 0 : digitValue(text[i + k]);
      if (value < 0) throw std::invalid_argument("not a base64 digit");
      group = group << 6 | static_cast<std::uint32_t>(value);
    }
    const std::size_t n = 3 - padding;
    for (std::size_t k = 0; k < n; ++k) {
      bytes.push_back(static_cast<unsigned char>(group >> (16 - 8 * k)));
    }
    // Canonical only: the bits dropped by padding must be zero.
    if (padding > 0 && (group & ((1u << (8 * padding)) - 1)) != 0) {
      throw std::invalid_argument("base64 padding bits are not zero");
    }
  }
  return bytes;
}

#include "platform/Uuid.h"

#include <uuid/uuid.h>

#include <stdexcept>

Uuid Uuid::generate() {
  uuid_t raw;
  uuid_generate_random(raw);
  Bytes bytes;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = raw[i];
  return Uuid(bytes);
}

Uuid Uuid::fromString(const std::string& text) {
  // uuid_parse stops at a terminating zero, so a text with an embedded zero byte must be refused
  // here rather than parsed up to it.
  uuid_t raw;
  if (text.size() != 36 || text.find('\0') != std::string::npos ||
      uuid_parse(text.c_str(), raw) != 0) {
    throw std::invalid_argument("not a canonical UUID text: \"" + text + "\"");
  }
  Bytes bytes;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = raw[i];
  return Uuid(bytes);
}

std::string Uuid::toString() const {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(36);
  for (std::size_t i = 0; i < bytes_.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
    text.push_back(kDigits[bytes_[i] >> 4]);
    text.push_back(kDigits[bytes_[i] & 0x0F]);
  }
  return text;
}

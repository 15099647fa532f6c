/// @file
/// Uuid: a 16-byte UUID value, ordered byte by byte like its canonical text.
#ifndef PLATFORM_UUID_H
#define PLATFORM_UUID_H

#include <array>
#include <cstdint>
#include <string>

#include "platform/Export.h"

class DATAOBJECTS_DATA_API Uuid {
 public:
  using Bytes = std::array<std::uint8_t, 16>;

  /// The nil UUID (all sixteen bytes zero).
  Uuid() : bytes_{} {}
  explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

  /// A new random (version 4) UUID.
  static Uuid generate();
  /// Parses the canonical text xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx (hex digits in either case);
  /// any other text throws std::invalid_argument.
  static Uuid fromString(const std::string& text);

  /// The canonical 36-character text in lower case.
  std::string toString() const;

  /// The bytes in text order: bytes()[0] is the first written and the most significant.
  const Bytes& bytes() const { return bytes_; }

  bool operator<(const Uuid& other) const { return bytes_ < other.bytes_; }
  bool operator>(const Uuid& other) const { return other.bytes_ < bytes_; }
  bool operator==(const Uuid& other) const { return bytes_ == other.bytes_; }
  bool operator!=(const Uuid& other) const { return bytes_ != other.bytes_; }

 private:
  Bytes bytes_;
};

#endif  // PLATFORM_UUID_H

/// @file
/// Archive: the binary byte stream that data objects are written to and read from. Bytes come
/// back from the input side in the order they were written to the output side.
#ifndef PLATFORM_ARCHIVE_H
#define PLATFORM_ARCHIVE_H

#include <iostream>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>

#include "platform/Export.h"

class DATAOBJECTS_DATA_API Archive : public std::iostream {
 public:
  /// An empty in-memory archive that owns its buffer.
  Archive();
  /// An in-memory archive whose input side starts at the first of `bytes`; what is written goes
  /// after them.
  explicit Archive(const std::string& bytes);
  /// An archive over a caller's buffer (a file, a socket, a test buffer); the buffer is not owned.
  explicit Archive(std::streambuf* buffer);
  ~Archive() override;

  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  /// Every byte of the owned in-memory buffer, read or not; empty for an archive over a caller's
  /// buffer.
  std::string str() const;

 private:
  /// The in-memory buffer of an archive that owns one; none over a caller's buffer.
  std::optional<std::stringbuf> owned_;
};

#endif  // PLATFORM_ARCHIVE_H

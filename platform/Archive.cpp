#include "platform/Archive.h"

namespace {
constexpr std::ios_base::openmode kMemoryMode =
    std::ios_base::in | std::ios_base::out | std::ios_base::binary;
}

Archive::Archive() : std::iostream(nullptr), owned_(std::in_place, kMemoryMode) {
  rdbuf(&*owned_);
}

Archive::Archive(const std::string& bytes)
    : std::iostream(nullptr), owned_(std::in_place, bytes, kMemoryMode | std::ios_base::ate) {
  rdbuf(&*owned_);
}

Archive::Archive(std::streambuf* buffer) : std::iostream(buffer) {}

Archive::~Archive() = default;

std::string Archive::str() const {
  return owned_ ? owned_->str() : std::string();
}

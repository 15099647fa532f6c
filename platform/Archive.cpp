#include "platform/Archive.h"

namespace {
constexpr std::ios_base::openmode kMemoryMode =
    std::ios_base::in | std::ios_base::out | std::ios_base::binary;
}

Archive::Archive() : std::iostream(nullptr), owned_(kMemoryMode), ownsBuffer_(true) {
  rdbuf(&owned_);
}

Archive::Archive(const std::string& bytes)
    : std::iostream(nullptr), owned_(bytes, kMemoryMode | std::ios_base::ate), ownsBuffer_(true) {
  rdbuf(&owned_);
}

Archive::Archive(std::streambuf* buffer)
    : std::iostream(buffer), owned_(kMemoryMode), ownsBuffer_(false) {}

Archive::~Archive() = default;

std::string Archive::str() const {
  return ownsBuffer_ ? owned_.str() : std::string();
}

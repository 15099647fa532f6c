#include "libs/utilities/archive/Serialize"

#include <algorithm>

namespace KavSerialize {

SerializationException::SerializationException() : TesmiraException("SerializationException") {}
SerializationException::~SerializationException() = default;
TesmiraException* SerializationException::clone() const {
  return new SerializationException(*this);
}

namespace ser_helper {

namespace {
constexpr const char kWriteFormat[] = "Serializing of object %s failed";
constexpr const char kReadFormat[] = "Deserializing of object %s failed";
// The first chunk of a string body whose length exceeds what the stream says it holds.
constexpr std::size_t kFirstChunk = 64 * 1024;
}  // namespace

void throwWriteFailure(const char* typeName, int line) {
  throw ExceptionFactory(kFile, line)
      .createException<SerializationException>(kWriteFormat, typeName);
}

void throwReadFailure(const char* typeName, int line) {
  throw ExceptionFactory(kFile, line)
      .createException<SerializationException>(kReadFormat, typeName);
}

void throwWriteFailure(const TesmiraException& cause, const char* typeName, int line) {
  throw ExceptionFactory(kFile, line)
      .createException<SerializationException>(cause, kWriteFormat, typeName);
}

void throwReadFailure(const TesmiraException& cause, const char* typeName, int line) {
  throw ExceptionFactory(kFile, line)
      .createException<SerializationException>(cause, kReadFormat, typeName);
}

bool read_bytes_bounded(std::string& target, std::uint32_t count, std::istream& is) {
  target.clear();
  if (count == 0) return true;
  const std::size_t total = count;
  std::streambuf* buffer = is.rdbuf();
  const std::streamsize available = buffer ? buffer->in_avail() : 0;
  if (available > 0 && static_cast<std::uint64_t>(available) >= total) {
    target.resize(total);
    is.read(&target[0], static_cast<std::streamsize>(total));
    return !is.fail();
  }
  // Each chunk is at most as large as what has already arrived, so the string never holds more
  // than twice the bytes the input really had.
  std::size_t done = 0;
  while (done < total) {
    const std::size_t chunk = std::min(total - done, std::max(kFirstChunk, done));
    target.resize(done + chunk);
    is.read(&target[done], static_cast<std::streamsize>(chunk));
    done += static_cast<std::size_t>(is.gcount());
    if (is.fail()) {
      target.resize(done);
      return false;
    }
  }
  return true;
}

}  // namespace ser_helper
}  // namespace KavSerialize

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
  const std::size_t total = count;
  {
    GetCursor in(is);
    if (in.active() && in.available() >= total) {
      if (total > 0) target.assign(in.next(), total);  // when this cannot allocate, nothing is read
      in.take(total, static_cast<std::streamsize>(total));
      return true;
    }
  }
  if (total == 0) {
    char none = 0;
    is.read(&none, 0);
    return !is.fail();
  }
  std::streambuf* buffer = is.rdbuf();
  const std::streamsize available = buffer ? buffer->in_avail() : 0;
  if (available > 0 && static_cast<std::uint64_t>(available) >= total) {
    target.resize(total);
    is.read(&target[0], static_cast<std::streamsize>(total));
    return !is.fail();
  }
  // Each chunk is at most as large as what has already arrived, so the string never holds more
  // than twice the bytes the input really had. gcount() ends as one read of them all leaves it.
  std::size_t done = 0;
  try {
    while (done < total) {
      const std::size_t chunk = std::min(total - done, std::max(kFirstChunk, done));
      target.resize(done + chunk);
      is.read(&target[done], static_cast<std::streamsize>(chunk));
      done += static_cast<std::size_t>(is.gcount());
      if (is.fail()) break;
    }
  } catch (const std::ios_base::failure&) {  // a stream that throws on failure
    LastCount::set(is, static_cast<std::streamsize>(done) + is.gcount());
    throw;
  }
  target.resize(done);
  LastCount::set(is, static_cast<std::streamsize>(done));
  return !is.fail();
}

}  // namespace ser_helper
}  // namespace KavSerialize

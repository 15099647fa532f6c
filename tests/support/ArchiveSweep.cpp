#include "tests/support/ArchiveSweep.h"

#include "libs/utilities/archive/Serialize"

namespace testing_support {

namespace {

template <class T>
std::size_t encodedSize(const T& value) {
  Archive archive;
  KavSerialize::serialize(value, archive);
  return archive.str().size();
}

ExpectedFailure uuidRead() {
  return {"SerializationException", "Deserializing of object UuidEntryDO failed", "UuidEntryDO", 2};
}

ExpectedFailure uuidWrite() {
  return {"SerializationException", "Serializing of object UuidEntryDO failed", "UuidEntryDO", 1};
}

ExpectedFailure wrapped(ExpectedFailure outer, const ExpectedFailure& cause) {
  outer.causeReason = cause.reason;
  outer.causeLine = cause.line;
  return outer;
}

}  // namespace

Segment uuidSegment(std::size_t field) {
  return {16, field, uuidRead(), uuidWrite(), {}};
}

Segment longLongSegment(long long value, std::size_t field) {
  return {encodedSize(value), field, readFailure("long long", 425), writeFailure("long long", 417),
          "0"};
}

Segment unsignedShortSegment(unsigned short value, std::size_t field) {
  return {encodedSize(value), field, readFailure("unsigned short", 443),
          writeFailure("unsigned short", 435), "0"};
}

Segment unsignedIntSegment(unsigned int value, std::size_t field) {
  return {encodedSize(value), field, readFailure("unsigned int", 461),
          writeFailure("unsigned int", 453), "0"};
}

Segment doubleSegment(double value, std::size_t field) {
  return {encodedSize(value), field, readFailure("double", 652), writeFailure("double", 644), "*"};
}

Segment boolSegment(std::size_t field) {
  return {1, field, readFailure("bool", 748), writeFailure("bool", 723), {}};
}

std::vector<Segment> stringSegments(const std::string& value, std::size_t field) {
  const std::size_t lengthBytes = encodedSize(static_cast<unsigned long>(value.size()));
  std::vector<Segment> segments = {
      {lengthBytes, field,
       wrapped(readFailure("std::string", 873), readFailure("unsigned long", 479)),
       wrapped(writeFailure("std::string", 851), writeFailure("unsigned long", 471)), ""}};
  if (!value.empty()) {
    segments.push_back({value.size(), field, readFailure("std::string", 882),
                        writeFailure("std::string", 857), ""});
  }
  return segments;
}

std::vector<Segment> blobSegments(std::size_t size, std::size_t field) {
  std::vector<Segment> segments = {{encodedSize(static_cast<unsigned long>(size)),
                                    field,
                                    readFailure("unsigned long", 479),
                                    writeFailure("unsigned long", 471),
                                    {}}};
  if (size > 0) {
    segments.push_back(
        {size, field, readFailure("unsigned char", 557), writeFailure("unsigned char", 548), "*"});
  }
  return segments;
}

std::vector<Segment> detailsSegments(const std::string& text, std::size_t field) {
  std::vector<Segment> segments = stringSegments(text, field);
  segments[0].onRead = readFailure("unsigned long", 479);
  segments[0].leftAfterFailedRead.reset();
  if (segments.size() > 1) {
    segments[1].onRead = readFailure("unsigned char", 557);
    segments[1].leftAfterFailedRead.reset();
  }
  return segments;
}

std::vector<Segment> concat(std::initializer_list<std::vector<Segment>> parts) {
  std::vector<Segment> all;
  for (const auto& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace testing_support

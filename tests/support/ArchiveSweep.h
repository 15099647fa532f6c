// Truncation and write-failure sweeps over a data object's archive form, checked against a
// model of that form written in the test: a list of segments (what each field occupies on the
// wire and how its decoder and encoder fail) and a view of the object as one text per field.
#ifndef TESTS_SUPPORT_ARCHIVESWEEP_H
#define TESTS_SUPPORT_ARCHIVESWEEP_H

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Archive.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/TestStreams.h"

namespace testing_support {

struct Segment {
  std::size_t bytes;  // its size on the wire
  std::size_t field;  // the index of the field it belongs to in the object's view
  ExpectedFailure onRead;
  ExpectedFailure onWrite;
  // The field's text after a read that fails inside this segment: nullopt for "as before the
  // read", "*" for "not checked".
  std::optional<std::string> leftAfterFailedRead;
};

// Segments of the value kinds the data objects hold; `field` is the view index of the field.
Segment uuidSegment(std::size_t field);
Segment longLongSegment(long long value, std::size_t field);
Segment unsignedShortSegment(unsigned short value, std::size_t field);
Segment unsignedIntSegment(unsigned int value, std::size_t field);
Segment doubleSegment(double value, std::size_t field);
Segment boolSegment(std::size_t field);
// A string read as a string: length (873 wrapping 479) and body (882); the target ends empty.
std::vector<Segment> stringSegments(const std::string& value, std::size_t field);
// A byte blob: count (479 / 471) and body (557 / 548).
std::vector<Segment> blobSegments(std::size_t size, std::size_t field);
// A details text: written as a string (851 wrapping 471 / 857), read as a byte blob (479 /
// 557); a failed read leaves the stored details as they were.
std::vector<Segment> detailsSegments(const std::string& text, std::size_t field);

template <class T>
using FieldView = std::function<std::vector<std::string>(const T&)>;

template <class T>
std::string archiveOf(const T& object) {
  Archive archive;
  archive << object;
  return archive.str();
}

// Reads the archive form of `written` cut after every byte into a copy of `before`, and checks
// the exception of the segment the cut falls in and which fields the failed read replaced.
template <class T>
void truncationSweep(const T& written, const T& before, const std::vector<Segment>& segments,
                     const FieldView<T>& view) {
  const std::string wire = archiveOf(written);
  const std::vector<std::string> newFields = view(written), oldFields = view(before);
  std::size_t total = 0;
  for (const Segment& s : segments)
    total += s.bytes;
  ASSERT_EQ(total, wire.size()) << "the model's segments do not cover the archive form";
  std::size_t start = 0;
  for (const Segment& segment : segments) {
    for (std::size_t cut = start; cut < start + segment.bytes; ++cut) {
      SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes, field " +
                   std::to_string(segment.field));
      T target(before);
      Archive archive(wire.substr(0, cut));
      expectThrows([&] { archive >> target; }, segment.onRead);
      const std::vector<std::string> fields = view(target);
      for (std::size_t f = 0; f < fields.size(); ++f) {
        if (f < segment.field) {
          EXPECT_EQ(newFields[f], fields[f]) << "field " << f << " should have been read";
        } else if (f > segment.field) {
          EXPECT_EQ(oldFields[f], fields[f]) << "field " << f << " should be untouched";
        } else if (!segment.leftAfterFailedRead) {
          EXPECT_EQ(oldFields[f], fields[f]) << "the failed field should be unchanged";
        } else if (*segment.leftAfterFailedRead != "*") {
          EXPECT_EQ(*segment.leftAfterFailedRead, fields[f]) << "the failed field";
        }
      }
    }
    start += segment.bytes;
  }
}

// Writes `object` into a buffer that takes only k bytes, for every k: the exception is the one
// of the segment holding byte k, and the bytes that fit are the first k of the archive form.
template <class T>
void writeFailureSweep(const T& object, const std::vector<Segment>& segments) {
  const std::string wire = archiveOf(object);
  std::size_t start = 0;
  for (const Segment& segment : segments) {
    for (std::size_t limit = start; limit < start + segment.bytes; ++limit) {
      SCOPED_TRACE("room for " + std::to_string(limit) + " bytes");
      LimitedSink sink(limit);
      Archive archive(&sink);
      expectThrows([&] { archive << object; }, segment.onWrite);
      EXPECT_EQ(hex(wire.substr(0, limit)), hex(sink.written()));
    }
    start += segment.bytes;
  }
  LimitedSink exact(wire.size());
  Archive archive(&exact);
  archive << object;
  EXPECT_EQ(hex(wire), hex(exact.written()));
}

// Concatenates segment lists.
std::vector<Segment> concat(std::initializer_list<std::vector<Segment>> parts);

}  // namespace testing_support

#endif  // TESTS_SUPPORT_ARCHIVESWEEP_H

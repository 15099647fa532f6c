#include "tests/support/WireLayout.h"

#include <stdexcept>

#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"

namespace testing_support {

namespace {

template <class T>
std::string encode(const T& value) {
  Archive archive;
  KavSerialize::serialize(value, archive);
  return archive.str();
}

ExpectedFailure wrapped(ExpectedFailure outer, const ExpectedFailure& cause) {
  outer.causeReason = cause.reason;
  outer.causeLine = cause.line;
  return outer;
}

}  // namespace

WireLayout& WireLayout::append(int field, const std::string& encoded, const ExpectedFailure& read,
                               const ExpectedFailure& write) {
  if (!encoded.empty()) {
    stretches_.push_back({bytes_.size(), bytes_.size() + encoded.size(), field, read, write});
    bytes_ += encoded;
  }
  return *this;
}

WireLayout& WireLayout::add(int field, const UuidEntryDO& value) {
  Archive archive;
  archive << value;
  return append(
      field, archive.str(),
      {"SerializationException", "Deserializing of object UuidEntryDO failed", "UuidEntryDO", 2},
      {"SerializationException", "Serializing of object UuidEntryDO failed", "UuidEntryDO", 1});
}

WireLayout& WireLayout::add(int field, long long value) {
  return append(field, encode(value), readFailure("long long", 425),
                writeFailure("long long", 417));
}

WireLayout& WireLayout::add(int field, unsigned short value) {
  return append(field, encode(value), readFailure("unsigned short", 443),
                writeFailure("unsigned short", 435));
}

WireLayout& WireLayout::add(int field, double value) {
  return append(field, encode(value), readFailure("double", 652), writeFailure("double", 644));
}

// A bool is one byte, so an archive that ends inside it ends before it.
WireLayout& WireLayout::add(int field, bool value) {
  return append(field, encode(value), readFailure("bool", 748), writeFailure("bool", 723));
}

WireLayout& WireLayout::add(int field, const std::string& value) {
  append(field, encode(static_cast<unsigned long>(value.size())),
         wrapped(readFailure("std::string", 873), readFailure("unsigned long", 479)),
         wrapped(writeFailure("std::string", 851), writeFailure("unsigned long", 471)));
  return append(field, value, readFailure("std::string", 882), writeFailure("std::string", 857));
}

WireLayout& WireLayout::add(int field, const std::vector<unsigned char>& value) {
  append(field, encode(static_cast<unsigned long>(value.size())), readFailure("unsigned long", 479),
         writeFailure("unsigned long", 471));
  return append(field, std::string(value.begin(), value.end()), readFailure("unsigned char", 557),
                writeFailure("unsigned char", 548));
}

const WireLayout::Stretch& WireLayout::at(std::size_t offset) const {
  for (const Stretch& stretch : stretches_) {
    if (offset >= stretch.begin && offset < stretch.end) return stretch;
  }
  throw std::out_of_range("offset beyond the layout");
}

void WireLayout::expectWriteFailures(const std::function<void(Archive&)>& write) const {
  for (std::size_t limit = 0; limit < bytes_.size(); ++limit) {
    SCOPED_TRACE("sink limit " + std::to_string(limit));
    LimitedSink sink(limit);
    Archive archive(&sink);
    expectThrows([&] { write(archive); }, at(limit).write);
    EXPECT_EQ(hex(bytes_.substr(0, limit)), hex(sink.written()));
  }
}

}  // namespace testing_support

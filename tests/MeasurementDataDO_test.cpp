// MeasurementDataDO: text, identity, blob handling and archive form.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dataobjects/MeasurementDataDO.h"
#include "platform/Uuid.h"
#include "tests/support/ArchiveSweep.h"
#include "tests/support/IdentityTable.h"

namespace {

using Object = MeasurementDataDO;
using Blob = std::vector<unsigned char>;
const std::string kNil = "00000000-0000-0000-0000-000000000000";

UuidEntryDO entry(const char* text) {
  return UuidEntryDO(Uuid::fromString(text));
}

Object sample() {
  return Object(entry("11111111-0000-0000-0000-000000000000"), 1733400000000LL,
                entry("22222222-0000-0000-0000-000000000000"), "rate=25600;channels=2",
                Blob(1024, 0x5A), entry("33333333-0000-0000-0000-000000000000"), false);
}

TEST(MeasurementDataDO, ConstructorsStartWithoutExternalReferences) {
  for (const Object& o : {Object(), sample()}) {
    EXPECT_EQ(-1, o.getExternalReferenceMeasurementDataDetails());
    EXPECT_EQ(-1, o.getExternalReferenceBinaryData());
  }
}

TEST(MeasurementDataDO, IdentityComparesEveryFieldButTheReferences) {
  testing_support::expectIdentity<Object>(
      sample(),
      {
          {"details reference", [](Object& o) { o.SetExternalReferenceMeasurementDataDetails(4); },
           true},
          {"blob reference", [](Object& o) { o.SetExternalReferenceBinaryData(5); }, true},
          {"same details, stored anew",
           [](Object& o) { o.setMeasurementDataDetails("rate=25600;channels=2"); }, true},
          {"one blob byte",
           [](Object& o) {
             Blob b = o.getBinaryData();
             b[1000] ^= 1;
             o.setBinaryData(b);
           },
           false},
          {"blob length", [](Object& o) { o.setBinaryData(Blob(1023, 0x5A)); }, false},
          {"details", [](Object& o) { o.setMeasurementDataDetails("rate=1"); }, false},
          {"time stamp", [](Object& o) { o.setMeasurementTimeStamp(0); }, false},
          {"configuration", [](Object& o) { o.setMeasurementConfig(UuidEntryDO()); }, false},
          {"job", [](Object& o) { o.setJobData(UuidEntryDO()); }, false},
          {"flag", [](Object& o) { o.setSavedByAlarmStatusChange(true); }, false},
      });
}

std::vector<std::string> fields(const Object& o) {
  const Blob& blob = o.getBinaryData();
  return {o.getCurrentUuid().ToString(),
          std::to_string(o.getMeasurementTimeStamp()),
          o.getMeasurementConfig().ToString(),
          o.getMeasurementDataDetails(),
          std::to_string(o.getExternalReferenceMeasurementDataDetails()),
          std::string(blob.begin(), blob.end()),
          std::to_string(o.getExternalReferenceBinaryData()),
          o.getJobData().ToString(),
          std::to_string(o.getSavedByAlarmStatusChange())};
}

TEST(MeasurementDataDO, ArchiveRoundTripsAndFailsFieldByField) {
  using namespace testing_support;
  std::mt19937_64 random(5);
  for (int i = 0; i < 200; ++i) {
    Blob blob(static_cast<std::size_t>(random() % 2000));
    for (unsigned char& b : blob)
      b = static_cast<unsigned char>(random());
    Object original(UuidEntryDO(Uuid::generate()), static_cast<long long>(random()),
                    UuidEntryDO(Uuid::generate()),
                    std::string(static_cast<std::size_t>(random() % 50), 'k'), blob,
                    UuidEntryDO(Uuid::generate()), random() % 2 == 0);
    original.SetExternalReferenceBinaryData(static_cast<long long>(random()));
    Object back;
    back.setBinaryData(Blob(5000, 1));
    Archive archive;
    archive << original;
    archive >> back;
    ASSERT_TRUE(back.isIdentical(original));
    ASSERT_EQ(original.getExternalReferenceBinaryData(), back.getExternalReferenceBinaryData());
  }

  Object written = sample();
  written.setBinaryData(Blob{1, 2, 3});
  Object before;
  before.setMeasurementDataDetails("old");
  before.setBinaryData(Blob(7, 9));
  before.SetExternalReferenceBinaryData(44);
  const std::vector<Segment> segments = concat({
      {uuidSegment(0), longLongSegment(1733400000000LL, 1), uuidSegment(2)},
      detailsSegments("rate=25600;channels=2", 3),
      {longLongSegment(-1, 4)},
      blobSegments(3, 5),
      {longLongSegment(-1, 6), uuidSegment(7), boolSegment(8)},
  });
  truncationSweep<Object>(written, before, segments, fields);
  writeFailureSweep(written, segments);
}

}  // namespace

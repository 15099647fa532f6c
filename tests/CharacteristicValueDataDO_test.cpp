// CharacteristicValueDataDO: text, identity and archive form.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dataobjects/CharacteristicValueDataDO.h"
#include "platform/Uuid.h"
#include "tests/support/ArchiveSweep.h"
#include "tests/support/IdentityTable.h"

namespace {

using Object = CharacteristicValueDataDO;
const std::string kNil = "00000000-0000-0000-0000-000000000000";

UuidEntryDO entry(const char* text) {
  return UuidEntryDO(Uuid::fromString(text));
}

Object sample() {
  return Object(entry("11111111-0000-0000-0000-000000000000"), -5,
                entry("22222222-0000-0000-0000-000000000000"), "unit=mm;axis=x",
                entry("33333333-0000-0000-0000-000000000000"), 0.1, 7, true);
}

TEST(CharacteristicValueDataDO, ConstructorsStartWithoutAnExternalReference) {
  EXPECT_EQ(-1, Object().getExternalReferenceCharacteristicValueDataDetails());
  EXPECT_EQ(-1, sample().getExternalReferenceCharacteristicValueDataDetails());
  EXPECT_TRUE(Object().getCompressedCharacteristicValueDataDetails().empty());
}

TEST(CharacteristicValueDataDO, IdentityComparesEveryFieldButTheReference) {
  Object zero = sample();
  zero.setValue(-0.0);
  testing_support::expectIdentity<Object>(
      zero,
      {
          {"external reference",
           [](Object& o) { o.SetExternalReferenceCharacteristicValueDataDetails(9); }, true},
          {"base fields", [](Object& o) { o.baseFlag1 = 1; }, true},
          {"0.0 against -0.0", [](Object& o) { o.setValue(0.0); }, true},
          {"time stamp", [](Object& o) { o.setMeasurementTimeStamp(6); }, false},
          {"configuration", [](Object& o) { o.setCharacteristicValueConfig(UuidEntryDO()); },
           false},
          {"details", [](Object& o) { o.setCharacteristicValueDataDetails("unit=cm"); }, false},
          {"job", [](Object& o) { o.setJobData(UuidEntryDO()); }, false},
          {"value", [](Object& o) { o.setValue(0.2); }, false},
          {"alarm type", [](Object& o) { o.setAlarmType(8); }, false},
          {"flag", [](Object& o) { o.setSavedByAlarmStatusChange(false); }, false},
      });
  Object notANumber = sample();
  notANumber.setValue(std::nan(""));
  EXPECT_FALSE(notANumber.isIdentical(notANumber)) << "a NaN value is identical to nothing";
}

std::vector<std::string> fields(const Object& o) {
  return {o.getCurrentUuid().ToString(),
          std::to_string(o.getMeasurementTimeStamp()),
          o.getCharacteristicValueConfig().ToString(),
          o.getCharacteristicValueDataDetails(),
          std::to_string(o.getExternalReferenceCharacteristicValueDataDetails()),
          o.getJobData().ToString(),
          std::to_string(o.getValue()),
          std::to_string(o.getAlarmType()),
          std::to_string(o.getSavedByAlarmStatusChange())};
}

TEST(CharacteristicValueDataDO, ArchiveRoundTripsAndFailsFieldByField) {
  using namespace testing_support;
  std::mt19937_64 random(11);
  for (int i = 0; i < 200; ++i) {
    Object original(
        UuidEntryDO(Uuid::generate()), static_cast<long long>(random()),
        UuidEntryDO(Uuid::generate()),
        std::string(static_cast<std::size_t>(random() % 300), static_cast<char>('a' + i % 26)),
        UuidEntryDO(Uuid::generate()), std::ldexp(double(random() % 1000) - 500, i % 80 - 40),
        static_cast<unsigned short>(random()), random() % 2 == 0);
    original.SetExternalReferenceCharacteristicValueDataDetails(static_cast<long long>(random()));
    Object back;
    Archive archive;
    archive << original;
    archive >> back;
    ASSERT_TRUE(back.isIdentical(original)) << original.ToString();
    ASSERT_EQ(original.getExternalReferenceCharacteristicValueDataDetails(),
              back.getExternalReferenceCharacteristicValueDataDetails());
  }

  Object written = sample();
  written.SetExternalReferenceCharacteristicValueDataDetails(300);
  Object before;
  before.setCurrentUuid(entry("aaaaaaaa-0000-0000-0000-000000000000"));
  before.setCharacteristicValueDataDetails("old details");
  before.setAlarmType(99);
  const std::vector<Segment> segments = concat({
      {uuidSegment(0), longLongSegment(-5, 1), uuidSegment(2)},
      detailsSegments("unit=mm;axis=x", 3),
      {longLongSegment(300, 4), uuidSegment(5), doubleSegment(0.1, 6), unsignedShortSegment(7, 7),
       boolSegment(8)},
  });
  truncationSweep<Object>(written, before, segments, fields);
  writeFailureSweep(written, segments);
}

}  // namespace

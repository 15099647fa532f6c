// TrendDataDO: text, identity, plain-text details with their options, and archive form.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dataobjects/TrendDataDO.h"
#include "platform/Uuid.h"
#include "tests/support/ArchiveSweep.h"
#include "tests/support/IdentityTable.h"

namespace {

using Object = TrendDataDO;
using Blob = std::vector<unsigned char>;
const std::string kNil = "00000000-0000-0000-0000-000000000000";

UuidEntryDO entry(const char* text) {
  return UuidEntryDO(Uuid::fromString(text));
}

Object sample() {
  return Object(entry("11111111-0000-0000-0000-000000000000"),
                entry("22222222-0000-0000-0000-000000000000"),
                entry("33333333-0000-0000-0000-000000000000"), true, -100, 200,
                "interval=60;kind=rms", 5, Blob{1, 2, 3});
}

TEST(TrendDataDO, ConstructorsStartWithoutAnExternalReference) {
  EXPECT_EQ(-1, Object().getExternalReferenceData());
  Object full = sample();
  EXPECT_EQ(-1, full.getExternalReferenceData());
  full.SetExternalReferenceData(12);
  EXPECT_EQ(12, full.getExternalReferenceData());
}

TEST(TrendDataDO, IdentityComparesEveryFieldButTheReference) {
  testing_support::expectIdentity<Object>(
      sample(),
      {
          {"external reference", [](Object& o) { o.SetExternalReferenceData(3); }, true},
          {"one data byte",
           [](Object& o) {
             o.setData(Blob{1, 2, 4});
           },
           false},
          {"sample count", [](Object& o) { o.setNumSamples(6); }, false},
          {"details", [](Object& o) { o.setTrendDataDetails("interval=30"); }, false},
          {"closed", [](Object& o) { o.setClosed(false); }, false},
          {"first time stamp", [](Object& o) { o.setFirstTimeStamp(0); }, false},
          {"last time stamp", [](Object& o) { o.setLastTimeStamp(0); }, false},
          {"configuration", [](Object& o) { o.setCharacteristicValueConfig(UuidEntryDO()); },
           false},
          {"base uuid", [](Object& o) { o.setCharacteristicValueConfigBaseUuid(UuidEntryDO()); },
           false},
      });
}

TEST(TrendDataDO, OptionsCacheLivesUntilTheTextIsSetClearedOrCopiedOver) {
  Object object = sample();
  const Options* first = &object.getTrendDataDetailsOptions();
  EXPECT_EQ(60, first->getInt("interval"));
  EXPECT_EQ(first, &object.getTrendDataDetailsOptions());

  Object other = sample();
  other.setTrendDataDetails("interval=10");
  Archive archive;
  archive << other;
  archive >> object;
  EXPECT_EQ("interval=10", object.getTrendDataDetails());
  EXPECT_EQ(60, object.getTrendDataDetailsOptions().getInt("interval"))
      << "reading replaces the text but keeps the options parsed from the old one";
  object.clearTrendDataDetailsOptions();
  object.clearTrendDataDetailsOptions();
  EXPECT_EQ(10, object.getTrendDataDetailsOptions().getInt("interval"));

  const Object copy(object);
  EXPECT_NE(&copy.getTrendDataDetailsOptions(), &object.getTrendDataDetailsOptions());
  Object assigned = sample();
  assigned.getTrendDataDetailsOptions();
  assigned = object;
  EXPECT_EQ(10, assigned.getTrendDataDetailsOptions().getInt("interval")) << "assignment drops";
  object.setTrendDataDetails("interval=5");
  EXPECT_EQ(5, object.getTrendDataDetailsOptions().getInt("interval"));
}

std::vector<std::string> fields(const Object& o) {
  return {o.getCurrentUuid().ToString(),
          o.getCharacteristicValueConfig().ToString(),
          o.getCharacteristicValueConfigBaseUuid().ToString(),
          std::to_string(o.getClosed()),
          std::to_string(o.getFirstTimeStamp()),
          std::to_string(o.getLastTimeStamp()),
          o.getTrendDataDetails(),
          std::to_string(o.getNumSamples()),
          std::string(o.getData().begin(), o.getData().end()),
          std::to_string(o.getExternalReferenceData())};
}

TEST(TrendDataDO, ArchiveRoundTripsAndFailsFieldByField) {
  using namespace testing_support;
  std::mt19937_64 random(9);
  for (int i = 0; i < 200; ++i) {
    Blob data(static_cast<std::size_t>(random() % 500));
    for (unsigned char& b : data)
      b = static_cast<unsigned char>(random());
    Object original(UuidEntryDO(Uuid::generate()), UuidEntryDO(Uuid::generate()),
                    UuidEntryDO(Uuid::generate()), random() % 2 == 0,
                    static_cast<long long>(random()), -static_cast<long long>(random() >> 1),
                    std::string(static_cast<std::size_t>(random() % 40), 'z'),
                    static_cast<unsigned int>(random()), data);
    original.SetExternalReferenceData(static_cast<long long>(random() % 3) - 1);
    Object back;
    Archive archive;
    archive << original;
    archive >> back;
    ASSERT_TRUE(back.isIdentical(original));
    ASSERT_EQ(original.getExternalReferenceData(), back.getExternalReferenceData());
  }

  Object written = sample();
  written.SetExternalReferenceData(70000);
  Object before;
  before.setTrendDataDetails("old");
  before.setNumSamples(1);
  before.setData(Blob(9, 9));
  const std::vector<Segment> segments = concat({
      {uuidSegment(0), uuidSegment(1), uuidSegment(2), boolSegment(3), longLongSegment(-100, 4),
       longLongSegment(200, 5)},
      stringSegments("interval=60;kind=rms", 6),
      {unsignedIntSegment(5, 7)},
      blobSegments(3, 8),
      {longLongSegment(70000, 9)},
  });
  truncationSweep<Object>(written, before, segments, fields);
  writeFailureSweep(written, segments);
}

}  // namespace

// AlarmLearningValuesDO: a three-part key, its orderings and text, and the byte block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "dataobjects/AlarmLearningValuesDO.h"
#include "platform/Archive.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/TestStreams.h"
#include "tests/support/WireLayout.h"

namespace {

using Blob = std::vector<unsigned char>;
using testing_support::bytes;
using testing_support::hex;

const std::string kNil = "00000000-0000-0000-0000-000000000000";
const UuidEntryDO kLow(Uuid::fromString("10000000-0000-0000-0000-0000000000ff"));
const UuidEntryDO kMid(Uuid::fromString("20000000-0000-0000-0000-000000000000"));
const UuidEntryDO kHigh(Uuid::fromString("30000000-0000-0000-0000-000000000000"));

std::string archiveOf(const AlarmLearningValuesDO& object) {
  Archive archive;
  archive << object;
  return archive.str();
}

TEST(AlarmLearningValuesDO, TextsRunTheKeyPartsTogether) {
  EXPECT_TRUE(AlarmLearningValuesDO::Id::IsMultiKeyId());
  EXPECT_EQ("AlarmLearningValues[" + kNil + "00]=[(ValueCount=0) (LearningValues=0(Blob Length)) ]",
            AlarmLearningValuesDO().ToString());
  const AlarmLearningValuesDO cell(kMid, 7, 65535, 3, Blob(12, 0xEE));
  EXPECT_EQ(
      "AlarmLearningValues[20000000-0000-0000-0000-000000000000765535]=[(ValueCount=3) "
      "(LearningValues=12(Blob Length)) ]",
      cell.ToString());
  EXPECT_EQ("AlarmLearningValues[20000000-0000-0000-0000-000000000000765535]",
            cell.getDataObjectId().ToString());

  const AlarmLearningValuesDO::Id a(kMid, 1, 23), b(kMid, 12, 3);
  EXPECT_EQ(a.ToString(), b.ToString());
  EXPECT_TRUE(a != b);
}

// a's parts are (kMid, 11, 11); each of b's parts makes a's less than, equal to or greater than
// it. The model: < is decided by the first part that differs, > holds when any part of a is
// greater, == when all parts agree.
TEST(AlarmLearningValuesDO, OrderingMatchesTheModelForEveryPartRelation) {
  const UuidEntryDO uuidFor[] = {kHigh, kMid, kLow};  // indexed by relation + 1
  const AlarmLearningValuesDO::Id a(kMid, 11, 11);
  for (int r0 : {-1, 0, 1}) {
    for (int r1 : {-1, 0, 1}) {
      for (int r2 : {-1, 0, 1}) {
        SCOPED_TRACE(std::to_string(r0) + "," + std::to_string(r1) + "," + std::to_string(r2));
        const AlarmLearningValuesDO::Id b(uuidFor[r0 + 1], static_cast<unsigned short>(11 - r1),
                                          static_cast<unsigned short>(11 - r2));
        const int firstDifference = r0 != 0 ? r0 : r1 != 0 ? r1 : r2;
        const bool equal = r0 == 0 && r1 == 0 && r2 == 0;
        EXPECT_EQ(firstDifference < 0, a < b);
        EXPECT_EQ(firstDifference > 0, b < a);
        EXPECT_EQ(r0 > 0 || r1 > 0 || r2 > 0, a > b);
        EXPECT_EQ(r0 < 0 || r1 < 0 || r2<0, b> a);
        EXPECT_EQ(equal, a == b);
        EXPECT_EQ(!equal, a != b);
        EXPECT_EQ(equal, a.isEqual(b));
        const AlarmLearningValuesDO objectA(a.getCharacteristicValueConfig(), a.getX(), a.getY(), 1,
                                            Blob{1});
        const AlarmLearningValuesDO objectB(b.getCharacteristicValueConfig(), b.getX(), b.getY(), 2,
                                            Blob{2});
        EXPECT_EQ(equal, objectA == objectB);
        EXPECT_EQ(!equal, objectA != objectB);
        EXPECT_FALSE(objectA.isIdentical(objectB));
      }
    }
  }
}

TEST(AlarmLearningValuesDO, IdentityComparesEveryFieldButTheBaseFields) {
  const AlarmLearningValuesDO original(kMid, 1, 2, 3, Blob{0xAB, 0xCD});
  struct Change {
    const char* what;
    AlarmLearningValuesDO changed;
    bool sameKey;
  } changes[] = {
      {"config", AlarmLearningValuesDO(kLow, 1, 2, 3, Blob{0xAB, 0xCD}), false},
      {"x", AlarmLearningValuesDO(kMid, 2, 2, 3, Blob{0xAB, 0xCD}), false},
      {"y", AlarmLearningValuesDO(kMid, 1, 3, 3, Blob{0xAB, 0xCD}), false},
      {"count", AlarmLearningValuesDO(kMid, 1, 2, 4, Blob{0xAB, 0xCD}), true},
      {"byte", AlarmLearningValuesDO(kMid, 1, 2, 3, Blob{0xAB, 0xCE}), true},
      {"length", AlarmLearningValuesDO(kMid, 1, 2, 3, Blob{0xAB}), true},
      {"empty", AlarmLearningValuesDO(kMid, 1, 2, 3, Blob{}), true},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    EXPECT_FALSE(change.changed.isIdentical(original));
    EXPECT_FALSE(original.isIdentical(change.changed));
    EXPECT_EQ(change.sameKey, change.changed == original);
  }
  AlarmLearningValuesDO flagged(original);
  flagged.baseFlag2 = 9;
  AlarmLearningValuesDO assigned;
  assigned = flagged;
  EXPECT_EQ(9, assigned.baseFlag2);
  EXPECT_TRUE(assigned.isIdentical(original));
  EXPECT_TRUE(AlarmLearningValuesDO(kMid, 0, 0, 0, Blob{})
                  .isIdentical(AlarmLearningValuesDO(kMid, 0, 0, 0, Blob{})));
}

TEST(AlarmLearningValuesDO, ArchiveFormAfterTheKeyEntry) {
  Archive uuid;
  uuid << kMid;
  EXPECT_EQ(hex(uuid.str() + bytes("01 01 01 02 01 03 01 02 AB CD")),
            hex(archiveOf(AlarmLearningValuesDO(kMid, 1, 2, 3, Blob{0xAB, 0xCD}))));
  EXPECT_EQ(hex(std::string(16, '\0') + bytes("01 00 01 00 01 00 01 00")),
            hex(archiveOf(AlarmLearningValuesDO())));

  const AlarmLearningValuesDO cell(kMid, 300, 65535, 0, Blob(300, 7));
  Archive key;
  key << cell.getDataObjectId();
  EXPECT_EQ(hex(uuid.str() + bytes("02 2C 01 02 FF FF")), hex(key.str()));
  const std::string wire = archiveOf(cell);
  EXPECT_EQ(hex(key.str()), hex(wire.substr(0, key.str().size())));
  AlarmLearningValuesDO::Id idBack;
  Archive asId(wire);
  asId >> idBack;
  EXPECT_TRUE(idBack == cell.getDataObjectId());
}

// Round trips into one reused target, so every block read replaces a block of another length.
TEST(AlarmLearningValuesDO, RandomObjectsRoundTripIntoAReusedTarget) {
  std::mt19937 random(11);
  AlarmLearningValuesDO target(kHigh, 9, 9, 9, Blob(400, 0x55));
  for (int i = 0; i < 300; ++i) {
    Blob block(random() % 320);
    for (unsigned char& byte : block)
      byte = static_cast<unsigned char>(random());
    const AlarmLearningValuesDO original(
        UuidEntryDO(Uuid::generate()), static_cast<unsigned short>(random()),
        static_cast<unsigned short>(random()), static_cast<unsigned short>(random()), block);
    const std::string wire = archiveOf(original);
    Archive archive(wire);
    archive >> target;
    ASSERT_TRUE(target.isIdentical(original)) << original.ToString();
    ASSERT_EQ(wire, archiveOf(target));
  }
}

TEST(AlarmLearningValuesDO, TruncatedArchivesReplaceOnlyTheEntriesBeforeTheCut) {
  const AlarmLearningValuesDO written(kLow, 300, 2, 3, Blob{0xA1, 0xA2, 0xA3});
  const AlarmLearningValuesDO old(kHigh, 70, 71, 72, Blob{0xB1, 0xB2, 0xB3, 0xB4, 0xB5});
  testing_support::WireLayout layout;
  layout.add(0, written.getCharacteristicValueConfig())
      .add(1, written.getX())
      .add(2, written.getY())
      .add(3, written.getValueCount())
      .add(4, written.getLearningValues());
  const std::string& wire = layout.bytes();
  ASSERT_EQ(hex(wire), hex(archiveOf(written)));

  for (std::size_t cut = 0; cut < wire.size(); ++cut) {
    SCOPED_TRACE(cut);
    const auto& stretch = layout.at(cut);
    AlarmLearningValuesDO target(old);
    Archive archive(wire.substr(0, cut));
    testing_support::expectThrows([&] { archive >> target; }, stretch.read);

    const auto pick = [&](int field, unsigned short w, unsigned short o) {
      return field < stretch.field ? w : field > stretch.field ? o : 0;
    };
    EXPECT_EQ((stretch.field > 0 ? kLow : kHigh).ToString(),
              target.getCharacteristicValueConfig().ToString());
    EXPECT_EQ(pick(1, 300, 70), target.getX());
    EXPECT_EQ(pick(2, 2, 71), target.getY());
    EXPECT_EQ(pick(3, 3, 72), target.getValueCount());
    Blob block = old.getLearningValues();
    if (stretch.field == 4 && stretch.read.line == 557) {
      // The block takes the length read; the bytes that arrived replace its first elements.
      block.resize(3);
      std::copy(wire.begin() + static_cast<std::ptrdiff_t>(stretch.begin),
                wire.begin() + static_cast<std::ptrdiff_t>(cut), block.begin());
    }
    EXPECT_EQ(block, target.getLearningValues());
  }
}

TEST(AlarmLearningValuesDO, WriteFailuresKeepTheBytesThatFit) {
  const AlarmLearningValuesDO cell(kLow, 300, 2, 3, Blob{0xA1, 0xA2, 0xA3});
  testing_support::WireLayout layout;
  layout.add(0, kLow).add(1, cell.getX()).add(2, cell.getY()).add(3, cell.getValueCount());
  layout.add(4, cell.getLearningValues());
  layout.expectWriteFailures([&](Archive& archive) { archive << cell; });
}

}  // namespace

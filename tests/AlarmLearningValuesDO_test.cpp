// AlarmLearningValuesDO: a three-part key, its orderings and text, and the byte block.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dataobjects/AlarmLearningValuesDO.h"
#include "platform/Uuid.h"
#include "tests/support/ArchiveSweep.h"
#include "tests/support/IdentityTable.h"
#include "tests/support/KeyOrderModel.h"

namespace {

using Object = AlarmLearningValuesDO;
using Blob = std::vector<unsigned char>;
const std::string kNil = "00000000-0000-0000-0000-000000000000";
const UuidEntryDO kUuid[] = {UuidEntryDO(Uuid::fromString("10000000-0000-0000-0000-0000000000ff")),
                             UuidEntryDO(Uuid::fromString("20000000-0000-0000-0000-000000000000")),
                             UuidEntryDO(Uuid::fromString("30000000-0000-0000-0000-000000000000"))};

TEST(AlarmLearningValuesDO, KeysWithTheSameTextAreStillDifferent) {
  EXPECT_TRUE(Object::Id::IsMultiKeyId());
  const Object::Id a(kUuid[1], 1, 23), b(kUuid[1], 12, 3);
  EXPECT_EQ(a.ToString(), b.ToString()) << "the key parts run together";
  EXPECT_TRUE(a != b);
}

TEST(AlarmLearningValuesDO, OrderingAndEqualityFollowTheModel) {
  testing_support::expectKeyOrderModel<Object::Id>(3, [](const std::vector<int>& r) {
    const auto part = [](int relation) { return static_cast<unsigned short>(11 + relation); };
    return std::make_pair(Object::Id(kUuid[1 + r[0]], part(r[1]), part(r[2])),
                          Object::Id(kUuid[1], 11, 11));
  });
  testing_support::expectKeyOrderModel<Object::Id>(3, [](const std::vector<int>& r) {
    const auto part = [](int relation) { return static_cast<unsigned short>(11 + relation); };
    const Object a(kUuid[1 + r[0]], part(r[1]), part(r[2]), 1, Blob{1});
    const Object b(kUuid[1], 11, 11, 2, Blob{2});
    EXPECT_EQ(a.getDataObjectId() == b.getDataObjectId(), a == b) << "objects compare keys";
    EXPECT_EQ(a.getDataObjectId() != b.getDataObjectId(), a != b);
    return std::make_pair(a.getDataObjectId(), b.getDataObjectId());
  });
}

TEST(AlarmLearningValuesDO, IdentityComparesCountAndBlockToo) {
  testing_support::expectIdentity<Object>(
      Object(kUuid[1], 1, 2, 3, Blob{0xAB, 0xCD}),
      {
          {"base fields", [](Object& o) { o.baseFlag2 = 9; }, true},
          {"count", [](Object& o) { o.setValueCount(4); }, false},
          {"one byte",
           [](Object& o) {
             o.setLearningValues(Blob{0xAB, 0xCE});
           },
           false},
          {"length", [](Object& o) { o.setLearningValues(Blob{0xAB}); }, false},
      });
}

std::vector<std::string> fields(const Object& o) {
  return {o.getCharacteristicValueConfig().ToString(), std::to_string(o.getX()),
          std::to_string(o.getY()), std::to_string(o.getValueCount()),
          std::string(o.getLearningValues().begin(), o.getLearningValues().end())};
}

TEST(AlarmLearningValuesDO, ArchiveFormRoundTripsAndFailures) {
  using namespace testing_support;
  const Object cell(kUuid[1], 1, 2, 3, Blob{0xAB, 0xCD});
  EXPECT_EQ(hex(archiveOf(kUuid[1]) + bytes("01 01 01 02 01 03 01 02 AB CD")),
            hex(archiveOf(cell)));
  EXPECT_EQ(hex(std::string(16, '\0') + bytes("01 00 01 00 01 00 01 00")),
            hex(archiveOf(Object())));
  EXPECT_EQ(archiveOf(cell).substr(0, 20), archiveOf(cell.getDataObjectId()));
  Object::Id idBack;
  Archive asId(archiveOf(cell));
  asId >> idBack;
  EXPECT_TRUE(idBack == cell.getDataObjectId()) << "the object's form begins with its key's";

  std::mt19937 random(11);
  Object target(kUuid[2], 9, 9, 9, Blob(400, 0x55));  // every read replaces a longer block
  for (int i = 0; i < 300; ++i) {
    Blob block(static_cast<std::size_t>(random() % 320));
    for (unsigned char& byte : block)
      byte = static_cast<unsigned char>(random());
    const Object original(UuidEntryDO(Uuid::generate()), static_cast<unsigned short>(random()),
                          static_cast<unsigned short>(random()),
                          static_cast<unsigned short>(random()), block);
    Archive archive(archiveOf(original));
    archive >> target;
    ASSERT_TRUE(target.isIdentical(original)) << original.ToString();
  }

  const Object written(kUuid[0], 300, 2, 3, Blob{0xA1, 0xA2, 0xA3});
  const Object before(kUuid[2], 70, 71, 72, Blob{0xB1, 0xB2, 0xB3, 0xB4, 0xB5});
  const std::vector<Segment> segments =
      concat({{uuidSegment(0), unsignedShortSegment(300, 1), unsignedShortSegment(2, 2),
               unsignedShortSegment(3, 3)},
              blobSegments(3, 4)});
  truncationSweep<Object>(written, before, segments, fields);
  writeFailureSweep(written, segments);
}

}  // namespace

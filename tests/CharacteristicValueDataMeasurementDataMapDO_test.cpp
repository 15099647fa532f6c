// CharacteristicValueDataMeasurementDataMapDO: a two-part key and no other field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "platform/Uuid.h"
#include "tests/support/ArchiveSweep.h"
#include "tests/support/KeyOrderModel.h"

namespace {

using MapDO = CharacteristicValueDataMeasurementDataMapDO;
const std::string kNil = "00000000-0000-0000-0000-000000000000";
const UuidEntryDO kUuid[] = {UuidEntryDO(Uuid::fromString("10000000-0000-0000-0000-0000000000ff")),
                             UuidEntryDO(Uuid::fromString("20000000-0000-0000-0000-000000000000")),
                             UuidEntryDO(Uuid::fromString("30000000-0000-0000-0000-000000000000"))};

TEST(CharacteristicValueDataMeasurementDataMapDO, IsNotAMultiKeyIdDespiteTwoParts) {
  EXPECT_FALSE(MapDO::Id::IsMultiKeyId());
}

TEST(CharacteristicValueDataMeasurementDataMapDO, OrderingEqualityAndIdentityFollowTheModel) {
  testing_support::expectKeyOrderModel<MapDO::Id>(2, [](const std::vector<int>& r) {
    return std::make_pair(MapDO::Id(kUuid[1 + r[0]], kUuid[1 + r[1]]),
                          MapDO::Id(kUuid[1], kUuid[1]));
  });
  testing_support::expectKeyOrderModel<MapDO::Id>(2, [](const std::vector<int>& r) {
    const MapDO a(kUuid[1 + r[0]], kUuid[1 + r[1]]), b(kUuid[1], kUuid[1]);
    EXPECT_EQ(a.getDataObjectId() == b.getDataObjectId(), a == b) << "objects compare keys";
    EXPECT_EQ(a.getDataObjectId() != b.getDataObjectId(), a != b);
    EXPECT_EQ(a.isEqual(b), a.isIdentical(b)) << "every field is a key field";
    return std::make_pair(a.getDataObjectId(), b.getDataObjectId());
  });
  MapDO flagged(kUuid[0], kUuid[2]);
  flagged.baseFlag1 = 7;
  EXPECT_TRUE(MapDO(flagged).isIdentical(MapDO(kUuid[0], kUuid[2])));
  EXPECT_EQ(7, MapDO(flagged).baseFlag1);
  EXPECT_TRUE(MapDO(kUuid[0], kUuid[2]) != MapDO(kUuid[2], kUuid[0])) << "swapped is another link";
}

std::vector<std::string> fields(const MapDO& link) {
  return {link.getCharacteristicValueData().ToString(), link.getMeasurementData().ToString()};
}

TEST(CharacteristicValueDataMeasurementDataMapDO, ObjectAndKeyShareOneArchiveForm) {
  using namespace testing_support;
  for (int i = 0; i < 50; ++i) {
    const MapDO link(UuidEntryDO(Uuid::generate()), UuidEntryDO(Uuid::generate()));
    ASSERT_EQ(archiveOf(link.getCharacteristicValueData()) + archiveOf(link.getMeasurementData()),
              archiveOf(link));
    ASSERT_EQ(archiveOf(link), archiveOf(link.getDataObjectId()));
    MapDO::Id idBack;
    Archive asId(archiveOf(link));
    asId >> idBack;
    EXPECT_TRUE(idBack == link.getDataObjectId());
    MapDO objectBack;
    Archive asObject(archiveOf(link.getDataObjectId()));
    asObject >> objectBack;
    EXPECT_TRUE(objectBack.isIdentical(link));
  }
  const std::vector<Segment> segments = {uuidSegment(0), uuidSegment(1)};
  truncationSweep<MapDO>(MapDO(kUuid[0], kUuid[2]), MapDO(kUuid[1], kUuid[1]), segments, fields);
  writeFailureSweep(MapDO(kUuid[0], kUuid[2]), segments);
  writeFailureSweep(MapDO::Id(kUuid[0], kUuid[2]), segments);
}

}  // namespace

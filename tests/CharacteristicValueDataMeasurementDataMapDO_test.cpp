// CharacteristicValueDataMeasurementDataMapDO: a two-part key and no other field.
#include <gtest/gtest.h>

#include <string>

#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "platform/Archive.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/TestStreams.h"
#include "tests/support/WireLayout.h"

namespace {

using MapDO = CharacteristicValueDataMeasurementDataMapDO;
using testing_support::hex;

const std::string kNil = "00000000-0000-0000-0000-000000000000";
const UuidEntryDO kLow(Uuid::fromString("10000000-0000-0000-0000-0000000000ff"));
const UuidEntryDO kMid(Uuid::fromString("20000000-0000-0000-0000-000000000000"));
const UuidEntryDO kHigh(Uuid::fromString("30000000-0000-0000-0000-000000000000"));

std::vector<unsigned char> noLoad(long long) {
  return {};
}

TEST(CharacteristicValueDataMeasurementDataMapDO, TextsRunTheTwoReferencesTogether) {
  EXPECT_FALSE(MapDO::Id::IsMultiKeyId());
  const MapDO empty;
  EXPECT_EQ("CharacteristicValueDataMeasurementDataMap[" + kNil + kNil + "]=[]", empty.ToString());
  const MapDO link(kLow, kHigh);
  const std::string key =
      "CharacteristicValueDataMeasurementDataMap[10000000-0000-0000-0000-0000000000ff"
      "30000000-0000-0000-0000-000000000000]";
  EXPECT_EQ(key, link.getDataObjectId().ToString());
  EXPECT_EQ(key.substr(0, key.size() - 1) + "]=[]", link.ToString());
}

// a's part is kMid; b's is chosen so that a's part is less than, equal to or greater than it.
// The model: < is decided by the first part that differs, > holds when any part of a is greater.
TEST(CharacteristicValueDataMeasurementDataMapDO, OrderingMatchesTheModelForEveryPartRelation) {
  const UuidEntryDO forRelation[] = {kHigh, kMid, kLow};  // indexed by relation + 1
  for (int first : {-1, 0, 1}) {
    for (int second : {-1, 0, 1}) {
      SCOPED_TRACE(std::to_string(first) + "," + std::to_string(second));
      const MapDO::Id a(kMid, kMid), b(forRelation[first + 1], forRelation[second + 1]);
      const bool less = first < 0 || (first == 0 && second < 0);
      const bool lessBack = first > 0 || (first == 0 && second > 0);
      const bool equal = first == 0 && second == 0;
      EXPECT_EQ(less, a < b);
      EXPECT_EQ(lessBack, b < a);
      EXPECT_EQ(first > 0 || second > 0, a > b);
      EXPECT_EQ(first < 0 || second<0, b> a);
      EXPECT_EQ(equal, a == b);
      EXPECT_EQ(!equal, a != b);
      EXPECT_EQ(equal, a.isEqual(b));
      const MapDO objectA(a.getCharacteristicValueData(), a.getMeasurementData());
      const MapDO objectB(b.getCharacteristicValueData(), b.getMeasurementData());
      EXPECT_EQ(equal, objectA == objectB);
      EXPECT_EQ(equal, objectA.isIdentical(objectB));
      EXPECT_EQ(!equal, objectA != objectB);
    }
  }
}

TEST(CharacteristicValueDataMeasurementDataMapDO, SwappedReferencesAreAnotherLink) {
  EXPECT_TRUE(MapDO(kLow, kHigh) != MapDO(kHigh, kLow));
  EXPECT_TRUE(MapDO(kMid, kMid) == MapDO(kMid, kMid));

  MapDO source(kLow, kHigh);
  source.baseFlag1 = 7;
  source.externalReferenceLoader = &noLoad;
  const MapDO copied(source);
  MapDO assigned;
  assigned = source;
  for (const MapDO* copy : {&copied, static_cast<const MapDO*>(&assigned)}) {
    EXPECT_EQ(7, copy->baseFlag1);
    EXPECT_EQ(&noLoad, copy->externalReferenceLoader);
    EXPECT_TRUE(copy->isIdentical(source));
  }
  EXPECT_TRUE(MapDO(kLow, kHigh).isIdentical(source)) << "identity ignores the base fields";
  MapDO::Id id;
  id = source.getDataObjectId();
  EXPECT_TRUE(MapDO::Id(id) == MapDO::Id(kLow, kHigh));
}

TEST(CharacteristicValueDataMeasurementDataMapDO, ObjectAndKeyShareOneArchiveForm) {
  for (int i = 0; i < 50; ++i) {
    const MapDO link(UuidEntryDO(Uuid::generate()), UuidEntryDO(Uuid::generate()));
    Archive objectOut, idOut;
    objectOut << link;
    idOut << link.getDataObjectId();
    ASSERT_EQ(hex(objectOut.str()), hex(idOut.str()));
    ASSERT_EQ(hex(testing_support::WireLayout()
                      .add(0, link.getCharacteristicValueData())
                      .add(1, link.getMeasurementData())
                      .bytes()),
              hex(objectOut.str()));

    MapDO::Id idBack;
    Archive asId(objectOut.str());
    asId >> idBack;
    EXPECT_TRUE(idBack == link.getDataObjectId());
    MapDO objectBack;
    Archive asObject(idOut.str());
    asObject >> objectBack;
    EXPECT_TRUE(objectBack.isIdentical(link));
  }
}

// Cuts the archive after every byte: the object and its key both keep the references before the
// cut and throw what the UuidEntryDO reader throws.
TEST(CharacteristicValueDataMeasurementDataMapDO, TruncatedArchivesReplaceOnlyTheFirstReference) {
  testing_support::WireLayout layout;
  layout.add(0, kLow).add(1, kHigh);
  const std::string& wire = layout.bytes();
  for (std::size_t cut = 0; cut < wire.size(); ++cut) {
    SCOPED_TRACE(cut);
    const auto& stretch = layout.at(cut);
    MapDO object(kMid, kMid);
    MapDO::Id id(kMid, kMid);
    Archive objectIn(wire.substr(0, cut)), idIn(wire.substr(0, cut));
    testing_support::expectThrows([&] { objectIn >> object; }, stretch.read);
    testing_support::expectThrows([&] { idIn >> id; }, stretch.read);
    const UuidEntryDO& first = stretch.field == 0 ? kMid : kLow;
    EXPECT_TRUE(object.isIdentical(MapDO(first, kMid)));
    EXPECT_TRUE(id == MapDO::Id(first, kMid));
  }
}

TEST(CharacteristicValueDataMeasurementDataMapDO, WriteFailuresKeepTheBytesThatFit) {
  const MapDO link(kLow, kHigh);
  testing_support::WireLayout layout;
  layout.add(0, kLow).add(1, kHigh);
  layout.expectWriteFailures([&](Archive& archive) { archive << link; });
  layout.expectWriteFailures([&](Archive& archive) { archive << link.getDataObjectId(); });
}

}  // namespace

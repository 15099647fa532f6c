#include "dataobjects/AlarmLearningValuesDO.h"

#include "dataobjects/detail/ArchiveFields.h"
#include "dataobjects/detail/KeyCompare.h"
#include "dataobjects/detail/ObjectText.h"

namespace detail = dataobjects_data::detail;

namespace {
constexpr const char kPrefix[] = "AlarmLearningValues";
}

AlarmLearningValuesDO::Id::Id() {
  init();
}
AlarmLearningValuesDO::Id::Id(const Id& other) {
  copy(other);
}
AlarmLearningValuesDO::Id::Id(const UuidEntryDO& characteristicValueConfig, const unsigned short& x,
                              const unsigned short& y) {
  setCharacteristicValueConfig(characteristicValueConfig);
  setX(x);
  setY(y);
}
AlarmLearningValuesDO::Id::~Id() = default;

AlarmLearningValuesDO::Id& AlarmLearningValuesDO::Id::operator=(const Id& other) {
  copy(other);
  return *this;
}

void AlarmLearningValuesDO::Id::init() {
  X = 0;
  Y = 0;
}
void AlarmLearningValuesDO::Id::copy(const Id& other) {
  CharacteristicValueConfig = other.CharacteristicValueConfig;
  X = other.X;
  Y = other.Y;
}

bool AlarmLearningValuesDO::Id::operator<(const Id& other) const {
  return detail::keyLess(std::tie(CharacteristicValueConfig, X, Y),
                         std::tie(other.CharacteristicValueConfig, other.X, other.Y));
}
bool AlarmLearningValuesDO::Id::operator>(const Id& other) const {
  return detail::keyGreater(std::tie(CharacteristicValueConfig, X, Y),
                            std::tie(other.CharacteristicValueConfig, other.X, other.Y));
}
bool AlarmLearningValuesDO::Id::isEqual(const Id& other) const {
  return detail::keyEqual(std::tie(CharacteristicValueConfig, X, Y),
                          std::tie(other.CharacteristicValueConfig, other.X, other.Y));
}

std::string AlarmLearningValuesDO::Id::ToString() const {
  return detail::ObjectText::keyText(kPrefix, CharacteristicValueConfig, X, Y);
}

Archive& operator<<(Archive& archive, const AlarmLearningValuesDO::Id& id) {
  return detail::writeAll(archive, id.getCharacteristicValueConfig(), id.getX(), id.getY());
}
Archive& operator>>(Archive& archive, AlarmLearningValuesDO::Id& id) {
  return detail::readAll(archive, id.CharacteristicValueConfig, id.X, id.Y);
}

AlarmLearningValuesDO::AlarmLearningValuesDO() {
  init();
}

AlarmLearningValuesDO::AlarmLearningValuesDO(const AlarmLearningValuesDO& other)
    : BaseDataObject(other) {
  init();
  copy(other);
}

AlarmLearningValuesDO::AlarmLearningValuesDO(const UuidEntryDO& characteristicValueConfig,
                                             const unsigned short& x, const unsigned short& y,
                                             const unsigned short& valueCount,
                                             const std::vector<unsigned char>& learningValues) {
  setCharacteristicValueConfig(characteristicValueConfig);
  setX(x);
  setY(y);
  setValueCount(valueCount);
  setLearningValues(learningValues);
}

AlarmLearningValuesDO::~AlarmLearningValuesDO() = default;

AlarmLearningValuesDO& AlarmLearningValuesDO::operator=(const AlarmLearningValuesDO& other) {
  copy(other);
  return *this;
}

void AlarmLearningValuesDO::init() {
  X = 0;
  Y = 0;
  ValueCount = 0;
}

void AlarmLearningValuesDO::copy(const AlarmLearningValuesDO& other) {
  BaseDataObject::operator=(other);
  CharacteristicValueConfig = other.CharacteristicValueConfig;
  X = other.X;
  Y = other.Y;
  ValueCount = other.ValueCount;
  LearningValues = other.LearningValues;
}

AlarmLearningValuesDO::Id AlarmLearningValuesDO::getDataObjectId() const {
  return Id(CharacteristicValueConfig, X, Y);
}

bool AlarmLearningValuesDO::isEqual(const AlarmLearningValuesDO& other) const {
  return detail::keyEqual(std::tie(CharacteristicValueConfig, X, Y),
                          std::tie(other.CharacteristicValueConfig, other.X, other.Y));
}

bool AlarmLearningValuesDO::isIdentical(const AlarmLearningValuesDO& other) const {
  return isEqual(other) && ValueCount == other.ValueCount && LearningValues == other.LearningValues;
}

std::string AlarmLearningValuesDO::ToString() const {
  return detail::ObjectText::objectText(
      [this](detail::ObjectText& text) {
        text.field("(ValueCount=", ValueCount).blob("(LearningValues=", LearningValues);
      },
      kPrefix, CharacteristicValueConfig, X, Y);
}

Archive& operator<<(Archive& archive, const AlarmLearningValuesDO& object) {
  return detail::writeAll(archive, object.getCharacteristicValueConfig(), object.getX(),
                          object.getY(), object.getValueCount(), object.getLearningValues());
}

Archive& operator>>(Archive& archive, AlarmLearningValuesDO& object) {
  return detail::readAll(archive, object.CharacteristicValueConfig, object.X, object.Y,
                         object.ValueCount, object.LearningValues);
}

#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"

#include "dataobjects/detail/ArchiveFields.h"
#include "dataobjects/detail/KeyCompare.h"
#include "dataobjects/detail/ObjectText.h"

namespace detail = dataobjects_data::detail;

namespace {
constexpr const char kPrefix[] = "CharacteristicValueDataMeasurementDataMap";
using MapDO = CharacteristicValueDataMeasurementDataMapDO;
}  // namespace

MapDO::Id::Id() {
  init();
}
MapDO::Id::Id(const Id& other) {
  copy(other);
}
MapDO::Id::Id(const UuidEntryDO& characteristicValueData, const UuidEntryDO& measurementData) {
  setCharacteristicValueData(characteristicValueData);
  setMeasurementData(measurementData);
}
MapDO::Id::~Id() = default;

MapDO::Id& MapDO::Id::operator=(const Id& other) {
  copy(other);
  return *this;
}

void MapDO::Id::init() {}
void MapDO::Id::copy(const Id& other) {
  CharacteristicValueData = other.CharacteristicValueData;
  MeasurementData = other.MeasurementData;
}

bool MapDO::Id::operator<(const Id& other) const {
  return detail::keyLess(std::tie(CharacteristicValueData, MeasurementData),
                         std::tie(other.CharacteristicValueData, other.MeasurementData));
}
bool MapDO::Id::operator>(const Id& other) const {
  return detail::keyGreater(std::tie(CharacteristicValueData, MeasurementData),
                            std::tie(other.CharacteristicValueData, other.MeasurementData));
}
bool MapDO::Id::isEqual(const Id& other) const {
  return detail::keyEqual(std::tie(CharacteristicValueData, MeasurementData),
                          std::tie(other.CharacteristicValueData, other.MeasurementData));
}

std::string MapDO::Id::ToString() const {
  return detail::ObjectText::keyText(kPrefix, CharacteristicValueData, MeasurementData);
}

Archive& operator<<(Archive& archive, const MapDO::Id& id) {
  return detail::writeAll(archive, id.getCharacteristicValueData(), id.getMeasurementData());
}
Archive& operator>>(Archive& archive, MapDO::Id& id) {
  return detail::readAll(archive, id.CharacteristicValueData, id.MeasurementData);
}

MapDO::CharacteristicValueDataMeasurementDataMapDO() {
  init();
}

MapDO::CharacteristicValueDataMeasurementDataMapDO(const MapDO& other) : BaseDataObject(other) {
  init();
  copy(other);
}

MapDO::CharacteristicValueDataMeasurementDataMapDO(const UuidEntryDO& characteristicValueData,
                                                   const UuidEntryDO& measurementData) {
  setCharacteristicValueData(characteristicValueData);
  setMeasurementData(measurementData);
}

MapDO::~CharacteristicValueDataMeasurementDataMapDO() = default;

MapDO& MapDO::operator=(const MapDO& other) {
  copy(other);
  return *this;
}

void MapDO::init() {}

void MapDO::copy(const MapDO& other) {
  BaseDataObject::operator=(other);
  CharacteristicValueData = other.CharacteristicValueData;
  MeasurementData = other.MeasurementData;
}

MapDO::Id MapDO::getDataObjectId() const {
  return Id(CharacteristicValueData, MeasurementData);
}

bool MapDO::isEqual(const MapDO& other) const {
  return detail::keyEqual(std::tie(CharacteristicValueData, MeasurementData),
                          std::tie(other.CharacteristicValueData, other.MeasurementData));
}

bool MapDO::isIdentical(const MapDO& other) const {
  return isEqual(other);
}

std::string MapDO::ToString() const {
  return detail::ObjectText::objectText([](detail::ObjectText&) {}, kPrefix,
                                        CharacteristicValueData, MeasurementData);
}

Archive& operator<<(Archive& archive, const MapDO& object) {
  return detail::writeAll(archive, object.getCharacteristicValueData(),
                          object.getMeasurementData());
}

Archive& operator>>(Archive& archive, MapDO& object) {
  return detail::readAll(archive, object.CharacteristicValueData, object.MeasurementData);
}

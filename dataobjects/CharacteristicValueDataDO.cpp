#include "dataobjects/CharacteristicValueDataDO.h"

#include "dataobjects/detail/ArchiveFields.h"
#include "dataobjects/detail/CompressedDetails.h"
#include "dataobjects/detail/KeyCompare.h"
#include "dataobjects/detail/ObjectText.h"
#include "dataobjects/detail/UuidKeyId.h"

namespace detail = dataobjects_data::detail;

namespace {
constexpr const char kPrefix[] = "CharacteristicValueData";
}  // namespace

DATAOBJECTS_DEFINE_UUID_KEY_ID(CharacteristicValueDataDO, CurrentUuid, kPrefix)

CharacteristicValueDataDO::CharacteristicValueDataDO() {
  init();
}

CharacteristicValueDataDO::CharacteristicValueDataDO(const CharacteristicValueDataDO& other)
    : BaseDataObject(other) {
  init();
  copy(other);
}

CharacteristicValueDataDO::CharacteristicValueDataDO(
    const UuidEntryDO& currentUuid, const long long& measurementTimeStamp,
    const UuidEntryDO& characteristicValueConfig, const std::string& details,
    const UuidEntryDO& jobData, const double& value, const unsigned short& alarmType,
    const bool& savedByAlarmStatusChange) {
  setCurrentUuid(currentUuid);
  setMeasurementTimeStamp(measurementTimeStamp);
  setCharacteristicValueConfig(characteristicValueConfig);
  setCharacteristicValueDataDetails(details);
  ExternalReferenceCharacteristicValueDataDetails = -1;
  setJobData(jobData);
  setValue(value);
  setAlarmType(alarmType);
  setSavedByAlarmStatusChange(savedByAlarmStatusChange);
}

CharacteristicValueDataDO::~CharacteristicValueDataDO() = default;

CharacteristicValueDataDO& CharacteristicValueDataDO::operator=(
    const CharacteristicValueDataDO& other) {
  copy(other);
  return *this;
}

void CharacteristicValueDataDO::init() {
  MeasurementTimeStamp = 0;
  detail::releaseStoredDetails(CompressedCharacteristicValueDataDetails);
  CharacteristicValueDataDetailsOptions.drop();
  ExternalReferenceCharacteristicValueDataDetails = -1;
  Value = 0.0;
  AlarmType = 0;
  SavedByAlarmStatusChange = false;
}

void CharacteristicValueDataDO::copy(const CharacteristicValueDataDO& other) {
  BaseDataObject::operator=(other);
  CurrentUuid = other.CurrentUuid;
  MeasurementTimeStamp = other.MeasurementTimeStamp;
  CharacteristicValueConfig = other.CharacteristicValueConfig;
  detail::assignStoredDetails(CompressedCharacteristicValueDataDetails,
                              other.CompressedCharacteristicValueDataDetails);
  CharacteristicValueDataDetailsOptions.drop();
  ExternalReferenceCharacteristicValueDataDetails =
      other.ExternalReferenceCharacteristicValueDataDetails;
  JobData = other.JobData;
  Value = other.Value;
  AlarmType = other.AlarmType;
  SavedByAlarmStatusChange = other.SavedByAlarmStatusChange;
}

std::string CharacteristicValueDataDO::getCharacteristicValueDataDetails() const {
  return detail::detailsText(
      CompressedCharacteristicValueDataDetails, ExternalReferenceCharacteristicValueDataDetails,
      externalReferenceLoader, detail::throw_sites::objects::kCharacteristicDetails);
}

void CharacteristicValueDataDO::setCharacteristicValueDataDetails(const std::string& text) {
  CharacteristicValueDataDetailsOptions.drop();
  detail::storeDetailsText(CompressedCharacteristicValueDataDetails, text);
}

const Options& CharacteristicValueDataDO::getCharacteristicValueDataDetailsOptions() const {
  return CharacteristicValueDataDetailsOptions.get(
      [this] { return getCharacteristicValueDataDetails(); });
}

void CharacteristicValueDataDO::clearCharacteristicValueDataDetailsOptions() const {
  CharacteristicValueDataDetailsOptions.drop();
}

std::vector<unsigned char>&
CharacteristicValueDataDO::getCompressedCharacteristicValueDataDetails() {
  return CompressedCharacteristicValueDataDetails;
}

void CharacteristicValueDataDO::setCompressedCharacteristicValueDataDetails(
    const std::vector<unsigned char>& bytes) {
  detail::assignStoredDetails(CompressedCharacteristicValueDataDetails, bytes);
}

long long CharacteristicValueDataDO::getExternalReferenceCharacteristicValueDataDetails() const {
  return ExternalReferenceCharacteristicValueDataDetails;
}

void CharacteristicValueDataDO::SetExternalReferenceCharacteristicValueDataDetails(
    long long reference) {
  ExternalReferenceCharacteristicValueDataDetails = reference;
}

bool CharacteristicValueDataDO::isEqual(const CharacteristicValueDataDO& other) const {
  return detail::equal(CurrentUuid, other.CurrentUuid);
}

bool CharacteristicValueDataDO::isIdentical(const CharacteristicValueDataDO& other) const {
  return detail::equal(CurrentUuid, other.CurrentUuid) &&
         MeasurementTimeStamp == other.MeasurementTimeStamp &&
         detail::equal(CharacteristicValueConfig, other.CharacteristicValueConfig) &&
         getCharacteristicValueDataDetails() == other.getCharacteristicValueDataDetails() &&
         detail::equal(JobData, other.JobData) && Value == other.Value &&
         AlarmType == other.AlarmType && SavedByAlarmStatusChange == other.SavedByAlarmStatusChange;
}

std::string CharacteristicValueDataDO::ToString() const {
  return detail::ObjectText::objectText(
      [this](detail::ObjectText& text) {
        text.field("(MeasurementTimeStamp=", MeasurementTimeStamp)
            .field("(CharacteristicValueConfig=", CharacteristicValueConfig)
            .field("(CharacteristicValueDataDetails=", getCharacteristicValueDataDetails())
            .field("(JobData=", JobData)
            .field("(Value=", Value)
            .field("(AlarmType=", AlarmType)
            .field("(SavedByAlarmStatusChange=", SavedByAlarmStatusChange);
      },
      kPrefix, CurrentUuid);
}

Archive& operator<<(Archive& archive, const CharacteristicValueDataDO& object) {
  detail::writeAll(archive, object.CurrentUuid, object.MeasurementTimeStamp,
                   object.CharacteristicValueConfig);
  // The details are fetched and decompressed only when their slot comes.
  return detail::writeAll(archive, object.getCharacteristicValueDataDetails(),
                          object.ExternalReferenceCharacteristicValueDataDetails, object.JobData,
                          object.Value, object.AlarmType, object.SavedByAlarmStatusChange);
}

Archive& operator>>(Archive& archive, CharacteristicValueDataDO& object) {
  detail::readAll(archive, object.CurrentUuid, object.MeasurementTimeStamp,
                  object.CharacteristicValueConfig);
  detail::readDetailsText(archive, object.CompressedCharacteristicValueDataDetails);
  return detail::readAll(archive, object.ExternalReferenceCharacteristicValueDataDetails,
                         object.JobData, object.Value, object.AlarmType,
                         object.SavedByAlarmStatusChange);
}

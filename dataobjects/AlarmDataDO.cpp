#include "dataobjects/AlarmDataDO.h"

#include "dataobjects/detail/ArchiveFields.h"
#include "dataobjects/detail/KeyCompare.h"
#include "dataobjects/detail/ObjectText.h"
#include "dataobjects/detail/UuidKeyId.h"
#include "libs/utilities/archive/DataObjectException.h"
#include "libs/utilities/archive/ExceptionFactory.h"
#include "platform/detail/ThrowSites.h"

namespace detail = dataobjects_data::detail;

namespace {

constexpr const char kPrefix[] = "AlarmData";

namespace sites = dataobjects_data::detail::throw_sites::objects;

// What a getter throws from `site` when its field `element` is null.
DataObjectException nullAccess(const char* element,
                               const dataobjects_data::detail::ThrowSite& site) {
  return ExceptionFactory(site.file, site.line)
      .createException<DataObjectException>("Accessing element %s with null value.", element);
}

// Two nullable fields agree when both are null, or both are set and hold the same value.
bool sameNullable(bool isNull, bool otherIsNull, bool sameValue) {
  return isNull == otherIsNull && (isNull || sameValue);
}

}  // namespace

DATAOBJECTS_DEFINE_UUID_KEY_ID(AlarmDataDO, CharacteristicValueConfig, kPrefix)

AlarmDataDO::AlarmDataDO() {
  init();
}

AlarmDataDO::AlarmDataDO(const AlarmDataDO& other) : BaseDataObject(other) {
  init();
  copy(other);
}

AlarmDataDO::AlarmDataDO(const UuidEntryDO& characteristicValueConfig,
                         const long long& lastMeasurementTime, const double& currentValue,
                         const unsigned short& mainAlarmCount, const unsigned short& preAlarmCount,
                         const unsigned short& alarmType, const bool& learningModeActive,
                         const bool& isTriggerValidator, const std::string& learningModeActives,
                         bool learningModeActivesIsNull, const double& currentLowerPreAlarmLevel,
                         const double& currentPreAlarmLevel, const double& currentMainAlarmLevel,
                         const unsigned short& currentAlarmMapIndex,
                         bool currentAlarmMapIndexIsNull, const bool& active,
                         const UuidEntryDO& latestSavedTimeSignal, bool latestSavedTimeSignalIsNull,
                         const long long& alarmStateSince) {
  setCharacteristicValueConfig(characteristicValueConfig);
  setLastMeasurementTime(lastMeasurementTime);
  setCurrentValue(currentValue);
  setMainAlarmCount(mainAlarmCount);
  setPreAlarmCount(preAlarmCount);
  setAlarmType(alarmType);
  setLearningModeActive(learningModeActive);
  setIsTriggerValidator(isTriggerValidator);
  setLearningModeActives(learningModeActives);
  setLearningModeActivesIsNull(learningModeActivesIsNull);
  setCurrentLowerPreAlarmLevel(currentLowerPreAlarmLevel);
  setCurrentPreAlarmLevel(currentPreAlarmLevel);
  setCurrentMainAlarmLevel(currentMainAlarmLevel);
  setCurrentAlarmMapIndex(currentAlarmMapIndex);
  setCurrentAlarmMapIndexIsNull(currentAlarmMapIndexIsNull);
  setActive(active);
  setLatestSavedTimeSignal(latestSavedTimeSignal);
  setLatestSavedTimeSignalIsNull(latestSavedTimeSignalIsNull);
  setAlarmStateSince(alarmStateSince);
}

AlarmDataDO::~AlarmDataDO() = default;

AlarmDataDO& AlarmDataDO::operator=(const AlarmDataDO& other) {
  copy(other);
  return *this;
}

void AlarmDataDO::init() {
  LastMeasurementTime = 0;
  CurrentValue = 0.0;
  MainAlarmCount = 0;
  PreAlarmCount = 0;
  AlarmType = 0;
  LearningModeActive = false;
  IsTriggerValidator = false;
  LearningModeActivesIsNull = true;
  LearningModeActives.clear();
  CurrentLowerPreAlarmLevel = 0.0;
  CurrentPreAlarmLevel = 0.0;
  CurrentMainAlarmLevel = 0.0;
  CurrentAlarmMapIndexIsNull = true;
  CurrentAlarmMapIndex = 0;
  Active = false;
  LatestSavedTimeSignalIsNull = true;
  AlarmStateSince = 0;
}

void AlarmDataDO::copy(const AlarmDataDO& other) {
  BaseDataObject::operator=(other);
  CharacteristicValueConfig = other.CharacteristicValueConfig;
  LastMeasurementTime = other.LastMeasurementTime;
  CurrentValue = other.CurrentValue;
  MainAlarmCount = other.MainAlarmCount;
  PreAlarmCount = other.PreAlarmCount;
  AlarmType = other.AlarmType;
  LearningModeActive = other.LearningModeActive;
  IsTriggerValidator = other.IsTriggerValidator;
  LearningModeActivesIsNull = other.LearningModeActivesIsNull;
  LearningModeActives = other.LearningModeActives;
  CurrentLowerPreAlarmLevel = other.CurrentLowerPreAlarmLevel;
  CurrentPreAlarmLevel = other.CurrentPreAlarmLevel;
  CurrentMainAlarmLevel = other.CurrentMainAlarmLevel;
  CurrentAlarmMapIndexIsNull = other.CurrentAlarmMapIndexIsNull;
  CurrentAlarmMapIndex = other.CurrentAlarmMapIndex;
  Active = other.Active;
  LatestSavedTimeSignalIsNull = other.LatestSavedTimeSignalIsNull;
  LatestSavedTimeSignal = other.LatestSavedTimeSignal;
  AlarmStateSince = other.AlarmStateSince;
}

const std::string& AlarmDataDO::getLearningModeActives() const {
  if (LearningModeActivesIsNull)
    throw nullAccess("AlarmData.LearningModeActives", sites::kLearningModeActivesNull);
  return LearningModeActives;
}

const unsigned short& AlarmDataDO::getCurrentAlarmMapIndex() const {
  if (CurrentAlarmMapIndexIsNull)
    throw nullAccess("AlarmData.CurrentAlarmMapIndex", sites::kCurrentAlarmMapIndexNull);
  return CurrentAlarmMapIndex;
}

const UuidEntryDO& AlarmDataDO::getLatestSavedTimeSignal() const {
  if (LatestSavedTimeSignalIsNull)
    throw nullAccess("AlarmData.LatestSavedTimeSignal", sites::kLatestSavedTimeSignalNull);
  return LatestSavedTimeSignal;
}

AlarmDataDO::Id AlarmDataDO::getDataObjectId() const {
  return Id(CharacteristicValueConfig);
}

bool AlarmDataDO::isEqual(const AlarmDataDO& other) const {
  return detail::keyEqual(std::tie(CharacteristicValueConfig),
                          std::tie(other.CharacteristicValueConfig));
}

bool AlarmDataDO::isIdentical(const AlarmDataDO& other) const {
  return detail::equal(CharacteristicValueConfig, other.CharacteristicValueConfig) &&
         LastMeasurementTime == other.LastMeasurementTime && CurrentValue == other.CurrentValue &&
         MainAlarmCount == other.MainAlarmCount && PreAlarmCount == other.PreAlarmCount &&
         AlarmType == other.AlarmType && LearningModeActive == other.LearningModeActive &&
         IsTriggerValidator == other.IsTriggerValidator &&
         sameNullable(LearningModeActivesIsNull, other.LearningModeActivesIsNull,
                      LearningModeActives == other.LearningModeActives) &&
         CurrentLowerPreAlarmLevel == other.CurrentLowerPreAlarmLevel &&
         CurrentPreAlarmLevel == other.CurrentPreAlarmLevel &&
         CurrentMainAlarmLevel == other.CurrentMainAlarmLevel &&
         sameNullable(CurrentAlarmMapIndexIsNull, other.CurrentAlarmMapIndexIsNull,
                      CurrentAlarmMapIndex == other.CurrentAlarmMapIndex) &&
         Active == other.Active &&
         sameNullable(LatestSavedTimeSignalIsNull, other.LatestSavedTimeSignalIsNull,
                      detail::equal(LatestSavedTimeSignal, other.LatestSavedTimeSignal)) &&
         AlarmStateSince == other.AlarmStateSince;
}

std::string AlarmDataDO::ToString() const {
  return detail::ObjectText::objectText(
      [this](detail::ObjectText& text) {
        text.field("(LastMeasurementTime=", LastMeasurementTime)
            .field("(CurrentValue=", CurrentValue)
            .field("(MainAlarmCount=", MainAlarmCount)
            .field("(PreAlarmCount=", PreAlarmCount)
            .field("(AlarmType=", AlarmType)
            .field("(LearningModeActive=", LearningModeActive)
            .field("(IsTriggerValidator=", IsTriggerValidator)
            .nullableField(
                "(LearningModeActives=", LearningModeActivesIsNull,
                [this] { return getLearningModeActives(); },
                "Error converting LearningModeActives to string")
            .field("(CurrentLowerPreAlarmLevel=", CurrentLowerPreAlarmLevel)
            .field("(CurrentPreAlarmLevel=", CurrentPreAlarmLevel)
            .field("(CurrentMainAlarmLevel=", CurrentMainAlarmLevel)
            .nullableField(
                "(CurrentAlarmMapIndex=", CurrentAlarmMapIndexIsNull,
                [this] { return getCurrentAlarmMapIndex(); },
                "Error converting CurrentAlarmMapIndex to string")
            .field("(Active=", Active)
            .nullableField(
                "(LatestSavedTimeSignal=", LatestSavedTimeSignalIsNull,
                [this] { return getLatestSavedTimeSignal(); },
                "Error converting LatestSavedTimeSignal to string")
            .field("(AlarmStateSince=", AlarmStateSince);
      },
      kPrefix, CharacteristicValueConfig);
}

Archive& operator<<(Archive& archive, const AlarmDataDO& o) {
  using detail::nullable;
  return detail::writeAll(
      archive, o.CharacteristicValueConfig, o.LastMeasurementTime, o.CurrentValue, o.MainAlarmCount,
      o.PreAlarmCount, o.AlarmType, o.LearningModeActive, o.IsTriggerValidator,
      nullable(o.LearningModeActivesIsNull, o.LearningModeActives), o.CurrentLowerPreAlarmLevel,
      o.CurrentPreAlarmLevel, o.CurrentMainAlarmLevel,
      nullable(o.CurrentAlarmMapIndexIsNull, o.CurrentAlarmMapIndex), o.Active,
      nullable(o.LatestSavedTimeSignalIsNull, o.LatestSavedTimeSignal), o.AlarmStateSince);
}

Archive& operator>>(Archive& archive, AlarmDataDO& o) {
  using detail::nullable;
  return detail::readAll(
      archive, o.CharacteristicValueConfig, o.LastMeasurementTime, o.CurrentValue, o.MainAlarmCount,
      o.PreAlarmCount, o.AlarmType, o.LearningModeActive, o.IsTriggerValidator,
      nullable(o.LearningModeActivesIsNull, o.LearningModeActives), o.CurrentLowerPreAlarmLevel,
      o.CurrentPreAlarmLevel, o.CurrentMainAlarmLevel,
      nullable(o.CurrentAlarmMapIndexIsNull, o.CurrentAlarmMapIndex), o.Active,
      nullable(o.LatestSavedTimeSignalIsNull, o.LatestSavedTimeSignal), o.AlarmStateSince);
}

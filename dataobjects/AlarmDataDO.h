/// @file
/// AlarmDataDO: the alarm state of one characteristic value configuration, its key. Three fields
/// are nullable: LearningModeActives, CurrentAlarmMapIndex and LatestSavedTimeSignal each have a
/// flag `<Field>IsNull`, and while it is set the field has no value. The value held under a set
/// flag is kept, but never returned, rendered, compared or written.
#ifndef DATAOBJECTS_ALARMDATADO_H
#define DATAOBJECTS_ALARMDATADO_H

#include <string>

#include "dataobjects/BaseDataObject.h"
#include "platform/Archive.h"
#include "platform/Export.h"
#include "platform/UuidEntryDO.h"

class DATAOBJECTS_DATA_API AlarmDataDO : public BaseDataObject {
 public:
  /// The key of an AlarmDataDO: its CharacteristicValueConfig.
  class DATAOBJECTS_DATA_API Id {
   public:
    Id();
    Id(const Id& other);
    Id(const UuidEntryDO& characteristicValueConfig);
    virtual ~Id();
    Id& operator=(const Id& other);

    static bool IsMultiKeyId() { return false; }
    void init();
    void copy(const Id& other);

    const UuidEntryDO& getCharacteristicValueConfig() const { return CharacteristicValueConfig; }
    void setCharacteristicValueConfig(const UuidEntryDO& value) {
      CharacteristicValueConfig = value;
    }

    bool operator<(const Id& other) const;
    bool operator>(const Id& other) const;
    bool isEqual(const Id& other) const;
    bool operator==(const Id& other) const { return isEqual(other); }
    bool operator!=(const Id& other) const { return !isEqual(other); }

    /// `"AlarmData[<CharacteristicValueConfig>]"`.
    std::string ToString() const;

   private:
    friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, Id& id);

    UuidEntryDO CharacteristicValueConfig;
  };

  AlarmDataDO();
  AlarmDataDO(const AlarmDataDO& other);
  /// Every field in declaration order, except that each null flag follows its value. A field
  /// whose flag is true is null, and its value is stored all the same.
  AlarmDataDO(const UuidEntryDO& characteristicValueConfig, const long long& lastMeasurementTime,
              const double& currentValue, const unsigned short& mainAlarmCount,
              const unsigned short& preAlarmCount, const unsigned short& alarmType,
              const bool& learningModeActive, const bool& isTriggerValidator,
              const std::string& learningModeActives, bool learningModeActivesIsNull,
              const double& currentLowerPreAlarmLevel, const double& currentPreAlarmLevel,
              const double& currentMainAlarmLevel, const unsigned short& currentAlarmMapIndex,
              bool currentAlarmMapIndexIsNull, const bool& active,
              const UuidEntryDO& latestSavedTimeSignal, bool latestSavedTimeSignalIsNull,
              const long long& alarmStateSince);
  ~AlarmDataDO() override;
  AlarmDataDO& operator=(const AlarmDataDO& other);

  /// Numbers 0, flags false, the text empty, and the three nullable fields null. The two UUID
  /// fields keep their values.
  void init();
  /// Copies the base fields, then every field, null flags and the values under them included.
  void copy(const AlarmDataDO& other);

  const UuidEntryDO& getCharacteristicValueConfig() const { return CharacteristicValueConfig; }
  const long long& getLastMeasurementTime() const { return LastMeasurementTime; }
  const double& getCurrentValue() const { return CurrentValue; }
  const unsigned short& getMainAlarmCount() const { return MainAlarmCount; }
  const unsigned short& getPreAlarmCount() const { return PreAlarmCount; }
  const unsigned short& getAlarmType() const { return AlarmType; }
  const bool& getLearningModeActive() const { return LearningModeActive; }
  const bool& getIsTriggerValidator() const { return IsTriggerValidator; }
  bool getLearningModeActivesIsNull() const { return LearningModeActivesIsNull; }
  /// Throws DataObjectException while the field is null.
  const std::string& getLearningModeActives() const;
  const double& getCurrentLowerPreAlarmLevel() const { return CurrentLowerPreAlarmLevel; }
  const double& getCurrentPreAlarmLevel() const { return CurrentPreAlarmLevel; }
  const double& getCurrentMainAlarmLevel() const { return CurrentMainAlarmLevel; }
  bool getCurrentAlarmMapIndexIsNull() const { return CurrentAlarmMapIndexIsNull; }
  /// Throws DataObjectException while the field is null.
  const unsigned short& getCurrentAlarmMapIndex() const;
  const bool& getActive() const { return Active; }
  bool getLatestSavedTimeSignalIsNull() const { return LatestSavedTimeSignalIsNull; }
  /// Throws DataObjectException while the field is null.
  const UuidEntryDO& getLatestSavedTimeSignal() const;
  const long long& getAlarmStateSince() const { return AlarmStateSince; }

  void setCharacteristicValueConfig(const UuidEntryDO& value) { CharacteristicValueConfig = value; }
  void setLastMeasurementTime(const long long& value) { LastMeasurementTime = value; }
  void setCurrentValue(const double& value) { CurrentValue = value; }
  void setMainAlarmCount(const unsigned short& value) { MainAlarmCount = value; }
  void setPreAlarmCount(const unsigned short& value) { PreAlarmCount = value; }
  void setAlarmType(const unsigned short& value) { AlarmType = value; }
  void setLearningModeActive(const bool& value) { LearningModeActive = value; }
  void setIsTriggerValidator(const bool& value) { IsTriggerValidator = value; }
  /// The flag setters leave the value as it is.
  void setLearningModeActivesIsNull(bool isNull) { LearningModeActivesIsNull = isNull; }
  /// The setters of the nullable fields clear the flag.
  void setLearningModeActives(const std::string& value) {
    LearningModeActivesIsNull = false;
    LearningModeActives = value;
  }
  void setCurrentLowerPreAlarmLevel(const double& value) { CurrentLowerPreAlarmLevel = value; }
  void setCurrentPreAlarmLevel(const double& value) { CurrentPreAlarmLevel = value; }
  void setCurrentMainAlarmLevel(const double& value) { CurrentMainAlarmLevel = value; }
  void setCurrentAlarmMapIndexIsNull(bool isNull) { CurrentAlarmMapIndexIsNull = isNull; }
  void setCurrentAlarmMapIndex(const unsigned short& value) {
    CurrentAlarmMapIndexIsNull = false;
    CurrentAlarmMapIndex = value;
  }
  void setActive(const bool& value) { Active = value; }
  void setLatestSavedTimeSignalIsNull(bool isNull) { LatestSavedTimeSignalIsNull = isNull; }
  void setLatestSavedTimeSignal(const UuidEntryDO& value) {
    LatestSavedTimeSignalIsNull = false;
    LatestSavedTimeSignal = value;
  }
  void setAlarmStateSince(const long long& value) { AlarmStateSince = value; }

  Id getDataObjectId() const;
  /// Key equality; == and != compare keys, not content.
  bool isEqual(const AlarmDataDO& other) const;
  bool operator==(const AlarmDataDO& other) const { return isEqual(other); }
  bool operator!=(const AlarmDataDO& other) const { return !isEqual(other); }
  /// Every field equal, the base fields aside. Doubles compare as IEEE values (a NaN differs
  /// from everything); a nullable field agrees when both are null, whatever they hold.
  bool isIdentical(const AlarmDataDO& other) const;

  /// `"AlarmData[<key>]=[(LastMeasurementTime=<n>) ... (AlarmStateSince=<n>) ]"`, with "null" for
  /// a null field.
  std::string ToString() const;

 private:
  friend DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const AlarmDataDO& object);
  friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, AlarmDataDO& object);

  UuidEntryDO CharacteristicValueConfig;
  long long LastMeasurementTime;
  double CurrentValue;
  unsigned short MainAlarmCount;
  unsigned short PreAlarmCount;
  unsigned short AlarmType;
  bool LearningModeActive;
  bool IsTriggerValidator;
  bool LearningModeActivesIsNull;
  std::string LearningModeActives;
  double CurrentLowerPreAlarmLevel;
  double CurrentPreAlarmLevel;
  double CurrentMainAlarmLevel;
  bool CurrentAlarmMapIndexIsNull;
  unsigned short CurrentAlarmMapIndex;
  bool Active;
  bool LatestSavedTimeSignalIsNull;
  UuidEntryDO LatestSavedTimeSignal;
  long long AlarmStateSince;
};

/// Archive form of the key: CharacteristicValueConfig.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const AlarmDataDO::Id& id);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, AlarmDataDO::Id& id);

/// Archive form: every field in declaration order; each null flag is a bool entry, and the value
/// after it is present only when the flag is false. Reading a true flag leaves the value as it was.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const AlarmDataDO& object);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, AlarmDataDO& object);

#endif  // DATAOBJECTS_ALARMDATADO_H

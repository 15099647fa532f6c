// Plain structs with the fields of the data objects, for cereal's binary archive and msgpack to
// write and read beside this library, filled with the values of BenchSupport.h's objects.
// Used by the benchmarks and by the ARM instruction-cost runner.
#ifndef BENCH_PEERFIELDS_H
#define BENCH_PEERFIELDS_H

#include <array>
#include <cereal/archives/binary.hpp>
#include <cereal/types/array.hpp>
#include <cereal/types/optional.hpp>
#include <cereal/types/string.hpp>
#include <cereal/types/vector.hpp>
#include <cstddef>
#include <cstring>
#include <msgpack.hpp>
#include <optional>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace bench {

using UuidBytes = std::array<unsigned char, 16>;

inline UuidBytes uuidBytes() {
  const UuidEntryDO entry = uuid();
  UuidBytes bytes{};
  std::memcpy(bytes.data(), entry.getUuid().bytes().data(), bytes.size());
  return bytes;
}

// JobDataDO's fields.
struct JobFields {
  UuidBytes currentUuid{};
  long long measurementTimeStamp = 0;
  UuidBytes jobConfig{};
  template <class A>
  void serialize(A& archive) {
    archive(currentUuid, measurementTimeStamp, jobConfig);
  }
  MSGPACK_DEFINE(currentUuid, measurementTimeStamp, jobConfig)
};

// MeasurementDataDO's fields, the details as plain text (as in its archive form).
struct MeasurementFields {
  UuidBytes currentUuid{};
  long long measurementTimeStamp = 0;
  UuidBytes measurementConfig{};
  std::string details;
  long long externalReferenceDetails = -1;
  std::vector<unsigned char> binaryData;
  long long externalReferenceBinaryData = -1;
  UuidBytes jobData{};
  bool savedByAlarmStatusChange = false;
  template <class A>
  void serialize(A& archive) {
    archive(currentUuid, measurementTimeStamp, measurementConfig, details, externalReferenceDetails,
            binaryData, externalReferenceBinaryData, jobData, savedByAlarmStatusChange);
  }
  MSGPACK_DEFINE(currentUuid, measurementTimeStamp, measurementConfig, details,
                 externalReferenceDetails, binaryData, externalReferenceBinaryData, jobData,
                 savedByAlarmStatusChange)
};

// AlarmDataDO's fields; a nullable field is an optional, empty when null.
struct AlarmFields {
  UuidBytes characteristicValueConfig{};
  long long lastMeasurementTime = 0;
  double currentValue = 0;
  unsigned short mainAlarmCount = 0;
  unsigned short preAlarmCount = 0;
  unsigned short alarmType = 0;
  bool learningModeActive = false;
  bool isTriggerValidator = false;
  std::optional<std::string> learningModeActives;
  double currentLowerPreAlarmLevel = 0;
  double currentPreAlarmLevel = 0;
  double currentMainAlarmLevel = 0;
  std::optional<unsigned short> currentAlarmMapIndex;
  bool active = false;
  std::optional<UuidBytes> latestSavedTimeSignal;
  long long alarmStateSince = 0;
  template <class A>
  void serialize(A& archive) {
    archive(characteristicValueConfig, lastMeasurementTime, currentValue, mainAlarmCount,
            preAlarmCount, alarmType, learningModeActive, isTriggerValidator, learningModeActives,
            currentLowerPreAlarmLevel, currentPreAlarmLevel, currentMainAlarmLevel,
            currentAlarmMapIndex, active, latestSavedTimeSignal, alarmStateSince);
  }
  MSGPACK_DEFINE(characteristicValueConfig, lastMeasurementTime, currentValue, mainAlarmCount,
                 preAlarmCount, alarmType, learningModeActive, isTriggerValidator,
                 learningModeActives, currentLowerPreAlarmLevel, currentPreAlarmLevel,
                 currentMainAlarmLevel, currentAlarmMapIndex, active, latestSavedTimeSignal,
                 alarmStateSince)
};

// The values of job().
inline JobFields jobFields() {
  JobFields fields;
  fields.currentUuid = uuidBytes();
  fields.measurementTimeStamp = 1733400000000LL;
  fields.jobConfig = uuidBytes();
  return fields;
}

// The values of measurement(blob, details), details the 200-byte text or none.
inline MeasurementFields measurementFields(std::size_t blob, bool details) {
  MeasurementFields fields;
  fields.currentUuid = uuidBytes();
  fields.measurementTimeStamp = 1733400000000LL;
  fields.measurementConfig = uuidBytes();
  fields.details = details ? detailsText() : std::string();
  fields.binaryData = randomBytes(blob);
  fields.jobData = uuidBytes();
  return fields;
}

// The values of alarm(): every nullable field set.
inline AlarmFields alarmFields() {
  AlarmFields fields;
  fields.characteristicValueConfig = uuidBytes();
  fields.lastMeasurementTime = 1733400000000LL;
  fields.currentValue = 4.2375;
  fields.mainAlarmCount = 2;
  fields.preAlarmCount = 11;
  fields.alarmType = 1;
  fields.learningModeActive = false;
  fields.isTriggerValidator = true;
  fields.learningModeActives = "X=3;Y=5";
  fields.currentLowerPreAlarmLevel = 3.5;
  fields.currentPreAlarmLevel = 4.2;
  fields.currentMainAlarmLevel = 6.0;
  fields.currentAlarmMapIndex = 12;
  fields.active = true;
  fields.latestSavedTimeSignal = uuidBytes();
  fields.alarmStateSince = 1733399400000LL;
  return fields;
}

// CharacteristicValueDataDO's fields, the details as plain text.
struct CharacteristicFields {
  UuidBytes currentUuid{};
  long long measurementTimeStamp = 0;
  UuidBytes characteristicValueConfig{};
  std::string details;
  long long externalReferenceDetails = -1;
  UuidBytes jobData{};
  double value = 0;
  unsigned short alarmType = 0;
  bool savedByAlarmStatusChange = false;
  template <class A>
  void serialize(A& archive) {
    archive(currentUuid, measurementTimeStamp, characteristicValueConfig, details,
            externalReferenceDetails, jobData, value, alarmType, savedByAlarmStatusChange);
  }
  MSGPACK_DEFINE(currentUuid, measurementTimeStamp, characteristicValueConfig, details,
                 externalReferenceDetails, jobData, value, alarmType, savedByAlarmStatusChange)
};

// TrendDataDO's fields.
struct TrendFields {
  UuidBytes currentUuid{};
  UuidBytes characteristicValueConfig{};
  UuidBytes characteristicValueConfigBaseUuid{};
  bool closed = false;
  long long firstTimeStamp = 0;
  long long lastTimeStamp = 0;
  std::string details;
  unsigned int numSamples = 0;
  std::vector<unsigned char> data;
  long long externalReferenceData = -1;
  template <class A>
  void serialize(A& archive) {
    archive(currentUuid, characteristicValueConfig, characteristicValueConfigBaseUuid, closed,
            firstTimeStamp, lastTimeStamp, details, numSamples, data, externalReferenceData);
  }
  MSGPACK_DEFINE(currentUuid, characteristicValueConfig, characteristicValueConfigBaseUuid, closed,
                 firstTimeStamp, lastTimeStamp, details, numSamples, data, externalReferenceData)
};

// AlarmLearningValuesDO's fields.
struct LearningFields {
  UuidBytes characteristicValueConfig{};
  unsigned short x = 0;
  unsigned short y = 0;
  unsigned short valueCount = 0;
  std::vector<unsigned char> learningValues;
  template <class A>
  void serialize(A& archive) {
    archive(characteristicValueConfig, x, y, valueCount, learningValues);
  }
  MSGPACK_DEFINE(characteristicValueConfig, x, y, valueCount, learningValues)
};

// CharacteristicValueDataMeasurementDataMapDO's fields.
struct LinkFields {
  UuidBytes characteristicValueData{};
  UuidBytes measurementData{};
  template <class A>
  void serialize(A& archive) {
    archive(characteristicValueData, measurementData);
  }
  MSGPACK_DEFINE(characteristicValueData, measurementData)
};

// The values of characteristic(), trend(), learning() and link().
inline CharacteristicFields characteristicFields() {
  CharacteristicFields fields;
  fields.currentUuid = uuidBytes();
  fields.measurementTimeStamp = 1733400000000LL;
  fields.characteristicValueConfig = uuidBytes();
  fields.details = detailsText();
  fields.jobData = uuidBytes();
  fields.value = 4.2375;
  fields.alarmType = 2;
  fields.savedByAlarmStatusChange = true;
  return fields;
}
inline TrendFields trendFields() {
  TrendFields fields;
  fields.currentUuid = uuidBytes();
  fields.characteristicValueConfig = uuidBytes();
  fields.characteristicValueConfigBaseUuid = uuidBytes();
  fields.closed = true;
  fields.firstTimeStamp = 1733396400000LL;
  fields.lastTimeStamp = 1733400000000LL;
  fields.details = "interval=60;aggregate=max";
  fields.numSamples = 60;
  fields.data = randomBytes(480);
  return fields;
}
inline LearningFields learningFields() {
  LearningFields fields;
  fields.characteristicValueConfig = uuidBytes();
  fields.x = 3;
  fields.y = 5;
  fields.valueCount = 64;
  fields.learningValues = randomBytes(512);
  return fields;
}
inline LinkFields linkFields() {
  LinkFields fields;
  fields.characteristicValueData = uuidBytes();
  fields.measurementData = uuidBytes();
  return fields;
}

}  // namespace bench

#endif  // BENCH_PEERFIELDS_H

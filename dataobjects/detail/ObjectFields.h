/// @file
/// The fields of every data object class, described once for the code that handles objects field
/// by field from outside the classes (the tool's JSON form, the Python module, the tests' model of
/// each class): the class's name, the prefix of its texts, whether its key has several parts, its
/// fields in archive order, each with its name, role, value type and accessors, and the stored
/// form of its compressed details, which is no field of the archive.
///
/// @code
///   forEachField(ObjectFields<JobDataDO>::fields(), [&](const auto& field) {
///     use(field.name, (object.*field.get)());
///   });
/// @endcode
///
/// The accessors are member pointers of the exact types the classes declare, so a change of a
/// getter's or setter's signature fails to compile here.
#ifndef DATAOBJECTS_DETAIL_OBJECTFIELDS_H
#define DATAOBJECTS_DETAIL_OBJECTFIELDS_H

#include <cstddef>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "platform/UuidEntryDO.h"

namespace dataobjects_data {
namespace detail {

/// How a field takes part in an object.
enum class FieldRole {
  Key,        ///< a part of the key, in the key's order
  Plain,      ///< any other value
  Details,    ///< a compressed details text: a text in the archive, stored compressed
  Reference,  ///< an external reference: in the archive, but not compared by isIdentical
  Nullable,   ///< a value with a null flag before it; in the archive only while the flag is false
};

using Bytes = std::vector<unsigned char>;

/// One field of class O holding a T, read as Out and written from In.
template <class O, class T, class Out = const T&, class In = const T&>
struct Field {
  using Object = O;
  using Type = T;
  const char* name;
  FieldRole role;
  Out (O::*get)() const;
  void (O::*set)(In);
  bool (O::*isNull)() const = nullptr;  ///< a Nullable field's flag, null for the others
  void (O::*setNull)(bool) = nullptr;   ///< sets that flag and leaves the value
};

template <class T, class O>
constexpr Field<O, T> key(const char* name, const T& (O::*get)() const, void (O::*set)(const T&)) {
  return {name, FieldRole::Key, get, set};
}
template <class T, class O>
constexpr Field<O, T> plain(const char* name, const T& (O::*get)() const,
                            void (O::*set)(const T&)) {
  return {name, FieldRole::Plain, get, set};
}
/// A text whose getter returns a copy (the details texts).
template <class O>
constexpr Field<O, std::string, std::string> text(const char* name, FieldRole role,
                                                  std::string (O::*get)() const,
                                                  void (O::*set)(const std::string&)) {
  return {name, role, get, set};
}
template <class O>
constexpr Field<O, long long, long long, long long> reference(const char* name,
                                                              long long (O::*get)() const,
                                                              void (O::*set)(long long)) {
  return {name, FieldRole::Reference, get, set};
}
template <class T, class O>
constexpr Field<O, T> nullable(const char* name, const T& (O::*get)() const,
                               void (O::*set)(const T&), bool (O::*isNull)() const,
                               void (O::*setNull)(bool)) {
  return {name, FieldRole::Nullable, get, set, isNull, setNull};
}

/// The compressed details of class O as it holds them: the stored form (empty, or a 4-byte
/// length and a gzip stream), which the text of the details field is made from. When it is empty
/// and the details' external reference is not -1, the object fetches it through its
/// ExternalReferenceLoader (BaseDataObject::externalReferenceLoader) on the next text request.
template <class O>
struct StoredDetails {
  using Object = O;
  using Type = Bytes;
  const char* name;
  Bytes& (O::*get)();
  void (O::*set)(const Bytes&);
};

/// Calls f(field) for each field of a class, in archive order.
template <class Fields, class F>
void forEachField(const Fields& fields, F&& f) {
  std::apply([&](const auto&... field) { (f(field), ...); }, fields);
}

/// A class's description: name, prefix of its texts, whether its key has several parts, fields,
/// and stored(): its StoredDetails, if it keeps details compressed (then it uses a loader).
template <class O>
struct ObjectFields;

template <>
struct ObjectFields<JobDataDO> {
  using O = JobDataDO;
  static constexpr const char* name = "JobDataDO";
  static constexpr const char* prefix = "JobData";
  static constexpr bool multiKey = false;
  static constexpr auto fields() {
    return std::make_tuple(key<UuidEntryDO>("CurrentUuid", &O::getCurrentUuid, &O::setCurrentUuid),
                           plain<long long>("MeasurementTimeStamp", &O::getMeasurementTimeStamp,
                                            &O::setMeasurementTimeStamp),
                           plain<UuidEntryDO>("JobConfig", &O::getJobConfig, &O::setJobConfig));
  }
  static constexpr std::tuple<> stored() { return {}; }
};

template <>
struct ObjectFields<CharacteristicValueDataDO> {
  using O = CharacteristicValueDataDO;
  static constexpr const char* name = "CharacteristicValueDataDO";
  static constexpr const char* prefix = "CharacteristicValueData";
  static constexpr bool multiKey = false;
  static constexpr auto fields() {
    return std::make_tuple(
        key<UuidEntryDO>("CurrentUuid", &O::getCurrentUuid, &O::setCurrentUuid),
        plain<long long>("MeasurementTimeStamp", &O::getMeasurementTimeStamp,
                         &O::setMeasurementTimeStamp),
        plain<UuidEntryDO>("CharacteristicValueConfig", &O::getCharacteristicValueConfig,
                           &O::setCharacteristicValueConfig),
        text("CharacteristicValueDataDetails", FieldRole::Details,
             &O::getCharacteristicValueDataDetails, &O::setCharacteristicValueDataDetails),
        reference("ExternalReferenceCharacteristicValueDataDetails",
                  &O::getExternalReferenceCharacteristicValueDataDetails,
                  &O::SetExternalReferenceCharacteristicValueDataDetails),
        plain<UuidEntryDO>("JobData", &O::getJobData, &O::setJobData),
        plain<double>("Value", &O::getValue, &O::setValue),
        plain<unsigned short>("AlarmType", &O::getAlarmType, &O::setAlarmType),
        plain<bool>("SavedByAlarmStatusChange", &O::getSavedByAlarmStatusChange,
                    &O::setSavedByAlarmStatusChange));
  }
  static constexpr auto stored() {
    return std::make_tuple(StoredDetails<O>{"CompressedCharacteristicValueDataDetails",
                                            &O::getCompressedCharacteristicValueDataDetails,
                                            &O::setCompressedCharacteristicValueDataDetails});
  }
};

template <>
struct ObjectFields<MeasurementDataDO> {
  using O = MeasurementDataDO;
  static constexpr const char* name = "MeasurementDataDO";
  static constexpr const char* prefix = "MeasurementData";
  static constexpr bool multiKey = false;
  static constexpr auto fields() {
    return std::make_tuple(
        key<UuidEntryDO>("CurrentUuid", &O::getCurrentUuid, &O::setCurrentUuid),
        plain<long long>("MeasurementTimeStamp", &O::getMeasurementTimeStamp,
                         &O::setMeasurementTimeStamp),
        plain<UuidEntryDO>("MeasurementConfig", &O::getMeasurementConfig, &O::setMeasurementConfig),
        text("MeasurementDataDetails", FieldRole::Details, &O::getMeasurementDataDetails,
             &O::setMeasurementDataDetails),
        reference("ExternalReferenceMeasurementDataDetails",
                  &O::getExternalReferenceMeasurementDataDetails,
                  &O::SetExternalReferenceMeasurementDataDetails),
        plain<Bytes>("BinaryData", &O::getBinaryData, &O::setBinaryData),
        reference("ExternalReferenceBinaryData", &O::getExternalReferenceBinaryData,
                  &O::SetExternalReferenceBinaryData),
        plain<UuidEntryDO>("JobData", &O::getJobData, &O::setJobData),
        plain<bool>("SavedByAlarmStatusChange", &O::getSavedByAlarmStatusChange,
                    &O::setSavedByAlarmStatusChange));
  }
  static constexpr auto stored() {
    return std::make_tuple(StoredDetails<O>{"CompressedMeasurementDataDetails",
                                            &O::getCompressedMeasurementDataDetails,
                                            &O::setCompressedMeasurementDataDetails});
  }
};

template <>
struct ObjectFields<TrendDataDO> {
  using O = TrendDataDO;
  static constexpr const char* name = "TrendDataDO";
  static constexpr const char* prefix = "TrendData";
  static constexpr bool multiKey = false;
  static constexpr auto fields() {
    return std::make_tuple(
        key<UuidEntryDO>("CurrentUuid", &O::getCurrentUuid, &O::setCurrentUuid),
        plain<UuidEntryDO>("CharacteristicValueConfig", &O::getCharacteristicValueConfig,
                           &O::setCharacteristicValueConfig),
        plain<UuidEntryDO>("CharacteristicValueConfigBaseUuid",
                           &O::getCharacteristicValueConfigBaseUuid,
                           &O::setCharacteristicValueConfigBaseUuid),
        plain<bool>("Closed", &O::getClosed, &O::setClosed),
        plain<long long>("FirstTimeStamp", &O::getFirstTimeStamp, &O::setFirstTimeStamp),
        plain<long long>("LastTimeStamp", &O::getLastTimeStamp, &O::setLastTimeStamp),
        text("TrendDataDetails", FieldRole::Plain, &O::getTrendDataDetails,
             &O::setTrendDataDetails),
        plain<unsigned int>("NumSamples", &O::getNumSamples, &O::setNumSamples),
        plain<Bytes>("Data", &O::getData, &O::setData),
        reference("ExternalReferenceData", &O::getExternalReferenceData,
                  &O::SetExternalReferenceData));
  }
  static constexpr std::tuple<> stored() { return {}; }
};

template <>
struct ObjectFields<AlarmDataDO> {
  using O = AlarmDataDO;
  static constexpr const char* name = "AlarmDataDO";
  static constexpr const char* prefix = "AlarmData";
  static constexpr bool multiKey = false;
  static constexpr auto fields() {
    return std::make_tuple(
        key<UuidEntryDO>("CharacteristicValueConfig", &O::getCharacteristicValueConfig,
                         &O::setCharacteristicValueConfig),
        plain<long long>("LastMeasurementTime", &O::getLastMeasurementTime,
                         &O::setLastMeasurementTime),
        plain<double>("CurrentValue", &O::getCurrentValue, &O::setCurrentValue),
        plain<unsigned short>("MainAlarmCount", &O::getMainAlarmCount, &O::setMainAlarmCount),
        plain<unsigned short>("PreAlarmCount", &O::getPreAlarmCount, &O::setPreAlarmCount),
        plain<unsigned short>("AlarmType", &O::getAlarmType, &O::setAlarmType),
        plain<bool>("LearningModeActive", &O::getLearningModeActive, &O::setLearningModeActive),
        plain<bool>("IsTriggerValidator", &O::getIsTriggerValidator, &O::setIsTriggerValidator),
        nullable<std::string>("LearningModeActives", &O::getLearningModeActives,
                              &O::setLearningModeActives, &O::getLearningModeActivesIsNull,
                              &O::setLearningModeActivesIsNull),
        plain<double>("CurrentLowerPreAlarmLevel", &O::getCurrentLowerPreAlarmLevel,
                      &O::setCurrentLowerPreAlarmLevel),
        plain<double>("CurrentPreAlarmLevel", &O::getCurrentPreAlarmLevel,
                      &O::setCurrentPreAlarmLevel),
        plain<double>("CurrentMainAlarmLevel", &O::getCurrentMainAlarmLevel,
                      &O::setCurrentMainAlarmLevel),
        nullable<unsigned short>("CurrentAlarmMapIndex", &O::getCurrentAlarmMapIndex,
                                 &O::setCurrentAlarmMapIndex, &O::getCurrentAlarmMapIndexIsNull,
                                 &O::setCurrentAlarmMapIndexIsNull),
        plain<bool>("Active", &O::getActive, &O::setActive),
        nullable<UuidEntryDO>("LatestSavedTimeSignal", &O::getLatestSavedTimeSignal,
                              &O::setLatestSavedTimeSignal, &O::getLatestSavedTimeSignalIsNull,
                              &O::setLatestSavedTimeSignalIsNull),
        plain<long long>("AlarmStateSince", &O::getAlarmStateSince, &O::setAlarmStateSince));
  }
  static constexpr std::tuple<> stored() { return {}; }
};

template <>
struct ObjectFields<AlarmLearningValuesDO> {
  using O = AlarmLearningValuesDO;
  static constexpr const char* name = "AlarmLearningValuesDO";
  static constexpr const char* prefix = "AlarmLearningValues";
  static constexpr bool multiKey = true;
  static constexpr auto fields() {
    return std::make_tuple(
        key<UuidEntryDO>("CharacteristicValueConfig", &O::getCharacteristicValueConfig,
                         &O::setCharacteristicValueConfig),
        key<unsigned short>("X", &O::getX, &O::setX), key<unsigned short>("Y", &O::getY, &O::setY),
        plain<unsigned short>("ValueCount", &O::getValueCount, &O::setValueCount),
        plain<Bytes>("LearningValues", &O::getLearningValues, &O::setLearningValues));
  }
  static constexpr std::tuple<> stored() { return {}; }
};

template <>
struct ObjectFields<CharacteristicValueDataMeasurementDataMapDO> {
  using O = CharacteristicValueDataMeasurementDataMapDO;
  static constexpr const char* name = "CharacteristicValueDataMeasurementDataMapDO";
  static constexpr const char* prefix = "CharacteristicValueDataMeasurementDataMap";
  static constexpr bool multiKey = false;
  static constexpr auto fields() {
    return std::make_tuple(
        key<UuidEntryDO>("CharacteristicValueData", &O::getCharacteristicValueData,
                         &O::setCharacteristicValueData),
        key<UuidEntryDO>("MeasurementData", &O::getMeasurementData, &O::setMeasurementData));
  }
  static constexpr std::tuple<> stored() { return {}; }
};

/// Every class, in the order the tool lists them.
using ObjectClasses =
    std::tuple<JobDataDO, CharacteristicValueDataDO, MeasurementDataDO, TrendDataDO, AlarmDataDO,
               AlarmLearningValuesDO, CharacteristicValueDataMeasurementDataMapDO>;

template <class... O, class F>
void forEachClassOf(std::tuple<O...>*, F&& f) {
  (f(static_cast<O*>(nullptr)), ...);
}
/// Calls f(static_cast<O*>(nullptr)) for each class O, in that order.
template <class F>
void forEachClass(F&& f) {
  forEachClassOf(static_cast<ObjectClasses*>(nullptr), f);
}

}  // namespace detail
}  // namespace dataobjects_data

#endif  // DATAOBJECTS_DETAIL_OBJECTFIELDS_H

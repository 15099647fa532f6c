#include "ObjectCatalog.h"

#include <cmath>
#include <limits>
#include <memory>
#include <type_traits>

#include "Base64.h"
#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "platform/Uuid.h"

namespace {

// ---- single values -----------------------------------------------------------------------

Json uuidJson(const UuidEntryDO& entry) {
  return entry.ToString();
}
UuidEntryDO uuidValue(const Json& value) {
  if (!value.is_string()) throw std::invalid_argument("expected a UUID text");
  return UuidEntryDO(Uuid::fromString(value.get<std::string>()));
}

template <class I>
Json integerJson(I value) {
  return value;
}
template <class I>
I integerValue(const Json& value) {
  if (value.is_number_unsigned()) {
    const auto n = value.get<std::uint64_t>();
    if (n <= static_cast<std::uint64_t>(std::numeric_limits<I>::max())) return static_cast<I>(n);
  } else if (value.is_number_integer()) {
    const auto n = value.get<std::int64_t>();
    if (n >= static_cast<std::int64_t>(std::numeric_limits<I>::min()) &&
        (n < 0 || static_cast<std::uint64_t>(n) <=
                      static_cast<std::uint64_t>(std::numeric_limits<I>::max()))) {
      return static_cast<I>(n);
    }
  } else {
    throw std::invalid_argument("expected an integer");
  }
  throw std::invalid_argument("integer out of range");
}

Json boolJson(bool value) {
  return value;
}
bool boolValue(const Json& value) {
  if (!value.is_boolean()) throw std::invalid_argument("expected true or false");
  return value.get<bool>();
}

Json doubleJson(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return value;
}
double doubleValue(const Json& value) {
  if (value.is_number()) return value.get<double>();
  if (value == "inf") return std::numeric_limits<double>::infinity();
  if (value == "-inf") return -std::numeric_limits<double>::infinity();
  if (value == "nan") return std::numeric_limits<double>::quiet_NaN();
  throw std::invalid_argument("expected a number, \"inf\", \"-inf\" or \"nan\"");
}

// Well-formed UTF-8 only, as the JSON writer requires: no overlong form, no surrogate, nothing
// above U+10FFFF.
bool isUtf8(const std::string& text) {
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > text.size()) return false;
    char32_t code = n == 1 ? c : c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next >> 6) != 2) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < kSmallest[n] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += n;
  }
  return true;
}

Json textJson(const std::string& text) {
  if (isUtf8(text)) return text;
  return Json{{"base64", base64Encode(std::vector<unsigned char>(text.begin(), text.end()))}};
}
std::string textValue(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_object() && value.size() == 1 && value.contains("base64") &&
      value["base64"].is_string()) {
    const auto bytes = base64Decode(value["base64"].get<std::string>());
    return std::string(bytes.begin(), bytes.end());
  }
  throw std::invalid_argument("expected a text or {\"base64\": ...}");
}

Json blobJson(const std::vector<unsigned char>& bytes) {
  return base64Encode(bytes);
}
std::vector<unsigned char> blobValue(const Json& value) {
  if (!value.is_string()) throw std::invalid_argument("expected base64 text");
  return base64Decode(value.get<std::string>());
}

// ---- fields ------------------------------------------------------------------------------

template <class T>
struct Field {
  const char* name;
  std::function<Json(const T&)> get;
  std::function<void(T&, const Json&)> set;
};

// A field read through `get` and written through `set`, converted by `toJson` and `fromJson`.
template <class T, class Get, class Set, class ToJson, class FromJson>
Field<T> field(const char* name, Get get, Set set, ToJson toJson, FromJson fromJson) {
  return {name, [=](const T& o) { return toJson((o.*get)()); },
          [=](T& o, const Json& v) { (o.*set)(fromJson(v)); }};
}

template <class T, class Get, class Set>
Field<T> uuid(const char* name, Get get, Set set) {
  return field<T>(name, get, set, uuidJson, uuidValue);
}
template <class T, class I, class Get, class Set>
Field<T> integer(const char* name, Get get, Set set) {
  return field<T>(name, get, set, integerJson<I>, integerValue<I>);
}
template <class T, class Get, class Set>
Field<T> flag(const char* name, Get get, Set set) {
  return field<T>(name, get, set, boolJson, boolValue);
}
template <class T, class Get, class Set>
Field<T> real(const char* name, Get get, Set set) {
  return field<T>(name, get, set, doubleJson, doubleValue);
}
template <class T, class Get, class Set>
Field<T> text(const char* name, Get get, Set set) {
  return field<T>(name, get, set, textJson, textValue);
}
template <class T, class Get, class Set>
Field<T> blob(const char* name, Get get, Set set) {
  return field<T>(name, get, set, blobJson, blobValue);
}

// A nullable field: null while `isNull` says so, and then its getter is never called.
template <class T, class IsNull, class SetNull, class Get, class Set, class ToJson, class FromJson>
Field<T> nullable(const char* name, IsNull isNull, SetNull setNull, Get get, Set set, ToJson toJson,
                  FromJson fromJson) {
  return {name,
          [=](const T& o) { return (o.*isNull)() ? Json(nullptr) : Json(toJson((o.*get)())); },
          [=](T& o, const Json& v) {
            if (v.is_null()) {
              (o.*setNull)(true);
            } else {
              (o.*set)(fromJson(v));
            }
          }};
}

template <class T>
Json toJson(const T& object, const std::vector<Field<T>>& fields) {
  Json json = Json::object();
  for (const Field<T>& f : fields)
    json[f.name] = f.get(object);
  return json;
}

template <class T>
T fromJson(const Json& json, const std::vector<Field<T>>& fields) {
  if (!json.is_object()) throw FieldError("", "expected a JSON object");
  for (const auto& member : json.items()) {
    bool known = false;
    for (const Field<T>& f : fields)
      known = known || member.key() == f.name;
    if (!known) throw FieldError(member.key(), "no such field");
  }
  T object;
  for (const Field<T>& f : fields) {
    const auto value = json.find(f.name);
    if (value == json.end()) throw FieldError(f.name, "missing");
    try {
      f.set(object, *value);
    } catch (const std::exception& e) {
      throw FieldError(f.name, e.what());
    }
  }
  return object;
}

template <class T>
ObjectClass makeClass(const char* name, std::vector<Field<T>> fieldList) {
  const auto fields = std::make_shared<const std::vector<Field<T>>>(std::move(fieldList));
  return {name,
          [fields](Archive& input, std::string* textOut, Json* jsonOut) {
            T object;
            input >> object;
            if (textOut) *textOut = object.ToString();
            if (jsonOut) *jsonOut = toJson(object, *fields);
          },
          [fields](const Json& json, Archive& output) { output << fromJson<T>(json, *fields); }};
}

// ---- the classes, their fields in archive order -------------------------------------------

using Job = JobDataDO;
using Measurement = MeasurementDataDO;
using Characteristic = CharacteristicValueDataDO;
using Trend = TrendDataDO;
using Alarm = AlarmDataDO;
using Learning = AlarmLearningValuesDO;
using Link = CharacteristicValueDataMeasurementDataMapDO;

std::vector<ObjectClass> buildCatalog() {
  std::vector<ObjectClass> classes;
  classes.push_back(makeClass<Job>(
      "JobDataDO", {uuid<Job>("CurrentUuid", &Job::getCurrentUuid, &Job::setCurrentUuid),
                    integer<Job, long long>("MeasurementTimeStamp", &Job::getMeasurementTimeStamp,
                                            &Job::setMeasurementTimeStamp),
                    uuid<Job>("JobConfig", &Job::getJobConfig, &Job::setJobConfig)}));
  classes.push_back(makeClass<Characteristic>(
      "CharacteristicValueDataDO",
      {uuid<Characteristic>("CurrentUuid", &Characteristic::getCurrentUuid,
                            &Characteristic::setCurrentUuid),
       integer<Characteristic, long long>("MeasurementTimeStamp",
                                          &Characteristic::getMeasurementTimeStamp,
                                          &Characteristic::setMeasurementTimeStamp),
       uuid<Characteristic>("CharacteristicValueConfig",
                            &Characteristic::getCharacteristicValueConfig,
                            &Characteristic::setCharacteristicValueConfig),
       text<Characteristic>("CharacteristicValueDataDetails",
                            &Characteristic::getCharacteristicValueDataDetails,
                            &Characteristic::setCharacteristicValueDataDetails),
       integer<Characteristic, long long>(
           "ExternalReferenceCharacteristicValueDataDetails",
           &Characteristic::getExternalReferenceCharacteristicValueDataDetails,
           &Characteristic::SetExternalReferenceCharacteristicValueDataDetails),
       uuid<Characteristic>("JobData", &Characteristic::getJobData, &Characteristic::setJobData),
       real<Characteristic>("Value", &Characteristic::getValue, &Characteristic::setValue),
       integer<Characteristic, unsigned short>("AlarmType", &Characteristic::getAlarmType,
                                               &Characteristic::setAlarmType),
       flag<Characteristic>("SavedByAlarmStatusChange",
                            &Characteristic::getSavedByAlarmStatusChange,
                            &Characteristic::setSavedByAlarmStatusChange)}));
  classes.push_back(makeClass<Measurement>(
      "MeasurementDataDO",
      {uuid<Measurement>("CurrentUuid", &Measurement::getCurrentUuid, &Measurement::setCurrentUuid),
       integer<Measurement, long long>("MeasurementTimeStamp",
                                       &Measurement::getMeasurementTimeStamp,
                                       &Measurement::setMeasurementTimeStamp),
       uuid<Measurement>("MeasurementConfig", &Measurement::getMeasurementConfig,
                         &Measurement::setMeasurementConfig),
       text<Measurement>("MeasurementDataDetails", &Measurement::getMeasurementDataDetails,
                         &Measurement::setMeasurementDataDetails),
       integer<Measurement, long long>("ExternalReferenceMeasurementDataDetails",
                                       &Measurement::getExternalReferenceMeasurementDataDetails,
                                       &Measurement::SetExternalReferenceMeasurementDataDetails),
       blob<Measurement>("BinaryData", &Measurement::getBinaryData, &Measurement::setBinaryData),
       integer<Measurement, long long>("ExternalReferenceBinaryData",
                                       &Measurement::getExternalReferenceBinaryData,
                                       &Measurement::SetExternalReferenceBinaryData),
       uuid<Measurement>("JobData", &Measurement::getJobData, &Measurement::setJobData),
       flag<Measurement>("SavedByAlarmStatusChange", &Measurement::getSavedByAlarmStatusChange,
                         &Measurement::setSavedByAlarmStatusChange)}));
  classes.push_back(makeClass<Trend>(
      "TrendDataDO",
      {uuid<Trend>("CurrentUuid", &Trend::getCurrentUuid, &Trend::setCurrentUuid),
       uuid<Trend>("CharacteristicValueConfig", &Trend::getCharacteristicValueConfig,
                   &Trend::setCharacteristicValueConfig),
       uuid<Trend>("CharacteristicValueConfigBaseUuid",
                   &Trend::getCharacteristicValueConfigBaseUuid,
                   &Trend::setCharacteristicValueConfigBaseUuid),
       flag<Trend>("Closed", &Trend::getClosed, &Trend::setClosed),
       integer<Trend, long long>("FirstTimeStamp", &Trend::getFirstTimeStamp,
                                 &Trend::setFirstTimeStamp),
       integer<Trend, long long>("LastTimeStamp", &Trend::getLastTimeStamp,
                                 &Trend::setLastTimeStamp),
       text<Trend>("TrendDataDetails", &Trend::getTrendDataDetails, &Trend::setTrendDataDetails),
       integer<Trend, unsigned int>("NumSamples", &Trend::getNumSamples, &Trend::setNumSamples),
       blob<Trend>("Data", &Trend::getData, &Trend::setData),
       integer<Trend, long long>("ExternalReferenceData", &Trend::getExternalReferenceData,
                                 &Trend::SetExternalReferenceData)}));
  classes.push_back(makeClass<Alarm>(
      "AlarmDataDO",
      {uuid<Alarm>("CharacteristicValueConfig", &Alarm::getCharacteristicValueConfig,
                   &Alarm::setCharacteristicValueConfig),
       integer<Alarm, long long>("LastMeasurementTime", &Alarm::getLastMeasurementTime,
                                 &Alarm::setLastMeasurementTime),
       real<Alarm>("CurrentValue", &Alarm::getCurrentValue, &Alarm::setCurrentValue),
       integer<Alarm, unsigned short>("MainAlarmCount", &Alarm::getMainAlarmCount,
                                      &Alarm::setMainAlarmCount),
       integer<Alarm, unsigned short>("PreAlarmCount", &Alarm::getPreAlarmCount,
                                      &Alarm::setPreAlarmCount),
       integer<Alarm, unsigned short>("AlarmType", &Alarm::getAlarmType, &Alarm::setAlarmType),
       flag<Alarm>("LearningModeActive", &Alarm::getLearningModeActive,
                   &Alarm::setLearningModeActive),
       flag<Alarm>("IsTriggerValidator", &Alarm::getIsTriggerValidator,
                   &Alarm::setIsTriggerValidator),
       nullable<Alarm>("LearningModeActives", &Alarm::getLearningModeActivesIsNull,
                       &Alarm::setLearningModeActivesIsNull, &Alarm::getLearningModeActives,
                       &Alarm::setLearningModeActives, textJson, textValue),
       real<Alarm>("CurrentLowerPreAlarmLevel", &Alarm::getCurrentLowerPreAlarmLevel,
                   &Alarm::setCurrentLowerPreAlarmLevel),
       real<Alarm>("CurrentPreAlarmLevel", &Alarm::getCurrentPreAlarmLevel,
                   &Alarm::setCurrentPreAlarmLevel),
       real<Alarm>("CurrentMainAlarmLevel", &Alarm::getCurrentMainAlarmLevel,
                   &Alarm::setCurrentMainAlarmLevel),
       nullable<Alarm>("CurrentAlarmMapIndex", &Alarm::getCurrentAlarmMapIndexIsNull,
                       &Alarm::setCurrentAlarmMapIndexIsNull, &Alarm::getCurrentAlarmMapIndex,
                       &Alarm::setCurrentAlarmMapIndex, integerJson<unsigned short>,
                       integerValue<unsigned short>),
       flag<Alarm>("Active", &Alarm::getActive, &Alarm::setActive),
       nullable<Alarm>("LatestSavedTimeSignal", &Alarm::getLatestSavedTimeSignalIsNull,
                       &Alarm::setLatestSavedTimeSignalIsNull, &Alarm::getLatestSavedTimeSignal,
                       &Alarm::setLatestSavedTimeSignal, uuidJson, uuidValue),
       integer<Alarm, long long>("AlarmStateSince", &Alarm::getAlarmStateSince,
                                 &Alarm::setAlarmStateSince)}));
  classes.push_back(makeClass<Learning>(
      "AlarmLearningValuesDO",
      {uuid<Learning>("CharacteristicValueConfig", &Learning::getCharacteristicValueConfig,
                      &Learning::setCharacteristicValueConfig),
       integer<Learning, unsigned short>("X", &Learning::getX, &Learning::setX),
       integer<Learning, unsigned short>("Y", &Learning::getY, &Learning::setY),
       integer<Learning, unsigned short>("ValueCount", &Learning::getValueCount,
                                         &Learning::setValueCount),
       blob<Learning>("LearningValues", &Learning::getLearningValues,
                      &Learning::setLearningValues)}));
  classes.push_back(makeClass<Link>(
      "CharacteristicValueDataMeasurementDataMapDO",
      {uuid<Link>("CharacteristicValueData", &Link::getCharacteristicValueData,
                  &Link::setCharacteristicValueData),
       uuid<Link>("MeasurementData", &Link::getMeasurementData, &Link::setMeasurementData)}));
  return classes;
}

}  // namespace

const std::vector<ObjectClass>& objectClasses() {
  static const std::vector<ObjectClass> classes = buildCatalog();
  return classes;
}

const ObjectClass* findObjectClass(const std::string& name) {
  for (const ObjectClass& c : objectClasses()) {
    if (c.name == name || c.name == name + "DO") return &c;
  }
  return nullptr;
}

/// @file
/// The members of a nested Id whose key is a single UUID field (JobDataDO, MeasurementDataDO,
/// CharacteristicValueDataDO, TrendDataDO and AlarmDataDO). Each Id is declared in its object's
/// header as a class of its own; they all behave alike, so each object's source defines its Id's
/// members, and the Id's archive operators, with one line:
///
/// @code
///   DATAOBJECTS_DEFINE_UUID_KEY_ID(JobDataDO, CurrentUuid, "JobData")
/// @endcode
///
/// The Id must declare `friend Archive& operator>>(Archive&, Id&)` and the setter `set<Field>`.
#ifndef DATAOBJECTS_DETAIL_UUIDKEYID_H
#define DATAOBJECTS_DETAIL_UUIDKEYID_H

#include <string>
#include <tuple>

#include "dataobjects/detail/ArchiveFields.h"
#include "dataobjects/detail/KeyCompare.h"
#include "dataobjects/detail/ObjectText.h"
#include "platform/Archive.h"
#include "platform/UuidEntryDO.h"

#define DATAOBJECTS_DEFINE_UUID_KEY_ID(Object, Field, prefix)                              \
  Object::Id::Id() {                                                                       \
    init();                                                                                \
  }                                                                                        \
  Object::Id::Id(const Id& other) {                                                        \
    copy(other);                                                                           \
  }                                                                                        \
  Object::Id::Id(const UuidEntryDO& key) {                                                 \
    set##Field(key);                                                                       \
  }                                                                                        \
  Object::Id::~Id() = default;                                                             \
  Object::Id& Object::Id::operator=(const Id& other) {                                     \
    copy(other);                                                                           \
    return *this;                                                                          \
  }                                                                                        \
  void Object::Id::init() {}                                                               \
  void Object::Id::copy(const Id& other) {                                                 \
    Field = other.Field;                                                                   \
  }                                                                                        \
  bool Object::Id::operator<(const Id& other) const {                                      \
    return ::dataobjects_data::detail::keyLess(std::tie(Field), std::tie(other.Field));    \
  }                                                                                        \
  bool Object::Id::operator>(const Id& other) const {                                      \
    return ::dataobjects_data::detail::keyGreater(std::tie(Field), std::tie(other.Field)); \
  }                                                                                        \
  bool Object::Id::isEqual(const Id& other) const {                                        \
    return ::dataobjects_data::detail::keyEqual(std::tie(Field), std::tie(other.Field));   \
  }                                                                                        \
  std::string Object::Id::ToString() const {                                               \
    return ::dataobjects_data::detail::ObjectText::keyText(prefix, Field);                 \
  }                                                                                        \
  Archive& operator<<(Archive& archive, const Object::Id& id) {                            \
    return ::dataobjects_data::detail::writeAll(archive, id.get##Field());                 \
  }                                                                                        \
  Archive& operator>>(Archive& archive, Object::Id& id) {                                  \
    return ::dataobjects_data::detail::readAll(archive, id.Field);                         \
  }

#endif  // DATAOBJECTS_DETAIL_UUIDKEYID_H

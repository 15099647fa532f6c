/// @file
/// CurrentUuidId: the key class of the data objects whose key is their own UUID, CurrentUuid
/// (JobDataDO, CharacteristicValueDataDO, MeasurementDataDO, TrendDataDO). Each of them names it
/// as its nested Id:
///
/// @code
///   struct JobDataKey { static constexpr const char kPrefix[] = "JobData"; };
///   class JobDataDO { public: using Id = CurrentUuidId<JobDataKey>; ... };
/// @endcode
///
/// `Key::kPrefix` opens the key text: `"<kPrefix>[<CurrentUuid>]"`.
#ifndef DATAOBJECTS_CURRENTUUIDID_H
#define DATAOBJECTS_CURRENTUUIDID_H

#include <string>
#include <tuple>

#include "dataobjects/ArchiveFields.h"
#include "dataobjects/KeyCompare.h"
#include "dataobjects/ObjectText.h"
#include "platform/Archive.h"
#include "platform/UuidEntryDO.h"

template <class Key>
class CurrentUuidId {
 public:
  CurrentUuidId() { init(); }
  CurrentUuidId(const CurrentUuidId& other) { copy(other); }
  explicit CurrentUuidId(const UuidEntryDO& currentUuid) { setCurrentUuid(currentUuid); }
  virtual ~CurrentUuidId() = default;
  CurrentUuidId& operator=(const CurrentUuidId& other) {
    copy(other);
    return *this;
  }

  static bool IsMultiKeyId() { return false; }
  /// Nothing to reset: the key is a UUID, left as it is.
  void init() {}
  void copy(const CurrentUuidId& other) { CurrentUuid = other.CurrentUuid; }

  const UuidEntryDO& getCurrentUuid() const { return CurrentUuid; }
  void setCurrentUuid(const UuidEntryDO& value) { CurrentUuid = value; }

  bool operator<(const CurrentUuidId& other) const {
    return key_compare::keyLess(std::tie(CurrentUuid), std::tie(other.CurrentUuid));
  }
  bool operator>(const CurrentUuidId& other) const {
    return key_compare::keyGreater(std::tie(CurrentUuid), std::tie(other.CurrentUuid));
  }
  bool isEqual(const CurrentUuidId& other) const {
    return key_compare::keyEqual(std::tie(CurrentUuid), std::tie(other.CurrentUuid));
  }
  bool operator==(const CurrentUuidId& other) const { return isEqual(other); }
  bool operator!=(const CurrentUuidId& other) const { return !isEqual(other); }

  /// `"<prefix>[<CurrentUuid>]"`.
  std::string ToString() const { return ObjectText::keyText(Key::kPrefix, CurrentUuid); }

  /// Archive form: CurrentUuid's sixteen bytes.
  friend Archive& operator<<(Archive& archive, const CurrentUuidId& id) {
    return archive_fields::writeAll(archive, id.CurrentUuid);
  }
  friend Archive& operator>>(Archive& archive, CurrentUuidId& id) {
    return archive_fields::readAll(archive, id.CurrentUuid);
  }

 private:
  UuidEntryDO CurrentUuid;
};

#endif  // DATAOBJECTS_CURRENTUUIDID_H

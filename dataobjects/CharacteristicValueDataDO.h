/// @file
/// CharacteristicValueDataDO: one characteristic value computed from a measurement: its time
/// stamp, configuration, job, value, alarm type, whether an alarm status change saved it, and a
/// details text held compressed (fetched by external reference when not held).
#ifndef DATAOBJECTS_CHARACTERISTICVALUEDATADO_H
#define DATAOBJECTS_CHARACTERISTICVALUEDATADO_H

#include <string>
#include <vector>

#include "dataobjects/BaseDataObject.h"
#include "dataobjects/DetailsOptionsCache.h"
#include "platform/Archive.h"
#include "platform/Export.h"
#include "platform/Options.h"
#include "platform/UuidEntryDO.h"

class DATAOBJECTS_DATA_API CharacteristicValueDataDO : public BaseDataObject {
 public:
  /// The key of a CharacteristicValueDataDO: its CurrentUuid.
  class DATAOBJECTS_DATA_API Id {
   public:
    Id();
    Id(const Id& other);
    Id(const UuidEntryDO& currentUuid);
    virtual ~Id();
    Id& operator=(const Id& other);

    static bool IsMultiKeyId() { return false; }
    /// Nothing to reset: the key is a UUID, left as it is.
    void init();
    void copy(const Id& other);

    const UuidEntryDO& getCurrentUuid() const { return CurrentUuid; }
    void setCurrentUuid(const UuidEntryDO& value) { CurrentUuid = value; }

    bool operator<(const Id& other) const;
    bool operator>(const Id& other) const;
    bool isEqual(const Id& other) const;
    bool operator==(const Id& other) const { return isEqual(other); }
    bool operator!=(const Id& other) const { return !isEqual(other); }

    /// `"CharacteristicValueData[<CurrentUuid>]"`.
    std::string ToString() const;

   private:
    friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, Id& id);

    UuidEntryDO CurrentUuid;
  };

  CharacteristicValueDataDO();
  CharacteristicValueDataDO(const CharacteristicValueDataDO& other);
  /// The details text is compressed; the details' external reference starts at -1.
  CharacteristicValueDataDO(const UuidEntryDO& currentUuid, const long long& measurementTimeStamp,
                            const UuidEntryDO& characteristicValueConfig,
                            const std::string& details, const UuidEntryDO& jobData,
                            const double& value, const unsigned short& alarmType,
                            const bool& savedByAlarmStatusChange);
  ~CharacteristicValueDataDO() override;
  /// Copies every field and the base fields; drops this object's cached options.
  CharacteristicValueDataDO& operator=(const CharacteristicValueDataDO& other);

  /// The defaults: numbers 0, no details, external reference -1, no cached options. The UUID
  /// fields are left as they are.
  void init();
  void copy(const CharacteristicValueDataDO& other);

  const UuidEntryDO& getCurrentUuid() const { return CurrentUuid; }
  const long long& getMeasurementTimeStamp() const { return MeasurementTimeStamp; }
  const UuidEntryDO& getCharacteristicValueConfig() const { return CharacteristicValueConfig; }
  const UuidEntryDO& getJobData() const { return JobData; }
  const double& getValue() const { return Value; }
  const unsigned short& getAlarmType() const { return AlarmType; }
  const bool& getSavedByAlarmStatusChange() const { return SavedByAlarmStatusChange; }
  void setCurrentUuid(const UuidEntryDO& value) { CurrentUuid = value; }
  void setMeasurementTimeStamp(const long long& value) { MeasurementTimeStamp = value; }
  void setCharacteristicValueConfig(const UuidEntryDO& value) { CharacteristicValueConfig = value; }
  void setJobData(const UuidEntryDO& value) { JobData = value; }
  void setValue(const double& value) { Value = value; }
  void setAlarmType(const unsigned short& value) { AlarmType = value; }
  void setSavedByAlarmStatusChange(const bool& value) { SavedByAlarmStatusChange = value; }

  /// The details text, decompressed on every call (fetched through externalReferenceLoader first
  /// when nothing is held and the external reference is set). Throws DataObjectException
  /// (file "CharacteristicValueDataDO") when the stored bytes cannot be decompressed.
  std::string getCharacteristicValueDataDetails() const;
  /// Drops the cached options, then stores the text compressed.
  void setCharacteristicValueDataDetails(const std::string& text);
  /// The options parsed from the details text, cached until the text is set or they are cleared.
  const Options& getCharacteristicValueDataDetailsOptions() const;
  void clearCharacteristicValueDataDetailsOptions() const;
  /// The stored compressed form, as held (nothing is fetched).
  std::vector<unsigned char>& getCompressedCharacteristicValueDataDetails();
  /// Replaces the stored compressed form unchecked; the cached options stay.
  void setCompressedCharacteristicValueDataDetails(const std::vector<unsigned char>& bytes);
  long long getExternalReferenceCharacteristicValueDataDetails() const;
  void SetExternalReferenceCharacteristicValueDataDetails(long long reference);

  Id getDataObjectId() const { return Id(CurrentUuid); }
  /// Key equality: the CurrentUuids are equal.
  bool isEqual(const CharacteristicValueDataDO& other) const;
  bool operator==(const CharacteristicValueDataDO& other) const { return isEqual(other); }
  bool operator!=(const CharacteristicValueDataDO& other) const { return !isEqual(other); }
  /// Every field equal, details compared as decompressed texts; the external reference, the
  /// cached options and the base fields aside. A NaN value is identical to nothing.
  bool isIdentical(const CharacteristicValueDataDO& other) const;

  /// `"CharacteristicValueData[<key>]=[(MeasurementTimeStamp=..) ... ]"`.
  std::string ToString() const;

 private:
  friend DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive,
                                                  const CharacteristicValueDataDO& object);
  friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive,
                                                  CharacteristicValueDataDO& object);

  UuidEntryDO CurrentUuid;
  long long MeasurementTimeStamp;
  UuidEntryDO CharacteristicValueConfig;
  /// The details text in its stored form (4-byte length, gzip stream), or empty. The const text
  /// getter stores what it fetches through the loader.
  mutable std::vector<unsigned char> CompressedCharacteristicValueDataDetails;
  dataobjects_data::detail::DetailsOptionsCache CharacteristicValueDataDetailsOptions;
  long long ExternalReferenceCharacteristicValueDataDetails;
  UuidEntryDO JobData;
  double Value;
  unsigned short AlarmType;
  bool SavedByAlarmStatusChange;
};

/// Archive form of the key: CurrentUuid.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const CharacteristicValueDataDO::Id& id);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, CharacteristicValueDataDO::Id& id);

/// Archive form: CurrentUuid, MeasurementTimeStamp, CharacteristicValueConfig, the details text
/// (a string, in clear), the details' external reference, JobData, Value, AlarmType,
/// SavedByAlarmStatusChange. Reading stores the details compressed and leaves the cached options.
///
/// The details slot is read as a byte vector, resized to the count read before its bytes arrive:
/// a hostile count costs up to 4 GiB (its claim) before the read fails on the missing bytes.
/// Read archives from elsewhere inside a dataobjects_data::BoundedReading.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const CharacteristicValueDataDO& object);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, CharacteristicValueDataDO& object);

#endif  // DATAOBJECTS_CHARACTERISTICVALUEDATADO_H

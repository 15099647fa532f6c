/// @file
/// MeasurementDataDO: one raw measurement: its time stamp, configuration, job, the measured data
/// as an opaque byte blob (with an external reference of its own), whether an alarm status
/// change saved it, and a details text held compressed (fetched by external reference when not
/// held).
#ifndef DATAOBJECTS_MEASUREMENTDATADO_H
#define DATAOBJECTS_MEASUREMENTDATADO_H

#include <string>
#include <vector>

#include "dataobjects/BaseDataObject.h"
#include "dataobjects/DetailsOptionsCache.h"
#include "platform/Archive.h"
#include "platform/Export.h"
#include "platform/Options.h"
#include "platform/UuidEntryDO.h"

class DATAOBJECTS_DATA_API MeasurementDataDO : public BaseDataObject {
 public:
  /// The key of a MeasurementDataDO: its CurrentUuid.
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

    /// `"MeasurementData[<CurrentUuid>]"`.
    std::string ToString() const;

   private:
    friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, Id& id);

    UuidEntryDO CurrentUuid;
  };

  MeasurementDataDO();
  MeasurementDataDO(const MeasurementDataDO& other);
  /// The details text is compressed; both external references start at -1.
  MeasurementDataDO(const UuidEntryDO& currentUuid, const long long& measurementTimeStamp,
                    const UuidEntryDO& measurementConfig, const std::string& details,
                    const std::vector<unsigned char>& binaryData, const UuidEntryDO& jobData,
                    const bool& savedByAlarmStatusChange);
  ~MeasurementDataDO() override;
  /// Copies every field and the base fields; drops this object's cached options.
  MeasurementDataDO& operator=(const MeasurementDataDO& other);

  /// The defaults: time stamp 0, no details, both external references -1, flag false, no cached
  /// options. The UUID fields and BinaryData are left as they are.
  void init();
  void copy(const MeasurementDataDO& other);

  const UuidEntryDO& getCurrentUuid() const { return CurrentUuid; }
  const long long& getMeasurementTimeStamp() const { return MeasurementTimeStamp; }
  const UuidEntryDO& getMeasurementConfig() const { return MeasurementConfig; }
  const std::vector<unsigned char>& getBinaryData() const { return BinaryData; }
  long long getExternalReferenceBinaryData() const { return ExternalReferenceBinaryData; }
  const UuidEntryDO& getJobData() const { return JobData; }
  const bool& getSavedByAlarmStatusChange() const { return SavedByAlarmStatusChange; }
  void setCurrentUuid(const UuidEntryDO& value) { CurrentUuid = value; }
  void setMeasurementTimeStamp(const long long& value) { MeasurementTimeStamp = value; }
  void setMeasurementConfig(const UuidEntryDO& value) { MeasurementConfig = value; }
  void setBinaryData(const std::vector<unsigned char>& value) { BinaryData = value; }
  /// Only stored and carried: nothing fetches BinaryData through it.
  void SetExternalReferenceBinaryData(long long reference) {
    ExternalReferenceBinaryData = reference;
  }
  void setJobData(const UuidEntryDO& value) { JobData = value; }
  void setSavedByAlarmStatusChange(const bool& value) { SavedByAlarmStatusChange = value; }

  /// The details text, decompressed on every call (fetched through externalReferenceLoader first
  /// when nothing is held and the external reference is set). Throws DataObjectException
  /// (file "MeasurementDataDO") when the stored bytes cannot be decompressed.
  std::string getMeasurementDataDetails() const;
  /// Drops the cached options, then stores the text compressed.
  void setMeasurementDataDetails(const std::string& text);
  /// The options parsed from the details text, cached until the text is set or they are cleared.
  const Options& getMeasurementDataDetailsOptions() const;
  void clearMeasurementDataDetailsOptions() const;
  /// The stored compressed form, as held (nothing is fetched).
  std::vector<unsigned char>& getCompressedMeasurementDataDetails();
  /// Replaces the stored compressed form unchecked; the cached options stay.
  void setCompressedMeasurementDataDetails(const std::vector<unsigned char>& bytes);
  long long getExternalReferenceMeasurementDataDetails() const;
  void SetExternalReferenceMeasurementDataDetails(long long reference);

  Id getDataObjectId() const { return Id(CurrentUuid); }
  /// Key equality: the CurrentUuids are equal.
  bool isEqual(const MeasurementDataDO& other) const;
  bool operator==(const MeasurementDataDO& other) const { return isEqual(other); }
  bool operator!=(const MeasurementDataDO& other) const { return !isEqual(other); }
  /// Every field equal, details compared as decompressed texts; the external references, the
  /// cached options and the base fields aside.
  bool isIdentical(const MeasurementDataDO& other) const;

  /// `"MeasurementData[<key>]=[(MeasurementTimeStamp=..) ... (BinaryData=<n>(Blob Length)) ...]"`.
  std::string ToString() const;

 private:
  friend DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive,
                                                  const MeasurementDataDO& object);
  friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, MeasurementDataDO& object);

  UuidEntryDO CurrentUuid;
  long long MeasurementTimeStamp;
  UuidEntryDO MeasurementConfig;
  /// The details text in its stored form (4-byte length, gzip stream), or empty. The const text
  /// getter stores what it fetches through the loader.
  mutable std::vector<unsigned char> CompressedMeasurementDataDetails;
  dataobjects_data::detail::DetailsOptionsCache MeasurementDataDetailsOptions;
  long long ExternalReferenceMeasurementDataDetails;
  std::vector<unsigned char> BinaryData;
  long long ExternalReferenceBinaryData;
  UuidEntryDO JobData;
  bool SavedByAlarmStatusChange;
};

/// Archive form of the key: CurrentUuid.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const MeasurementDataDO::Id& id);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, MeasurementDataDO::Id& id);

/// Archive form: CurrentUuid, MeasurementTimeStamp, MeasurementConfig, the details text (a
/// string, in clear), the details' external reference, BinaryData (a byte vector),
/// ExternalReferenceBinaryData, JobData, SavedByAlarmStatusChange. Reading stores the details
/// compressed and leaves the cached options.
///
/// The details slot and BinaryData are byte vectors, each resized to the count read before its
/// bytes arrive: a hostile count costs up to 4 GiB (its claim) before the read fails on the
/// missing bytes. Read archives from elsewhere inside a dataobjects_data::BoundedReading.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const MeasurementDataDO& object);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, MeasurementDataDO& object);

#endif  // DATAOBJECTS_MEASUREMENTDATADO_H

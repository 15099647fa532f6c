/// @file
/// JobDataDO: one run of a measurement job. Its key is its own UUID; it records the time stamp of
/// the measurement and the job configuration it ran with.
#ifndef DATAOBJECTS_JOBDATADO_H
#define DATAOBJECTS_JOBDATADO_H

#include <string>

#include "dataobjects/BaseDataObject.h"
#include "platform/Archive.h"
#include "platform/Export.h"
#include "platform/UuidEntryDO.h"

class DATAOBJECTS_DATA_API JobDataDO : public BaseDataObject {
 public:
  /// The key of a JobDataDO: its CurrentUuid.
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

    /// `"JobData[<CurrentUuid>]"`.
    std::string ToString() const;

   private:
    friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, Id& id);

    UuidEntryDO CurrentUuid;
  };

  JobDataDO();
  JobDataDO(const JobDataDO& other);
  JobDataDO(const UuidEntryDO& currentUuid, const long long& measurementTimeStamp,
            const UuidEntryDO& jobConfig);
  ~JobDataDO() override;
  JobDataDO& operator=(const JobDataDO& other);

  /// Sets the defaults: MeasurementTimeStamp 0. The UUID fields are left as they are.
  void init();
  /// Copies the base fields, then every field.
  void copy(const JobDataDO& other);

  const UuidEntryDO& getCurrentUuid() const { return CurrentUuid; }
  const long long& getMeasurementTimeStamp() const { return MeasurementTimeStamp; }
  const UuidEntryDO& getJobConfig() const { return JobConfig; }
  void setCurrentUuid(const UuidEntryDO& value) { CurrentUuid = value; }
  void setMeasurementTimeStamp(const long long& value) { MeasurementTimeStamp = value; }
  void setJobConfig(const UuidEntryDO& value) { JobConfig = value; }

  Id getDataObjectId() const;
  /// Key equality: the CurrentUuids are equal. == and != compare keys, not content.
  bool isEqual(const JobDataDO& other) const;
  bool operator==(const JobDataDO& other) const { return isEqual(other); }
  bool operator!=(const JobDataDO& other) const { return !isEqual(other); }
  /// Every field equal, the base fields aside.
  bool isIdentical(const JobDataDO& other) const;

  /// `"JobData[<CurrentUuid>]=[(MeasurementTimeStamp=<n>) (JobConfig=<uuid>) ]"`.
  std::string ToString() const;

 private:
  friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, JobDataDO& object);

  UuidEntryDO CurrentUuid;
  long long MeasurementTimeStamp;
  UuidEntryDO JobConfig;
};

/// Archive form of the key: CurrentUuid.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const JobDataDO::Id& id);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, JobDataDO::Id& id);

/// Archive form: CurrentUuid, MeasurementTimeStamp (long long), JobConfig. A failed read leaves
/// the fields before the failure replaced and those after it untouched.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const JobDataDO& object);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, JobDataDO& object);

#endif  // DATAOBJECTS_JOBDATADO_H

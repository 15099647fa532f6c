#include "dataobjects/JobDataDO.h"

#include "dataobjects/ArchiveFields.h"
#include "dataobjects/KeyCompare.h"
#include "dataobjects/ObjectText.h"

JobDataDO::JobDataDO() {
  init();
}

JobDataDO::JobDataDO(const JobDataDO& other) : BaseDataObject(other) {
  init();
  copy(other);
}

JobDataDO::JobDataDO(const UuidEntryDO& currentUuid, const long long& measurementTimeStamp,
                     const UuidEntryDO& jobConfig) {
  setCurrentUuid(currentUuid);
  setMeasurementTimeStamp(measurementTimeStamp);
  setJobConfig(jobConfig);
}

JobDataDO::~JobDataDO() = default;

JobDataDO& JobDataDO::operator=(const JobDataDO& other) {
  copy(other);
  return *this;
}

void JobDataDO::init() {
  MeasurementTimeStamp = 0;
}

void JobDataDO::copy(const JobDataDO& other) {
  copyBase(other);
  CurrentUuid = other.CurrentUuid;
  MeasurementTimeStamp = other.MeasurementTimeStamp;
  JobConfig = other.JobConfig;
}

JobDataDO::Id JobDataDO::getDataObjectId() const {
  return Id(CurrentUuid);
}

bool JobDataDO::isEqual(const JobDataDO& other) const {
  return key_compare::keyEqual(std::tie(CurrentUuid), std::tie(other.CurrentUuid));
}

bool JobDataDO::isIdentical(const JobDataDO& other) const {
  return key_compare::equal(CurrentUuid, other.CurrentUuid) &&
         MeasurementTimeStamp == other.MeasurementTimeStamp &&
         key_compare::equal(JobConfig, other.JobConfig);
}

std::string JobDataDO::ToString() const {
  return ObjectText::objectText(
      [this](ObjectText& text) {
        text.field("(MeasurementTimeStamp=", MeasurementTimeStamp).field("(JobConfig=", JobConfig);
      },
      JobDataKey::kPrefix, CurrentUuid);
}

Archive& operator<<(Archive& archive, const JobDataDO& object) {
  return archive_fields::writeAll(archive, object.getCurrentUuid(),
                                  object.getMeasurementTimeStamp(), object.getJobConfig());
}

Archive& operator>>(Archive& archive, JobDataDO& object) {
  return archive_fields::readAll(archive, object.CurrentUuid, object.MeasurementTimeStamp,
                                 object.JobConfig);
}

#include "dataobjects/JobDataDO.h"

#include "dataobjects/detail/ArchiveFields.h"
#include "dataobjects/detail/KeyCompare.h"
#include "dataobjects/detail/ObjectText.h"
#include "dataobjects/detail/UuidKeyId.h"

namespace detail = dataobjects_data::detail;

namespace {
constexpr const char kPrefix[] = "JobData";
}

DATAOBJECTS_DEFINE_UUID_KEY_ID(JobDataDO, CurrentUuid, kPrefix)

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
  BaseDataObject::operator=(other);
  CurrentUuid = other.CurrentUuid;
  MeasurementTimeStamp = other.MeasurementTimeStamp;
  JobConfig = other.JobConfig;
}

JobDataDO::Id JobDataDO::getDataObjectId() const {
  return Id(CurrentUuid);
}

bool JobDataDO::isEqual(const JobDataDO& other) const {
  return detail::keyEqual(std::tie(CurrentUuid), std::tie(other.CurrentUuid));
}

bool JobDataDO::isIdentical(const JobDataDO& other) const {
  return detail::equal(CurrentUuid, other.CurrentUuid) &&
         MeasurementTimeStamp == other.MeasurementTimeStamp &&
         detail::equal(JobConfig, other.JobConfig);
}

std::string JobDataDO::ToString() const {
  return detail::ObjectText::objectText(
      [this](detail::ObjectText& text) {
        text.field("(MeasurementTimeStamp=", MeasurementTimeStamp).field("(JobConfig=", JobConfig);
      },
      kPrefix, CurrentUuid);
}

Archive& operator<<(Archive& archive, const JobDataDO& object) {
  return detail::writeAll(archive, object.getCurrentUuid(), object.getMeasurementTimeStamp(),
                          object.getJobConfig());
}

Archive& operator>>(Archive& archive, JobDataDO& object) {
  return detail::readAll(archive, object.CurrentUuid, object.MeasurementTimeStamp,
                         object.JobConfig);
}

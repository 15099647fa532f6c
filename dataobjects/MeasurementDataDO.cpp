#include "dataobjects/MeasurementDataDO.h"

#include "dataobjects/detail/ArchiveFields.h"
#include "dataobjects/detail/CompressedDetails.h"
#include "dataobjects/detail/KeyCompare.h"
#include "dataobjects/detail/ObjectText.h"
#include "dataobjects/detail/UuidKeyId.h"

namespace detail = dataobjects_data::detail;

namespace {
constexpr const char kPrefix[] = "MeasurementData";
}  // namespace

DATAOBJECTS_DEFINE_UUID_KEY_ID(MeasurementDataDO, CurrentUuid, kPrefix)

MeasurementDataDO::MeasurementDataDO() {
  init();
}

MeasurementDataDO::MeasurementDataDO(const MeasurementDataDO& other) : BaseDataObject(other) {
  init();
  copy(other);
}

MeasurementDataDO::MeasurementDataDO(const UuidEntryDO& currentUuid,
                                     const long long& measurementTimeStamp,
                                     const UuidEntryDO& measurementConfig,
                                     const std::string& details,
                                     const std::vector<unsigned char>& binaryData,
                                     const UuidEntryDO& jobData,
                                     const bool& savedByAlarmStatusChange) {
  setCurrentUuid(currentUuid);
  setMeasurementTimeStamp(measurementTimeStamp);
  setMeasurementConfig(measurementConfig);
  setMeasurementDataDetails(details);
  ExternalReferenceMeasurementDataDetails = -1;
  setBinaryData(binaryData);
  ExternalReferenceBinaryData = -1;
  setJobData(jobData);
  setSavedByAlarmStatusChange(savedByAlarmStatusChange);
}

MeasurementDataDO::~MeasurementDataDO() = default;

MeasurementDataDO& MeasurementDataDO::operator=(const MeasurementDataDO& other) {
  copy(other);
  return *this;
}

void MeasurementDataDO::init() {
  MeasurementTimeStamp = 0;
  detail::releaseStoredDetails(CompressedMeasurementDataDetails);
  MeasurementDataDetailsOptions.drop();
  ExternalReferenceMeasurementDataDetails = -1;
  ExternalReferenceBinaryData = -1;
  SavedByAlarmStatusChange = false;
}

void MeasurementDataDO::copy(const MeasurementDataDO& other) {
  BaseDataObject::operator=(other);
  CurrentUuid = other.CurrentUuid;
  MeasurementTimeStamp = other.MeasurementTimeStamp;
  MeasurementConfig = other.MeasurementConfig;
  detail::assignStoredDetails(CompressedMeasurementDataDetails,
                              other.CompressedMeasurementDataDetails);
  MeasurementDataDetailsOptions.drop();
  ExternalReferenceMeasurementDataDetails = other.ExternalReferenceMeasurementDataDetails;
  BinaryData = other.BinaryData;
  ExternalReferenceBinaryData = other.ExternalReferenceBinaryData;
  JobData = other.JobData;
  SavedByAlarmStatusChange = other.SavedByAlarmStatusChange;
}

std::string MeasurementDataDO::getMeasurementDataDetails() const {
  return detail::detailsText(CompressedMeasurementDataDetails,
                             ExternalReferenceMeasurementDataDetails, externalReferenceLoader,
                             detail::throw_sites::objects::kMeasurementDetails);
}

void MeasurementDataDO::setMeasurementDataDetails(const std::string& text) {
  MeasurementDataDetailsOptions.drop();
  detail::storeDetailsText(CompressedMeasurementDataDetails, text);
}

const Options& MeasurementDataDO::getMeasurementDataDetailsOptions() const {
  return MeasurementDataDetailsOptions.get([this] { return getMeasurementDataDetails(); });
}

void MeasurementDataDO::clearMeasurementDataDetailsOptions() const {
  MeasurementDataDetailsOptions.drop();
}

std::vector<unsigned char>& MeasurementDataDO::getCompressedMeasurementDataDetails() {
  return CompressedMeasurementDataDetails;
}

void MeasurementDataDO::setCompressedMeasurementDataDetails(
    const std::vector<unsigned char>& bytes) {
  detail::assignStoredDetails(CompressedMeasurementDataDetails, bytes);
}

long long MeasurementDataDO::getExternalReferenceMeasurementDataDetails() const {
  return ExternalReferenceMeasurementDataDetails;
}

void MeasurementDataDO::SetExternalReferenceMeasurementDataDetails(long long reference) {
  ExternalReferenceMeasurementDataDetails = reference;
}

bool MeasurementDataDO::isEqual(const MeasurementDataDO& other) const {
  return detail::equal(CurrentUuid, other.CurrentUuid);
}

bool MeasurementDataDO::isIdentical(const MeasurementDataDO& other) const {
  return detail::equal(CurrentUuid, other.CurrentUuid) &&
         MeasurementTimeStamp == other.MeasurementTimeStamp &&
         detail::equal(MeasurementConfig, other.MeasurementConfig) &&
         getMeasurementDataDetails() == other.getMeasurementDataDetails() &&
         BinaryData == other.BinaryData && detail::equal(JobData, other.JobData) &&
         SavedByAlarmStatusChange == other.SavedByAlarmStatusChange;
}

std::string MeasurementDataDO::ToString() const {
  return detail::ObjectText::objectText(
      [this](detail::ObjectText& text) {
        text.field("(MeasurementTimeStamp=", MeasurementTimeStamp)
            .field("(MeasurementConfig=", MeasurementConfig)
            .field("(MeasurementDataDetails=", getMeasurementDataDetails())
            .blob("(BinaryData=", BinaryData)
            .field("(JobData=", JobData)
            .field("(SavedByAlarmStatusChange=", SavedByAlarmStatusChange);
      },
      kPrefix, CurrentUuid);
}

Archive& operator<<(Archive& archive, const MeasurementDataDO& object) {
  detail::writeAll(archive, object.CurrentUuid, object.MeasurementTimeStamp,
                   object.MeasurementConfig);
  // The details are fetched and decompressed only when their slot comes.
  return detail::writeAll(archive, object.getMeasurementDataDetails(),
                          object.ExternalReferenceMeasurementDataDetails, object.BinaryData,
                          object.ExternalReferenceBinaryData, object.JobData,
                          object.SavedByAlarmStatusChange);
}

Archive& operator>>(Archive& archive, MeasurementDataDO& object) {
  detail::readAll(archive, object.CurrentUuid, object.MeasurementTimeStamp,
                  object.MeasurementConfig);
  detail::readDetailsText(archive, object.CompressedMeasurementDataDetails);
  return detail::readAll(archive, object.ExternalReferenceMeasurementDataDetails, object.BinaryData,
                         object.ExternalReferenceBinaryData, object.JobData,
                         object.SavedByAlarmStatusChange);
}

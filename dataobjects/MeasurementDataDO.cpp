#include "dataobjects/MeasurementDataDO.h"

#include "dataobjects/ArchiveFields.h"
#include "dataobjects/KeyCompare.h"
#include "dataobjects/ObjectText.h"

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
  CompressedMeasurementDataDetails.clear();
  MeasurementDataDetailsOptions.drop();
  ExternalReferenceMeasurementDataDetails = -1;
  ExternalReferenceBinaryData = -1;
  SavedByAlarmStatusChange = false;
}

void MeasurementDataDO::copy(const MeasurementDataDO& other) {
  copyBase(other);
  CurrentUuid = other.CurrentUuid;
  MeasurementTimeStamp = other.MeasurementTimeStamp;
  MeasurementConfig = other.MeasurementConfig;
  CompressedMeasurementDataDetails = other.CompressedMeasurementDataDetails;
  MeasurementDataDetailsOptions.drop();
  ExternalReferenceMeasurementDataDetails = other.ExternalReferenceMeasurementDataDetails;
  BinaryData = other.BinaryData;
  ExternalReferenceBinaryData = other.ExternalReferenceBinaryData;
  JobData = other.JobData;
  SavedByAlarmStatusChange = other.SavedByAlarmStatusChange;
}

std::string MeasurementDataDO::getMeasurementDataDetails() const {
  return CompressedMeasurementDataDetails.text(ExternalReferenceMeasurementDataDetails,
                                               externalReferenceLoader);
}

void MeasurementDataDO::setMeasurementDataDetails(const std::string& text) {
  MeasurementDataDetailsOptions.drop();
  CompressedMeasurementDataDetails.setText(text);
}

const Options& MeasurementDataDO::getMeasurementDataDetailsOptions() const {
  return MeasurementDataDetailsOptions.get([this] { return getMeasurementDataDetails(); });
}

void MeasurementDataDO::clearMeasurementDataDetailsOptions() const {
  MeasurementDataDetailsOptions.drop();
}

std::vector<unsigned char>& MeasurementDataDO::getCompressedMeasurementDataDetails() {
  return CompressedMeasurementDataDetails.bytes();
}

void MeasurementDataDO::setCompressedMeasurementDataDetails(
    const std::vector<unsigned char>& bytes) {
  CompressedMeasurementDataDetails.setBytes(bytes);
}

long long MeasurementDataDO::getExternalReferenceMeasurementDataDetails() const {
  return ExternalReferenceMeasurementDataDetails;
}

void MeasurementDataDO::SetExternalReferenceMeasurementDataDetails(long long reference) {
  ExternalReferenceMeasurementDataDetails = reference;
}

bool MeasurementDataDO::isEqual(const MeasurementDataDO& other) const {
  return key_compare::equal(CurrentUuid, other.CurrentUuid);
}

bool MeasurementDataDO::isIdentical(const MeasurementDataDO& other) const {
  return key_compare::equal(CurrentUuid, other.CurrentUuid) &&
         MeasurementTimeStamp == other.MeasurementTimeStamp &&
         key_compare::equal(MeasurementConfig, other.MeasurementConfig) &&
         getMeasurementDataDetails() == other.getMeasurementDataDetails() &&
         BinaryData == other.BinaryData && key_compare::equal(JobData, other.JobData) &&
         SavedByAlarmStatusChange == other.SavedByAlarmStatusChange;
}

std::string MeasurementDataDO::ToString() const {
  return ObjectText::objectText(
      [this](ObjectText& text) {
        text.field("(MeasurementTimeStamp=", MeasurementTimeStamp)
            .field("(MeasurementConfig=", MeasurementConfig)
            .field("(MeasurementDataDetails=", getMeasurementDataDetails())
            .blob("(BinaryData=", BinaryData)
            .field("(JobData=", JobData)
            .field("(SavedByAlarmStatusChange=", SavedByAlarmStatusChange);
      },
      MeasurementDataKey::kPrefix, CurrentUuid);
}

Archive& operator<<(Archive& archive, const MeasurementDataDO& object) {
  archive_fields::writeAll(archive, object.CurrentUuid, object.MeasurementTimeStamp,
                           object.MeasurementConfig);
  // The details are fetched and decompressed only when their slot comes.
  return archive_fields::writeAll(archive, object.getMeasurementDataDetails(),
                                  object.ExternalReferenceMeasurementDataDetails, object.BinaryData,
                                  object.ExternalReferenceBinaryData, object.JobData,
                                  object.SavedByAlarmStatusChange);
}

Archive& operator>>(Archive& archive, MeasurementDataDO& object) {
  archive_fields::readAll(archive, object.CurrentUuid, object.MeasurementTimeStamp,
                          object.MeasurementConfig);
  object.CompressedMeasurementDataDetails.read(archive);
  return archive_fields::readAll(archive, object.ExternalReferenceMeasurementDataDetails,
                                 object.BinaryData, object.ExternalReferenceBinaryData,
                                 object.JobData, object.SavedByAlarmStatusChange);
}

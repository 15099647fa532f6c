#include "dataobjects/TrendDataDO.h"

#include "dataobjects/detail/ArchiveFields.h"
#include "dataobjects/detail/KeyCompare.h"
#include "dataobjects/detail/ObjectText.h"
#include "dataobjects/detail/UuidKeyId.h"

namespace detail = dataobjects_data::detail;

namespace {
constexpr const char kPrefix[] = "TrendData";
}

DATAOBJECTS_DEFINE_UUID_KEY_ID(TrendDataDO, CurrentUuid, kPrefix)

TrendDataDO::TrendDataDO() {
  init();
}

TrendDataDO::TrendDataDO(const TrendDataDO& other) : BaseDataObject(other) {
  init();
  copy(other);
}

TrendDataDO::TrendDataDO(const UuidEntryDO& currentUuid,
                         const UuidEntryDO& characteristicValueConfig,
                         const UuidEntryDO& characteristicValueConfigBaseUuid, const bool& closed,
                         const long long& firstTimeStamp, const long long& lastTimeStamp,
                         const std::string& trendDataDetails, const unsigned int& numSamples,
                         const std::vector<unsigned char>& data) {
  setCurrentUuid(currentUuid);
  setCharacteristicValueConfig(characteristicValueConfig);
  setCharacteristicValueConfigBaseUuid(characteristicValueConfigBaseUuid);
  setClosed(closed);
  setFirstTimeStamp(firstTimeStamp);
  setLastTimeStamp(lastTimeStamp);
  setTrendDataDetails(trendDataDetails);
  setNumSamples(numSamples);
  setData(data);
  ExternalReferenceData = -1;
}

TrendDataDO::~TrendDataDO() = default;

TrendDataDO& TrendDataDO::operator=(const TrendDataDO& other) {
  copy(other);
  return *this;
}

void TrendDataDO::init() {
  Closed = false;
  FirstTimeStamp = 0;
  LastTimeStamp = 0;
  TrendDataDetails.clear();
  TrendDataDetailsOptions.drop();
  NumSamples = 0;
  ExternalReferenceData = -1;
}

void TrendDataDO::copy(const TrendDataDO& other) {
  BaseDataObject::operator=(other);
  CurrentUuid = other.CurrentUuid;
  CharacteristicValueConfig = other.CharacteristicValueConfig;
  CharacteristicValueConfigBaseUuid = other.CharacteristicValueConfigBaseUuid;
  Closed = other.Closed;
  FirstTimeStamp = other.FirstTimeStamp;
  LastTimeStamp = other.LastTimeStamp;
  TrendDataDetails = other.TrendDataDetails;
  TrendDataDetailsOptions.drop();
  NumSamples = other.NumSamples;
  Data = other.Data;
  ExternalReferenceData = other.ExternalReferenceData;
}

void TrendDataDO::setTrendDataDetails(const std::string& text) {
  TrendDataDetailsOptions.drop();
  TrendDataDetails = text;
}

const Options& TrendDataDO::getTrendDataDetailsOptions() const {
  return TrendDataDetailsOptions.get([this] { return getTrendDataDetails(); });
}

void TrendDataDO::clearTrendDataDetailsOptions() const {
  TrendDataDetailsOptions.drop();
}

bool TrendDataDO::isEqual(const TrendDataDO& other) const {
  return detail::equal(CurrentUuid, other.CurrentUuid);
}

bool TrendDataDO::isIdentical(const TrendDataDO& other) const {
  return detail::equal(CurrentUuid, other.CurrentUuid) &&
         detail::equal(CharacteristicValueConfig, other.CharacteristicValueConfig) &&
         detail::equal(CharacteristicValueConfigBaseUuid,
                       other.CharacteristicValueConfigBaseUuid) &&
         Closed == other.Closed && FirstTimeStamp == other.FirstTimeStamp &&
         LastTimeStamp == other.LastTimeStamp && TrendDataDetails == other.TrendDataDetails &&
         NumSamples == other.NumSamples && Data == other.Data;
}

std::string TrendDataDO::ToString() const {
  return detail::ObjectText::objectText(
      [this](detail::ObjectText& text) {
        text.field("(CharacteristicValueConfig=", CharacteristicValueConfig)
            .field("(CharacteristicValueConfigBaseUuid=", CharacteristicValueConfigBaseUuid)
            .field("(Closed=", Closed)
            .field("(FirstTimeStamp=", FirstTimeStamp)
            .field("(LastTimeStamp=", LastTimeStamp)
            .field("(TrendDataDetails=", TrendDataDetails)
            .field("(NumSamples=", NumSamples)
            .blob("(Data=", Data);
      },
      kPrefix, CurrentUuid);
}

Archive& operator<<(Archive& archive, const TrendDataDO& object) {
  return detail::writeAll(archive, object.CurrentUuid, object.CharacteristicValueConfig,
                          object.CharacteristicValueConfigBaseUuid, object.Closed,
                          object.FirstTimeStamp, object.LastTimeStamp, object.TrendDataDetails,
                          object.NumSamples, object.Data, object.ExternalReferenceData);
}

Archive& operator>>(Archive& archive, TrendDataDO& object) {
  return detail::readAll(archive, object.CurrentUuid, object.CharacteristicValueConfig,
                         object.CharacteristicValueConfigBaseUuid, object.Closed,
                         object.FirstTimeStamp, object.LastTimeStamp, object.TrendDataDetails,
                         object.NumSamples, object.Data, object.ExternalReferenceData);
}

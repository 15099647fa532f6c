/// @file
/// TrendDataDO: one block of trend data of a characteristic value configuration: the time span
/// it covers, whether it is closed, the samples as an opaque byte blob with their count, a
/// reference to externally stored data, and a details text held as plain text.
#ifndef DATAOBJECTS_TRENDDATADO_H
#define DATAOBJECTS_TRENDDATADO_H

#include <string>
#include <vector>

#include "dataobjects/BaseDataObject.h"
#include "dataobjects/DetailsOptionsCache.h"
#include "platform/Archive.h"
#include "platform/Export.h"
#include "platform/Options.h"
#include "platform/UuidEntryDO.h"

class DATAOBJECTS_DATA_API TrendDataDO : public BaseDataObject {
 public:
  /// The key of a TrendDataDO: its CurrentUuid.
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

    /// `"TrendData[<CurrentUuid>]"`.
    std::string ToString() const;

   private:
    friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, Id& id);

    UuidEntryDO CurrentUuid;
  };

  TrendDataDO();
  TrendDataDO(const TrendDataDO& other);
  /// ExternalReferenceData starts at -1.
  TrendDataDO(const UuidEntryDO& currentUuid, const UuidEntryDO& characteristicValueConfig,
              const UuidEntryDO& characteristicValueConfigBaseUuid, const bool& closed,
              const long long& firstTimeStamp, const long long& lastTimeStamp,
              const std::string& trendDataDetails, const unsigned int& numSamples,
              const std::vector<unsigned char>& data);
  ~TrendDataDO() override;
  /// Copies every field and the base fields; drops this object's cached options.
  TrendDataDO& operator=(const TrendDataDO& other);

  /// The defaults: not closed, time stamps 0, empty details, no samples, ExternalReferenceData
  /// -1, no cached options. The UUID fields and Data are left as they are.
  void init();
  void copy(const TrendDataDO& other);

  const UuidEntryDO& getCurrentUuid() const { return CurrentUuid; }
  const UuidEntryDO& getCharacteristicValueConfig() const { return CharacteristicValueConfig; }
  const UuidEntryDO& getCharacteristicValueConfigBaseUuid() const {
    return CharacteristicValueConfigBaseUuid;
  }
  const bool& getClosed() const { return Closed; }
  const long long& getFirstTimeStamp() const { return FirstTimeStamp; }
  const long long& getLastTimeStamp() const { return LastTimeStamp; }
  std::string getTrendDataDetails() const { return TrendDataDetails; }
  const unsigned int& getNumSamples() const { return NumSamples; }
  const std::vector<unsigned char>& getData() const { return Data; }
  long long getExternalReferenceData() const { return ExternalReferenceData; }
  void setCurrentUuid(const UuidEntryDO& value) { CurrentUuid = value; }
  void setCharacteristicValueConfig(const UuidEntryDO& value) { CharacteristicValueConfig = value; }
  void setCharacteristicValueConfigBaseUuid(const UuidEntryDO& value) {
    CharacteristicValueConfigBaseUuid = value;
  }
  void setClosed(const bool& value) { Closed = value; }
  void setFirstTimeStamp(const long long& value) { FirstTimeStamp = value; }
  void setLastTimeStamp(const long long& value) { LastTimeStamp = value; }
  /// Drops the cached options, then stores the text.
  void setTrendDataDetails(const std::string& text);
  void setNumSamples(const unsigned int& value) { NumSamples = value; }
  void setData(const std::vector<unsigned char>& value) { Data = value; }
  void SetExternalReferenceData(long long reference) { ExternalReferenceData = reference; }

  /// The options parsed from the details text, cached until the text is set or they are cleared
  /// (reading an archive replaces the text but keeps the cached options).
  const Options& getTrendDataDetailsOptions() const;
  void clearTrendDataDetailsOptions() const;

  Id getDataObjectId() const { return Id(CurrentUuid); }
  /// Key equality: the CurrentUuids are equal.
  bool isEqual(const TrendDataDO& other) const;
  bool operator==(const TrendDataDO& other) const { return isEqual(other); }
  bool operator!=(const TrendDataDO& other) const { return !isEqual(other); }
  /// Every field equal; ExternalReferenceData, the cached options and the base fields aside.
  bool isIdentical(const TrendDataDO& other) const;

  /// `"TrendData[<key>]=[(CharacteristicValueConfig=..) ... (Data=<n>(Blob Length)) ]"`.
  std::string ToString() const;

 private:
  friend DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const TrendDataDO& object);
  friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, TrendDataDO& object);

  UuidEntryDO CurrentUuid;
  UuidEntryDO CharacteristicValueConfig;
  UuidEntryDO CharacteristicValueConfigBaseUuid;
  bool Closed;
  long long FirstTimeStamp;
  long long LastTimeStamp;
  std::string TrendDataDetails;
  dataobjects_data::detail::DetailsOptionsCache TrendDataDetailsOptions;
  unsigned int NumSamples;
  std::vector<unsigned char> Data;
  long long ExternalReferenceData;
};

/// Archive form of the key: CurrentUuid.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const TrendDataDO::Id& id);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, TrendDataDO::Id& id);

/// Archive form: CurrentUuid, CharacteristicValueConfig, CharacteristicValueConfigBaseUuid,
/// Closed, FirstTimeStamp, LastTimeStamp, TrendDataDetails (a string), NumSamples (unsigned
/// int), Data (a byte vector), ExternalReferenceData.
///
/// Data is resized to the count read before its bytes arrive: a hostile count costs up to 4 GiB
/// (its claim) before the read fails on the missing bytes. Read archives from elsewhere inside a
/// dataobjects_data::BoundedReading. The details text grows with the bytes that arrive.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const TrendDataDO& object);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, TrendDataDO& object);

#endif  // DATAOBJECTS_TRENDDATADO_H

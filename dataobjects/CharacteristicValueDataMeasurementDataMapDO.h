/// @file
/// CharacteristicValueDataMeasurementDataMapDO: links one characteristic value to one measurement.
/// The two references together are the key, and the object holds nothing else.
#ifndef DATAOBJECTS_CHARACTERISTICVALUEDATAMEASUREMENTDATAMAPDO_H
#define DATAOBJECTS_CHARACTERISTICVALUEDATAMEASUREMENTDATAMAPDO_H

#include <string>

#include "dataobjects/BaseDataObject.h"
#include "platform/Archive.h"
#include "platform/Export.h"
#include "platform/UuidEntryDO.h"

class DATAOBJECTS_DATA_API CharacteristicValueDataMeasurementDataMapDO : public BaseDataObject {
 public:
  /// The key: CharacteristicValueData, then MeasurementData.
  class DATAOBJECTS_DATA_API Id {
   public:
    Id();
    Id(const Id& other);
    Id(const UuidEntryDO& characteristicValueData, const UuidEntryDO& measurementData);
    virtual ~Id();
    Id& operator=(const Id& other);

    /// False, although the key has two parts.
    static bool IsMultiKeyId() { return false; }
    void init();
    void copy(const Id& other);

    const UuidEntryDO& getCharacteristicValueData() const { return CharacteristicValueData; }
    const UuidEntryDO& getMeasurementData() const { return MeasurementData; }
    void setCharacteristicValueData(const UuidEntryDO& value) { CharacteristicValueData = value; }
    void setMeasurementData(const UuidEntryDO& value) { MeasurementData = value; }

    /// Lexicographic on (CharacteristicValueData, MeasurementData).
    bool operator<(const Id& other) const;
    /// True when either part is greater than the other's: not the converse of <.
    bool operator>(const Id& other) const;
    bool isEqual(const Id& other) const;
    bool operator==(const Id& other) const { return isEqual(other); }
    bool operator!=(const Id& other) const { return !isEqual(other); }

    /// `"CharacteristicValueDataMeasurementDataMap[<uuid><uuid>]"`, the two texts run together.
    std::string ToString() const;

   private:
    friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, Id& id);

    UuidEntryDO CharacteristicValueData;
    UuidEntryDO MeasurementData;
  };

  CharacteristicValueDataMeasurementDataMapDO();
  CharacteristicValueDataMeasurementDataMapDO(
      const CharacteristicValueDataMeasurementDataMapDO& other);
  CharacteristicValueDataMeasurementDataMapDO(const UuidEntryDO& characteristicValueData,
                                              const UuidEntryDO& measurementData);
  ~CharacteristicValueDataMeasurementDataMapDO() override;
  CharacteristicValueDataMeasurementDataMapDO& operator=(
      const CharacteristicValueDataMeasurementDataMapDO& other);

  /// Nothing to set: both fields are UUIDs, which keep their value.
  void init();
  /// Copies the base fields, then both references.
  void copy(const CharacteristicValueDataMeasurementDataMapDO& other);

  const UuidEntryDO& getCharacteristicValueData() const { return CharacteristicValueData; }
  const UuidEntryDO& getMeasurementData() const { return MeasurementData; }
  void setCharacteristicValueData(const UuidEntryDO& value) { CharacteristicValueData = value; }
  void setMeasurementData(const UuidEntryDO& value) { MeasurementData = value; }

  Id getDataObjectId() const;
  /// Key equality; == and != compare keys.
  bool isEqual(const CharacteristicValueDataMeasurementDataMapDO& other) const;
  bool operator==(const CharacteristicValueDataMeasurementDataMapDO& other) const {
    return isEqual(other);
  }
  bool operator!=(const CharacteristicValueDataMeasurementDataMapDO& other) const {
    return !isEqual(other);
  }
  /// The same as isEqual: every field belongs to the key.
  bool isIdentical(const CharacteristicValueDataMeasurementDataMapDO& other) const;

  /// The key text, then "]=[" and "]": there are no fields outside the key.
  std::string ToString() const;

 private:
  friend DATAOBJECTS_DATA_API Archive& operator>>(
      Archive& archive, CharacteristicValueDataMeasurementDataMapDO& object);

  UuidEntryDO CharacteristicValueData;
  UuidEntryDO MeasurementData;
};

/// Archive form of the key: CharacteristicValueData, MeasurementData.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive,
                                         const CharacteristicValueDataMeasurementDataMapDO::Id& id);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive,
                                         CharacteristicValueDataMeasurementDataMapDO::Id& id);

/// Archive form: exactly the key's, so an object's bytes read back as an Id and the reverse.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive,
                                         const CharacteristicValueDataMeasurementDataMapDO& object);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive,
                                         CharacteristicValueDataMeasurementDataMapDO& object);

#endif  // DATAOBJECTS_CHARACTERISTICVALUEDATAMEASUREMENTDATAMAPDO_H

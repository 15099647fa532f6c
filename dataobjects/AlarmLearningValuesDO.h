/// @file
/// AlarmLearningValuesDO: one cell of an alarm's learning values, keyed by the characteristic
/// value configuration and the cell's X and Y. The values are an opaque byte block; ValueCount is
/// stored beside it and never checked against its length.
#ifndef DATAOBJECTS_ALARMLEARNINGVALUESDO_H
#define DATAOBJECTS_ALARMLEARNINGVALUESDO_H

#include <string>
#include <vector>

#include "dataobjects/BaseDataObject.h"
#include "platform/Archive.h"
#include "platform/Export.h"
#include "platform/UuidEntryDO.h"

class DATAOBJECTS_DATA_API AlarmLearningValuesDO : public BaseDataObject {
 public:
  /// The key: CharacteristicValueConfig, X, Y.
  class DATAOBJECTS_DATA_API Id {
   public:
    Id();
    Id(const Id& other);
    Id(const UuidEntryDO& characteristicValueConfig, const unsigned short& x,
       const unsigned short& y);
    virtual ~Id();
    Id& operator=(const Id& other);

    static bool IsMultiKeyId() { return true; }
    /// X and Y to 0; the UUID keeps its value.
    void init();
    void copy(const Id& other);

    const UuidEntryDO& getCharacteristicValueConfig() const { return CharacteristicValueConfig; }
    const unsigned short& getX() const { return X; }
    const unsigned short& getY() const { return Y; }
    void setCharacteristicValueConfig(const UuidEntryDO& value) {
      CharacteristicValueConfig = value;
    }
    void setX(const unsigned short& value) { X = value; }
    void setY(const unsigned short& value) { Y = value; }

    /// Lexicographic on (CharacteristicValueConfig, X, Y).
    bool operator<(const Id& other) const;
    /// True when any part is greater than the other's: not the converse of <.
    bool operator>(const Id& other) const;
    bool isEqual(const Id& other) const;
    bool operator==(const Id& other) const { return isEqual(other); }
    bool operator!=(const Id& other) const { return !isEqual(other); }

    /// `"AlarmLearningValues[<uuid><X><Y>]"` with nothing between the parts, so (1, 23) and
    /// (12, 3) render alike.
    std::string ToString() const;

   private:
    friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, Id& id);

    UuidEntryDO CharacteristicValueConfig;
    unsigned short X;
    unsigned short Y;
  };

  AlarmLearningValuesDO();
  AlarmLearningValuesDO(const AlarmLearningValuesDO& other);
  AlarmLearningValuesDO(const UuidEntryDO& characteristicValueConfig, const unsigned short& x,
                        const unsigned short& y, const unsigned short& valueCount,
                        const std::vector<unsigned char>& learningValues);
  ~AlarmLearningValuesDO() override;
  AlarmLearningValuesDO& operator=(const AlarmLearningValuesDO& other);

  /// X, Y and ValueCount to 0; the UUID and the byte block keep their values.
  void init();
  /// Copies the base fields, then every field.
  void copy(const AlarmLearningValuesDO& other);

  const UuidEntryDO& getCharacteristicValueConfig() const { return CharacteristicValueConfig; }
  const unsigned short& getX() const { return X; }
  const unsigned short& getY() const { return Y; }
  const unsigned short& getValueCount() const { return ValueCount; }
  const std::vector<unsigned char>& getLearningValues() const { return LearningValues; }
  void setCharacteristicValueConfig(const UuidEntryDO& value) { CharacteristicValueConfig = value; }
  void setX(const unsigned short& value) { X = value; }
  void setY(const unsigned short& value) { Y = value; }
  void setValueCount(const unsigned short& value) { ValueCount = value; }
  void setLearningValues(const std::vector<unsigned char>& value) { LearningValues = value; }

  Id getDataObjectId() const;
  /// Key equality; == and != compare keys, not content.
  bool isEqual(const AlarmLearningValuesDO& other) const;
  bool operator==(const AlarmLearningValuesDO& other) const { return isEqual(other); }
  bool operator!=(const AlarmLearningValuesDO& other) const { return !isEqual(other); }
  /// Every field equal, the base fields aside.
  bool isIdentical(const AlarmLearningValuesDO& other) const;

  /// `"AlarmLearningValues[<key>]=[(ValueCount=<n>) (LearningValues=<size>(Blob Length)) ]"`.
  std::string ToString() const;

 private:
  friend DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, AlarmLearningValuesDO& object);

  UuidEntryDO CharacteristicValueConfig;
  unsigned short X;
  unsigned short Y;
  unsigned short ValueCount;
  std::vector<unsigned char> LearningValues;
};

/// Archive form of the key: CharacteristicValueConfig, X and Y (unsigned short).
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const AlarmLearningValuesDO::Id& id);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, AlarmLearningValuesDO::Id& id);

/// Archive form: the key's, then ValueCount (unsigned short) and LearningValues (byte vector).
/// Reading replaces the whole block, whatever length it had.
///
/// LearningValues is resized to the count read before its bytes arrive: a hostile count costs up
/// to 4 GiB (its claim) before the read fails on the missing bytes. Read archives from elsewhere
/// inside a dataobjects_data::BoundedReading.
DATAOBJECTS_DATA_API Archive& operator<<(Archive& archive, const AlarmLearningValuesDO& object);
DATAOBJECTS_DATA_API Archive& operator>>(Archive& archive, AlarmLearningValuesDO& object);

#endif  // DATAOBJECTS_ALARMLEARNINGVALUESDO_H

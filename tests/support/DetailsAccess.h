// How a test reaches the compressed details of CharacteristicValueDataDO and MeasurementDataDO
// under one set of names, so that one typed test covers both classes.
#ifndef TESTS_SUPPORT_DETAILSACCESS_H
#define TESTS_SUPPORT_DETAILSACCESS_H

#include <cstddef>
#include <string>
#include <vector>

#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/MeasurementDataDO.h"

namespace testing_support {

struct CharacteristicValueAccess {
  using Object = CharacteristicValueDataDO;
  static Object withText(const std::string& t) {
    return Object(UuidEntryDO(), 1, UuidEntryDO(), t, UuidEntryDO(), 0.5, 2, true);
  }
  static constexpr const char* kFile = "CharacteristicValueDataDO";
  static constexpr int kLine = 221;
  static std::string text(const Object& o) { return o.getCharacteristicValueDataDetails(); }
  static void setText(Object& o, const std::string& t) { o.setCharacteristicValueDataDetails(t); }
  static std::vector<unsigned char>& stored(Object& o) {
    return o.getCompressedCharacteristicValueDataDetails();
  }
  static void setStored(Object& o, const std::vector<unsigned char>& b) {
    o.setCompressedCharacteristicValueDataDetails(b);
  }
  static void setReference(Object& o, long long r) {
    o.SetExternalReferenceCharacteristicValueDataDetails(r);
  }
  static const Options& options(const Object& o) {
    return o.getCharacteristicValueDataDetailsOptions();
  }
  static void clearOptions(const Object& o) { o.clearCharacteristicValueDataDetailsOptions(); }
  // The bytes written before the details slot: CurrentUuid, time stamp 0, configuration.
  static constexpr std::size_t kBytesBeforeDetails = 16 + 2 + 16;
};

struct MeasurementAccess {
  using Object = MeasurementDataDO;
  static Object withText(const std::string& t) {
    return Object(UuidEntryDO(), 1, UuidEntryDO(), t, {}, UuidEntryDO(), true);
  }
  static constexpr const char* kFile = "MeasurementDataDO";
  static constexpr int kLine = 219;
  static std::string text(const Object& o) { return o.getMeasurementDataDetails(); }
  static void setText(Object& o, const std::string& t) { o.setMeasurementDataDetails(t); }
  static std::vector<unsigned char>& stored(Object& o) {
    return o.getCompressedMeasurementDataDetails();
  }
  static void setStored(Object& o, const std::vector<unsigned char>& b) {
    o.setCompressedMeasurementDataDetails(b);
  }
  static void setReference(Object& o, long long r) {
    o.SetExternalReferenceMeasurementDataDetails(r);
  }
  static const Options& options(const Object& o) { return o.getMeasurementDataDetailsOptions(); }
  static void clearOptions(const Object& o) { o.clearMeasurementDataDetailsOptions(); }
  static constexpr std::size_t kBytesBeforeDetails = 16 + 2 + 16;
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_DETAILSACCESS_H

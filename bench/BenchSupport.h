// Sample objects and values shared by the benchmarks.
#ifndef BENCH_BENCHSUPPORT_H
#define BENCH_BENCHSUPPORT_H

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "platform/Uuid.h"

namespace bench {

inline std::vector<unsigned char> randomBytes(std::size_t size, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::vector<unsigned char> bytes(size);
  for (auto& b : bytes)
    b = static_cast<unsigned char>(random());
  return bytes;
}

// Doubles of one kind: 0 random finite bit patterns, 1 whole numbers below a million, 2 the
// specials (inf, -inf, NaN, -0) in turn.
inline std::vector<double> sampleDoubles(int kind, std::size_t count) {
  std::mt19937_64 random(2);
  std::vector<double> values(count);
  const double specials[] = {std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(), -0.0};
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (kind == 0) {
      do {
        const auto bits = random();
        std::memcpy(&values[i], &bits, sizeof(double));
      } while (!std::isfinite(values[i]));
    } else if (kind == 1) {
      values[i] = static_cast<double>(random() % 1000000);
    } else {
      values[i] = specials[i % 4];
    }
  }
  return values;
}

// A details text of `size` bytes (200 by default): options as a device writes them. Texts of
// other `variant`s differ in every option's value.
inline std::string detailsText(std::size_t size = 200, int variant = 0) {
  std::string text;
  for (int i = 0; text.size() < size; ++i)
    text += "option" + std::to_string(i) + "=" + std::to_string(i * 37 + variant) + ";";
  return text.substr(0, size);
}

// UUIDs from a fixed sequence rather than random ones, so that every run handles the same bytes.
inline UuidEntryDO uuid() {
  static unsigned next = 0;
  const std::vector<unsigned char> random = randomBytes(16, 1000 + next++);
  Uuid::Bytes bytes{};
  std::memcpy(bytes.data(), random.data(), bytes.size());
  return UuidEntryDO(Uuid(bytes));
}

inline JobDataDO job() {
  return JobDataDO(uuid(), 1733400000000LL, uuid());
}
inline MeasurementDataDO measurement(std::size_t blobSize, const std::string& details) {
  return MeasurementDataDO(uuid(), 1733400000000LL, uuid(), details, randomBytes(blobSize), uuid(),
                           false);
}
inline CharacteristicValueDataDO characteristic(const std::string& details = detailsText()) {
  return CharacteristicValueDataDO(uuid(), 1733400000000LL, uuid(), details, uuid(), 4.2375, 2,
                                   true);
}
// A MeasurementDataDO with a 64-byte blob and a CharacteristicValueDataDO, each with a details
// text of `size` bytes of the given variant (none for 0).
inline MeasurementDataDO measurementWithDetails(std::size_t size, int variant = 0) {
  return measurement(64, size == 0 ? std::string() : detailsText(size, variant));
}
inline CharacteristicValueDataDO characteristicWithDetails(std::size_t size, int variant = 0) {
  return characteristic(size == 0 ? std::string() : detailsText(size, variant));
}
inline AlarmDataDO alarm() {
  return AlarmDataDO(uuid(), 1733400000000LL, 4.2375, 2, 11, 1, false, true, "X=3;Y=5", false, 3.5,
                     4.2, 6.0, 12, false, true, uuid(), false, 1733399400000LL);
}
inline AlarmLearningValuesDO learning() {
  return AlarmLearningValuesDO(uuid(), 3, 5, 64, randomBytes(512));
}
inline CharacteristicValueDataMeasurementDataMapDO link() {
  return CharacteristicValueDataMeasurementDataMapDO(uuid(), uuid());
}
inline TrendDataDO trend() {
  return TrendDataDO(uuid(), uuid(), uuid(), true, 1733396400000LL, 1733400000000LL,
                     "interval=60;aggregate=max", 60, randomBytes(480));
}

}  // namespace bench

#endif  // BENCH_BENCHSUPPORT_H

// Round-trips one data object of each class through an Archive and shows its bytes and text.
#include <cstdio>
#include <string>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "platform/Archive.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"

namespace {

// Prints the first 64 bytes in hex, 16 to a line.
void printHex(const std::string& bytes) {
  const std::size_t shown = bytes.size() < 64 ? bytes.size() : 64;
  for (std::size_t i = 0; i < shown; ++i) {
    std::printf("%02x%c", static_cast<unsigned char>(bytes[i]),
                (i + 1) % 16 == 0 || i + 1 == shown ? '\n' : ' ');
  }
  if (shown < bytes.size()) std::printf("... and %zu bytes more\n", bytes.size() - shown);
}

// Writes `object`, reads it back into a default-constructed one, prints both; true when the
// two are identical.
template <class DataObject>
bool roundTrip(const char* className, const DataObject& object) {
  Archive archive;
  archive << object;
  const std::string bytes = archive.str();
  DataObject back;
  archive >> back;

  std::printf("%s, %zu bytes in the archive:\n", className, bytes.size());
  printHex(bytes);
  std::printf("written: %s\nread:    %s\n", object.ToString().c_str(), back.ToString().c_str());
  const bool identical = back.isIdentical(object);
  std::printf("%s\n\n",
              identical ? "identical after the round trip" : "DIFFERENT after the round trip");
  return identical;
}

UuidEntryDO entry(const char* text) {
  return UuidEntryDO(Uuid::fromString(text));
}

}  // namespace

int main() {
  bool ok = true;
  ok &= roundTrip("JobDataDO", JobDataDO(UuidEntryDO(Uuid::generate()), 1733400000000LL,
                                         entry("6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a09")));
  const UuidEntryDO job = entry("0d6a1f57-3c1e-4b8a-9f0e-7a2b3c4d5e6f");
  const UuidEntryDO measurementConfig = entry("5b0e8c1a-9d2f-4e3b-8a7c-6d5e4f3a2b1c");
  const UuidEntryDO characteristicConfig = entry("a1b2c3d4-e5f6-4789-8abc-def012345678");
  std::vector<unsigned char> samples(512);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<unsigned char>((i * 37) & 0xFF);
  }
  ok &=
      roundTrip("MeasurementDataDO",
                MeasurementDataDO(UuidEntryDO(Uuid::generate()), 1733400000000LL, measurementConfig,
                                  "sampleRate=25600;channels=2;unit=m/s2", samples, job, false));
  ok &= roundTrip("CharacteristicValueDataDO",
                  CharacteristicValueDataDO(UuidEntryDO(Uuid::generate()), 1733400000000LL,
                                            characteristicConfig, "band=10-1000Hz;method=rms", job,
                                            4.2375, 2, true));
  ok &= roundTrip("TrendDataDO",
                  TrendDataDO(UuidEntryDO(Uuid::generate()), characteristicConfig,
                              entry("c0ffee00-1234-4abc-8def-001122334455"), true, 1733400000000LL,
                              1733403600000LL, "interval=60;aggregate=max", 60,
                              std::vector<unsigned char>(240, 0x11)));
  ok &=
      roundTrip("CharacteristicValueDataMeasurementDataMapDO",
                CharacteristicValueDataMeasurementDataMapDO(
                    entry("3b9e0c7d-1f2a-4c5e-8d6b-7a0f9e8d7c6b"), UuidEntryDO(Uuid::generate())));
  // The alarm map index is set, the learning-mode text too; no time signal has been saved yet.
  ok &= roundTrip("AlarmDataDO",
                  AlarmDataDO(entry("9c2d4e6f-8a1b-4c3d-9e5f-0a1b2c3d4e5f"), 1733400000000LL, 4.73,
                              2, 11, 1, false, true, "X=3;Y=5", false, 3.5, 4.2, 6.0, 12, false,
                              true, UuidEntryDO(), true, 1733399400000LL));
  ok &= roundTrip("AlarmLearningValuesDO",
                  AlarmLearningValuesDO(entry("9c2d4e6f-8a1b-4c3d-9e5f-0a1b2c3d4e5f"), 3, 5, 4,
                                        {0x40, 0x12, 0x66, 0x66, 0x40, 0x13, 0x33, 0x33}));
  return ok ? 0 : 1;
}

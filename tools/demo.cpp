// Round-trips one data object of each class through an Archive and shows its bytes and text.
#include <cstdio>
#include <string>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "platform/Archive.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"

namespace {

void printHex(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::printf("%02x%c", static_cast<unsigned char>(bytes[i]),
                (i + 1) % 16 == 0 || i + 1 == bytes.size() ? '\n' : ' ');
  }
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

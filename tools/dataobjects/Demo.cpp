// `dataobjects demo`: one realistic object of each class through one archive and back.
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "platform/Uuid.h"

namespace {

UuidEntryDO entry(const char* text) {
  return UuidEntryDO(Uuid::fromString(text));
}
UuidEntryDO fresh() {
  return UuidEntryDO(Uuid::generate());
}

// One object of the demo: writes it, then reads the next object and compares.
struct Step {
  const char* className;
  std::function<void(Archive&)> write;
  std::function<bool(Archive&, std::string& text)> readBack;
};

template <class T>
Step step(const char* className, const T& object) {
  const auto written = std::make_shared<T>(object);
  return {className, [written](Archive& archive) { archive << *written; },
          [written](Archive& archive, std::string& text) {
            T back;
            archive >> back;
            text = back.ToString();
            return back.isIdentical(*written);
          }};
}

std::vector<Step> demoObjects() {
  const UuidEntryDO job = fresh(), measurement = fresh(), characteristic = fresh();
  const UuidEntryDO measurementConfig = entry("5b0e8c1a-9d2f-4e3b-8a7c-6d5e4f3a2b1c");
  const UuidEntryDO characteristicConfig = entry("a1b2c3d4-e5f6-4789-8abc-def012345678");
  const long long now = 1733400000000LL;
  std::vector<unsigned char> samples(2048);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<unsigned char>((i * 37 + i / 7) & 0xFF);
  }
  AlarmDataDO alarm(characteristicConfig, now, 4.2375, 2, 11, 1, false, true, "X=3;Y=5", false, 3.5,
                    4.2, 6.0, 12, false, true, UuidEntryDO(), true, now - 600000);
  return {
      step("JobDataDO", JobDataDO(job, now, entry("6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a09"))),
      step("MeasurementDataDO",
           MeasurementDataDO(measurement, now, measurementConfig,
                             "sampleRate=25600;channels=2;unit=m/s2;window=hann", samples, job,
                             false)),
      step("CharacteristicValueDataDO",
           CharacteristicValueDataDO(characteristic, now, characteristicConfig,
                                     "band=10-1000Hz;method=rms;unit=mm/s", job, 4.2375, 2, true)),
      step("CharacteristicValueDataMeasurementDataMapDO",
           CharacteristicValueDataMeasurementDataMapDO(characteristic, measurement)),
      step("AlarmDataDO", alarm),
      step("AlarmLearningValuesDO",
           AlarmLearningValuesDO(characteristicConfig, 3, 5, 4,
                                 {0x40, 0x12, 0x66, 0x66, 0x40, 0x13, 0x33, 0x33})),
      step("TrendDataDO",
           TrendDataDO(fresh(), characteristicConfig, entry("c0ffee00-1234-4abc-8def-001122334455"),
                       true, now - 3600000, now, "interval=60;aggregate=max", 60,
                       std::vector<unsigned char>(240, 0x11))),
  };
}

}  // namespace

int runDemo(const std::string& file) {
  const std::vector<Step> steps = demoObjects();
  std::string bytes;
  std::vector<std::size_t> sizes;
  {
    Archive archive;
    for (const Step& s : steps) {
      const auto before = archive.str().size();
      s.write(archive);
      sizes.push_back(archive.str().size() - before);
    }
    bytes = archive.str();
  }
  if (!file.empty()) {
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  Archive input(bytes);
  bool allIdentical = true;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    std::string text;
    const bool identical = steps[i].readBack(input, text);
    allIdentical = allIdentical && identical;
    std::printf("%s, %zu bytes%s\n  %s\n", steps[i].className, sizes[i],
                identical ? "" : " - NOT identical after reading back", text.c_str());
  }
  std::printf("%zu objects, %zu bytes%s%s: %s\n", steps.size(), bytes.size(),
              file.empty() ? "" : " in ", file.c_str(),
              allIdentical ? "every object read back identical" : "FAILED");
  return allIdentical ? 0 : 1;
}

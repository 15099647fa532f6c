// The golden archives under tests/data: each decodes to the object it describes, and that
// object, and the one built in the test, encode to exactly the same bytes again.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <sstream>
#include <string>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "tests/support/TestStreams.h"

namespace {

using testing_support::hex;
namespace fs = std::filesystem;
const fs::path kDataDir = DATAOBJECTS_TEST_DATA_DIR;

std::string readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// What a description gives: the bytes (every line that is not a '#' comment, in hex) and the
// object's text (the line "# text: ...").
struct Description {
  std::string bytes;
  std::string text;
};

Description describe(const fs::path& path) {
  std::istringstream lines(readFile(path));
  std::string line, hexText;
  Description description;
  while (std::getline(lines, line)) {
    if (line.rfind("# text: ", 0) == 0) description.text = line.substr(8);
    if (!line.empty() && line[0] != '#') hexText += line + " ";
  }
  description.bytes = testing_support::bytes(hexText);
  return description;
}

// Decodes the golden bytes, which must all belong to the object, and checks the text of the
// decoded and of the expected object and that both encode to the same bytes again.
template <class T>
void expectGolden(const Description& golden, const T& expected) {
  Archive input(golden.bytes);
  T decoded;
  input >> decoded;
  EXPECT_EQ(EOF, input.peek()) << "every byte belongs to the object";
  EXPECT_EQ(golden.text, decoded.ToString());
  EXPECT_EQ(golden.text, expected.ToString());
  EXPECT_EQ(expected.ToString().find("nan") == std::string::npos, decoded.isIdentical(expected));
  EXPECT_EQ(hex(golden.bytes), hex(testing_support::archiveOf(decoded))) << "re-encoded";
  EXPECT_EQ(hex(golden.bytes), hex(testing_support::archiveOf(expected))) << "from the expected";
}

UuidEntryDO entry(const char* text) {
  return UuidEntryDO(Uuid::fromString(text));
}
const UuidEntryDO kA = entry("11111111-2222-4333-8444-555555555555");
const UuidEntryDO kB = entry("22222222-0000-4000-8000-000000000002");
const UuidEntryDO kC = entry("33333333-0000-4000-8000-000000000003");
using Blob = std::vector<unsigned char>;
template <class T, class Change>
T changed(T object, Change&& change) {
  change(object);
  return object;
}

// Each golden archive's name and the object it holds, built through the constructors.
#define GOLDEN(name, ...)                                            \
  {                                                                  \
    name, [](const Description& g) { expectGolden(g, __VA_ARGS__); } \
  }
const std::map<std::string, std::function<void(const Description&)>> kGolden = {
    GOLDEN("JobDataDO-default", JobDataDO()),
    GOLDEN("JobDataDO-full",
           JobDataDO(entry("00112233-4455-6677-8899-aabbccddeeff"), -1733400000000LL,
                     entry("ffeeddcc-bbaa-9988-7766-554433221100"))),
    GOLDEN("CharacteristicValueDataDO-default", CharacteristicValueDataDO()),
    GOLDEN("CharacteristicValueDataDO-full",
           changed(CharacteristicValueDataDO(kA, 1733400000000LL, kB, "unit=mm;axis=x", kC, 0.1,
                                             513, true),
                   [](auto& o) { o.SetExternalReferenceCharacteristicValueDataDetails(4711); })),
    GOLDEN("CharacteristicValueDataDO-edges",
           CharacteristicValueDataDO(entry("ffffffff-ffff-ffff-ffff-ffffffffffff"),
                                     std::numeric_limits<long long>::min(), UuidEntryDO(), "",
                                     UuidEntryDO(), std::nan(""), 65535, false)),
    GOLDEN("MeasurementDataDO-default", MeasurementDataDO()),
    GOLDEN(
        "MeasurementDataDO-full",
        changed(MeasurementDataDO(kA, 1733400000000LL, kB, "rate=25600",
                                  Blob{0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF, 0x10, 0x20}, kC, true),
                [](auto& o) {
                  o.SetExternalReferenceBinaryData(std::numeric_limits<long long>::max());
                })),
    GOLDEN("TrendDataDO-default", TrendDataDO()),
    GOLDEN("TrendDataDO-full",
           changed(TrendDataDO(kA, kB, kC, true, -100, 200, "interval=60", 70000, Blob{1, 2, 3}),
                   [](auto& o) { o.SetExternalReferenceData(0); })),
    GOLDEN("AlarmDataDO-default", AlarmDataDO()),
    GOLDEN("AlarmDataDO-index5",
           changed(AlarmDataDO(), [](auto& o) { o.setCurrentAlarmMapIndex(5); })),
    GOLDEN("AlarmDataDO-full",
           AlarmDataDO(kA, 1733400000000LL, HUGE_VAL, 3, 300, 65535, true, false, "X=3;Y=5", false,
                       -HUGE_VAL, -0.0, 1e-5, 12, false, true, kC, false, -1)),
    GOLDEN("AlarmLearningValuesDO-default", AlarmLearningValuesDO()),
    GOLDEN("AlarmLearningValuesDO-full", AlarmLearningValuesDO(kA, 1, 2, 3, Blob{0xAB, 0xCD})),
    GOLDEN("CharacteristicValueDataMeasurementDataMapDO-default",
           CharacteristicValueDataMeasurementDataMapDO()),
    GOLDEN("CharacteristicValueDataMeasurementDataMapDO-full",
           CharacteristicValueDataMeasurementDataMapDO(kA, kB)),
};

TEST(GoldenArchives, EveryFileDecodesToItsObjectAndReencodesByteForByte) {
  const auto& expectations = kGolden;
  std::size_t checked = 0;
  for (const auto& file : fs::directory_iterator(kDataDir)) {
    if (file.path().extension() != ".bin") continue;
    const std::string name = file.path().stem().string();
    SCOPED_TRACE(name);
    const Description golden = describe(fs::path(file.path()).replace_extension(".txt"));
    EXPECT_EQ(hex(golden.bytes), hex(readFile(file.path())))
        << "the archive differs from its description";
    const auto expectation = expectations.find(name);
    if (expectation == expectations.end()) {
      ADD_FAILURE() << "no expected object for " << name;
      continue;
    }
    expectation->second(golden);
    ++checked;
  }
  EXPECT_EQ(expectations.size(), checked) << "a golden archive is missing";
}

}  // namespace

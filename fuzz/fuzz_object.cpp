// One fuzz target per data object class (FUZZ_CLASS, set by the build): the input is read as
// an object of the class and, separately, as its Id; each decode that succeeds must survive
// re-encoding. Details read with an object must also survive their compression, which the
// object defers until their stored form is asked for.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"

namespace {

// Takes the stored form of the details just read and checks that it holds the same text.
struct StoredDetailsCheck {
  void operator()(const MeasurementDataDO& read) const {
    MeasurementDataDO copy(read);
    MeasurementDataDO fromStored;
    fromStored.setCompressedMeasurementDataDetails(copy.getCompressedMeasurementDataDetails());
    if (fromStored.getMeasurementDataDetails() != read.getMeasurementDataDetails()) {
      fuzz_support::fail("the stored details do not hold the text read");
    }
  }
  void operator()(const CharacteristicValueDataDO& read) const {
    CharacteristicValueDataDO copy(read);
    CharacteristicValueDataDO fromStored;
    fromStored.setCompressedCharacteristicValueDataDetails(
        copy.getCompressedCharacteristicValueDataDetails());
    if (fromStored.getCharacteristicValueDataDetails() !=
        read.getCharacteristicValueDataDetails()) {
      fuzz_support::fail("the stored details do not hold the text read");
    }
  }
  template <class T>
  void operator()(const T&) const {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::decodeAndRoundTrip<FUZZ_CLASS>(data, size, StoredDetailsCheck{});
  fuzz_support::decodeAndRoundTrip<FUZZ_CLASS::Id>(data, size);
  return 0;
}

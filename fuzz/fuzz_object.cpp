// One fuzz target per data object class (FUZZ_CLASS, set by the build): the input is read as
// an object of the class and, separately, as its Id; each decode that succeeds must survive
// re-encoding.
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::decodeAndRoundTrip<FUZZ_CLASS>(data, size);
  fuzz_support::decodeAndRoundTrip<FUZZ_CLASS::Id>(data, size);
  return 0;
}

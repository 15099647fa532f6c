// The compressed-details text getter fed arbitrary stored bytes: it either yields a text or
// throws the database error with its file, line and a CompressionException as root cause.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "dataobjects/MeasurementDataDO.h"
#include "libs/utilities/archive/DataObjectException.h"
#include "platform/CompressionGZip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MeasurementDataDO object;
  object.setCompressedMeasurementDataDetails(std::vector<unsigned char>(data, data + size));
  std::string text;
  try {
    text = object.getMeasurementDataDetails();
  } catch (const DataObjectException& e) {
    if (std::strcmp(e.getFile(), "MeasurementDataDO") != 0 || e.getLine() != 219 ||
        dynamic_cast<const CompressionException*>(e.getRootCause()) == nullptr) {
      fuzz_support::fail("a decompression failure without its file, line or cause");
    }
    if (object.ToString() != "Error converting object to string") {
      fuzz_support::fail("ToString rendered undecompressable details");
    }
    return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (text.find('\0') != std::string::npos) fuzz_support::fail("a text with a zero byte");
  MeasurementDataDO copy;
  copy.setMeasurementDataDetails(text);
  if (copy.getMeasurementDataDetails() != text) fuzz_support::fail("the text did not survive");
  return 0;
}

// Peak memory while a MeasurementDataDO with a 64 MiB blob is read from an in-memory archive,
// against the archive's size plus the blob's. Linux only: it resets and reads the process's
// peak resident size (VmHWM) through /proc.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dataobjects/MeasurementDataDO.h"
#include "platform/Uuid.h"

namespace {

long long statusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, std::strlen(field), field) == 0)
      return std::stoll(line.substr(std::strlen(field) + 1));
  }
  return -1;
}

}  // namespace

int main() {
  const std::size_t blobSize = std::size_t{64} << 20;
  Archive archive;
  {
    std::vector<unsigned char> blob(blobSize);
    for (std::size_t i = 0; i < blob.size(); ++i)
      blob[i] = static_cast<unsigned char>(i * 31);
    const MeasurementDataDO written(UuidEntryDO(Uuid::generate()), 1733400000000LL,
                                    UuidEntryDO(Uuid::generate()), "sampleRate=25600", blob,
                                    UuidEntryDO(Uuid::generate()), false);
    archive << written;
  }
  const long long archiveBytes = static_cast<long long>(archive.tellp());
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from what is resident now
  const long long before = statusKiB("VmRSS:");
  MeasurementDataDO read;
  archive >> read;
  const long long peak = statusKiB("VmHWM:");
  const long long limit = (archiveBytes + static_cast<long long>(blobSize)) / 1024;
  std::printf("archive %lld KiB, blob %zu KiB, resident before reading %lld KiB\n",
              archiveBytes / 1024, blobSize / 1024, before);
  std::printf("peak while reading %lld KiB = %.3f x (archive + blob)\n", peak,
              static_cast<double>(peak) / static_cast<double>(limit));
  return read.getBinaryData().size() == blobSize && peak < limit * 12 / 10 ? 0 : 1;
}

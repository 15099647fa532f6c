// Round-trips a JobDataDO through an Archive and shows its bytes and its text.
#include <cstdio>
#include <string>

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

}  // namespace

int main() {
  const JobDataDO job(UuidEntryDO(Uuid::generate()), 1733400000000LL,
                      UuidEntryDO(Uuid::fromString("6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a09")));

  Archive archive;
  archive << job;
  const std::string bytes = archive.str();

  JobDataDO copy;
  archive >> copy;

  std::printf("JobDataDO, %zu bytes in the archive:\n", bytes.size());
  printHex(bytes);
  std::printf("written: %s\n", job.ToString().c_str());
  std::printf("read:    %s\n", copy.ToString().c_str());
  if (!copy.isIdentical(job)) {
    std::printf("the object read back differs from the one written\n");
    return 1;
  }
  std::printf("identical after the round trip\n");
  return 0;
}

// An application of the installed libdataobjects_data: round-trips a JobDataDO and a
// MeasurementDataDO through an Archive, then reads a truncated archive and catches the
// library's KavSerialize::SerializationException by its own type, here, outside the library.
// Prints one line per check; exits 0 when every check holds and 1 otherwise.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"
#include "platform/TesmiraException.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"

namespace {

int failures = 0;

void check(bool holds, const char* what) {
  std::printf("%-6s %s\n", holds ? "ok" : "FAILED", what);
  if (!holds) ++failures;
}

UuidEntryDO newEntry() {
  return UuidEntryDO(Uuid::generate());
}

void roundTrip(const JobDataDO& job, const MeasurementDataDO& measurement) {
  Archive archive;
  archive << job << measurement;

  Archive input(archive.str());
  JobDataDO jobRead;
  MeasurementDataDO measurementRead;
  input >> jobRead >> measurementRead;
  std::printf("read: %s\nread: %s\n", jobRead.ToString().c_str(),
              measurementRead.ToString().c_str());
  check(jobRead.isIdentical(job), "the job reads back identical");
  check(measurementRead.isIdentical(measurement), "the measurement reads back identical");
  check(measurementRead.getMeasurementDataDetailsOptions().getInt("sampleRate") == 25600,
        "the measurement's details options read back");
  check(input.peek() == std::char_traits<char>::eof(), "nothing is left in the archive");
}

// A job whose archive ends inside its time stamp: the sixteen bytes of CurrentUuid, the time
// stamp's header byte and three of its six payload bytes.
void readTruncatedJob(const JobDataDO& job) {
  Archive archive;
  archive << job;
  Archive input(archive.str().substr(0, 20));
  JobDataDO jobRead;
  try {
    input >> jobRead;
    check(false, "reading the truncated job throws");
  } catch (const KavSerialize::SerializationException& e) {
    std::printf("caught: %s\n", e.what());
    check(true, "the truncated job throws KavSerialize::SerializationException, caught by type");
    check(std::string(e.Reason()) == "Deserializing of object long long failed",
          "its reason names the long long read");
    check(std::string(e.getFile()) == "../../../../libs/utilities/archive/Serialize",
          "its file is the codec's");
    check(e.getLine() == 425, "its line is that of the long long read (425)");
  } catch (const TesmiraException& e) {
    std::printf("caught: %s\n", e.what());
    check(false, "the truncated job's exception is caught only as a TesmiraException");
  } catch (const std::exception& e) {
    std::printf("caught: %s\n", e.what());
    check(false, "the truncated job's exception is caught only as a std::exception");
  }
}

}  // namespace

int main() {
  try {
    const JobDataDO job(newEntry(), 1733400000000LL, newEntry());
    const MeasurementDataDO measurement(newEntry(), 1733400000123LL, newEntry(),
                                        "sampleRate=25600;channel=2", {0x00, 0x7F, 0x80, 0xFF},
                                        job.getCurrentUuid(), true);
    roundTrip(job, measurement);
    readTruncatedJob(job);
  } catch (const std::exception& e) {
    std::printf("unexpected exception: %s\n", e.what());
    return 1;
  }
  std::printf("%s\n", failures == 0 ? "all checks hold" : "some checks FAILED");
  return failures == 0 ? 0 : 1;
}

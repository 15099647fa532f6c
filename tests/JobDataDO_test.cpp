// JobDataDO and the conventions every data object shares.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dataobjects/JobDataDO.h"
#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/ArchiveSweep.h"
#include "tests/support/TestStreams.h"

namespace {

using testing_support::bytes;
using testing_support::hex;

const std::string kNil = "00000000-0000-0000-0000-000000000000";

UuidEntryDO entry(const char* text) {
  return UuidEntryDO(Uuid::fromString(text));
}

std::vector<unsigned char> noLoad(long long) {
  return {};
}

TEST(JobDataDO, DefaultObjectAndItsText) {
  const JobDataDO job;
  EXPECT_EQ(0, job.getMeasurementTimeStamp());
  EXPECT_EQ(0, job.baseFlag1);
  EXPECT_EQ(0, job.baseFlag2);
  EXPECT_EQ(nullptr, job.externalReferenceLoader);
  EXPECT_EQ("JobData[" + kNil + "]=[(MeasurementTimeStamp=0) (JobConfig=" + kNil + ") ]",
            job.ToString());
  EXPECT_EQ("JobData[" + kNil + "]", job.getDataObjectId().ToString());
  EXPECT_FALSE(JobDataDO::Id::IsMultiKeyId());

  const JobDataDO negative(entry("00000000-0000-0000-0000-0000000000aa"), -42,
                           entry("00000000-0000-0000-0000-0000000000bb"));
  EXPECT_EQ(
      "JobData[00000000-0000-0000-0000-0000000000aa]=[(MeasurementTimeStamp=-42) "
      "(JobConfig=00000000-0000-0000-0000-0000000000bb) ]",
      negative.ToString());
}

TEST(JobDataDO, KeyEqualityOrderingAndIdentity) {
  const UuidEntryDO low = entry("10000000-0000-0000-0000-000000000000");
  const UuidEntryDO high = entry("20000000-0000-0000-0000-000000000000");
  const JobDataDO a(low, 1, high), sameKey(low, 2, high), other(high, 1, high);

  EXPECT_TRUE(a == sameKey);
  EXPECT_TRUE(a.isEqual(sameKey));
  EXPECT_FALSE(a.isIdentical(sameKey));
  EXPECT_TRUE(a != other);
  EXPECT_TRUE(a.isIdentical(JobDataDO(low, 1, high)));
  EXPECT_FALSE(a.isIdentical(JobDataDO(low, 1, low)));

  EXPECT_EQ(a == sameKey, a.getDataObjectId() == sameKey.getDataObjectId());
  EXPECT_EQ(a == other, a.getDataObjectId() == other.getDataObjectId());
  const JobDataDO::Id ida = a.getDataObjectId(), idb = other.getDataObjectId();
  EXPECT_TRUE(ida < idb);
  EXPECT_FALSE(idb < ida);
  EXPECT_TRUE(idb > ida);
  EXPECT_FALSE(ida > idb);
  EXPECT_FALSE(ida < ida);
  EXPECT_FALSE(ida > ida);

  JobDataDO::Id assigned;
  assigned = idb;
  EXPECT_TRUE(assigned == idb);
  EXPECT_TRUE(JobDataDO::Id(assigned) == idb);
}

TEST(JobDataDO, CopiesCarryTheBaseFieldsAndOtherConstructorsClearThem) {
  JobDataDO source(entry("10000000-0000-0000-0000-000000000000"), 5,
                   entry("20000000-0000-0000-0000-000000000000"));
  source.baseFlag1 = 3;
  source.baseFlag2 = 4;
  source.externalReferenceLoader = &noLoad;

  const JobDataDO copied(source);
  JobDataDO assigned;
  assigned = source;
  for (const JobDataDO* copy : {&copied, static_cast<const JobDataDO*>(&assigned)}) {
    EXPECT_EQ(3, copy->baseFlag1);
    EXPECT_EQ(4, copy->baseFlag2);
    EXPECT_EQ(&noLoad, copy->externalReferenceLoader);
    EXPECT_TRUE(copy->isIdentical(source));
  }
  JobDataDO plain = source;
  plain.baseFlag1 = 0;
  EXPECT_TRUE(plain.isIdentical(source)) << "identity ignores the base fields";
}

TEST(JobDataDO, ArchiveFormAndRoundTrips) {
  const JobDataDO job(entry("00112233-4455-6677-8899-aabbccddeeff"), -1,
                      entry("ffeeddcc-bbaa-9988-7766-554433221100"));
  Archive archive;
  archive << job;
  EXPECT_EQ(bytes("00112233445566778899aabbccddeeff 81 01 ffeeddccbbaa99887766554433221100"),
            archive.str());

  JobDataDO::Id id;
  Archive idArchive(archive.str());
  idArchive >> id;
  EXPECT_TRUE(id == job.getDataObjectId()) << "the object's form begins with its key's";
  Archive idOut;
  idOut << id;
  EXPECT_EQ(archive.str().substr(0, 16), idOut.str());

  std::mt19937_64 random(3);
  for (int i = 0; i < 500; ++i) {
    const JobDataDO original(UuidEntryDO(Uuid::generate()),
                             static_cast<long long>(random() >> (random() % 64)),
                             UuidEntryDO(Uuid::generate()));
    Archive round;
    round << original;
    JobDataDO back;
    round >> back;
    ASSERT_TRUE(back.isIdentical(original)) << original.ToString();
  }
}

std::vector<std::string> jobFields(const JobDataDO& job) {
  return {job.getCurrentUuid().ToString(), std::to_string(job.getMeasurementTimeStamp()),
          job.getJobConfig().ToString()};
}

TEST(JobDataDO, FailedReadsAndWritesStopAtTheFieldThatFailed) {
  using namespace testing_support;
  const JobDataDO written(entry("00112233-4455-6677-8899-aabbccddeeff"), 1000000000000LL,
                          entry("ffeeddcc-bbaa-9988-7766-554433221100"));
  const JobDataDO before(entry("aaaaaaaa-0000-0000-0000-000000000000"), 77,
                         entry("bbbbbbbb-0000-0000-0000-000000000000"));
  const std::vector<Segment> segments = {uuidSegment(0), longLongSegment(1000000000000LL, 1),
                                         uuidSegment(2)};
  truncationSweep<JobDataDO>(written, before, segments, jobFields);
  writeFailureSweep(written, segments);
}

}  // namespace

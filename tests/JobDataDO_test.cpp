// JobDataDO and the conventions every data object shares.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dataobjects/JobDataDO.h"
#include "platform/Uuid.h"
#include "tests/support/ArchiveSweep.h"
#include "tests/support/IdentityTable.h"
#include "tests/support/KeyOrderModel.h"

namespace {

using namespace testing_support;
const std::string kNil = "00000000-0000-0000-0000-000000000000";
UuidEntryDO entry(const char* text) {
  return UuidEntryDO(Uuid::fromString(text));
}
const UuidEntryDO kA = entry("00112233-4455-6677-8899-aabbccddeeff");
const UuidEntryDO kB = entry("ffeeddcc-bbaa-9988-7766-554433221100");

TEST(JobDataDO, ConstructorsLeaveTheBaseFieldsZero) {
  for (const JobDataDO& job : {JobDataDO(), JobDataDO(kA, -42, kB)}) {
    EXPECT_EQ(0, job.baseFlag1 + job.baseFlag2);
    EXPECT_EQ(nullptr, job.externalReferenceLoader);
  }
  EXPECT_FALSE(JobDataDO::Id::IsMultiKeyId());
}

TEST(JobDataDO, KeysOrderAndCompareAndIdentityLooksAtEveryField) {
  const UuidEntryDO uuids[] = {kA, entry("80000000-0000-0000-0000-000000000000"), kB};
  expectKeyOrderModel<JobDataDO::Id>(1, [&](const std::vector<int>& r) {
    const JobDataDO a(uuids[1 + r[0]], 1, kA), b(uuids[1], 2, kB);
    EXPECT_EQ(r[0] == 0, a == b) << "objects compare keys only";
    return std::make_pair(a.getDataObjectId(), b.getDataObjectId());
  });
  JobDataDO withBase(kA, 5, kB);
  withBase.baseFlag1 = 3;
  withBase.externalReferenceLoader = [](long long) { return std::vector<unsigned char>(); };
  expectIdentity<JobDataDO>(
      withBase, {
                    {"base fields", [](JobDataDO& o) { o.baseFlag2 = 4; }, true},
                    {"time stamp", [](JobDataDO& o) { o.setMeasurementTimeStamp(6); }, false},
                    {"configuration", [](JobDataDO& o) { o.setJobConfig(kA); }, false},
                });
  JobDataDO assigned;
  assigned = withBase;
  for (const JobDataDO& copy : {JobDataDO(withBase), assigned}) {
    EXPECT_EQ(3, copy.baseFlag1);
    EXPECT_EQ(withBase.externalReferenceLoader, copy.externalReferenceLoader);
  }
}

std::vector<std::string> fields(const JobDataDO& job) {
  return {job.getCurrentUuid().ToString(), std::to_string(job.getMeasurementTimeStamp()),
          job.getJobConfig().ToString()};
}

TEST(JobDataDO, ArchiveRoundTripsAndFailsFieldByField) {
  const JobDataDO job(kA, -1, kB);
  EXPECT_EQ(archiveOf(kA) + bytes("81 01") + archiveOf(kB), archiveOf(job));
  JobDataDO::Id id;
  Archive asId(archiveOf(job));
  asId >> id;
  EXPECT_TRUE(id == job.getDataObjectId()) << "the object's form begins with its key's";
  EXPECT_EQ(archiveOf(kA), archiveOf(id));

  std::mt19937_64 random(3);
  for (int i = 0; i < 500; ++i) {
    const JobDataDO original(UuidEntryDO(Uuid::generate()),
                             static_cast<long long>(random() >> (random() % 64)),
                             UuidEntryDO(Uuid::generate()));
    Archive round(archiveOf(original));
    JobDataDO back;
    round >> back;
    ASSERT_TRUE(back.isIdentical(original)) << original.ToString();
  }

  const JobDataDO written(kA, 1000000000000LL, kB), before(kB, 77, kA);
  const std::vector<Segment> segments = {uuidSegment(0), longLongSegment(1000000000000LL, 1),
                                         uuidSegment(2)};
  truncationSweep<JobDataDO>(written, before, segments, fields);
  writeFailureSweep(written, segments);
}

}  // namespace

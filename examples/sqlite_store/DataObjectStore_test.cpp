// DataObjectStore against a real SQLite file in a temporary folder.
#include "DataObjectStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "platform/Uuid.h"

namespace {

const UuidEntryDO kA(Uuid::fromString("00112233-4455-6677-8899-aabbccddeeff"));
const UuidEntryDO kB(Uuid::fromString("ffeeddcc-bbaa-9988-7766-554433221100"));
const std::string kDetails = "sampleRate=25600;channel=2";
const MeasurementDataDO::Id kId(kA);

MeasurementDataDO measurement() {
  return MeasurementDataDO(kA, 1733400000123LL, kB, kDetails, {0, 1, 254, 255}, kB, true);
}

class DataObjectStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string folder = (std::filesystem::temp_directory_path() / "sqlite_store_XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(folder.data()));
    folder_ = folder;
    path_ = folder + "/store.db";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // The first column of the first row of `sql`, as text, read through a connection of its own.
  std::string query(const char* sql) const {
    sqlite3* db = nullptr;
    std::string value = "(no row)";
    EXPECT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &db));
    const auto first = [](void* out, int, char** values, char**) {
      *static_cast<std::string*>(out) = values[0] != nullptr ? values[0] : "NULL";
      return 1;
    };
    sqlite3_exec(db, sql, first, &value, nullptr);
    sqlite3_close(db);
    return value;
  }

  std::filesystem::path folder_;
  std::string path_;
};

template <class T>
void expectStored(DataObjectStore& store, const T& object) {
  SCOPED_TRACE(object.ToString());
  T loaded;
  ASSERT_TRUE(store.load(object.getDataObjectId(), loaded));
  EXPECT_TRUE(loaded.isIdentical(object));
}

TEST_F(DataObjectStoreTest, ObjectsOfEveryClassReadBackAfterReopening) {
  AlarmDataDO alarm;
  alarm.setCharacteristicValueConfig(kB);
  alarm.setCurrentValue(1.5);
  alarm.setCurrentAlarmMapIndex(4);
  // The two learning-value cells have the same Id text, "...[<uuid>123]", but not the same key.
  const auto objects = std::make_tuple(
      JobDataDO(kA, 1733400000000LL, kB), AlarmLearningValuesDO(kA, 1, 23, 2, {1, 2}),
      AlarmLearningValuesDO(kA, 12, 3, 1, {9}), CharacteristicValueDataMeasurementDataMapDO(kA, kB),
      CharacteristicValueDataDO(kA, 5, kB, "limit=3", kB, 2.5, 1, false), alarm,
      TrendDataDO(kA, kB, kB, true, 1, 2, "unit=mm/s", 3, {1, 2, 3}), measurement());
  std::apply([this](const auto&... object) { (DataObjectStore(path_).save(object), ...); },
             objects);

  DataObjectStore store(path_);
  std::apply([&store](const auto&... object) { (expectStored(store, object), ...); }, objects);
  EXPECT_EQ("8", query("SELECT COUNT(*) FROM objects"));
  EXPECT_EQ("7", query("SELECT COUNT(DISTINCT label) FROM objects"));
  JobDataDO untouched(kB, 42, kB);
  EXPECT_FALSE(store.load(JobDataDO::Id(kB), untouched));
  EXPECT_EQ(42, untouched.getMeasurementTimeStamp());
}

TEST_F(DataObjectStoreTest, MeasurementDetailsStayInTheDatabaseUntilAskedForThenAreReadOnce) {
  const MeasurementDataDO original = measurement();
  DataObjectStore(path_).save(original);
  EXPECT_EQ(-1, original.getExternalReferenceMeasurementDataDetails());
  EXPECT_EQ("1", query("SELECT COUNT(*) FROM details"));
  EXPECT_EQ("0", query("SELECT instr(archive, CAST('sampleRate' AS BLOB)) FROM objects"));

  DataObjectStore store(path_);
  MeasurementDataDO loaded;
  ASSERT_TRUE(store.load(kId, loaded));
  EXPECT_NE(-1, loaded.getExternalReferenceMeasurementDataDetails());
  EXPECT_TRUE(loaded.getCompressedMeasurementDataDetails().empty());
  EXPECT_EQ(original.getBinaryData(), loaded.getBinaryData());
  EXPECT_EQ(0u, store.detailsReads());
  EXPECT_EQ(kDetails, loaded.getMeasurementDataDetails());
  EXPECT_EQ(1u, store.detailsReads());
  EXPECT_EQ(25600, loaded.getMeasurementDataDetailsOptions().getInt("sampleRate"));
  EXPECT_TRUE(loaded.isIdentical(original));
  EXPECT_EQ(1u, store.detailsReads());
}

std::vector<unsigned char> detailsElsewhere(long long reference) {
  MeasurementDataDO holder;
  holder.setMeasurementDataDetails("gain=2");
  return reference == 99 ? holder.getCompressedMeasurementDataDetails()
                         : std::vector<unsigned char>();
}

TEST_F(DataObjectStoreTest, ResavingKeepsUnreadDetailsAndReplacesChangedOnes) {
  DataObjectStore store(path_);
  store.save(measurement());
  MeasurementDataDO loaded;
  ASSERT_TRUE(store.load(kId, loaded));
  const long long first = loaded.getExternalReferenceMeasurementDataDetails();
  loaded.setSavedByAlarmStatusChange(false);
  store.save(loaded);
  EXPECT_EQ(0u, store.detailsReads()) << "unread details are not fetched to save the object";
  ASSERT_TRUE(store.load(kId, loaded));
  EXPECT_EQ(first, loaded.getExternalReferenceMeasurementDataDetails());
  EXPECT_FALSE(loaded.getSavedByAlarmStatusChange());

  loaded.setMeasurementDataDetails("channel=3");
  store.save(loaded);
  EXPECT_EQ("1", query("SELECT COUNT(*) FROM details")) << "the replaced details are deleted";
  MeasurementDataDO stale = measurement();
  EXPECT_EQ(25600, stale.getMeasurementDataDetailsOptions().getInt("sampleRate"));
  ASSERT_TRUE(store.load(kId, stale));
  EXPECT_NE(first, stale.getExternalReferenceMeasurementDataDetails());
  EXPECT_EQ(3, stale.getMeasurementDataDetailsOptions().getInt("channel")) << "options reparsed";

  // An empty text alone still leaves the details to the reference; without either there are none.
  stale.setMeasurementDataDetails("");
  stale.SetExternalReferenceMeasurementDataDetails(-1);
  store.save(stale);
  EXPECT_EQ("0", query("SELECT COUNT(*) FROM details"));

  // Details held elsewhere are fetched through the measurement's own loader when it is saved.
  stale.SetExternalReferenceMeasurementDataDetails(99);
  stale.externalReferenceLoader = &detailsElsewhere;
  store.save(stale);
  ASSERT_TRUE(store.load(kId, loaded));
  EXPECT_EQ("gain=2", loaded.getMeasurementDataDetails());
}

TEST_F(DataObjectStoreTest, DetailsComeFromTheStoreOfTheThreadThatAsks) {
  DataObjectStore store(path_);
  store.save(measurement());
  MeasurementDataDO loaded;
  ASSERT_TRUE(store.load(kId, loaded));
  std::thread([&loaded] { EXPECT_THROW(loaded.getMeasurementDataDetails(), StoreError); }).join();
  std::thread([&loaded, this] {
    DataObjectStore own(path_);
    EXPECT_EQ(kDetails, loaded.getMeasurementDataDetails());
    EXPECT_EQ(1u, own.detailsReads());
  }).join();
  EXPECT_EQ(0u, store.detailsReads());
}

// Threads at once, each with its own store on the same file: each saves measurements and reads
// their details back through its own store's loader.
TEST_F(DataObjectStoreTest, StoresOfSeveralThreadsWorkAtOnce) {
  DataObjectStore(path_).save(measurement());  // creates the tables before the threads start
  std::vector<std::thread> threads;
  std::vector<int> failures(4);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, this, &failures] {
      DataObjectStore own(path_);
      for (int i = 0; i < 10; ++i) {
        MeasurementDataDO m = measurement();
        m.setCurrentUuid(UuidEntryDO(Uuid::generate()));
        m.setMeasurementDataDetails("thread=" + std::to_string(t) + ";i=" + std::to_string(i));
        own.save(m);
        MeasurementDataDO loaded;
        failures[static_cast<std::size_t>(t)] +=
            !own.load(m.getDataObjectId(), loaded) || !loaded.isIdentical(m);
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(std::vector<int>(4, 0), failures);
}

}  // namespace

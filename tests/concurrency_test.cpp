// Many threads at once, each with objects of its own: details compressed and decompressed (each
// thread has its own compressor streams and memo, which hold the same texts at once), fetched
// through a loader that every thread shares, parsed into options, written and read back, and the
// streams given back. Run under ThreadSanitizer by scripts/ci/test-tsan.sh; in the ordinary suite
// it checks the results.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "platform/CompressionGZip.h"
#include "platform/Uuid.h"

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 40;

std::string detailsOf(long long reference) {
  return "reference=" + std::to_string(reference) +
         ";text=" + std::string(static_cast<std::size_t>(100 + reference % 50), 'x');
}

// The stored form of every reference's details, made before the threads start and only read.
const std::vector<std::vector<unsigned char>>& storedForms() {
  static const std::vector<std::vector<unsigned char>> forms = [] {
    std::vector<std::vector<unsigned char>> all;
    for (long long reference = 0; reference < kThreads * kRounds; ++reference) {
      MeasurementDataDO holder;
      holder.setMeasurementDataDetails(detailsOf(reference));
      all.push_back(holder.getCompressedMeasurementDataDetails());
    }
    return all;
  }();
  return forms;
}

std::vector<unsigned char> sharedLoader(long long reference) {
  return storedForms()[static_cast<std::size_t>(reference)];
}

// One thread's work; returns how many of its checks failed.
int work(int thread) {
  int failures = 0;
  for (int round = 0; round < kRounds; ++round) {
    const long long reference = thread * kRounds + round;
    MeasurementDataDO fetched;
    fetched.externalReferenceLoader = &sharedLoader;
    fetched.SetExternalReferenceMeasurementDataDetails(reference);
    failures += fetched.getMeasurementDataDetails() != detailsOf(reference);
    failures += fetched.getMeasurementDataDetailsOptions().getInt("reference") != reference;

    CharacteristicValueDataDO value(UuidEntryDO(Uuid::generate()), reference, UuidEntryDO(),
                                    detailsOf(round), UuidEntryDO(), 0.5, 1, false);
    Archive archive;
    archive << value << fetched;
    CharacteristicValueDataDO valueBack;
    MeasurementDataDO fetchedBack;
    archive >> valueBack >> fetchedBack;
    failures += !valueBack.isIdentical(value) + !fetchedBack.isIdentical(fetched);
    if (round % 10 == 9) CompressionZLibBase::ReleaseThreadStreams();
  }
  return failures;
}

TEST(Concurrency, ThreadsWithObjectsOfTheirOwnWorkAtOnce) {
  storedForms();
  std::vector<int> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &failures] { failures[static_cast<std::size_t>(t)] = work(t); });
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(std::vector<int>(kThreads, 0), failures);
}

}  // namespace

// What the library allocates, counted through a replacement of the global operator new in this
// test binary: nothing on the success path of the codec for integers, bool, unsigned char and
// doubles; for an object with compressed details, no heap beyond its stored bytes; on the
// bounded route, no more than the input holds, whatever its counts claim; and every operation
// of every class survives the failure of each allocation it makes.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "libs/utilities/archive/BoundedReading.h"
#include "libs/utilities/archive/Serialize"
#include "tests/support/DetailsAccess.h"
#include "tests/support/StreamRoute.h"
#include "tests/support/TestStreams.h"

namespace {
std::atomic<long> allocations{0};
// Bytes and blocks allocated and not yet released. Each block carries its size in front.
std::atomic<long> liveBytes{0};
std::atomic<long> liveBlocks{0};
// The most bytes live at once since it was last set.
std::atomic<long> peakBytes{0};
// While not negative: how many more allocations succeed before one fails (then it is -1 again).
std::atomic<long> failIn{-1};
constexpr std::size_t kHeader = alignof(std::max_align_t);
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (failIn >= 0 && failIn-- == 0) throw std::bad_alloc();
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  const long live = liveBytes += static_cast<long>(size);
  for (long peak = peakBytes; live > peak && !peakBytes.compare_exchange_weak(peak, live);) {
  }
  ++liveBlocks;
  return block + kHeader;
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* memory) noexcept {
  if (memory == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(memory) - kHeader;
  liveBytes -= static_cast<long>(*reinterpret_cast<std::size_t*>(block));
  --liveBlocks;
  std::free(block);
}
void operator delete[](void* memory) noexcept {
  operator delete(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  operator delete(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  operator delete(memory);
}

namespace {

// Integers, bools, bytes and doubles of every size and special written into an archive whose
// buffer has grown for them, then read back.
TEST(Allocation, PrimitivesOtherThanTextsAllocateNothing) {
  std::mt19937_64 random(3);
  std::vector<testing_support::Value> values;
  for (int i = 0; i < 14000; ++i)  // the kinds long long to double
    values.push_back(
        testing_support::randomValue(random, static_cast<testing_support::Kind>(i % 7)));
  Archive archive;
  for (const testing_support::Value& v : values)
    testing_support::library::write(archive, v);  // grows the archive's buffer once
  archive.seekp(0);
  const long before = allocations;
  for (const testing_support::Value& v : values)
    testing_support::library::write(archive, v);
  EXPECT_EQ(before, allocations.load()) << "allocations while writing";
  for (testing_support::Value& v : values)
    testing_support::library::read(archive, v);
  EXPECT_EQ(before, allocations.load()) << "allocations while reading";
  EXPECT_EQ(EOF, archive.peek());
}

// How the heap changes across `operation`: blocks and bytes that stay allocated afterwards.
using Growth = std::pair<long, long>;  // blocks, bytes
template <class Operation>
Growth growth(Operation&& operation) {
  const long blocks = liveBlocks, bytes = liveBytes;
  operation();
  return {liveBlocks - blocks, liveBytes - bytes};
}

template <class Access>
class DetailsMemory : public ::testing::Test {};
using DetailsClasses = ::testing::Types<testing_support::CharacteristicValueAccess,
                                        testing_support::MeasurementAccess>;
TYPED_TEST_SUITE(DetailsMemory, DetailsClasses);

// In every state an object passes through, it holds one block of exactly its stored bytes: no
// copy of the text, no spare capacity. Caching the options adds what a parse of the same text
// into an Options of its own takes, and nothing else.
TYPED_TEST(DetailsMemory, ObjectHoldsOnlyItsStoredBytes) {
  using A = TypeParam;
  using Object = typename A::Object;
  {
    // The thread's compressor sets up its zlib streams and its memo with its first calls: the
    // thread's memory, not an object's, so it happens before anything is measured.
    Object warmUp = A::withText("warm up");
    A::text(warmUp);
  }
  std::mt19937 random(7);
  for (std::size_t length : {200u, 8006u}) {
    SCOPED_TRACE(length);
    auto randomText = [&](std::size_t n) {
      std::string t(n, ' ');
      for (char& c : t)
        c = "abcdefgh=;0123456789 "[random() % 21];
      return t;
    };
    const std::string text = randomText(length);

    // Runs `operation` and expects the heap to change exactly as `o`'s stored bytes did.
    auto expectOnlyStoredBytesChange = [](Object& o, const char* state, auto&& operation) {
      SCOPED_TRACE(state);
      const long before = static_cast<long>(A::stored(o).size());
      const Growth g = growth(operation);
      const std::vector<unsigned char>& stored = A::stored(o);
      EXPECT_EQ(stored.size(), stored.capacity());
      const long after = static_cast<long>(stored.size());
      EXPECT_EQ(Growth((after > 0) - (before > 0), after - before), g);
    };

    std::unique_ptr<Object> object;
    const Growth made = growth([&] { object = std::make_unique<Object>(A::withText(text)); });
    EXPECT_EQ(Growth(2, sizeof(Object) + A::stored(*object).size()), made)
        << "constructed with the text";
    expectOnlyStoredBytesChange(*object, "text setter", [&] { A::setText(*object, text + "!"); });
    Archive archive;
    archive << *object;  // the archive's buffer grows once, before anything is measured
    expectOnlyStoredBytesChange(*object, "operator<<", [&] {
      archive.seekp(0);
      archive << *object;
    });
    expectOnlyStoredBytesChange(*object, "operator>>", [&] { archive >> *object; });
    expectOnlyStoredBytesChange(*object, "text getter", [&] { A::text(*object); });
    expectOnlyStoredBytesChange(*object, "ToString", [&] { object->ToString(); });
    expectOnlyStoredBytesChange(*object, "isIdentical", [&] { object->isIdentical(*object); });

    std::unique_ptr<Object> copy;
    EXPECT_EQ(Growth(2, sizeof(Object) + A::stored(*object).size()),
              growth([&] { copy = std::make_unique<Object>(*object); }))
        << "copied";
    A::setText(*copy, randomText(length * 2));  // more stored bytes than the source's
    expectOnlyStoredBytesChange(*copy, "assignment", [&] { *copy = *object; });
    copy->init();
    expectOnlyStoredBytesChange(*copy, "copy() into an empty object", [&] { copy->copy(*object); });

    std::unique_ptr<Options> own;
    const Growth parsed = growth([&] {
      own = std::make_unique<Options>();
      own->parse(text + "!");
    });
    EXPECT_EQ(parsed, growth([&] { A::options(*object); })) << "the options cache";
    EXPECT_EQ(Growth(-parsed.first, -parsed.second), growth([&] { A::clearOptions(*object); }));
    expectOnlyStoredBytesChange(*object, "init", [&] { object->init(); });
    EXPECT_TRUE(A::stored(*object).empty());
  }
}

// ---- allocation failures -------------------------------------------------------------------

// Runs `operation` with the first, then the second, ... allocation failing, until it completes.
// Each failed run must end in std::bad_alloc or the library's own exception, leak nothing, and
// leave `object` destructible, printable and writable. Returns how many allocations the
// operation makes (the run that completes).
template <class T>
int failEachAllocation(const char* what, const std::function<T()>& make,
                       const std::function<void(T&)>& operation) {
  for (long k = 0; k < 10000; ++k) {
    SCOPED_TRACE(std::string(what) + ", allocation " + std::to_string(k) + " failing");
    const long blocks = liveBlocks;
    bool completed = false;
    {
      auto object = std::make_unique<T>(make());
      failIn = k;
      try {
        operation(*object);
        completed = true;
      } catch (const std::bad_alloc&) {
      } catch (const TesmiraException&) {
      }
      failIn = -1;
      EXPECT_NE("", object->ToString());
      Archive archive;
      EXPECT_NO_THROW(archive << *object);
    }
    EXPECT_EQ(blocks, liveBlocks) << "blocks leaked";
    if (completed) return static_cast<int>(k);
  }
  ADD_FAILURE() << what << " never completes";
  return -1;
}

// The operations every class has, on `sample` (whose archive form is read by operator>>), and
// the class's own in `more`. Prints the allocation points of each.
template <class T>
void everyOperation(const char* name, const std::function<T()>& sample,
                    std::vector<std::pair<const char*, std::function<void(T&)>>> more) {
  const T source = sample();
  const std::string bytes = testing_support::archiveOf(source);
  more.emplace_back("construction with values", [&](T&) { T made = sample(); });
  more.emplace_back("copy construction", [&](T&) { T copy(source); });
  more.emplace_back("assignment", [&](T& o) { o = source; });
  more.emplace_back("operator<<", [&](T&) {
    Archive a;
    a << source;
  });
  more.emplace_back("operator>>", [&](T& o) {
    Archive a(bytes);
    a >> o;
  });
  more.emplace_back("ToString", [&](T&) { source.ToString(); });
  std::string points;
  for (const auto& [what, operation] : more)
    points += std::string(", ") + what + " " +
              std::to_string(failEachAllocation<T>(
                  what, [] { return T(); }, operation));
  std::printf("%s allocation points%s\n", name, points.c_str());
}

const UuidEntryDO kEntry(Uuid::fromString("00112233-4455-6677-8899-aabbccddeeff"));
const std::string kDetails(300, 'd');
const std::vector<unsigned char> kBlob(100, 7);

// The details operations of the two classes with compressed details.
using CV = testing_support::CharacteristicValueAccess;
using MD = testing_support::MeasurementAccess;
const std::vector<unsigned char> kStored =
    MD::withText("a=1").getCompressedMeasurementDataDetails();
template <class A>
std::vector<std::pair<const char*, std::function<void(typename A::Object&)>>> detailsOperations() {
  return {{"details text setter", [](typename A::Object& o) { A::setText(o, kDetails); }},
          {"compressed details setter", [](typename A::Object& o) { A::setStored(o, kStored); }},
          {"details on a thread of their own",
           [](typename A::Object& o) {
             // The thread starts without compressor streams or memo and frees them as it ends.
             std::exception_ptr failure;
             std::thread([&] {
               try {
                 Archive archive;
                 archive << A::withText(kDetails);
                 A::setStored(o, kStored);
                 A::text(o);            // decompressed and remembered
                 A::setText(o, "a=1");  // the same form, compressed
                 archive >> o;          // compressed and remembered
                 A::text(o);            // found
               } catch (...) {
                 failure = std::current_exception();
               }
             }).join();
             if (failure) std::rethrow_exception(failure);
           }},
          {"details text and options getters", [](typename A::Object& o) {
             A::setText(o, "a=1");
             A::text(o);
             A::options(o);
           }}};
}

TEST(AllocationFailure, EveryOperationOfEveryClassSurvivesEachFailingAllocation) {
  everyOperation<JobDataDO>("JobDataDO", [] { return JobDataDO(kEntry, 5, kEntry); }, {});
  everyOperation<CharacteristicValueDataMeasurementDataMapDO>(
      "CharacteristicValueDataMeasurementDataMapDO",
      [] { return CharacteristicValueDataMeasurementDataMapDO(kEntry, kEntry); }, {});
  everyOperation<AlarmLearningValuesDO>(
      "AlarmLearningValuesDO", [] { return AlarmLearningValuesDO(kEntry, 1, 2, 3, kBlob); },
      {{"setLearningValues", [](AlarmLearningValuesDO& o) { o.setLearningValues(kBlob); }}});
  everyOperation<AlarmDataDO>(
      "AlarmDataDO",
      [] {
        return AlarmDataDO(kEntry, 1, 2.5, 3, 4, 5, true, false, kDetails, false, 0.5, 1.5, 2.5, 7,
                           false, true, kEntry, false, 9);
      },
      {{"setLearningModeActives", [](AlarmDataDO& o) { o.setLearningModeActives(kDetails); }}});
  everyOperation<TrendDataDO>(
      "TrendDataDO",
      [] { return TrendDataDO(kEntry, kEntry, kEntry, true, 1, 2, kDetails, 3, kBlob); },
      {{"setTrendDataDetails", [](TrendDataDO& o) { o.setTrendDataDetails(kDetails); }},
       {"setData", [](TrendDataDO& o) { o.setData(kBlob); }},
       {"getTrendDataDetailsOptions", [](TrendDataDO& o) {
          o.setTrendDataDetails("a=1");
          o.getTrendDataDetailsOptions();
        }}});
  everyOperation<CharacteristicValueDataDO>(
      "CharacteristicValueDataDO",
      [] { return CharacteristicValueDataDO(kEntry, 1, kEntry, kDetails, kEntry, 2.5, 3, true); },
      detailsOperations<CV>());
  everyOperation<MeasurementDataDO>(
      "MeasurementDataDO",
      [] { return MeasurementDataDO(kEntry, 1, kEntry, kDetails, kBlob, kEntry, true); },
      detailsOperations<MD>());
}

// ---- reading archives from elsewhere --------------------------------------------------------

// How reading an object from `input` ended: the exception's what() (empty when none), where the
// input stopped, and the most heap it took above what was live before.
struct ReadOutcome {
  std::string failure;
  std::size_t stoppedAt = 0;
  long peak = 0;
};

// Reads a T from `input` over an in-memory archive (piece -1) or a buffer that hands it out
// `piece` bytes at a time (0: one by one, without a get area), on the bounded route or not.
template <class T>
ReadOutcome readFrom(const std::string& input, int piece, bool bounded, T& object) {
  ReadOutcome outcome;
  const long before = liveBytes;
  peakBytes = before;
  {
    std::optional<dataobjects_data::BoundedReading> scope;
    if (bounded) scope.emplace();
    std::unique_ptr<testing_support::PieceSource> source;
    if (piece >= 0)
      source = std::make_unique<testing_support::PieceSource>(input, std::size_t(piece));
    auto archive =
        source ? std::make_unique<Archive>(source.get()) : std::make_unique<Archive>(input);
    try {
      *archive >> object;
    } catch (const TesmiraException& e) {
      outcome.failure = e.what();
    }
    archive->clear();
    outcome.stoppedAt = source ? source->consumed() : static_cast<std::size_t>(archive->tellg());
  }
  outcome.peak = peakBytes - before;
  return outcome;
}

// Every length field of a class holds 300 bytes of its own letter, so that its count (02 2C 01)
// can be found and made to claim far more than the input holds. On the bounded route the read
// fails as on the documented one (same exception, file, line and root cause, stopping at the
// same byte), wherever the claim could be granted, but takes no more memory than the input
// justifies; the documented route takes the claim of a byte vector (the fields of `vectors`;
// texts are bounded on every route).
template <class T>
void expectHostileCountsBounded(const T& sample, const std::string& vectors,
                                const std::string& texts = "") {
  const std::string bytes = testing_support::archiveOf(sample);
  for (const char letter : vectors + texts) {
    const std::size_t at = bytes.find("\x02\x2C\x01" + std::string(300, letter));
    ASSERT_NE(std::string::npos, at) << letter;
    for (const std::uint32_t claim : {1u << 24, 1u << 30, 0xFFFFFFFFu}) {
      SCOPED_TRACE(std::string(1, letter) + " claiming " + std::to_string(claim));
      std::string count = "\x04";
      for (int i = 0; i < 4; ++i)
        count += static_cast<char>((claim >> (8 * i)) & 0xFF);
      const std::string input = bytes.substr(0, at) + count + bytes.substr(at + 3);
      ASSERT_LT(input.size(), 1000u);
      for (const int piece : {-1, 64, 0}) {
        SCOPED_TRACE(piece);
        T documented, bounded;
        if (claim == 1u << 24) {
          const ReadOutcome taken = readFrom(input, piece, false, documented);
          if (vectors.find(letter) != std::string::npos) {
            EXPECT_GE(taken.peak, long{1} << 24) << "the documented route takes the claim";
          }
          const ReadOutcome outcome = readFrom(input, piece, true, bounded);
          EXPECT_NE("", outcome.failure);
          EXPECT_EQ(taken.failure, outcome.failure);
          EXPECT_EQ(taken.stoppedAt, outcome.stoppedAt);
        }
        const ReadOutcome outcome = readFrom(input, piece, true, bounded);
        EXPECT_LE(outcome.peak, 256 * 1024) << outcome.failure;
        EXPECT_EQ(input.size(), outcome.stoppedAt);
      }
    }
  }
}

TEST(BoundedReading, HostileCountsCostNoMoreThanTheInputAndFailAsBefore) {
  const auto text = [](char letter) { return std::string(300, letter); };
  const std::vector<unsigned char> blob(300, 'B');
  expectHostileCountsBounded(
      CharacteristicValueDataDO(kEntry, 1, kEntry, text('D'), kEntry, 2.5, 3, true), "D");
  expectHostileCountsBounded(MeasurementDataDO(kEntry, 1, kEntry, text('D'), blob, kEntry, true),
                             "DB");
  expectHostileCountsBounded(TrendDataDO(kEntry, kEntry, kEntry, true, 1, 2, text('T'), 3, blob),
                             "B", "T");
  expectHostileCountsBounded(AlarmDataDO(kEntry, 1, 2.5, 3, 4, 5, true, false, text('L'), false,
                                         0.5, 1.5, 2.5, 7, false, true, kEntry, false, 9),
                             "", "L");
  expectHostileCountsBounded(AlarmLearningValuesDO(kEntry, 1, 2, 3, blob), "B");
}

// Over any buffer, whole or cut at any byte, the bounded route reads what the documented one
// reads and fails where it fails; blobs cross the sizes at which its steps change.
TEST(BoundedReading, ReadsWhatTheDocumentedRouteReads) {
  std::mt19937 random(11);
  for (const std::size_t size : {0u, 1u, 65535u, 65536u, 65537u, 200000u}) {
    std::vector<unsigned char> blob(size);
    for (unsigned char& b : blob)
      b = static_cast<unsigned char>(random());
    const MeasurementDataDO sample(kEntry, 1, kEntry, std::string(size / 2, 'x'), blob, kEntry,
                                   true);
    const std::string bytes = testing_support::archiveOf(sample);
    for (int cut = 0; cut < 8; ++cut) {
      const std::size_t length = cut == 0 ? bytes.size() : random() % bytes.size();
      for (const int piece : {-1, 4096, 1}) {
        SCOPED_TRACE(std::to_string(size) + " bytes cut at " + std::to_string(length) +
                     ", pieces of " + std::to_string(piece));
        MeasurementDataDO documented, bounded;
        const ReadOutcome expected = readFrom(bytes.substr(0, length), piece, false, documented);
        const ReadOutcome outcome = readFrom(bytes.substr(0, length), piece, true, bounded);
        EXPECT_EQ(expected.failure, outcome.failure);
        EXPECT_EQ(expected.stoppedAt, outcome.stoppedAt);
        if (expected.failure.empty()) {
          EXPECT_TRUE(bounded.isIdentical(sample));
          EXPECT_EQ(bytes, testing_support::archiveOf(bounded));
        }
      }
    }
  }
}

}  // namespace

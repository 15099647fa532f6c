// Runs one named operation COUNT times, for scripts/ci/arm-cost.sh, which counts every instruction
// the run executes under qemu-arm. A run with COUNT N and one with COUNT 0 do the same setup and
// the same warm-up, so the difference of their counts, divided by N, is what one operation costs.
//
//   arm_cost OPERATION COUNT    COUNT a multiple of 64; any width ("00001024" keeps the
//                               arguments of both runs the same size)
//   arm_cost --list             the operations, one a line
//
// Nothing is printed on success: output would only add the same work to both runs. A round trip
// of this library that does not give back what was written fails the run.
#include <alloca.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "PeerFields.h"
#include "libs/utilities/archive/Serialize"

namespace {

// Operations that cycle through values or rewind a stream do so every kCycle steps.
constexpr long kCycle = 64;

// Keeps the compiler from dropping work whose result is never looked at.
template <class T>
void keep(const T& value) {
  asm volatile("" : : "r"(&value) : "memory");
}

// Runs step(i) for one warm-up cycle, then for i = 0 .. count - 1. The warm-up does the one-time
// work (resolving library calls, the first use of the locale and its facets, buffers growing to
// their size) in the run of count 0 too, so that it cancels out.
template <class Step>
void repeat(long count, Step&& step) {
  for (long i = 0; i < kCycle; ++i)
    step(i);
  for (long i = 0; i < count; ++i)
    step(i);
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "arm_cost: %s\n", what);
  std::exit(1);
}

// This library, one archive for every round trip: rewind, write, read.
template <class T>
void libraryRoundTrip(const T& object, long count) {
  Archive archive;
  T back;
  repeat(count, [&](long) {
    archive.seekp(0);
    archive << object;
    archive.seekg(0);
    archive >> back;
    keep(back);
  });
  if (!(back == object)) fail("the object read differs from the one written");
}

// What every round trip on one archive pays before any field: rewinding both sides.
void archiveRewind(long count) {
  Archive archive;
  archive << bench::job();
  repeat(count, [&](long) {
    archive.seekp(0);
    archive.seekg(0);
    keep(archive);
  });
}

// This library, a new archive and a new object for every round trip.
template <class T>
void libraryRoundTripNewArchive(const T& object, long count) {
  bool same = true;
  repeat(count, [&](long) {
    Archive archive;
    archive << object;
    T back;
    archive >> back;
    keep(back);
    same = same && back == object;
  });
  if (!same) fail("an object read differs from the one written");
}

// cereal's binary archive over one stream for every round trip.
template <class T>
void cerealRoundTrip(const T& value, long count) {
  std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
  cereal::BinaryOutputArchive out(stream);
  cereal::BinaryInputArchive in(stream);
  T back;
  repeat(count, [&](long) {
    stream.seekp(0);
    out(value);
    stream.seekg(0);
    in(back);
    keep(back);
  });
}

// cereal, a new stream and a new object for every round trip.
template <class T>
void cerealRoundTripNewStream(const T& value, long count) {
  repeat(count, [&](long) {
    std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
    {
      cereal::BinaryOutputArchive out(stream);
      out(value);
    }
    T back;
    {
      cereal::BinaryInputArchive in(stream);
      in(back);
    }
    keep(back);
  });
}

// msgpack with one buffer for every round trip; each unpacking makes its own zone.
template <class T>
void msgpackRoundTrip(const T& value, long count) {
  msgpack::sbuffer buffer;
  T back;
  repeat(count, [&](long) {
    buffer.clear();
    msgpack::pack(buffer, value);
    const msgpack::object_handle handle = msgpack::unpack(buffer.data(), buffer.size());
    handle.get().convert(back);
    keep(back);
  });
}

// Round trips on one archive of kCycle objects in turn, each with a details text of its own:
// more different texts than the compressor remembers, so every one is compressed and
// decompressed again.
template <class T>
void libraryRoundTripDistinct(T (*make)(std::size_t, int), std::size_t size, long count) {
  std::vector<T> objects;
  for (int variant = 1; variant <= kCycle; ++variant)
    objects.push_back(make(size, variant));
  Archive archive;
  T back;
  repeat(count, [&](long i) {
    archive.seekp(0);
    archive << objects[static_cast<std::size_t>(i % kCycle)];
    archive.seekg(0);
    archive >> back;
    keep(back);
  });
  if (!back.isIdentical(objects.back())) fail("the object read differs from the one written");
}

constexpr std::size_t kBlob = 64 << 10;

// The least a round trip of the blob can do: copy it out to a buffer and back into another.
// glibc's memcpy for ARM takes one of two loops by how source and destination are aligned to each
// other, and the two differ about 2.4 times in instructions: the wire buffer starts `offset`
// bytes into its allocation, 0 for the aligned loop, 4 for the other one.
void blobMemcpy(long count, std::size_t offset) {
  const std::vector<unsigned char> blob = bench::randomBytes(kBlob);
  std::vector<unsigned char> wireBuffer(offset + blob.size());
  unsigned char* const wire = wireBuffer.data() + offset;
  std::vector<unsigned char> back(blob.size());
  repeat(count, [&](long) {
    std::memcpy(wire, blob.data(), blob.size());
    keep(wireBuffer);
    std::memcpy(back.data(), wire, blob.size());
    keep(back);
  });
}

// One value a step through the codec's functions, as an application calls them: doubles from
// BenchSupport.h's samples of one kind (0 random bit patterns, 1 whole numbers), long longs of
// every width, 16-byte strings without zero bytes. The archive is rewound after every cycle of values.
std::vector<long long> longLongs() {
  std::vector<long long> values(kCycle);
  unsigned long long x = 88172645463325252ull;  // xorshift64
  for (long long& v : values) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    v = static_cast<long long>(x >> (x % 64));  // magnitudes of 0 to 64 bits, both signs
  }
  return values;
}
std::vector<std::string> strings() {
  std::vector<std::string> values(kCycle);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::vector<unsigned char> bytes = bench::randomBytes(16, static_cast<unsigned>(i));
    values[i].assign(bytes.begin(), bytes.end());
    for (char& c : values[i])
      c = c == 0 ? 'z' : c;  // a zero byte would end the text read back
  }
  return values;
}

template <class T>
void codecWrite(const std::vector<T>& values, long count) {
  Archive archive;
  repeat(count, [&](long i) {
    KavSerialize::serialize(values[static_cast<std::size_t>(i % kCycle)], archive);
    if (i % kCycle == kCycle - 1) archive.seekp(0);
  });
}

template <class T>
void codecRead(const std::vector<T>& values, long count) {
  Archive archive;
  for (const T& v : values)
    KavSerialize::serialize(v, archive);
  T value{};
  repeat(count, [&](long i) {
    KavSerialize::deserialize(value, archive);
    keep(value);
    if (i % kCycle == kCycle - 1) archive.seekg(0);
  });
  if (!(value == values.back())) fail("the last value read differs from the one written");
}

// The same through the stream's own formatted insertion.
void doubleWriteStreamRoute(int kind, long count) {
  const std::vector<double> values = bench::sampleDoubles(kind, kCycle);
  Archive archive;
  std::ostream& os = archive;
  repeat(count, [&](long i) {
    os.precision(35);
    os << values[static_cast<std::size_t>(i % kCycle)] << ' ';
    if (i % kCycle == kCycle - 1) os.seekp(0);
  });
}

// The same through the stream's own formatted extraction and one get() for the blank.
void doubleReadStreamRoute(int kind, long count) {
  const std::vector<double> values = bench::sampleDoubles(kind, kCycle);
  Archive archive;
  for (double v : values)
    KavSerialize::serialize(v, archive);
  std::istream& is = archive;
  double value = 0;
  repeat(count, [&](long i) {
    is >> value;
    is.get();
    keep(value);
    if (i % kCycle == kCycle - 1) is.seekg(0);
  });
  if (value != values.back()) fail("the last double read differs from the one written");
}

struct Operation {
  const char* name;
  void (*run)(long count);
};

const Operation kOperations[] = {
    {"jobdata_roundtrip", [](long n) { libraryRoundTrip(bench::job(), n); }},
    {"jobdata_roundtrip_cereal", [](long n) { cerealRoundTrip(bench::jobFields(), n); }},
    {"jobdata_roundtrip_msgpack", [](long n) { msgpackRoundTrip(bench::jobFields(), n); }},
    {"archive_rewind", archiveRewind},
    {"jobdata_roundtrip_new_archive", [](long n) { libraryRoundTripNewArchive(bench::job(), n); }},
    {"jobdata_roundtrip_new_archive_cereal",
     [](long n) { cerealRoundTripNewStream(bench::jobFields(), n); }},
    {"alarmdata_roundtrip", [](long n) { libraryRoundTrip(bench::alarm(), n); }},
    {"alarmdata_roundtrip_cereal", [](long n) { cerealRoundTrip(bench::alarmFields(), n); }},
    {"alarmdata_roundtrip_msgpack", [](long n) { msgpackRoundTrip(bench::alarmFields(), n); }},
    {"measurement_roundtrip_64k",
     [](long n) { libraryRoundTrip(bench::measurement(kBlob, std::string()), n); }},
    {"measurement_roundtrip_64k_cereal",
     [](long n) { cerealRoundTrip(bench::measurementFields(kBlob, false), n); }},
    {"measurement_roundtrip_64k_msgpack",
     [](long n) { msgpackRoundTrip(bench::measurementFields(kBlob, false), n); }},
    {"measurement_roundtrip_no_details",
     [](long n) { libraryRoundTrip(bench::measurementWithDetails(0, 0), n); }},
    {"measurement_roundtrip_details_200",
     [](long n) { libraryRoundTrip(bench::measurementWithDetails(200, 0), n); }},
    {"measurement_roundtrip_details_8000",
     [](long n) { libraryRoundTrip(bench::measurementWithDetails(8000, 0), n); }},
    {"measurement_roundtrip_details_200_distinct",
     [](long n) { libraryRoundTripDistinct(bench::measurementWithDetails, 200, n); }},
    {"measurement_roundtrip_details_8000_distinct",
     [](long n) { libraryRoundTripDistinct(bench::measurementWithDetails, 8000, n); }},
    {"characteristic_roundtrip_no_details",
     [](long n) { libraryRoundTrip(bench::characteristicWithDetails(0, 0), n); }},
    {"characteristic_roundtrip_details_200",
     [](long n) { libraryRoundTrip(bench::characteristicWithDetails(200, 0), n); }},
    {"characteristic_roundtrip_details_8000",
     [](long n) { libraryRoundTrip(bench::characteristicWithDetails(8000, 0), n); }},
    {"characteristic_roundtrip_details_200_distinct",
     [](long n) { libraryRoundTripDistinct(bench::characteristicWithDetails, 200, n); }},
    {"characteristic_roundtrip_details_8000_distinct",
     [](long n) { libraryRoundTripDistinct(bench::characteristicWithDetails, 8000, n); }},
    {"blob_64k_memcpy", [](long n) { blobMemcpy(n, 0); }},
    {"blob_64k_memcpy_unaligned", [](long n) { blobMemcpy(n, 4); }},
    {"double_write", [](long n) { codecWrite(bench::sampleDoubles(0, kCycle), n); }},
    {"double_write_stream_route", [](long n) { doubleWriteStreamRoute(0, n); }},
    {"double_read", [](long n) { codecRead(bench::sampleDoubles(0, kCycle), n); }},
    {"double_read_stream_route", [](long n) { doubleReadStreamRoute(0, n); }},
    {"double_write_whole", [](long n) { codecWrite(bench::sampleDoubles(1, kCycle), n); }},
    {"double_write_whole_stream_route", [](long n) { doubleWriteStreamRoute(1, n); }},
    {"double_read_whole", [](long n) { codecRead(bench::sampleDoubles(1, kCycle), n); }},
    {"double_read_whole_stream_route", [](long n) { doubleReadStreamRoute(1, n); }},
    {"longlong_write", [](long n) { codecWrite(longLongs(), n); }},
    {"longlong_read", [](long n) { codecRead(longLongs(), n); }},
    {"string_write", [](long n) { codecWrite(strings(), n); }},
    {"string_read", [](long n) { codecRead(strings(), n); }},
};

int usage() {
  std::fputs("usage: arm_cost OPERATION COUNT (COUNT a multiple of 64) | arm_cost --list\n",
             stderr);
  return 2;
}

[[gnu::noinline]] int run(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const Operation& operation : kOperations)
      std::puts(operation.name);
    return 0;
  }
  if (argc != 3) return usage();
  char* end = nullptr;
  const long count = std::strtol(argv[2], &end, 10);
  if (*argv[2] == '\0' || *end != '\0' || count < 0 || count % kCycle != 0) return usage();
  for (const Operation& operation : kOperations) {
    if (std::strcmp(operation.name, argv[1]) == 0) {
      operation.run(count);
      return 0;
    }
  }
  std::fprintf(stderr, "arm_cost: no operation %s (see arm_cost --list)\n", argv[1]);
  return 2;
}

}  // namespace

// The stack pointer at entry depends on the size of the arguments, the environment and the
// program's path, and so would the addresses of everything on the stack below. Some copies and
// string functions take other paths for other alignments (page crossings included), so the
// counts would move with the folder the program runs from. Dropping the stack by its offset
// within a page makes every address on it the same modulo 4096 whatever came before.
int main(int argc, char** argv) {
  const auto frame = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  void* padding = alloca(frame % 4096 + 64);
  keep(padding);
  return run(argc, argv);
}

// The platform services: Uuid, UuidEntryDO, Archive, the exceptions, Options and the compressor.
#include <gtest/gtest.h>
#include <zlib.h>

#include <malloc.h>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "libs/utilities/archive/DataObjectException.h"
#include "libs/utilities/archive/Serialize"
#include "platform/CompressionGZip.h"
#include "platform/Options.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/TestStreams.h"

namespace {

using namespace testing_support;

TEST(Uuid, TextFormsAndOrder) {
  EXPECT_EQ("00000000-0000-0000-0000-000000000000", UuidEntryDO().ToString());
  const Uuid parsed = Uuid::fromString("6F1C2A3E-8b7d-4E21-9a0b-5C4D3E2F1A09");
  EXPECT_EQ("6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a09", parsed.toString());
  EXPECT_EQ(0x6F, parsed.bytes()[0]);
  for (const std::string& bad : std::vector<std::string>{
           "", "6f1c2a3e8b7d4e219a0b5c4d3e2f1a09xxxx", "6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a0g",
           "6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a091",
           std::string("6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a0\0", 36)}) {
    EXPECT_THROW(Uuid::fromString(bad), std::invalid_argument) << bad;
  }
  Uuid previous = Uuid::generate();
  for (int i = 0; i < 200; ++i) {
    const Uuid next = Uuid::generate();
    const std::string text = next.toString();
    EXPECT_EQ('4', text[14]) << "version 4";
    EXPECT_EQ(next, Uuid::fromString(text));
    EXPECT_NE(previous, next);
    EXPECT_EQ(previous.toString() < text, previous < next) << "ordered like the texts";
    EXPECT_EQ(next<previous, previous> next);
    previous = next;
  }
}

TEST(Archive, InMemoryFromBytesAndOverACallersBuffer) {
  Archive seeded(bytes("01 05"));
  KavSerialize::serialize(7LL, seeded);
  long long a = 0, b = 0;
  KavSerialize::deserialize(a, seeded);
  KavSerialize::deserialize(b, seeded);
  EXPECT_EQ(5 * 10 + 7, a * 10 + b) << "written bytes go after the seed";
  EXPECT_EQ("01 05 01 07", hex(seeded.str())) << "str() keeps bytes already read";

  std::stringbuf external(std::ios_base::in | std::ios_base::out | std::ios_base::binary);
  Archive over(&external);
  KavSerialize::serialize(std::string("xy"), over);
  EXPECT_EQ("", over.str());
  EXPECT_EQ("01 02 78 79", hex(external.str()));
}

TEST(Exceptions, FactoryFillsEveryFieldAndRootCausesAreDeepCopies) {
  std::unique_ptr<TesmiraException> copy;
  {
    const auto cause =
        ExceptionFactory("inner", 7)
            .createException<KavSerialize::SerializationException>("inner %s", "cause");
    const auto outer =
        ExceptionFactory("outer", 9)
            .createException<DataObjectException>(cause, "Database error: %s. Reason: %s",
                                                  "deactivate all", cause.Reason());
    copy.reset(outer.clone());
  }
  ASSERT_NE(nullptr, dynamic_cast<DataObjectException*>(copy.get()));
  EXPECT_EQ(
      "DataObjectException: Database error: deactivate all. Reason: inner cause [outer:9]\n"
      "SerializationException: inner cause [inner:7]",
      std::string(copy->what()));
  ASSERT_NE(nullptr,
            dynamic_cast<const KavSerialize::SerializationException*>(copy->getRootCause()));

  DataObjectException assigned;
  assigned = *static_cast<DataObjectException*>(copy.get());
  copy.reset();
  ASSERT_NE(nullptr, assigned.getRootCause());
  EXPECT_STREQ("inner cause", assigned.getRootCause()->Reason());

  const std::unique_ptr<TesmiraException> base(TesmiraException("Base").clone());
  EXPECT_STREQ("Base", base->getName());
  EXPECT_EQ(0, base->getLine());
  for (const char* reason : {"", "x"})
    EXPECT_STREQ(reason,
                 ExceptionFactory("f", 1).createException<DataObjectException>(reason).Reason());
  assigned.setLine(12);
  EXPECT_NE(std::string::npos, std::string(assigned.what()).find("[outer:12]"));
  const std::string longArgument(5000, 'q');
  const auto big =
      ExceptionFactory("f", 1).createException<DataObjectException>("<%s>", longArgument.c_str());
  EXPECT_EQ("<" + longArgument + ">", big.Reason());
}

TEST(Options, ParsesEntriesAndAnswersQueries) {
  Options options;
  options.parse(
      " a = 1 ;b=x=y\nflag\r\n=skipped; ;c = on ; a = 2\n "
      "d=-17;e=2.5e3;f=1x;g=+4;h=+-4;\t\v\fi\f\v\t");
  EXPECT_EQ((std::vector<std::string>{"a", "b", "flag", "c", "d", "e", "f", "g", "h", "i"}),
            options.keys());
  EXPECT_EQ("2", options.getString("a")) << "a later entry replaces an earlier one";
  EXPECT_EQ("x=y", options.getString("b"));
  EXPECT_TRUE(options.has("flag") && !options.has("missing"));
  EXPECT_EQ("", options.getString("flag", "fallback"));
  EXPECT_EQ("fallback", options.getString("missing", "fallback"));
  EXPECT_EQ(-17 + 4, options.getInt("d") + options.getInt("g") + options.getInt("missing"));
  EXPECT_EQ(99, options.getInt("f", 99));
  EXPECT_FALSE(options.getBool("missing"));
  EXPECT_EQ(99, options.getInt("h", 99));
  EXPECT_DOUBLE_EQ(2500.0, options.getDouble("e"));
  EXPECT_DOUBLE_EQ(-1.5, options.getDouble("f", -1.5));
  for (const char* yes : {"1", "TRUE", "Yes", "on"}) {
    options.parse(std::string("k=") + yes);
    EXPECT_TRUE(options.getBool("k", false)) << yes;
  }
  for (const char* no : {"0", "false", "NO", "Off"}) {
    options.parse(std::string("k=") + no);
    EXPECT_FALSE(options.getBool("k", true)) << no;
  }
  options.parse("k=maybe");
  EXPECT_TRUE(options.getBool("k", true));
  EXPECT_EQ(1u, options.size()) << "parse replaces what it held";
}

std::vector<unsigned char> compress(const std::string& text, int level = -1) {
  CompressionGZip compressor(level);
  int length = 0;
  std::unique_ptr<unsigned char[]> buffer(
      compressor.Compress(static_cast<int>(text.size()), text.data(), length));
  return std::vector<unsigned char>(buffer.get(), buffer.get() + length);
}

std::string uncompress(const std::vector<unsigned char>& data, int length) {
  CompressionGZip compressor(-1);
  std::string out(static_cast<std::size_t>(length) + 1, '#');
  compressor.Uncompress(static_cast<int>(data.size()), data.data(), length, &out[0]);
  EXPECT_EQ('#', out.back()) << "nothing written beyond the requested length";
  out.pop_back();
  return out;
}

// The kept zlib stream must give what a fresh zlib stream with the defaults gives (a gzip
// file), call after call, and read it back.
TEST(CompressionGZip, WritesWhatAFreshZlibStreamWrites) {
  std::string large;
  for (int i = 0; i < 500; ++i)
    large += "sensor=" + std::to_string(i % 37) + ";";
  const auto freshZlib = [](const std::string& text, int level) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> out(deflateBound(&z, text.size()));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(Z_STREAM_END, deflate(&z, Z_FINISH));
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
  };
  for (const std::string& text : {large.substr(0, 1), large.substr(0, 200), large.substr(0, 383),
                                  large.substr(0, 512), large.substr(0, 513), large}) {
    for (int level : {-1, 0, 1, 9, -1}) {
      EXPECT_EQ(freshZlib(text, level), compress(text, level)) << text.size() << " at " << level;
      EXPECT_EQ(text, uncompress(compress(text, level), int(text.size())));
    }
  }
  for (int level : {-2, 10})
    expectThrows(
        [&] { CompressionGZip{level}; },
        {"CompressionException", "compression level must be -1 or 0 to 9", "CompressionGZip", 30});
  for (int length : {-1, 1})  // refused before zlib sees them
    expectThrows([&] { CompressionGZip(-1).Uncompress(length, "", 1, nullptr); },
                 {"CompressionException", "invalid input", "CompressionGZip", 40});
}

// A container zlib does not know (the window bits a derived class passes) fails where its
// stream is set up: a fresh deflate stream, and the thread's inflate stream made or reset.
TEST(CompressionZLibBase, AContainerZlibRefusesFailsWhereTheStreamIsSetUp) {
  struct UnknownContainer : CompressionZLibBase {
    UnknownContainer() : CompressionZLibBase(-1, 99) {}
  };
  const auto failure = [](const char* reason, int line) {
    return ExpectedFailure{"CompressionException", reason, "CompressionGZip", line};
  };
  int length = 0;
  expectThrows([&] { UnknownContainer().Compress(1, "x", length); },
               failure("deflateInit2 failed", 50));
  char out[1];
  CompressionZLibBase::ReleaseThreadStreams();
  expectThrows([&] { UnknownContainer().Uncompress(1, "x", 1, out); },
               failure("inflateInit2 failed", 60));
  EXPECT_EQ("abc", uncompress(compress("abc"), 3));  // the thread keeps an inflate stream now
  expectThrows([&] { UnknownContainer().Uncompress(1, "x", 1, out); },
               failure("inflateReset2 failed", 60));
  EXPECT_EQ("abc", uncompress(compress("abc"), 3)) << "the kept stream still works";
}

// The sanitizers' allocators do not show in mallinfo2().
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DATAOBJECTS_OWN_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define DATAOBJECTS_OWN_MALLOC 0
#endif
#endif
#ifndef DATAOBJECTS_OWN_MALLOC
#define DATAOBJECTS_OWN_MALLOC 1
#endif

// The streams a thread keeps after compressing and decompressing are given back on request,
// and the next call works as before.
TEST(CompressionGZip, ThreadGivesItsStreamsBackOnRequest) {
  if (!DATAOBJECTS_OWN_MALLOC) GTEST_SKIP() << "allocations are not counted by mallinfo2()";
  std::thread([] {
    const std::string text(5000, 'q');
    EXPECT_EQ(text, uncompress(compress(text), 5000));
    const std::size_t holding = mallinfo2().uordblks;
    CompressionZLibBase::ReleaseThreadStreams();
    EXPECT_GT(holding - mallinfo2().uordblks, std::size_t{250} << 10) << "deflate and inflate";
    CompressionZLibBase::ReleaseThreadStreams();
    EXPECT_EQ(text, uncompress(compress(text), 5000));
  }).join();
}

TEST(CompressionGZip, RefusesAnythingButCompleteStreamsOfTheExactLength) {
  const std::string text = "details text that is long enough to matter, details text";
  const std::vector<unsigned char> gz = compress(text);
  const int n = static_cast<int>(text.size());
  std::vector<unsigned char> twoMembers = compress("abc"), second = compress("def");
  twoMembers.insert(twoMembers.end(), second.begin(), second.end());
  EXPECT_EQ("abcdef", uncompress(twoMembers, 6)) << "a gzip file may hold several members";

  std::vector<unsigned char> badBlock = gz, badCheck = gz, trailing = gz, junk = gz;
  badBlock[10] |= 0x06;  // the first block's type: 3 is none
  badCheck[gz.size() - 6] ^= 0x01;
  trailing.push_back(0);
  junk.insert(junk.end(), 2, 0x42);  // a second member that is not gzip
  const auto failure = [](const char* reason, int line) {
    return ExpectedFailure{"CompressionException", reason, "CompressionGZip", line};
  };
  const auto truncated = failure("unexpected end of compressed data", 100);
  const std::tuple<std::vector<unsigned char>, int, ExpectedFailure> cases[] = {
      {{gz.begin(), gz.end() - 5}, n, truncated},
      {{gz.begin(), gz.begin() + 10}, n, truncated},
      {{}, 0, truncated},
      {std::vector<unsigned char>(100, 0x42), n, failure("incorrect header check", 70)},
      {badBlock, n, failure("invalid block type", 70)},
      {badCheck, n, failure("incorrect data check", 70)},
      {gz, n + 1, failure("decompressed data shorter than expected", 80)},
      {gz, n - 1, failure("decompressed data longer than expected", 90)},
      {trailing, n, truncated},
      {junk, n, failure("incorrect header check", 70)}};
  for (const auto& [data, length, expected] : cases)
    expectThrows([&] { uncompress(data, length); }, expected);
}

}  // namespace

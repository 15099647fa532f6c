// The platform services: Uuid, UuidEntryDO, Archive, the exceptions, Options and the compressor.
#include <gtest/gtest.h>
#include <zlib.h>

#include <malloc.h>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
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
#include "platform/detail/CompressionMemo.h"
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

// The kept zlib stream and the memo of recent results must give what a fresh zlib stream with
// the defaults gives (a gzip file), call after call, and read it back: texts drawn again and again
// from a pool larger than the memo, so that results are found, missed and pushed out, and one
// text too large for the memo.
TEST(CompressionGZip, WritesWhatAFreshZlibStreamWrites) {
  std::string large;
  for (int i = 0; i < 9000; ++i)
    large += "sensor=" + std::to_string(i % 37 * i) + ";";
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
  std::mt19937 random(5);
  std::vector<std::string> pool{large, ""};
  while (pool.size() < 20)
    pool.push_back(large.substr(random() % 1000, random() % 3000));
  for (int call = 0; call < 400; ++call) {
    const std::string& text = pool[random() % pool.size()];
    const int level = std::vector<int>{-1, -1, 0, 1, 9}[random() % 5];
    const std::vector<unsigned char> expected = freshZlib(text, level);
    EXPECT_EQ(expected, compress(text, level)) << text.size() << " at " << level;
    EXPECT_EQ(text, uncompress(expected, int(text.size())));
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
  std::vector<unsigned char> abc, xyz;  // made on another thread: this one remembers neither
  std::thread([&] { abc = compress("abc"), xyz = compress("xyz"); }).join();
  CompressionZLibBase::ReleaseThreadStreams();
  expectThrows([&] { UnknownContainer().Uncompress(1, "x", 1, out); },
               failure("inflateInit2 failed", 60));
  EXPECT_EQ("abc", uncompress(abc, 3));  // the thread keeps an inflate stream now
  expectThrows([&] { UnknownContainer().Uncompress(1, "x", 1, out); },
               failure("inflateReset2 failed", 60));
  EXPECT_EQ("xyz", uncompress(xyz, 3)) << "the kept stream still works";
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

// The streams and the memo a thread keeps after compressing and decompressing are given back on
// request, and the next call works as before; a thread that ends gives them back itself.
TEST(CompressionGZip, ThreadGivesItsStreamsBackOnRequestAndWhenItEnds) {
  if (!DATAOBJECTS_OWN_MALLOC) GTEST_SKIP() << "allocations are not counted by mallinfo2()";
  const auto inUse = [] { return static_cast<long>(mallinfo2().uordblks + mallinfo2().hblkhd); };
  std::thread([] {}).join();  // the first thread leaves glibc's own bookkeeping behind
  const long before = inUse();
  std::thread([&] {
    const std::string text(5000, 'q');
    EXPECT_EQ(text, uncompress(compress(text), 5000));
    const long holding = inUse();
    CompressionZLibBase::ReleaseThreadStreams();
    EXPECT_GT(holding - inUse(), (250 + 64) << 10) << "deflate, inflate and the memo";
    CompressionZLibBase::ReleaseThreadStreams();
    EXPECT_EQ(text, uncompress(compress(text), 5000));
  }).join();
  EXPECT_LT(inUse() - before, 1024);
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
  for (int call = 0; call < 2; ++call)  // a failure is never remembered
    for (const auto& [data, length, expected] : cases)
      expectThrows([&] { uncompress(data, length); }, expected);
}

// ---- the memo of recent results, its source compiled into this test -------------------------

using dataobjects_data::detail::CompressionMemo;
using dataobjects_data::detail::MemoBytes;

CompressionMemo::Input in(const std::string& bytes) {
  return {bytes.data(), bytes.size()};
}
MemoBytes of(const std::string& bytes) {
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}
std::string found(MemoBytes bytes) {
  return bytes.data ? std::string(reinterpret_cast<const char*>(bytes.data), bytes.size) : "none";
}

// A pair is found only with the very bytes, length, level and container it was remembered with;
// one that decompressing made serves compressing only once a compression gave the same form.
TEST(CompressionMemo, FindsOnlyWhatItWasGiven) {
  CompressionMemo memo;
  const std::string text = "rate=25600;channels=1,2", form = "form of the rate";
  memo.rememberCompression(in(text), -1, 31, of(form));
  memo.rememberDecompression(in("form b"), 31, of("text b"));
  EXPECT_EQ(form, found(memo.compressed(in(text), -1, 31)));
  EXPECT_EQ(text, found(memo.text(in(form), text.size(), 31)));
  EXPECT_EQ("text b", found(memo.text(in("form b"), 6, 31)));
  const std::string changed = "rate=25600;channels=1,3";
  for (const MemoBytes miss :
       {memo.compressed(in(changed), -1, 31), memo.compressed(in(text + ";"), -1, 31),
        memo.compressed(in(text), 9, 31), memo.compressed(in(text), -1, 15),
        memo.compressed(in("text b"), -1, 31), memo.text(in(form), text.size() + 1, 31),
        memo.text(in(form), text.size(), 15), memo.text(in(form.substr(1)), text.size(), 31)})
    EXPECT_EQ("none", found(miss));
  memo.rememberCompression(in("text b"), 9, 31, of("form b"));
  EXPECT_EQ("form b", found(memo.compressed(in("text b"), 9, 31)));
  for (int i = 0; i < 6; ++i)  // fills the memo
    memo.rememberDecompression(in(std::to_string(i)), 31, of("-"));
  memo.rememberDecompression(in("another form"), 31, of(text));  // in the oldest entry, the rate's
  EXPECT_EQ("none", found(memo.compressed(in(text), -1, 31)));
  EXPECT_EQ(text, found(memo.text(in("another form"), text.size(), 31)));

  std::map<std::uint32_t, std::string> hashes;  // until two inputs of ten digits share a hash
  for (std::mt19937 random(1);;) {
    const std::string input = std::to_string(4294967296u + random());
    const auto [other, added] = hashes.emplace(in(input).hash(), input);
    if (added || other->second == input) continue;
    memo.rememberCompression(in(other->second), -1, 31, of(form));
    EXPECT_EQ("none", found(memo.compressed(in(input), -1, 31))) << input << other->second;
    break;
  }
}

// Eight pairs at most, in a block of the budget: a ninth pushes out the oldest, a pair larger
// than the budget is not taken, and one that does not fit before the block's end goes to its
// start and pushes out every pair it overlaps. Pairs of a text of n letters and its form, the
// same letters and "!" (2n + 1 bytes); each text found with its form shows as its letter.
TEST(CompressionMemo, ForgetsTheOldestAndWhatItHasNoRoomFor) {
  const struct {
    std::size_t budget;
    std::vector<std::size_t> sizes;
    const char* held;
  } cases[] = {{1000, {10, 10, 10, 10, 10, 10, 10, 10, 10}, "-bcdefghi"},
               {1000, {10, 500}, "a-"},
               {999, {499}, "a"},
               {999, {100, 394, 4}, "abc"},       // 201, 789 and 9 bytes: the block is full
               {999, {100, 394, 4, 10}, "-bcd"},  // the last overwrites the first's form
               {999, {100, 394, 100}, "-bc"}};    // the last reaches up to the second
  for (const auto& c : cases) {
    CompressionMemo memo(c.budget);
    std::vector<std::string> texts;
    for (std::size_t size : c.sizes) {
      texts.emplace_back(size, static_cast<char>('a' + texts.size()));
      memo.rememberCompression(in(texts.back()), -1, 31, of(texts.back() + "!"));
    }
    std::string held;
    for (const std::string& text : texts) {
      const std::string form = found(memo.compressed(in(text), -1, 31));
      held += form == "none" ? '-' : form == text + "!" ? text[0] : '?';
    }
    EXPECT_EQ(c.held, held) << c.budget << " " << c.sizes.size();
    memo.clear();
    EXPECT_EQ("none", found(memo.compressed(in(texts.back()), -1, 31)));
  }
}

}  // namespace

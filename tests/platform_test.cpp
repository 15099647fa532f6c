// The platform services: Uuid, UuidEntryDO, Archive, the exceptions, Options and the compressor.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "libs/utilities/archive/DataObjectException.h"
#include "libs/utilities/archive/ExceptionFactory.h"
#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"
#include "platform/CompressionGZip.h"
#include "platform/Options.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/TestStreams.h"

namespace {

using testing_support::bytes;
using testing_support::hex;

TEST(Uuid, TextFormsAndOrder) {
  EXPECT_EQ("00000000-0000-0000-0000-000000000000", Uuid().toString());
  EXPECT_EQ("00000000-0000-0000-0000-000000000000", UuidEntryDO().ToString());
  const Uuid parsed = Uuid::fromString("6F1C2A3E-8b7d-4E21-9a0b-5C4D3E2F1A09");
  EXPECT_EQ("6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a09", parsed.toString());
  EXPECT_EQ(0x6F, parsed.bytes()[0]);
  EXPECT_EQ(0x09, parsed.bytes()[15]);

  for (const char* bad :
       {"", "6f1c2a3e8b7d4e219a0b5c4d3e2f1a09", "6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a0",
        "6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a0g", "{6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a}",
        "6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a091"}) {
    EXPECT_THROW(Uuid::fromString(bad), std::invalid_argument) << bad;
  }
  EXPECT_THROW(Uuid::fromString(std::string("6f1c2a3e-8b7d-4e21-9a0b-5c4d3e2f1a0\0", 36)),
               std::invalid_argument);

  std::set<std::string> texts;
  std::vector<Uuid> uuids;
  for (int i = 0; i < 200; ++i) {
    uuids.push_back(Uuid::generate());
    const std::string text = uuids.back().toString();
    EXPECT_EQ('4', text[14]) << "version 4";
    EXPECT_NE(std::string::npos, std::string("89ab").find(text[19])) << "RFC 4122 variant";
    EXPECT_EQ(uuids.back(), Uuid::fromString(text));
    texts.insert(text);
  }
  EXPECT_EQ(200u, texts.size());
  for (std::size_t i = 1; i < uuids.size(); ++i) {
    const Uuid& a = uuids[i - 1];
    const Uuid& b = uuids[i];
    EXPECT_EQ(a.toString() < b.toString(), a < b);
    EXPECT_EQ(b<a, a> b);
    EXPECT_FALSE(a < a);
    EXPECT_FALSE(a != a);
  }
}

TEST(UuidEntryDO, ArchiveFormIsTheSixteenBytesInTextOrder) {
  const UuidEntryDO entry(Uuid::fromString("00112233-4455-6677-8899-aabbccddeeff"));
  Archive archive;
  archive << entry;
  EXPECT_EQ("00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF", hex(archive.str()));
  UuidEntryDO back;
  archive >> back;
  EXPECT_EQ(entry.getUuid(), back.getUuid());

  Archive shortInput(archive.str().substr(0, 15));
  UuidEntryDO untouched(Uuid::fromString("ffffffff-ffff-ffff-ffff-ffffffffffff"));
  testing_support::expectThrows(
      [&] { shortInput >> untouched; },
      {"SerializationException", "Deserializing of object UuidEntryDO failed", "UuidEntryDO", 2});
  EXPECT_EQ("ffffffff-ffff-ffff-ffff-ffffffffffff", untouched.ToString());

  testing_support::LimitedSink sink(10);
  Archive failing(&sink);
  testing_support::expectThrows(
      [&] { failing << entry; },
      {"SerializationException", "Serializing of object UuidEntryDO failed", "UuidEntryDO", 1});
}

TEST(Archive, InMemoryFromBytesAndOverACallersBuffer) {
  Archive seeded(bytes("01 05"));
  KavSerialize::serialize(7LL, seeded);
  EXPECT_EQ("01 05 01 07", hex(seeded.str())) << "written bytes go after the seed";
  long long a = 0, b = 0;
  KavSerialize::deserialize(a, seeded);
  KavSerialize::deserialize(b, seeded);
  EXPECT_EQ(5, a);
  EXPECT_EQ(7, b);
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
    const KavSerialize::SerializationException cause =
        ExceptionFactory("inner", 7)
            .createException<KavSerialize::SerializationException>("inner %s", "cause");
    const DataObjectException outer =
        ExceptionFactory("outer", 9)
            .createException<DataObjectException>(cause, "Database error: %s. Reason: %s",
                                                  "deactivate all", cause.Reason());
    copy.reset(outer.clone());
  }
  ASSERT_NE(nullptr, dynamic_cast<DataObjectException*>(copy.get()));
  EXPECT_STREQ("DataObjectException", copy->getName());
  EXPECT_STREQ("Database error: deactivate all. Reason: inner cause", copy->Reason());
  EXPECT_STREQ("outer", copy->getFile());
  EXPECT_EQ(9, copy->getLine());
  ASSERT_NE(nullptr, copy->getRootCause());
  EXPECT_NE(nullptr,
            dynamic_cast<const KavSerialize::SerializationException*>(copy->getRootCause()));
  EXPECT_STREQ("inner cause", copy->getRootCause()->Reason());
  EXPECT_EQ(
      "DataObjectException: Database error: deactivate all. Reason: inner cause [outer:9]\n"
      "SerializationException: inner cause [inner:7]",
      std::string(copy->what()));

  DataObjectException assigned;
  assigned = *static_cast<DataObjectException*>(copy.get());
  copy.reset();
  ASSERT_NE(nullptr, assigned.getRootCause());
  EXPECT_STREQ("inner cause", assigned.getRootCause()->Reason());

  const std::string longArgument(5000, 'q');
  const auto big = ExceptionFactory("f", 1).createException<DataObjectException>(
      "Accessing element %s with null value.", longArgument.c_str());
  EXPECT_EQ("Accessing element " + longArgument + " with null value.", big.Reason());
  EXPECT_EQ(nullptr, big.getRootCause());
}

TEST(Options, ParsesEntriesAndAnswersQueries) {
  Options options;
  options.parse(" a = 1 ;b=x=y\nflag\r\n=skipped; ;c = on ; a = 2\n d=-17;e=2.5e3;f=1x;g=+4");
  EXPECT_EQ((std::vector<std::string>{"a", "b", "flag", "c", "d", "e", "f", "g"}), options.keys());
  EXPECT_EQ(8u, options.size());
  EXPECT_EQ("2", options.getString("a")) << "a later entry replaces an earlier one";
  EXPECT_EQ("x=y", options.getString("b"));
  EXPECT_TRUE(options.has("flag"));
  EXPECT_EQ("", options.getString("flag", "fallback"));
  EXPECT_EQ("fallback", options.getString("missing", "fallback"));
  EXPECT_FALSE(options.has(""));
  EXPECT_EQ(-17, options.getInt("d"));
  EXPECT_EQ(4, options.getInt("g"));
  EXPECT_EQ(99, options.getInt("f", 99));
  EXPECT_EQ(99, options.getInt("b", 99));
  EXPECT_DOUBLE_EQ(2500.0, options.getDouble("e"));
  EXPECT_DOUBLE_EQ(-1.5, options.getDouble("f", -1.5));

  struct BoolCase {
    const char* value;
    int expected;  // -1: the fallback
  } bools[] = {{"1", 1},     {"TRUE", 1}, {"Yes", 1}, {"on", 1},     {"0", 0},
               {"false", 0}, {"NO", 0},   {"Off", 0}, {"maybe", -1}, {"", -1}};
  for (const BoolCase& c : bools) {
    Options one;
    one.parse(std::string("k=") + c.value);
    EXPECT_EQ(c.expected == 1, one.getBool("k", false)) << c.value;
    EXPECT_EQ(c.expected != 0, one.getBool("k", true)) << c.value;
  }

  options.parse("z=1");
  EXPECT_EQ(std::vector<std::string>{"z"}, options.keys()) << "parse replaces what it held";
  options.parse(std::string("x=\0y;w", 6));
  EXPECT_EQ(2u, options.size());
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
  std::string out(static_cast<std::size_t>(length), '\0');
  compressor.Uncompress(static_cast<int>(data.size()), data.data(), length, &out[0]);
  return out;
}

TEST(CompressionGZip, WritesGzipThatTheGzipToolReads) {
  std::string text;
  for (int i = 0; i < 500; ++i)
    text += "sensor=" + std::to_string(i % 37) + ";";
  const std::vector<unsigned char> gz = compress(text);
  ASSERT_GE(gz.size(), 18u);
  EXPECT_EQ(0x1F, gz[0]);
  EXPECT_EQ(0x8B, gz[1]);
  EXPECT_LT(gz.size(), text.size());
  EXPECT_EQ(text, uncompress(gz, static_cast<int>(text.size())));

  char path[] = "/tmp/dataobjects-gzip-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(gz.data()), static_cast<std::streamsize>(gz.size()));
  }
  const std::string command = std::string("gzip -dc < ") + path;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(nullptr, pipe);
  std::string unpacked;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
    unpacked.append(chunk, n);
  EXPECT_EQ(0, pclose(pipe));
  std::remove(path);
  EXPECT_EQ(text, unpacked);

  for (int level : {0, 1, 9})
    EXPECT_EQ(text, uncompress(compress(text, level), static_cast<int>(text.size())));
  EXPECT_THROW(CompressionGZip(10), CompressionException);
}

TEST(CompressionGZip, RefusesAnythingButCompleteStreamsOfTheExactLength) {
  const std::string text = "details text that is long enough to matter, details text";
  const std::vector<unsigned char> gz = compress(text);
  const int n = static_cast<int>(text.size());
  std::vector<unsigned char> twoMembers = compress("abc");
  const std::vector<unsigned char> second = compress("def");
  twoMembers.insert(twoMembers.end(), second.begin(), second.end());
  EXPECT_EQ("abcdef", uncompress(twoMembers, 6)) << "a gzip file may hold several members";

  std::vector<unsigned char> corrupt = gz;
  corrupt[gz.size() / 2] ^= 0x5A;
  std::vector<unsigned char> badTrailer = gz;
  badTrailer[gz.size() - 6] ^= 0x01;
  std::vector<unsigned char> trailingGarbage = gz;
  trailingGarbage.push_back(0);
  struct Case {
    const char* label;
    std::vector<unsigned char> data;
    int length;
  } cases[] = {
      {"truncated", std::vector<unsigned char>(gz.begin(), gz.end() - 5), n},
      {"header only", std::vector<unsigned char>(gz.begin(), gz.begin() + 10), n},
      {"empty", {}, 0},
      {"garbage", std::vector<unsigned char>(100, 0x42), n},
      {"corrupt body", corrupt, n},
      {"bad checksum", badTrailer, n},
      {"fewer bytes than expected", gz, n + 1},
      {"more bytes than expected", gz, n - 1},
      {"trailing garbage", trailingGarbage, n},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string out(static_cast<std::size_t>(c.length) + 1, '#');
    CompressionGZip compressor(-1);
    try {
      compressor.Uncompress(static_cast<int>(c.data.size()), c.data.data(), c.length, &out[0]);
      ADD_FAILURE() << "accepted";
    } catch (const CompressionException& e) {
      EXPECT_STREQ("CompressionException", e.getName());
      EXPECT_STRNE("", e.Reason());
    }
    EXPECT_EQ('#', out.back()) << "nothing written beyond the requested length";
  }
}

}  // namespace

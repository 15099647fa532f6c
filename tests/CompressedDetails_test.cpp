// The compressed details that CharacteristicValueDataDO and MeasurementDataDO share: stored
// form, lazy fetch through the loader, the options cache, and hostile stored bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "libs/utilities/archive/DataObjectException.h"
#include "platform/CompressionGZip.h"
#include "tests/support/DetailsAccess.h"
#include "tests/support/TestStreams.h"

namespace {

using namespace testing_support;

// One loader for every test: it counts its calls and returns whatever the test put up.
int loaderCalls = 0;
long long lastReference = 0;
std::vector<unsigned char> loaderResult;
std::vector<unsigned char> countingLoader(long long reference) {
  ++loaderCalls;
  lastReference = reference;
  return loaderResult;
}

std::vector<unsigned char> storedForm(const std::string& text) {
  MeasurementDataDO holder;
  holder.setMeasurementDataDetails(text);
  return holder.getCompressedMeasurementDataDetails();
}

template <class Access>
class CompressedDetailsTest : public ::testing::Test {
 protected:
  using Object = typename Access::Object;
  void SetUp() override {
    loaderCalls = 0;
    loaderResult.clear();
  }
};

using Classes = ::testing::Types<CharacteristicValueAccess, MeasurementAccess>;
TYPED_TEST_SUITE(CompressedDetailsTest, Classes);

// The stored bytes are the text's length and a gzip stream, in one vector for the object's
// lifetime: a reference to it sees what every later operation stores, and what is written
// through it is what the text getter decompresses.
TYPED_TEST(CompressedDetailsTest, StoredFormAndOneReferenceThatSeesItAlways) {
  using A = TypeParam;
  typename A::Object object, source;
  std::vector<unsigned char>& stored = A::stored(object);
  A::setText(object, std::string(300, 'd'));
  EXPECT_EQ("2C 01 00 00 1F 8B", hex(std::string(stored.begin(), stored.begin() + 6)));
  EXPECT_EQ(std::string(300, 'd'), A::text(object));
  A::setText(object, std::string("cut\0here", 8));
  EXPECT_EQ("cut", A::text(object));
  stored = storedForm("written through the reference");
  EXPECT_EQ("written through the reference", A::text(object));
  stored[stored.size() - 2] ^= 0x01;
  EXPECT_THROW(A::text(object), DataObjectException) << "a bad checksum";
  A::setText(source, "sampleRate=25600");
  Archive archive;
  archive << source;
  archive >> object;
  EXPECT_EQ(storedForm("sampleRate=25600"), stored) << "after operator>>";
  A::setText(object, "set");
  EXPECT_EQ(storedForm("set"), stored) << "after the setter";
  object = source;
  EXPECT_EQ(storedForm("sampleRate=25600"), stored) << "after assignment";
  object.init();
  EXPECT_TRUE(stored.empty()) << "after init()";
  object.copy(source);
  EXPECT_EQ(storedForm("sampleRate=25600"), stored) << "after copy()";
  A::setText(object, "");
  EXPECT_TRUE(stored.empty());
  EXPECT_EQ(&stored, &A::stored(object));
}

TYPED_TEST(CompressedDetailsTest, TextReadFromAnArchiveIsStoredAsIfSet) {
  using A = TypeParam;
  typename A::Object written;
  A::setText(written, "cutXhere");
  A::setReference(written, 7);
  Archive written_bytes;
  written_bytes << written;
  std::string bytes = written_bytes.str();
  const std::size_t slot = bytes.find("cutXhere");
  ASSERT_NE(std::string::npos, slot);
  bytes[slot + 3] = '\0';  // a slot from elsewhere, with a zero byte inside
  const std::string full("cut\0here", 8);
  Archive archive(bytes);

  typename A::Object read;
  read.externalReferenceLoader = &countingLoader;
  archive >> read;
  const typename A::Object copied(read);
  typename A::Object assigned;
  assigned = read;
  EXPECT_EQ("cut", A::text(read));
  A::setText(written, full);
  EXPECT_TRUE(read.isIdentical(written));
  for (typename A::Object* o : {&read, &assigned, const_cast<typename A::Object*>(&copied)}) {
    EXPECT_EQ(storedForm(full), A::stored(*o)) << "the whole slot compressed, header says 8";
    EXPECT_EQ("cut", A::text(*o));
  }
  EXPECT_EQ(0, loaderCalls) << "text read with reference 7 never asks the loader";

  A::setText(written, "");
  Archive empty;
  empty << written;
  typename A::Object reread(copied);
  empty >> reread;
  EXPECT_TRUE(A::stored(reread).empty()) << "an empty slot leaves nothing stored";
  EXPECT_EQ("", A::text(reread));
  EXPECT_EQ(1, loaderCalls) << "and the reference is asked again";
}

TYPED_TEST(CompressedDetailsTest, LoaderIsAskedOnlyWhileNothingIsHeld) {
  using A = TypeParam;
  typename A::Object object;
  object.externalReferenceLoader = &countingLoader;
  loaderResult = storedForm("fetched=1");

  EXPECT_EQ("", A::text(object)) << "reference -1: nothing to fetch";
  EXPECT_EQ(0, loaderCalls);

  A::setReference(object, 42);
  EXPECT_EQ("fetched=1", A::text(object));
  EXPECT_EQ("fetched=1", A::text(object));
  EXPECT_EQ(1, loaderCalls) << "the fetched bytes stay in the object";
  EXPECT_EQ(42, lastReference);
  EXPECT_EQ(loaderResult, A::stored(object));

  A::setText(object, "");
  EXPECT_EQ("fetched=1", A::text(object)) << "the empty text keeps the reference";
  EXPECT_EQ(2, loaderCalls);

  loaderResult.clear();
  A::setText(object, "");
  A::text(object);
  A::text(object);
  EXPECT_EQ(4, loaderCalls) << "a loader that returns nothing is asked every time";

  A::setText(object, "held");
  EXPECT_EQ("held", A::text(object));
  EXPECT_EQ(4, loaderCalls) << "held bytes are never replaced by the loader";

  typename A::Object noLoader;
  A::setReference(noLoader, 42);
  EXPECT_EQ("", A::text(noLoader));
}

TYPED_TEST(CompressedDetailsTest, OptionsAreCachedUntilDropped) {
  using A = TypeParam;
  typename A::Object object;
  A::setText(object, "a=1;b=2");
  const Options* first = &A::options(object);
  EXPECT_EQ("1", first->getString("a"));
  EXPECT_EQ(first, &A::options(object));

  A::setStored(object, storedForm("a=9"));
  EXPECT_EQ("1", A::options(object).getString("a")) << "setting stored bytes keeps the cache";
  Archive archive;
  archive << object;
  archive >> object;
  EXPECT_EQ("1", A::options(object).getString("a")) << "reading keeps the cache";

  A::clearOptions(object);
  EXPECT_EQ("9", A::options(object).getString("a"));
  A::setText(object, "a=3");
  EXPECT_EQ("3", A::options(object).getString("a"));

  typename A::Object copy(object);
  EXPECT_EQ("3", A::options(copy).getString("a"));
  EXPECT_NE(&A::options(copy), &A::options(object)) << "each object parses for itself";
  A::setText(copy, "a=4");
  copy = object;
  EXPECT_EQ("3", A::options(copy).getString("a")) << "assignment drops the target's cache";
  EXPECT_EQ(object.externalReferenceLoader, copy.externalReferenceLoader);
}

TYPED_TEST(CompressedDetailsTest, HostileStoredBytesEndInADatabaseError) {
  using A = TypeParam;
  const std::string text = "measurement details, long enough to compress somewhat";
  const std::vector<unsigned char> good = storedForm(text);
  auto withLength = [&](unsigned length) {
    std::vector<unsigned char> bytes = good;
    for (int i = 0; i < 4; ++i)
      bytes[i] = static_cast<unsigned char>(length >> (8 * i));
    return bytes;
  };
  std::vector<unsigned char> flipped = good;
  flipped[good.size() / 2] ^= 0x40;
  const struct {
    const char* label;
    std::vector<unsigned char> stored;
  } cases[] = {
      {"shorter than the header", {0x05, 0x00, 0x00}},
      {"header only", {0x05, 0x00, 0x00, 0x00}},
      {"4 GiB recorded", withLength(0xFFFFFFFFu)},
      {"2 GiB recorded", withLength(0x7FFFFFFFu)},
      {"more than the stream can expand to", withLength(static_cast<unsigned>(good.size()) * 1100)},
      {"one byte more than the stream holds", withLength(static_cast<unsigned>(text.size()) + 1)},
      {"one byte less than the stream holds", withLength(static_cast<unsigned>(text.size()) - 1)},
      {"truncated stream", std::vector<unsigned char>(good.begin(), good.end() - 3)},
      {"corrupt stream", flipped},
      {"garbage", std::vector<unsigned char>(64, 0xA5)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    typename A::Object object;
    A::setStored(object, c.stored);
    try {
      A::text(object);
      ADD_FAILURE() << "decompressed";
    } catch (const DataObjectException& e) {
      EXPECT_STREQ(A::kFile, e.getFile());
      EXPECT_EQ(A::kLine, e.getLine());
      ASSERT_NE(nullptr, e.getRootCause());
      EXPECT_NE(nullptr, dynamic_cast<const CompressionException*>(e.getRootCause()));
      EXPECT_EQ(
          std::string("Database error: deactivate all. Reason: ") + e.getRootCause()->Reason(),
          e.Reason());
    }
    EXPECT_EQ(c.stored, A::stored(object)) << "the stored bytes stay as they were";
    EXPECT_THROW(A::options(object), DataObjectException);
    EXPECT_EQ(0u, A::options(object).size()) << "the unparsed options stay cached";
    EXPECT_EQ("Error converting object to string", object.ToString());
    EXPECT_THROW(object.isIdentical(object), DataObjectException);

    Archive archive;
    EXPECT_THROW(archive << object, DataObjectException);
    EXPECT_EQ(16u + 2 + 16, archive.str().size())
        << "the fields before the details are written: CurrentUuid, time stamp, configuration";
  }
}

}  // namespace

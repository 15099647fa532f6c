// Heap held per object with details, in each state an object passes through, for
// CharacteristicValueDataDO and MeasurementDataDO with a short and a long details text: glibc's
// count of bytes in use (mallinfo2().uordblks, which includes each block's own overhead) over
// 200 objects, less what was in use before they held anything, divided by 200. The objects
// themselves live in a vector allocated beforehand, so what is counted is what they hold.
#include <malloc.h>

#include <cstdio>
#include <streambuf>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/MeasurementDataDO.h"

namespace {

constexpr int kObjects = 200;

// An archive side that takes every byte and keeps none, so writing allocates nothing.
struct Discard : std::streambuf {
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

long inUse() {
  return static_cast<long>(mallinfo2().uordblks);
}

struct Characteristic {
  using Object = CharacteristicValueDataDO;
  static const char* name() { return "CharacteristicValueDataDO"; }
  static Object make(const std::string& t) {
    return Object(bench::uuid(), 1, bench::uuid(), t, bench::uuid(), 0.5, 2, true);
  }
  static std::string text(const Object& o) { return o.getCharacteristicValueDataDetails(); }
  static void setText(Object& o, const std::string& t) { o.setCharacteristicValueDataDetails(t); }
  static std::vector<unsigned char>& stored(Object& o) {
    return o.getCompressedCharacteristicValueDataDetails();
  }
  static const Options& options(const Object& o) {
    return o.getCharacteristicValueDataDetailsOptions();
  }
};

struct Measurement {
  using Object = MeasurementDataDO;
  static const char* name() { return "MeasurementDataDO"; }
  static Object make(const std::string& t) {
    return Object(bench::uuid(), 1, bench::uuid(), t, {}, bench::uuid(), true);
  }
  static std::string text(const Object& o) { return o.getMeasurementDataDetails(); }
  static void setText(Object& o, const std::string& t) { o.setMeasurementDataDetails(t); }
  static std::vector<unsigned char>& stored(Object& o) {
    return o.getCompressedMeasurementDataDetails();
  }
  static const Options& options(const Object& o) { return o.getMeasurementDataDetailsOptions(); }
};

template <class C>
void row(std::size_t length) {
  using Object = typename C::Object;
  const std::string text = bench::detailsText(length);
  std::vector<Object> objects, sources;
  objects.reserve(kObjects);
  sources.reserve(kObjects);
  for (int i = 0; i < kObjects; ++i)
    sources.push_back(C::make(text));
  Archive input;
  for (const Object& o : sources)
    input << o;
  Discard discard;
  Archive output(&discard);

  const long base = inUse();
  auto held = [&] { return static_cast<double>(inUse() - base) / kObjects; };
  std::printf("| %s | %zu B | %zu B |", C::name(), length, C::stored(sources[0]).size());
  for (int i = 0; i < kObjects; ++i)
    objects.push_back(C::make(text));
  std::printf(" %.0f B |", held());
  for (Object& o : objects)
    C::setText(o, text);
  std::printf(" %.0f B |", held());
  for (Object& o : objects)
    input >> o;
  std::printf(" %.0f B |", held());
  for (Object& o : objects)
    C::text(o);
  std::printf(" %.0f B |", held());
  for (Object& o : objects)
    o.ToString();
  std::printf(" %.0f B |", held());
  for (Object& o : objects)
    C::stored(o);
  std::printf(" %.0f B |", held());
  for (Object& o : objects)
    output << o;
  std::printf(" %.0f B |", held());
  for (int i = 0; i < kObjects; ++i)
    objects[static_cast<std::size_t>(i)] = sources[static_cast<std::size_t>(i)];
  std::printf(" %.0f B |", held());
  for (Object& o : objects)
    C::options(o);
  std::printf(" %.0f B |\n", held());
}

}  // namespace

int main() {
  std::printf(
      "| Class | details text | stored form | constructed | after the text setter | after `>>` "
      "| after the text getter | after `ToString` | after the compressed getter | after `<<` "
      "| after assignment | with the options cached |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  for (std::size_t length : {200u, 8006u}) {
    row<Characteristic>(length);
    row<Measurement>(length);
  }
  return 0;
}

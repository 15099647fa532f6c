// Every data object class described once, as its fields in archive order, and what all of them
// must do checked over random objects against that description: the archive form is the
// fields' forms one after another (the codec's reference route, tests/support/StreamRoute.h, is
// the oracle for the bytes, the exceptions and the fields a failed read has replaced, wherever
// the buffer fails or the input ends), the text, copies and init(), key order and equality, and
// isIdentical. What only one class has follows at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "dataobjects/detail/ObjectFields.h"
#include "dataobjects/detail/ObjectText.h"
#include "platform/CompressionGZip.h"
#include "tests/support/DetailsAccess.h"
#include "tests/support/StreamRoute.h"
#include "tests/support/TestStreams.h"

namespace {

using namespace testing_support;
using Blob = std::vector<unsigned char>;

#ifdef DATAOBJECTS_EMULATED_TARGET
constexpr int kSwept = 2;  // objects swept at every byte, per class
constexpr int kPairs = 600;
#else
constexpr int kSwept = 10;
constexpr int kPairs = 3000;
#endif

using dataobjects_data::detail::ObjectFields;
using Role = dataobjects_data::detail::FieldRole;

constexpr auto make = [](auto... arguments) { return Value::of(arguments...); };

// A field's value as a Value, and back.
// clang-format off
#define CONVERT(T, kind, member) \
  static Value of(const T& x) { return make(Kind::kind, &Value::member, x); } \
  static const T& as(const Value& v, T*) { return v.member; }
// clang-format on
struct Convert {
  CONVERT(long long, LongLong, ll)
  CONVERT(unsigned short, UShort, us)
  CONVERT(unsigned int, UInt, ui)
  CONVERT(double, Double, d)
  CONVERT(bool, Bool, b)
  CONVERT(std::string, String, s)
  CONVERT(Blob, Bytes, bytes)
  CONVERT(UuidEntryDO, Uuid, uuid)
};

// A field of the model: a nullable value of the description is its flag's field, then its own.
template <class O>
struct Field {
  std::string name;
  Role role;                           // a flag's is its value's, Nullable
  bool flag;                           // a nullable value's flag
  std::function<Value(const O&)> get;  // a nullable value is read with its flag cleared on a copy
  std::function<void(O&, const Value&)> set;
};

template <class O, class D>
void addField(std::vector<Field<O>>& fields, const D& f) {
  using T = typename D::Type;
  const auto set = [f](O& o, const Value& v) {
    (o.*f.set)(Convert::as(v, static_cast<T*>(nullptr)));
  };
  if (f.role != Role::Nullable) {
    fields.push_back(
        {f.name, f.role, false, [f](const O& o) { return Convert::of((o.*f.get)()); }, set});
    return;
  }
  fields.push_back({std::string(f.name) + "IsNull", f.role, true,
                    [f](const O& o) { return Convert::of((o.*f.isNull)()); },
                    [f](O& o, const Value& v) { (o.*f.setNull)(v.b); }});
  fields.push_back({f.name, f.role, false,
                    [f](const O& o) {
                      O open(o);
                      (open.*f.setNull)(false);
                      return Convert::of((open.*f.get)());
                    },
                    set});
}

// The model's values of an object, by field name (a null flag's is its value's name with
// "IsNull").
class Named {
 public:
  Named(const std::vector<std::string>& names, const std::vector<Value>& values)
      : names_(names), values_(values) {}
  const Value& operator[](const std::string& name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
      if (names_[i] == name) return values_[i];
    throw std::invalid_argument("no field " + name);
  }

 private:
  const std::vector<std::string>& names_;
  const std::vector<Value>& values_;
};

// The constructor with values (it takes no references).
JobDataDO construct(const Named& v, JobDataDO*) {
  return JobDataDO(v["CurrentUuid"].uuid, v["MeasurementTimeStamp"].ll, v["JobConfig"].uuid);
}
CharacteristicValueDataDO construct(const Named& v, CharacteristicValueDataDO*) {
  return CharacteristicValueDataDO(
      v["CurrentUuid"].uuid, v["MeasurementTimeStamp"].ll, v["CharacteristicValueConfig"].uuid,
      v["CharacteristicValueDataDetails"].s, v["JobData"].uuid, v["Value"].d, v["AlarmType"].us,
      v["SavedByAlarmStatusChange"].b);
}
MeasurementDataDO construct(const Named& v, MeasurementDataDO*) {
  return MeasurementDataDO(v["CurrentUuid"].uuid, v["MeasurementTimeStamp"].ll,
                           v["MeasurementConfig"].uuid, v["MeasurementDataDetails"].s,
                           v["BinaryData"].bytes, v["JobData"].uuid,
                           v["SavedByAlarmStatusChange"].b);
}
TrendDataDO construct(const Named& v, TrendDataDO*) {
  return TrendDataDO(v["CurrentUuid"].uuid, v["CharacteristicValueConfig"].uuid,
                     v["CharacteristicValueConfigBaseUuid"].uuid, v["Closed"].b,
                     v["FirstTimeStamp"].ll, v["LastTimeStamp"].ll, v["TrendDataDetails"].s,
                     v["NumSamples"].ui, v["Data"].bytes);
}
CharacteristicValueDataMeasurementDataMapDO construct(
    const Named& v, CharacteristicValueDataMeasurementDataMapDO*) {
  return CharacteristicValueDataMeasurementDataMapDO(v["CharacteristicValueData"].uuid,
                                                     v["MeasurementData"].uuid);
}
AlarmLearningValuesDO construct(const Named& v, AlarmLearningValuesDO*) {
  return AlarmLearningValuesDO(v["CharacteristicValueConfig"].uuid, v["X"].us, v["Y"].us,
                               v["ValueCount"].us, v["LearningValues"].bytes);
}
AlarmDataDO construct(const Named& v, AlarmDataDO*) {  // each null flag after its value
  return AlarmDataDO(
      v["CharacteristicValueConfig"].uuid, v["LastMeasurementTime"].ll, v["CurrentValue"].d,
      v["MainAlarmCount"].us, v["PreAlarmCount"].us, v["AlarmType"].us, v["LearningModeActive"].b,
      v["IsTriggerValidator"].b, v["LearningModeActives"].s, v["LearningModeActivesIsNull"].b,
      v["CurrentLowerPreAlarmLevel"].d, v["CurrentPreAlarmLevel"].d, v["CurrentMainAlarmLevel"].d,
      v["CurrentAlarmMapIndex"].us, v["CurrentAlarmMapIndexIsNull"].b, v["Active"].b,
      v["LatestSavedTimeSignal"].uuid, v["LatestSavedTimeSignalIsNull"].b, v["AlarmStateSince"].ll);
}

// Each class as dataobjects/detail/ObjectFields.h describes it.
template <class O>
struct Model {
  const char* prefix;  // of the texts and the golden archives' names
  bool multiKey;
  std::vector<Field<O>> fields;  // in archive order
  std::vector<std::string> names;
  O construct(const std::vector<Value>& values) const {
    return ::construct(Named(names, values), static_cast<O*>(nullptr));
  }
  Model() : prefix(ObjectFields<O>::prefix), multiKey(ObjectFields<O>::multiKey) {
    dataobjects_data::detail::forEachField(ObjectFields<O>::fields(),
                                           [&](const auto& f) { addField(fields, f); });
    for (const Field<O>& f : fields)
      names.push_back(f.name);
  }
};

template <class O>
std::vector<Value> view(const Model<O>& m, const O& o) {
  std::vector<Value> values;
  for (const Field<O>& f : m.fields)
    values.push_back(f.get(o));
  return values;
}

// Equal as stored: doubles bit for bit, except that a NaN is a NaN.
bool same(const Value& a, const Value& b) {
  return a == b || (a.kind == Kind::Double && std::isnan(a.d) && std::isnan(b.d));
}

// A field's value for an object: texts without zero bytes (a text ends at its first), and
// often one of a few doubles, so that drawn pairs meet 0.0 against -0.0 and NaN.
Value fieldValue(std::mt19937_64& random, Kind kind) {
  Value v = randomValue(random, kind);
  for (char& c : v.s)
    c = c == 0 ? 'z' : c;
  const double few[] = {0.0, -0.0, 1.0, NAN};
  if (random() % 2 == 0) v.d = few[random() % 4];
  return v;
}

// Flags go last: the setter of a nullable value clears its flag.
template <class O>
void setField(const Model<O>& m, O& o, std::size_t i, std::mt19937_64& random) {
  m.fields[i].set(o, fieldValue(random, m.fields[i].get(O()).kind));
}
template <class O>
O randomObject(const Model<O>& m, std::mt19937_64& random) {
  O o;
  for (bool flags : {false, true})
    for (std::size_t i = 0; i < m.fields.size(); ++i)
      if (m.fields[i].flag == flags) setField(m, o, i, random);
  return o;
}

// ---- the oracles ----------------------------------------------------------------------------

// Whether field i is in the archive form, given the values before it.
template <class O>
bool present(const Model<O>& m, const std::vector<Value>& values, std::size_t i) {
  return m.fields[i].role != Role::Nullable || m.fields[i].flag || !values[i - 1].b;
}

std::string failureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TesmiraException& e) {
    return describe(e);
  }
  return "";
}

// The route writes the fields one after another.
template <class O>
void routeWrite(const Model<O>& m, const std::vector<Value>& values, Archive& archive) {
  for (std::size_t i = 0; i < values.size(); ++i)
    if (present(m, values, i)) route::write(archive, values[i]);
}

// The route reads the fields one after another into `values` (what the target held before);
// returns the failure and sets `failed` to the field it happened in. A details text is read as
// a blob and stays as it was when that fails.
template <class O>
std::string routeRead(const Model<O>& m, std::vector<Value>& values, Archive& archive,
                      std::size_t& failed) {
  for (failed = 0; failed < values.size(); ++failed) {
    if (!present(m, values, failed)) continue;
    const bool details = m.fields[failed].role == Role::Details;
    Value read = values[failed];
    if (details) read.kind = Kind::Bytes;
    const std::string failure = failureOf([&] { route::read(archive, read); });
    if (details && failure.empty())
      read = Convert::of(std::string(read.bytes.begin(), read.bytes.end()));
    if (!details || failure.empty()) values[failed] = read;
    if (!failure.empty()) return failure;
  }
  return "";
}

// The text of a value as the objects render it.
std::string text(const Value& v) {
  std::ostringstream out;
  if (v.kind == Kind::Uuid) out << v.uuid.ToString();
  if (v.kind == Kind::LongLong) out << v.ll;
  if (v.kind == Kind::UShort) out << v.us;
  if (v.kind == Kind::UInt) out << v.ui;
  if (v.kind == Kind::Bool) out << v.b;
  if (v.kind == Kind::Double) out << v.d;
  if (v.kind == Kind::String) out << v.s;
  if (v.kind == Kind::Bytes) out << v.bytes.size() << "(Blob Length)";
  return out.str();
}

// "<prefix>[<key parts>]=[(<name>=<value>) ... ]", with "null" for a null value and without
// the references; the key's text alone is "<prefix>[<key parts>]".
template <class O>
std::string textOf(const Model<O>& m, const std::vector<Value>& values, bool keyOnly) {
  std::string keys, rest;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const Role role = m.fields[i].role;
    const std::string shown = present(m, values, i) ? text(values[i]) : "null";
    if (role == Role::Key) keys += shown;
    if (role != Role::Key && role != Role::Reference && !m.fields[i].flag)
      rest += std::string("(") + m.fields[i].name + "=" + shown + ") ";
  }
  return m.prefix + ("[" + keys + "]") + (keyOnly ? "" : "=[" + rest + "]");
}

// isIdentical: every field but the references, doubles as IEEE values, and a nullable value
// not when both are null.
template <class O>
bool identicalModel(const Model<O>& m, const std::vector<Value>& a, const std::vector<Value>& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Role role = m.fields[i].role;
    if (role == Role::Reference || (!present(m, a, i) && !present(m, b, i))) continue;
    if (a[i].kind == Kind::Double ? !(a[i].d == b[i].d) : !(a[i] == b[i])) return false;
  }
  return true;
}

template <class O>
bool keysEqual(const Model<O>& m, const std::vector<Value>& a, const std::vector<Value>& b) {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (m.fields[i].role == Role::Key && !(a[i] == b[i])) return false;
  return true;
}

template <class O>
class DataObjects : public ::testing::Test {
 protected:
  const Model<O> m;
  std::mt19937_64 random{20261206};
  std::vector<Value> keysOf(const O& o) {  // the key fields come first
    std::vector<Value> keys = view(m, o);
    while (m.fields[keys.size() - 1].role != Role::Key)
      keys.pop_back();
    return keys;
  }
};

using Classes = ::testing::Types<JobDataDO, CharacteristicValueDataDO, MeasurementDataDO,
                                 TrendDataDO, CharacteristicValueDataMeasurementDataMapDO,
                                 AlarmLearningValuesDO, AlarmDataDO>;
TYPED_TEST_SUITE(DataObjects, Classes);

// The archive form is the fields' forms; a write into a buffer that fails at any byte, and a
// read from input that ends at any byte or comes in pieces, fail as the route does, and the
// failed read leaves the fields the route leaves (a double that failed is not compared).
TYPED_TEST(DataObjects, ArchiveFormFailuresAndPartialReadsFollowTheRoute) {
  const auto& m = this->m;
  for (int n = 0; n < kSwept; ++n) {
    const TypeParam object = randomObject(m, this->random), before = randomObject(m, this->random);
    const std::vector<Value> values = view(m, object);
    SCOPED_TRACE(object.ToString());
    Archive all;
    routeWrite(m, values, all);
    const std::string wire = all.str();
    ASSERT_EQ(hex(wire), hex(archiveOf(object)));
    for (std::size_t limit = 0; limit <= wire.size(); ++limit) {
      for (bool buffered : {true, false}) {
        CappedSink librarySink(limit, buffered), routeSink(limit, buffered);
        Archive library(&librarySink), reference(&routeSink);
        ASSERT_EQ(failureOf([&] { routeWrite(m, values, reference); }),
                  failureOf([&] { library << object; }))
            << "room for " << limit;
        ASSERT_EQ(routeSink.written(), librarySink.written());
      }
    }
    for (std::size_t cut = 0; cut <= wire.size(); ++cut) {
      for (std::size_t piece : {0u, 5u, 1u << 16}) {
        SCOPED_TRACE("cut after " + std::to_string(cut) + ", pieces of " + std::to_string(piece));
        PieceSource librarySource(wire.substr(0, cut), piece),
            routeSource(wire.substr(0, cut), piece);
        Archive library(&librarySource), reference(&routeSource);
        TypeParam target(before);
        std::vector<Value> expected = view(m, before);
        std::size_t failed = 0;
        ASSERT_EQ(routeRead(m, expected, reference, failed), failureOf([&] { library >> target; }));
        EXPECT_EQ(reference.rdstate(), library.rdstate());
        EXPECT_EQ(reference.gcount(), library.gcount());
        EXPECT_EQ(routeSource.consumed(), librarySource.consumed());
        const std::vector<Value> fields = view(m, target);
        for (std::size_t i = 0; i < fields.size(); ++i)
          EXPECT_TRUE((i == failed && fields[i].kind == Kind::Double) ||
                      same(expected[i], fields[i]))
              << m.fields[i].name;
      }
    }
    // The key's form is the key fields' forms, the beginning of the object's.
    const typename TypeParam::Id id = object.getDataObjectId();
    const std::string key = archiveOf(id);
    EXPECT_EQ(hex(wire.substr(0, key.size())), hex(key));
    for (std::size_t limit = 0; limit <= key.size(); ++limit) {
      CappedSink librarySink(limit, false), routeSink(limit, false);
      Archive library(&librarySink), reference(&routeSink);
      EXPECT_EQ(failureOf([&] { routeWrite(m, this->keysOf(object), reference); }),
                failureOf([&] { library << id; }));
      typename TypeParam::Id back;
      std::vector<Value> keys = this->keysOf(before);
      std::size_t failed = 0;
      Archive cut(wire.substr(0, limit)), routeCut(wire.substr(0, limit));
      EXPECT_EQ(routeRead(m, keys, routeCut, failed), failureOf([&] { cut >> back; }));
      EXPECT_EQ(limit == key.size(), back == id);
    }
  }
}

TYPED_TEST(DataObjects, RoundTripCopiesAndInit) {
  const auto& m = this->m;
  TypeParam target = randomObject(m, this->random);
  const TypeParam defaults;
  EXPECT_EQ(m.multiKey, TypeParam::Id::IsMultiKeyId());
  for (std::size_t i = 0; i < m.fields.size(); ++i) {  // zeros, no reference, null values
    Value zero;
    zero.kind = m.fields[i].get(defaults).kind;
    zero.ll = m.fields[i].role == Role::Reference ? -1 : 0;
    zero.b = m.fields[i].flag;
    EXPECT_TRUE(same(zero, m.fields[i].get(defaults))) << m.fields[i].name;
  }
  for (int n = 0; n < 200; ++n) {
    TypeParam object = randomObject(m, this->random);
    object.baseFlag1 = static_cast<unsigned char>(n);
    object.baseFlag2 = 3;
    object.externalReferenceLoader = nullptr;
    if (n % 2) object.externalReferenceLoader = [](long long) { return Blob(); };
    const std::vector<Value> values = view(m, object);
    SCOPED_TRACE(object.ToString());
    Archive archive;
    archive << object;
    archive >> target;
    EXPECT_EQ(EOF, archive.peek());
    TypeParam copied(object), assigned = randomObject(m, this->random),
                              viaCopy = randomObject(m, this->random), reset(object);
    assigned = object;
    viaCopy.copy(object);
    reset.init();
    const TypeParam made = m.construct(values);
    const std::vector<Value> initialised = view(m, reset), fresh = view(m, defaults);
    for (std::size_t i = 0; i < values.size(); ++i) {
      SCOPED_TRACE(m.fields[i].name);
      for (const TypeParam* o : {&target, &copied, &assigned, &viaCopy})  // no null value read
        EXPECT_TRUE((o == &target && !present(m, values, i)) ||
                    same(values[i], m.fields[i].get(*o)));
      const bool kept = values[i].kind == Kind::Uuid || values[i].kind == Kind::Bytes;
      EXPECT_TRUE(same(kept ? values[i] : fresh[i], initialised[i])) << "init()";
      const bool reference = m.fields[i].role == Role::Reference;  // none after construction
      EXPECT_TRUE(same(reference ? Convert::of(-1LL) : values[i], m.fields[i].get(made)));
      EXPECT_TRUE(!reference || fresh[i].ll == -1);
    }
    for (const TypeParam* o : {&made, &defaults})
      EXPECT_TRUE(o->baseFlag1 == 0 && o->baseFlag2 == 0 && o->externalReferenceLoader == nullptr);
    for (const TypeParam* o : {&copied, &assigned, &viaCopy}) {
      EXPECT_EQ(object.baseFlag1 * 256 + 3, o->baseFlag1 * 256 + o->baseFlag2);
      EXPECT_EQ(object.externalReferenceLoader, o->externalReferenceLoader);
    }
    EXPECT_EQ(textOf(m, values, false), object.ToString());
    EXPECT_EQ(textOf(m, values, true), object.getDataObjectId().ToString());
  }
}

// Pairs that differ in a field or two, some of them only in a key, a reference, a double's
// sign of zero or a value under a null flag: isIdentical, ==, != against the models.
TYPED_TEST(DataObjects, IdentityAndEqualityFollowTheModels) {
  const auto& m = this->m;
  for (int n = 0; n < kPairs; ++n) {
    const TypeParam a = randomObject(m, this->random);
    TypeParam b = a;
    b.baseFlag1 = 1;
    for (auto k = this->random() % 3; k > 0; --k)
      setField(m, b, static_cast<std::size_t>(this->random() % m.fields.size()), this->random);
    const std::vector<Value> va = view(m, a), vb = view(m, b);
    SCOPED_TRACE(a.ToString() + " against " + b.ToString());
    ASSERT_EQ(identicalModel(m, va, vb), a.isIdentical(b));
    ASSERT_EQ(identicalModel(m, va, vb), b.isIdentical(a));
    ASSERT_EQ(keysEqual(m, va, vb), a == b && b == a && a.isEqual(b));
    ASSERT_EQ(!keysEqual(m, va, vb), a != b);
  }
}

// Keys made of parts that are each less than, equal to or greater than the other key's: < is
// decided by the first part that differs; > holds as soon as any part is greater (so it is not
// the converse of <); == needs every part equal.
TYPED_TEST(DataObjects, KeysOrderByTheModel) {
  const auto& m = this->m;
  std::vector<std::size_t> parts;
  for (std::size_t i = 0; i < m.fields.size(); ++i)
    if (m.fields[i].role == Role::Key) parts.push_back(i);
  const auto ranked = [&](TypeParam& o, std::size_t field, int rank) {
    Value v = m.fields[field].get(o);
    Uuid::Bytes bytes{};
    bytes[0] = static_cast<unsigned char>(0x10 * (2 + rank));
    bytes[15] = static_cast<unsigned char>(0xFF - rank);  // the first byte decides
    v.uuid = UuidEntryDO(Uuid(bytes));
    v.us = static_cast<unsigned short>(11 + rank);
    m.fields[field].set(o, v);
  };
  int combinations = 1;  // of less, equal, greater for each part
  for (std::size_t p = 0; p < parts.size(); ++p)
    combinations *= 3;
  for (int combination = 0; combination < combinations; ++combination) {
    std::vector<int> relation;
    for (int rest = combination; relation.size() < parts.size(); rest /= 3)
      relation.push_back(rest % 3 - 1);
    TypeParam a = randomObject(m, this->random), b = randomObject(m, this->random);
    int first = 0;
    bool anyGreater = false, anyLess = false;
    for (std::size_t p = 0; p < parts.size(); ++p) {
      ranked(a, parts[p], relation[p]);
      ranked(b, parts[p], 0);
      first = first != 0 ? first : relation[p];
      anyGreater |= relation[p] > 0;
      anyLess |= relation[p] < 0;
    }
    SCOPED_TRACE(a.ToString() + " against " + b.ToString());
    const typename TypeParam::Id ka = a.getDataObjectId(), kb = b.getDataObjectId();
    EXPECT_EQ(first < 0, ka < kb);
    EXPECT_EQ(first > 0, kb < ka);
    EXPECT_EQ(anyGreater, ka > kb);
    EXPECT_EQ(anyLess, kb > ka);
    EXPECT_EQ(first == 0, ka == kb && ka.isEqual(kb) && a == b);
    EXPECT_EQ(first != 0, ka != kb && a != b);
    typename TypeParam::Id copied(ka), assigned;
    assigned = kb;
    EXPECT_TRUE(copied == ka && assigned == kb);
  }
}

// A nullable value's setter clears its flag; the flag's setter leaves the value, which is then
// neither shown, nor written, nor compared.
TYPED_TEST(DataObjects, NullFlagsHideTheValueUnderThem) {
  const auto& m = this->m;
  for (std::size_t i = 1; i < m.fields.size(); ++i) {
    if (m.fields[i].role != Role::Nullable || m.fields[i].flag) continue;
    SCOPED_TRACE(m.fields[i].name);
    TypeParam o = randomObject(m, this->random);
    const Value value = fieldValue(this->random, m.fields[i].get(o).kind);
    m.fields[i - 1].set(o, Convert::of(true));
    m.fields[i].set(o, value);
    EXPECT_FALSE(m.fields[i - 1].get(o).b);
    m.fields[i - 1].set(o, Convert::of(true));
    EXPECT_EQ(text(value), text(m.fields[i].get(o)));
    EXPECT_NE(std::string::npos, o.ToString().find(std::string(m.fields[i].name) + "=null)"));
  }
}

// The golden archives of tests/data, NAME.bin and its description NAME.txt: the bytes field by
// field in hex (every line but '#' comments) and the object's text ("# text: ..."). Each
// decodes to that text with every byte used, and encodes to the same bytes again.
TYPED_TEST(DataObjects, GoldenArchivesDecodeToTheirTextAndEncodeAgain) {
  namespace fs = std::filesystem;
  const auto read = [](const fs::path& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
  };
  std::size_t found = 0;
  for (const auto& file : fs::directory_iterator(DATAOBJECTS_TEST_DATA_DIR)) {
    const std::string name = file.path().stem().string();
    if (file.path().extension() != ".bin" || name.rfind(this->m.prefix + std::string("DO-"), 0))
      continue;
    SCOPED_TRACE(name);
    ++found;
    std::istringstream lines(read(fs::path(file.path()).replace_extension(".txt")));
    std::string line, hexText, text;
    while (std::getline(lines, line)) {
      if (line.rfind("# text: ", 0) == 0) text = line.substr(8);
      if (!line.empty() && line[0] != '#') hexText += line + " ";
    }
    const std::string golden = bytes(hexText);
    EXPECT_EQ(hex(golden), hex(read(file.path()))) << "the archive differs from its description";
    Archive input(golden);
    TypeParam decoded;
    input >> decoded;
    EXPECT_EQ(EOF, input.peek()) << "every byte belongs to the object";
    EXPECT_EQ(text, decoded.ToString());
    EXPECT_EQ(hex(golden), hex(archiveOf(decoded)));
  }
  EXPECT_GE(found, 2u) << "a default and a full object at least";
}

// ---- compressed details: CharacteristicValueDataDO and MeasurementDataDO -------------------

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

using DetailsClasses = ::testing::Types<CharacteristicValueAccess, MeasurementAccess>;
TYPED_TEST_SUITE(CompressedDetailsTest, DetailsClasses);

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
  EXPECT_EQ("cut", A::text(read));
  EXPECT_EQ(storedForm(full), A::stored(read)) << "the whole slot compressed, header says 8";
  A::setText(written, full);
  EXPECT_TRUE(read.isIdentical(written));
  EXPECT_EQ(0, loaderCalls) << "text read with reference 7 never asks the loader";

  A::setText(written, "");
  Archive empty;
  empty << written;
  typename A::Object reread(read);
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
    const char* causeFile;  // where the root cause comes from
    int causeLine;
  } cases[] = {
      {"shorter than the header", {0x05, 0x00, 0x00}, "CompressedDetails", 1},
      {"4 GiB recorded", withLength(0xFFFFFFFFu), "CompressedDetails", 2},
      {"more than the stream can expand to", withLength(static_cast<unsigned>(good.size()) * 1100),
       "CompressedDetails", 2},
      {"one byte less than the stream holds", withLength(static_cast<unsigned>(text.size()) - 1),
       "CompressionGZip", 90},
      {"corrupt stream", flipped, "CompressionGZip", 70},
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
      EXPECT_STREQ(c.causeFile, e.getRootCause()->getFile());
      EXPECT_EQ(c.causeLine, e.getRootCause()->getLine());
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

template <class Access>
class DetailsOptions : public ::testing::Test {};
using OptionsClasses = ::testing::Types<CharacteristicValueAccess, MeasurementAccess, TrendAccess>;
TYPED_TEST_SUITE(DetailsOptions, OptionsClasses);

TYPED_TEST(DetailsOptions, AreCachedUntilDroppedOrTheTextIsSet) {
  using A = TypeParam;
  typename A::Object object, other;
  A::setText(object, "a=1;b=2");
  const Options* first = &A::options(object);
  EXPECT_EQ("1", first->getString("a"));
  EXPECT_EQ(first, &A::options(object));
  A::setText(other, "a=9");
  if constexpr (!std::is_same<A, TrendAccess>::value) {
    A::setStored(object, A::stored(other));
    EXPECT_EQ("1", A::options(object).getString("a")) << "setting stored bytes keeps the cache";
  }
  Archive archive;
  archive << other;
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
  A::options(copy);
  copy = object;
  EXPECT_EQ("3", A::options(copy).getString("a")) << "assignment drops the target's cache";
}

// ---- what only one class has --------------------------------------------------------------

TEST(AlarmDataDO, NullFieldsThrowOnRead) {
  const AlarmDataDO empty;
  const auto nullAccess = [](const char* name, int line) {
    return ExpectedFailure{"DataObjectException",
                           std::string("Accessing element AlarmData.") + name + " with null value.",
                           "AlarmDataDO", line};
  };
  expectThrows([&] { empty.getLearningModeActives(); }, nullAccess("LearningModeActives", 264));
  expectThrows([&] { empty.getCurrentAlarmMapIndex(); }, nullAccess("CurrentAlarmMapIndex", 308));
  expectThrows([&] { empty.getLatestSavedTimeSignal(); }, nullAccess("LatestSavedTimeSignal", 336));
}

// A nullable value whose conversion throws is replaced by its own error text and the rendering
// goes on; any other DataObjectException replaces the whole text.
TEST(AlarmDataDO, TextGuardsReplaceAFailedValueOrTheWholeText) {
  using dataobjects_data::detail::ObjectText;
  const auto fail = []() -> std::string {
    throw ExceptionFactory("AlarmDataDO", 264).createException<DataObjectException>("x");
  };
  const auto render = [](const std::function<void(ObjectText&)>& fill) {
    return ObjectText::objectText(fill, "AlarmData", UuidEntryDO());
  };
  EXPECT_EQ("AlarmData[" + UuidEntryDO().ToString() + "]=[(A=Error converting A) (B=1) ]",
            render([&](ObjectText& text) {
              text.nullableField("(A=", false, fail, "Error converting A").field("(B=", 1);
            }));
  EXPECT_EQ("Error converting object to string", render([&](ObjectText&) { fail(); }));
  EXPECT_THROW(render([](ObjectText&) { throw std::runtime_error("other"); }), std::runtime_error);
}

}  // namespace

// AlarmDataDO: nineteen fields, three of them nullable, and the conditional archive entries.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/detail/ObjectText.h"
#include "libs/utilities/archive/ExceptionFactory.h"
#include "tests/support/ArchiveSweep.h"
#include "tests/support/KeyOrderModel.h"

namespace {

using namespace testing_support;
const std::string kNil = "00000000-0000-0000-0000-000000000000";
// The nullable fields: name, getter line, and their flag's and value's places among the fields.
const struct {
  const char* name;
  int line;
  std::size_t flag, value;
} kNullable[3] = {{"LearningModeActives", 264, 8, 9},
                  {"CurrentAlarmMapIndex", 308, 13, 14},
                  {"LatestSavedTimeSignal", 336, 16, 17}};

UuidEntryDO uuidNumber(unsigned number) {
  char text[40];
  std::snprintf(text, sizeof text, "00000000-0000-0000-0000-%012x", number);
  return UuidEntryDO(Uuid::fromString(text));
}

ExpectedFailure nullAccess(int field) {
  return {"DataObjectException",
          std::string("Accessing element AlarmData.") + kNullable[field].name + " with null value.",
          "AlarmDataDO", kNullable[field].line};
}

std::string exact(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%a", value);
  return text;
}

// The nineteen fields in declaration order as texts; a value under a set flag shows as "-".
std::vector<std::string> fields(const AlarmDataDO& o) {
  using std::to_string;
  const auto nullable = [](bool isNull, const auto& get) { return isNull ? "-" : get(); };
  return {o.getCharacteristicValueConfig().ToString(),
          to_string(o.getLastMeasurementTime()),
          exact(o.getCurrentValue()),
          to_string(o.getMainAlarmCount()),
          to_string(o.getPreAlarmCount()),
          to_string(o.getAlarmType()),
          to_string(o.getLearningModeActive()),
          to_string(o.getIsTriggerValidator()),
          to_string(o.getLearningModeActivesIsNull()),
          nullable(o.getLearningModeActivesIsNull(), [&] { return o.getLearningModeActives(); }),
          exact(o.getCurrentLowerPreAlarmLevel()),
          exact(o.getCurrentPreAlarmLevel()),
          exact(o.getCurrentMainAlarmLevel()),
          to_string(o.getCurrentAlarmMapIndexIsNull()),
          nullable(o.getCurrentAlarmMapIndexIsNull(),
                   [&] { return to_string(o.getCurrentAlarmMapIndex()); }),
          to_string(o.getActive()),
          to_string(o.getLatestSavedTimeSignalIsNull()),
          nullable(o.getLatestSavedTimeSignalIsNull(),
                   [&] { return o.getLatestSavedTimeSignal().ToString(); }),
          to_string(o.getAlarmStateSince())};
}

// Every value distinct; the three nullable fields null when `nulls`, their values stored anyway.
AlarmDataDO sample(unsigned seed, bool nulls = false) {
  const auto u16 = [](unsigned v) { return static_cast<unsigned short>(v); };
  return AlarmDataDO(uuidNumber(seed), 1000000000000LL + seed, 2.5 + seed, u16(300 + seed),
                     u16(4 + seed), u16(5 + seed), true, seed % 2 == 0,
                     "modes" + std::to_string(seed), nulls, -0.125 * seed, 1e6 + seed, 1e-5,
                     u16(7 + seed), nulls, true, uuidNumber(seed + 100), nulls, -1LL - seed);
}

TEST(AlarmDataDO, NullFieldsThrowAndKeepTheirValues) {
  const AlarmDataDO alarm;
  EXPECT_FALSE(AlarmDataDO::Id::IsMultiKeyId());
  expectThrows([&] { alarm.getLearningModeActives(); }, nullAccess(0));
  expectThrows([&] { alarm.getCurrentAlarmMapIndex(); }, nullAccess(1));
  expectThrows([&] { alarm.getLatestSavedTimeSignal(); }, nullAccess(2));
  AlarmDataDO hidden = sample(3, true);  // the full constructor with three true flags
  EXPECT_EQ(std::string::npos, archiveOf(hidden).find("modes3")) << "no value under a set flag";
  hidden.setLearningModeActivesIsNull(false);
  hidden.setCurrentAlarmMapIndexIsNull(false);
  hidden.setLatestSavedTimeSignalIsNull(false);
  EXPECT_EQ(fields(sample(3)), fields(hidden)) << "the values were stored all the same";
}

TEST(AlarmDataDO, KeysOrderCompareAndBeginTheArchiveForm) {
  expectKeyOrderModel<AlarmDataDO::Id>(1, [](const std::vector<int>& r) {
    const AlarmDataDO a(sample(2 + static_cast<unsigned>(r[0]))), b(sample(2));
    EXPECT_EQ(r[0] == 0, a == b) << "objects compare keys only";
    return std::make_pair(a.getDataObjectId(), b.getDataObjectId());
  });
  AlarmDataDO::Id id;
  Archive keyOnly(archiveOf(sample(7)));
  keyOnly >> id;
  EXPECT_TRUE(id == sample(7).getDataObjectId());
  EXPECT_EQ(archiveOf(sample(7)).substr(0, 16), archiveOf(id));
}

// Random events of the state table on two objects, each nullable field checked against a model
// of its flag and the value under it after every event.
TEST(AlarmDataDO, NullFlagsFollowTheStateTable) {
  struct State {
    bool isNull = true;
    unsigned value = 0;  // 0: the default
  };
  const auto text = [](int f, unsigned v) {
    return f == 0   ? (v ? "t" + std::to_string(v) : "")
           : f == 1 ? std::to_string(v)
                    : uuidNumber(v).ToString();
  };
  const auto setValue = [&](AlarmDataDO& o, int f, unsigned v) {
    if (f == 0) o.setLearningModeActives(text(0, v));
    if (f == 1) o.setCurrentAlarmMapIndex(static_cast<unsigned short>(v));
    if (f == 2) o.setLatestSavedTimeSignal(uuidNumber(v));
  };
  const auto setNull = [](AlarmDataDO& o, int f, bool isNull) {
    if (f == 0) o.setLearningModeActivesIsNull(isNull);
    if (f == 1) o.setCurrentAlarmMapIndexIsNull(isNull);
    if (f == 2) o.setLatestSavedTimeSignalIsNull(isNull);
  };
  AlarmDataDO objects[2];
  std::array<std::array<State, 3>, 2> model;
  std::mt19937 random(7);
  for (int step = 0; step < 3000; ++step) {
    const int t = static_cast<int>(random() % 2), f = static_cast<int>(random() % 3);
    const auto v = static_cast<unsigned>(1 + random() % 999),
               event = static_cast<unsigned>(random() % 8);
    SCOPED_TRACE("step " + std::to_string(step) + " event " + std::to_string(event));
    if (event == 0) {
      objects[t].init();  // leaves the UUID's value alone
      model[t] = {State{}, State{}, State{true, model[t][2].value}};
    } else if (event == 1) {
      setValue(objects[t], f, v);
      model[t][f] = {false, v};
    } else if (event <= 3) {
      setNull(objects[t], f, event == 2);
      model[t][f].isNull = event == 2;
    } else if (event == 4) {
      const bool n[3] = {random() % 2 == 0, random() % 2 == 0, random() % 2 == 0};
      objects[t] =
          AlarmDataDO(uuidNumber(1), 0, 0.0, 0, 0, 0, false, false, text(0, v), n[0], 0.0, 0.0, 0.0,
                      static_cast<unsigned short>(v + 1), n[1], false, uuidNumber(v + 2), n[2], 0);
      model[t] = {State{n[0], v}, State{n[1], v + 1}, State{n[2], v + 2}};
    } else if (event <= 6) {
      objects[t] = event == 5 ? objects[1 - t] : AlarmDataDO(objects[1 - t]);
      model[t] = model[1 - t];
    } else {  // read: the flag as written, the value only where it was written
      Archive archive(archiveOf(objects[1 - t]));
      archive >> objects[t];
      for (int i = 0; i < 3; ++i) {
        const State& source = model[1 - t][i];
        model[t][i] = {source.isNull, source.isNull ? model[t][i].value : source.value};
      }
    }
    for (int o = 0; o < 2; ++o) {
      for (int i = 0; i < 3; ++i) {
        const State& state = model[o][i];
        AlarmDataDO open(objects[o]);
        setNull(open, i, false);
        ASSERT_EQ(text(i, state.value), fields(open)[kNullable[i].value]) << kNullable[i].name;
        ASSERT_EQ(state.isNull ? "1" : "0", fields(objects[o])[kNullable[i].flag]);
        const std::string shown = state.isNull ? "null" : text(i, state.value);
        ASSERT_NE(
            std::string::npos,
            objects[o].ToString().find(std::string("(") + kNullable[i].name + "=" + shown + ") "));
      }
    }
  }
}

// isIdentical against a model over drawn objects: every field must agree, doubles as IEEE values
// (a NaN never, +0.0 and -0.0 always), and a value under a flag set on both sides is ignored.
TEST(AlarmDataDO, IdentityMatchesTheModelOverDrawnObjects) {
  const double d[] = {0.0, -0.0, 1.0, std::numeric_limits<double>::quiet_NaN()};
  const auto isDouble = [](int i) { return i == 2 || (i >= 10 && i <= 12); };
  const auto make = [&](const std::array<int, 19>& c) {
    const auto u = [&](int i) { return static_cast<unsigned short>(c[i]); };
    return AlarmDataDO(uuidNumber(unsigned(c[0])), c[1], d[c[2]], u(3), u(4), u(5), c[6] == 1,
                       c[7] == 1, std::to_string(c[9]), c[8] == 1, d[c[10]], d[c[11]], d[c[12]],
                       u(14), c[13] == 1, c[15] == 1, uuidNumber(unsigned(c[17])), c[16] == 1,
                       c[18]);
  };
  const auto modelIdentical = [&](const std::array<int, 19>& a, const std::array<int, 19>& b) {
    for (int i = 0; i < 19; ++i) {
      const bool bothNull = (i == 9 || i == 14 || i == 17) && a[i - 1] == 1 && b[i - 1] == 1;
      if (isDouble(i) && (a[i] == 3 || b[i] == 3 || (a[i] == 2) != (b[i] == 2))) return false;
      if (!isDouble(i) && !bothNull && a[i] != b[i]) return false;
    }
    return true;
  };
  std::mt19937 random(3);
  const auto draw = [&](int i) { return static_cast<int>(random() % (isDouble(i) ? 4 : 2)); };
  for (int n = 0; n < 4000; ++n) {
    std::array<int, 19> a, b;
    for (int i = 0; i < 19; ++i)
      a[i] = draw(i);
    b = a;
    for (auto k = random() % 3; k > 0; --k) {
      const int i = static_cast<int>(random() % 19);
      b[i] = draw(i);
    }
    AlarmDataDO objectA = make(a), objectB = make(b);
    objectB.baseFlag1 = 1;
    ASSERT_EQ(modelIdentical(a, b), objectA.isIdentical(objectB)) << objectA.ToString();
    ASSERT_EQ(modelIdentical(a, b), objectB.isIdentical(objectA));
    ASSERT_EQ(a[0] == b[0], objectA == objectB);
  }
}

std::vector<Segment> segmentsOf(const AlarmDataDO& o) {
  const auto nullable = [](bool isNull, std::vector<Segment> value) {
    return isNull ? std::vector<Segment>() : value;
  };
  return concat(
      {{uuidSegment(0), longLongSegment(o.getLastMeasurementTime(), 1),
        doubleSegment(o.getCurrentValue(), 2), unsignedShortSegment(o.getMainAlarmCount(), 3),
        unsignedShortSegment(o.getPreAlarmCount(), 4), unsignedShortSegment(o.getAlarmType(), 5),
        boolSegment(6), boolSegment(7), boolSegment(8)},
       nullable(o.getLearningModeActivesIsNull(), stringSegments("modes1", 9)),
       {doubleSegment(o.getCurrentLowerPreAlarmLevel(), 10),
        doubleSegment(o.getCurrentPreAlarmLevel(), 11),
        doubleSegment(o.getCurrentMainAlarmLevel(), 12), boolSegment(13)},
       nullable(o.getCurrentAlarmMapIndexIsNull(), {unsignedShortSegment(8, 14)}),
       {boolSegment(15), boolSegment(16)},
       nullable(o.getLatestSavedTimeSignalIsNull(), {uuidSegment(17)}),
       {longLongSegment(o.getAlarmStateSince(), 18)}});
}

TEST(AlarmDataDO, ArchiveRoundTripsAndFailsEntryByEntry) {
  std::mt19937_64 random(5);
  AlarmDataDO target = sample(9);
  const auto anyDouble = [&] {  // any bit pattern but NaN, which is never identical
    double value;
    do {
      const auto bits = random();
      std::memcpy(&value, &bits, sizeof value);
    } while (std::isnan(value));
    return value;
  };
  for (int i = 0; i < 500; ++i) {
    std::string modes(static_cast<std::size_t>(random() % 300), ' ');
    for (char& c : modes)
      c = static_cast<char>(1 + random() % 255);  // no zero byte
    const auto u16 = [&] { return static_cast<unsigned short>(random()); };
    const auto flag = [&] { return random() % 2 == 0; };
    const AlarmDataDO original(
        UuidEntryDO(Uuid::generate()), static_cast<long long>(random()), anyDouble(), u16(), u16(),
        u16(), flag(), flag(), modes, flag(), anyDouble(), anyDouble(), anyDouble(), u16(), flag(),
        flag(), UuidEntryDO(Uuid::generate()), flag(), static_cast<long long>(random()));
    Archive archive(archiveOf(original));
    archive >> target;
    ASSERT_TRUE(target.isIdentical(original)) << original.ToString();
  }
  for (bool nulls : {false, true}) {
    SCOPED_TRACE(nulls ? "null fields" : "set fields");
    truncationSweep<AlarmDataDO>(sample(1, nulls), sample(50), segmentsOf(sample(1, nulls)),
                                 fields);
    writeFailureSweep(sample(1, nulls), segmentsOf(sample(1, nulls)));
  }
}

// A nullable value whose conversion throws is replaced by its own error text and the rendering
// goes on; any other DataObjectException replaces the whole text.
TEST(AlarmDataDO, TextGuardsReplaceAFailedValueOrTheWholeText) {
  const auto fail = []() -> std::string {
    throw ExceptionFactory("AlarmDataDO", 264).createException<DataObjectException>("x");
  };
  const auto render = [](const std::function<void(dataobjects_data::detail::ObjectText&)>& fill) {
    return dataobjects_data::detail::ObjectText::objectText(fill, "AlarmData", UuidEntryDO());
  };
  EXPECT_EQ(
      "AlarmData[" + kNil + "]=[(A=Error converting A to string) (B=1) ]",
      render([&](dataobjects_data::detail::ObjectText& text) {
        text.nullableField("(A=", false, fail, "Error converting A to string").field("(B=", 1);
      }));
  EXPECT_EQ("Error converting object to string",
            render([&](dataobjects_data::detail::ObjectText&) { fail(); }));
  EXPECT_THROW(
      render([](dataobjects_data::detail::ObjectText&) { throw std::runtime_error("other"); }),
      std::runtime_error);
}

}  // namespace

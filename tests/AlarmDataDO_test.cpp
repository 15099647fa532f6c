// AlarmDataDO: nineteen fields, three of them nullable, and the conditional archive entries.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/ObjectText.h"
#include "libs/utilities/archive/DataObjectException.h"
#include "libs/utilities/archive/ExceptionFactory.h"
#include "platform/Archive.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/TestStreams.h"
#include "tests/support/WireLayout.h"

namespace {

using testing_support::bytes;
using testing_support::ExpectedFailure;
using testing_support::hex;

const std::string kNil = "00000000-0000-0000-0000-000000000000";
// The nullable fields: name, getter line, and the numbers of flag and value in declaration order.
const struct {
  const char* name;
  int line;
  int flag;
  int value;
} kNullable[3] = {{"LearningModeActives", 264, 8, 9},
                  {"CurrentAlarmMapIndex", 308, 13, 14},
                  {"LatestSavedTimeSignal", 336, 16, 17}};

UuidEntryDO uuidNumber(unsigned number) {
  char text[40];
  std::snprintf(text, sizeof text, "00000000-0000-0000-0000-%012x", number);
  return UuidEntryDO(Uuid::fromString(text));
}

std::string archiveOf(const AlarmDataDO& object) {
  Archive archive;
  archive << object;
  return archive.str();
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

// The nineteen fields in declaration order as texts, flags as 0 or 1; the values under set flags
// are included, read from a copy whose flags are cleared.
std::vector<std::string> fieldsOf(const AlarmDataDO& object) {
  AlarmDataDO open(object);
  open.setLearningModeActivesIsNull(false);
  open.setCurrentAlarmMapIndexIsNull(false);
  open.setLatestSavedTimeSignalIsNull(false);
  using std::to_string;
  return {open.getCharacteristicValueConfig().ToString(),
          to_string(open.getLastMeasurementTime()),
          exact(open.getCurrentValue()),
          to_string(open.getMainAlarmCount()),
          to_string(open.getPreAlarmCount()),
          to_string(open.getAlarmType()),
          to_string(open.getLearningModeActive()),
          to_string(open.getIsTriggerValidator()),
          to_string(object.getLearningModeActivesIsNull()),
          open.getLearningModeActives(),
          exact(open.getCurrentLowerPreAlarmLevel()),
          exact(open.getCurrentPreAlarmLevel()),
          exact(open.getCurrentMainAlarmLevel()),
          to_string(object.getCurrentAlarmMapIndexIsNull()),
          to_string(open.getCurrentAlarmMapIndex()),
          to_string(open.getActive()),
          to_string(object.getLatestSavedTimeSignalIsNull()),
          open.getLatestSavedTimeSignal().ToString(),
          to_string(open.getAlarmStateSince())};
}

// Every value distinct and every nullable field set, unless `nulls` says otherwise.
AlarmDataDO sample(unsigned seed, bool nulls = false) {
  return AlarmDataDO(uuidNumber(seed), 1000000000000LL + seed, 2.5 + seed,
                     static_cast<unsigned short>(300 + seed), static_cast<unsigned short>(4 + seed),
                     static_cast<unsigned short>(5 + seed), true, seed % 2 == 0,
                     "modes" + std::to_string(seed), nulls, -0.125 * seed, 1e6 + seed, 1e-5,
                     static_cast<unsigned short>(7 + seed), nulls, true, uuidNumber(seed + 100),
                     nulls, -1LL - seed);
}

// The archive form entry by entry, the values of null fields left out.
testing_support::WireLayout layoutOf(const AlarmDataDO& o) {
  testing_support::WireLayout layout;
  layout.add(0, o.getCharacteristicValueConfig()).add(1, o.getLastMeasurementTime());
  layout.add(2, o.getCurrentValue()).add(3, o.getMainAlarmCount()).add(4, o.getPreAlarmCount());
  layout.add(5, o.getAlarmType()).add(6, o.getLearningModeActive());
  layout.add(7, o.getIsTriggerValidator()).add(8, o.getLearningModeActivesIsNull());
  if (!o.getLearningModeActivesIsNull()) layout.add(9, o.getLearningModeActives());
  layout.add(10, o.getCurrentLowerPreAlarmLevel()).add(11, o.getCurrentPreAlarmLevel());
  layout.add(12, o.getCurrentMainAlarmLevel()).add(13, o.getCurrentAlarmMapIndexIsNull());
  if (!o.getCurrentAlarmMapIndexIsNull()) layout.add(14, o.getCurrentAlarmMapIndex());
  layout.add(15, o.getActive()).add(16, o.getLatestSavedTimeSignalIsNull());
  if (!o.getLatestSavedTimeSignalIsNull()) layout.add(17, o.getLatestSavedTimeSignal());
  return layout.add(18, o.getAlarmStateSince());
}

TEST(AlarmDataDO, DefaultObjectHasThreeNullFields) {
  const AlarmDataDO alarm;
  EXPECT_FALSE(AlarmDataDO::Id::IsMultiKeyId());
  EXPECT_EQ("AlarmData[" + kNil + "]", alarm.getDataObjectId().ToString());
  EXPECT_EQ("AlarmData[" + kNil +
                "]=[(LastMeasurementTime=0) (CurrentValue=0) (MainAlarmCount=0) "
                "(PreAlarmCount=0) (AlarmType=0) (LearningModeActive=0) (IsTriggerValidator=0) "
                "(LearningModeActives=null) (CurrentLowerPreAlarmLevel=0) "
                "(CurrentPreAlarmLevel=0) (CurrentMainAlarmLevel=0) (CurrentAlarmMapIndex=null) "
                "(Active=0) (LatestSavedTimeSignal=null) (AlarmStateSince=0) ]",
            alarm.ToString());
  testing_support::expectThrows([&] { alarm.getLearningModeActives(); }, nullAccess(0));
  testing_support::expectThrows([&] { alarm.getCurrentAlarmMapIndex(); }, nullAccess(1));
  testing_support::expectThrows([&] { alarm.getLatestSavedTimeSignal(); }, nullAccess(2));

  const std::string key(16, '\0');
  EXPECT_EQ(hex(key + bytes("01 00 30 20 01 00 01 00 01 00 30 30 31 30 20 30 20 30 20 31 30 31 "
                            "01 00")),
            hex(archiveOf(alarm)));
  AlarmDataDO indexed;
  indexed.setCurrentAlarmMapIndex(5);
  EXPECT_EQ(hex(key + bytes("01 00 30 20 01 00 01 00 01 00 30 30 31 30 20 30 20 30 20 30 01 05 "
                            "30 31 01 00")),
            hex(archiveOf(indexed)));
}

// The full constructor stores every value, and each flag right after its value's setter: a true
// flag hides the value without dropping it, and keeps it out of the archive form.
TEST(AlarmDataDO, FullConstructorStoresValuesAndFlags) {
  const AlarmDataDO set = sample(3);
  EXPECT_EQ(
      "AlarmData[00000000-0000-0000-0000-000000000003]=[(LastMeasurementTime=1000000000003) "
      "(CurrentValue=5.5) (MainAlarmCount=303) (PreAlarmCount=7) (AlarmType=8) "
      "(LearningModeActive=1) (IsTriggerValidator=0) (LearningModeActives=modes3) "
      "(CurrentLowerPreAlarmLevel=-0.375) (CurrentPreAlarmLevel=1e+06) "
      "(CurrentMainAlarmLevel=1e-05) (CurrentAlarmMapIndex=10) (Active=1) "
      "(LatestSavedTimeSignal=00000000-0000-0000-0000-000000000067) (AlarmStateSince=-4) ]",
      set.ToString());
  EXPECT_EQ(0, set.baseFlag1);
  EXPECT_EQ(nullptr, set.externalReferenceLoader);

  const AlarmDataDO hidden = sample(3, true);
  std::vector<std::string> expected = fieldsOf(set);
  expected[8] = expected[13] = expected[16] = "1";
  EXPECT_EQ(expected, fieldsOf(hidden));
  EXPECT_EQ(std::string::npos, archiveOf(hidden).find("modes3"));
  EXPECT_EQ(hex(layoutOf(hidden).bytes()), hex(archiveOf(hidden)));
  EXPECT_EQ(hex(layoutOf(set).bytes()), hex(archiveOf(set)));
}

std::string valueText(int field, int v) {
  if (field == 0) return v == 0 ? "" : "t" + std::to_string(v);
  return field == 1 ? std::to_string(v) : uuidNumber(unsigned(v)).ToString();
}
void setValue(AlarmDataDO& o, int field, int v) {
  if (field == 0) o.setLearningModeActives(valueText(0, v));
  if (field == 1) o.setCurrentAlarmMapIndex(static_cast<unsigned short>(v));
  if (field == 2) o.setLatestSavedTimeSignal(uuidNumber(unsigned(v)));
}
void setNull(AlarmDataDO& o, int field, bool isNull) {
  if (field == 0) o.setLearningModeActivesIsNull(isNull);
  if (field == 1) o.setCurrentAlarmMapIndexIsNull(isNull);
  if (field == 2) o.setLatestSavedTimeSignalIsNull(isNull);
}
std::string getValue(const AlarmDataDO& o, int field) {
  if (field == 0) return o.getLearningModeActives();
  if (field == 1) return std::to_string(o.getCurrentAlarmMapIndex());
  return o.getLatestSavedTimeSignal().ToString();
}

// Drives two objects through random events of the state table and checks each nullable field
// against a model of its flag and the value under it after every event.
TEST(AlarmDataDO, NullFlagsFollowTheStateTable) {
  struct State {
    bool isNull = true;
    int value = 0;  // numbered as valueText numbers them; 0 is the default
  };
  AlarmDataDO objects[2];
  std::array<std::array<State, 3>, 2> model;
  std::mt19937 random(7);
  for (int step = 0; step < 3000; ++step) {
    const int t = static_cast<int>(random() % 2), s = 1 - t;
    const int f = static_cast<int>(random() % 3), v = static_cast<int>(random() % 999) + 1;
    const int event = static_cast<int>(random() % 9);
    SCOPED_TRACE("step " + std::to_string(step) + " event " + std::to_string(event));
    if (event == 0) {
      objects[t] = AlarmDataDO();
      model[t] = {};
    } else if (event == 1) {  // init() leaves the UUID's value alone
      objects[t].init();
      model[t] = {State{true, 0}, State{true, 0}, State{true, model[t][2].value}};
    } else if (event == 2) {
      setValue(objects[t], f, v);
      model[t][f] = {false, v};
    } else if (event <= 4) {
      setNull(objects[t], f, event == 3);
      model[t][f].isNull = event == 3;
    } else if (event == 5) {
      const bool n[3] = {random() % 2 == 0, random() % 2 == 0, random() % 2 == 0};
      objects[t] = AlarmDataDO(uuidNumber(1), 0, 0.0, 0, 0, 0, false, false, valueText(0, v), n[0],
                               0.0, 0.0, 0.0, static_cast<unsigned short>(v + 1), n[1], false,
                               uuidNumber(unsigned(v + 2)), n[2], 0);
      model[t] = {State{n[0], v}, State{n[1], v + 1}, State{n[2], v + 2}};
    } else if (event == 6) {
      objects[t] = AlarmDataDO(objects[s]);
      model[t] = model[s];
    } else if (event == 7) {
      objects[t] = objects[s];
      model[t] = model[s];
    } else {  // read: the flag as written, the value only where it was written
      Archive archive(archiveOf(objects[s]));
      archive >> objects[t];
      for (int i = 0; i < 3; ++i)
        model[t][i] = {model[s][i].isNull,
                       model[s][i].isNull ? model[t][i].value : model[s][i].value};
    }
    for (int o = 0; o < 2; ++o) {
      const std::string text = objects[o].ToString();
      const std::vector<std::string> fields = fieldsOf(objects[o]);
      for (int i = 0; i < 3; ++i) {
        const State& state = model[o][i];
        SCOPED_TRACE(kNullable[i].name);
        ASSERT_EQ(state.isNull ? "1" : "0", fields[kNullable[i].flag]);
        ASSERT_EQ(valueText(i, state.value), fields[kNullable[i].value]);
        if (state.isNull) {
          testing_support::expectThrows([&] { getValue(objects[o], i); }, nullAccess(i));
        } else {
          ASSERT_EQ(valueText(i, state.value), getValue(objects[o], i));
        }
        const std::string shown = state.isNull ? "null" : valueText(i, state.value);
        ASSERT_NE(std::string::npos,
                  text.find(std::string("(") + kNullable[i].name + "=" + shown + ") "));
      }
    }
  }
}

// An object whose field i holds the value numbered c[i] of that field; a flag is set for an odd
// number, and a double is +0.0, -0.0, 1.0 or NaN.
AlarmDataDO drawn(const std::array<int, 19>& c) {
  const double d[] = {0.0, -0.0, 1.0, std::numeric_limits<double>::quiet_NaN()};
  const auto u = [&](int i) { return static_cast<unsigned short>(c[i]); };
  return AlarmDataDO(uuidNumber(unsigned(c[0])), c[1], d[c[2]], u(3), u(4), u(5), c[6] == 1,
                     c[7] == 1, valueText(0, c[9]), c[8] == 1, d[c[10]], d[c[11]], d[c[12]], u(14),
                     c[13] == 1, c[15] == 1, uuidNumber(unsigned(c[17])), c[16] == 1, c[18]);
}

// isIdentical against a model over drawn values: every field must agree, doubles as IEEE values
// (a NaN never, +0.0 and -0.0 always), and the value under a flag set on both sides is ignored.
TEST(AlarmDataDO, IdentityMatchesTheModelOverDrawnObjects) {
  const auto isDouble = [](int i) { return i == 2 || (i >= 10 && i <= 12); };
  const auto modelIdentical = [&](const std::array<int, 19>& a, const std::array<int, 19>& b) {
    for (int i = 0; i < 19; ++i) {
      const bool underNull = (i == 9 || i == 14 || i == 17) && a[i - 1] == 1 && b[i - 1] == 1;
      if (isDouble(i) && (a[i] == 3 || b[i] == 3 || (a[i] == 2) != (b[i] == 2))) return false;
      if (!isDouble(i) && !underNull && a[i] != b[i]) return false;
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
    AlarmDataDO objectA = drawn(a), objectB = drawn(b);
    objectB.baseFlag1 = 1;
    SCOPED_TRACE(objectA.ToString() + " / " + objectB.ToString());
    ASSERT_EQ(modelIdentical(a, b), objectA.isIdentical(objectB));
    ASSERT_EQ(modelIdentical(a, b), objectB.isIdentical(objectA));
    ASSERT_EQ(a[0] == b[0], objectA == objectB);
    ASSERT_EQ(a[0] != b[0], objectA != objectB);
  }
}

TEST(AlarmDataDO, KeyOrderingAndCopiesOfTheBaseFields) {
  const AlarmDataDO::Id low(uuidNumber(1)), high(uuidNumber(2));
  EXPECT_TRUE(low < high && high > low);
  EXPECT_FALSE(high < low || low > high || low < low || low > low);
  EXPECT_TRUE(low == AlarmDataDO::Id(low) && low != high);
  AlarmDataDO::Id assigned;
  assigned = high;
  EXPECT_TRUE(assigned == sample(2).getDataObjectId());

  AlarmDataDO source = sample(4, true);
  source.baseFlag1 = 1;
  source.baseFlag2 = 2;
  AlarmDataDO assignedObject;
  assignedObject = source;
  for (const AlarmDataDO& copy : {AlarmDataDO(source), assignedObject}) {
    EXPECT_EQ(1, copy.baseFlag1);
    EXPECT_EQ(2, copy.baseFlag2);
    EXPECT_EQ(fieldsOf(source), fieldsOf(copy)) << "flags and the values under them";
  }
}

double randomDouble(std::mt19937_64& random) {
  double value;
  do {
    const std::uint64_t pattern = random();
    std::memcpy(&value, &pattern, sizeof value);
  } while (std::isnan(value));
  return random() % 4 == 0 ? value * std::numeric_limits<double>::max() : value;  // some infinite
}

// Random objects, written and read back into one reused target: no NaN (never identical) and no
// zero byte in the text (the string reader stops there).
TEST(AlarmDataDO, RandomObjectsRoundTrip) {
  std::mt19937_64 random(5);
  AlarmDataDO target = sample(9);
  for (int i = 0; i < 500; ++i) {
    std::string modes(static_cast<std::size_t>(random() % 300), ' ');
    for (char& c : modes)
      c = static_cast<char>(1 + random() % 255);
    const auto u16 = [&] { return static_cast<unsigned short>(random()); };
    const auto flag = [&] { return random() % 2 == 0; };
    const AlarmDataDO original(
        UuidEntryDO(Uuid::generate()), static_cast<long long>(random()), randomDouble(random),
        u16(), u16(), u16(), flag(), flag(), modes, flag(), randomDouble(random),
        randomDouble(random), randomDouble(random), u16(), flag(), flag(),
        UuidEntryDO(Uuid::generate()), flag(), static_cast<long long>(random()));
    const std::string wire = archiveOf(original);
    ASSERT_EQ(hex(layoutOf(original).bytes()), hex(wire));
    Archive archive(wire);
    archive >> target;
    ASSERT_TRUE(target.isIdentical(original)) << original.ToString();
    ASSERT_EQ(wire, archiveOf(target));
  }
}

// Cuts the archive of a set and of a null object after every byte and reads it into an object
// holding other values: the fields before the cut are replaced (values under true flags stay),
// the one at the cut is left as its decoder leaves it, and the rest are untouched.
TEST(AlarmDataDO, TruncatedArchivesReplaceOnlyTheEntriesBeforeTheCut) {
  // What a failed decoder leaves: 'z' zero (integers), 'e' empty (text), 'k' kept, '?' unfixed.
  const char kLeft[] = "kz?zzzkkke???kzkkkz";
  const AlarmDataDO old = sample(50);
  const std::vector<std::string> before = fieldsOf(old);
  for (bool nulls : {false, true}) {
    const AlarmDataDO written = sample(1, nulls);
    const std::vector<std::string> after = fieldsOf(written);
    const testing_support::WireLayout layout = layoutOf(written);
    const std::string& wire = layout.bytes();
    for (std::size_t cut = 0; cut < wire.size(); ++cut) {
      SCOPED_TRACE(std::to_string(nulls) + " cut " + std::to_string(cut));
      const auto& stretch = layout.at(cut);
      AlarmDataDO target(old);
      Archive archive(wire.substr(0, cut));
      testing_support::expectThrows([&] { archive >> target; }, stretch.read);
      const std::vector<std::string> actual = fieldsOf(target);
      for (int i = 0; i < 19; ++i) {
        SCOPED_TRACE(i);
        const bool absent = nulls && (i == 9 || i == 14 || i == 17);
        const char left = i == stretch.field ? kLeft[i] : i > stretch.field || absent ? 'k' : 'w';
        if (left != '?') {
          EXPECT_EQ(left == 'z'   ? "0"
                    : left == 'e' ? ""
                    : left == 'k' ? before[i]
                                  : after[i],
                    actual[i]);
        }
      }
    }
  }
}

TEST(AlarmDataDO, WriteFailuresKeepTheBytesThatFit) {
  for (bool nulls : {false, true}) {
    const AlarmDataDO alarm = sample(1, nulls);
    layoutOf(alarm).expectWriteFailures([&](Archive& archive) { archive << alarm; });
  }
}

// The text guards AlarmDataDO renders through: a nullable value that throws is replaced by its
// own error text and the rendering goes on; any other DataObjectException replaces the whole text.
TEST(AlarmDataDO, TextGuardsReplaceAFailedValueOrTheWholeText) {
  const auto fail = []() -> std::string {
    throw ExceptionFactory("AlarmDataDO", 264).createException<DataObjectException>("x");
  };
  const auto render = [](const std::function<void(ObjectText&)>& fill) {
    return ObjectText::objectText(fill, "AlarmData", UuidEntryDO());
  };
  EXPECT_EQ(
      "AlarmData[" + kNil + "]=[(A=Error converting A to string) (B=1) ]",
      render([&](ObjectText& text) {
        text.nullableField("(A=", false, fail, "Error converting A to string").field("(B=", 1);
      }));
  EXPECT_EQ("Error converting object to string", render([&](ObjectText&) { fail(); }));
  EXPECT_THROW(render([](ObjectText&) { throw std::runtime_error("other"); }), std::runtime_error);
}

}  // namespace

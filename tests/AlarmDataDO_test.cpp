// AlarmDataDO: nineteen fields, three of them nullable, and the conditional archive entries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
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

ExpectedFailure nullAccess(const std::string& element, int line) {
  return {"DataObjectException", "Accessing element AlarmData." + element + " with null value.",
          "AlarmDataDO", line};
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
testing_support::WireLayout layoutOf(const AlarmDataDO& object) {
  testing_support::WireLayout layout;
  layout.add(0, object.getCharacteristicValueConfig())
      .add(1, object.getLastMeasurementTime())
      .add(2, object.getCurrentValue())
      .add(3, object.getMainAlarmCount())
      .add(4, object.getPreAlarmCount())
      .add(5, object.getAlarmType())
      .add(6, object.getLearningModeActive())
      .add(7, object.getIsTriggerValidator())
      .add(8, object.getLearningModeActivesIsNull());
  if (!object.getLearningModeActivesIsNull()) layout.add(9, object.getLearningModeActives());
  layout.add(10, object.getCurrentLowerPreAlarmLevel())
      .add(11, object.getCurrentPreAlarmLevel())
      .add(12, object.getCurrentMainAlarmLevel())
      .add(13, object.getCurrentAlarmMapIndexIsNull());
  if (!object.getCurrentAlarmMapIndexIsNull()) layout.add(14, object.getCurrentAlarmMapIndex());
  layout.add(15, object.getActive()).add(16, object.getLatestSavedTimeSignalIsNull());
  if (!object.getLatestSavedTimeSignalIsNull()) layout.add(17, object.getLatestSavedTimeSignal());
  return layout.add(18, object.getAlarmStateSince());
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
  testing_support::expectThrows([&] { alarm.getLearningModeActives(); },
                                nullAccess("LearningModeActives", 264));
  testing_support::expectThrows([&] { alarm.getCurrentAlarmMapIndex(); },
                                nullAccess("CurrentAlarmMapIndex", 308));
  testing_support::expectThrows([&] { alarm.getLatestSavedTimeSignal(); },
                                nullAccess("LatestSavedTimeSignal", 336));

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

TEST(AlarmDataDO, TextOfASetObject) {
  EXPECT_EQ(
      "AlarmData[00000000-0000-0000-0000-000000000003]=[(LastMeasurementTime=1000000000003) "
      "(CurrentValue=5.5) (MainAlarmCount=303) (PreAlarmCount=7) (AlarmType=8) "
      "(LearningModeActive=1) (IsTriggerValidator=0) (LearningModeActives=modes3) "
      "(CurrentLowerPreAlarmLevel=-0.375) (CurrentPreAlarmLevel=1e+06) "
      "(CurrentMainAlarmLevel=1e-05) (CurrentAlarmMapIndex=10) (Active=1) "
      "(LatestSavedTimeSignal=00000000-0000-0000-0000-000000000067) (AlarmStateSince=-4) ]",
      sample(3).ToString());
}

// The full constructor stores every value, and each flag right after its value's setter: a true
// flag hides the value without dropping it.
TEST(AlarmDataDO, FullConstructorStoresValuesAndFlags) {
  const AlarmDataDO set = sample(3);
  EXPECT_EQ((std::vector<std::string>{uuidNumber(3).ToString(), "1000000000003", exact(5.5), "303",
                                      "7", "8", "1", "0", "0", "modes3", exact(-0.375),
                                      exact(1000003.0), exact(1e-5), "0", "10", "1", "0",
                                      uuidNumber(103).ToString(), "-4"}),
            fieldsOf(set));
  EXPECT_EQ(0, set.baseFlag1);
  EXPECT_EQ(nullptr, set.externalReferenceLoader);

  const AlarmDataDO hidden = sample(3, true);
  std::vector<std::string> expected = fieldsOf(set);
  expected[8] = expected[13] = expected[16] = "1";
  EXPECT_EQ(expected, fieldsOf(hidden));
  const std::string wire = archiveOf(hidden);
  EXPECT_EQ(std::string::npos, wire.find("modes3"));
  EXPECT_EQ(hex(layoutOf(hidden).bytes()), hex(wire));
  EXPECT_EQ(hex(layoutOf(set).bytes()), hex(archiveOf(set)));
}

// Drives two objects through random events of the state table and checks every nullable field
// against a model of its flag and the value under it after each event.
TEST(AlarmDataDO, NullFlagsFollowTheStateTable) {
  struct Nullable {
    const char* name;
    int line;
    std::function<void(AlarmDataDO&, int)> set;
    std::function<void(AlarmDataDO&, bool)> setNull;
    std::function<bool(const AlarmDataDO&)> isNull;
    std::function<std::string(const AlarmDataDO&)> get;
    std::function<std::string(int)> text;  // the value numbered v; 0 is the default
  };
  const std::vector<Nullable> fields = {
      {"LearningModeActives", 264,
       [](AlarmDataDO& o, int v) { o.setLearningModeActives(v ? "t" + std::to_string(v) : ""); },
       [](AlarmDataDO& o, bool n) { o.setLearningModeActivesIsNull(n); },
       [](const AlarmDataDO& o) { return o.getLearningModeActivesIsNull(); },
       [](const AlarmDataDO& o) { return o.getLearningModeActives(); },
       [](int v) { return v ? "t" + std::to_string(v) : ""; }},
      {"CurrentAlarmMapIndex", 308,
       [](AlarmDataDO& o, int v) { o.setCurrentAlarmMapIndex(static_cast<unsigned short>(v)); },
       [](AlarmDataDO& o, bool n) { o.setCurrentAlarmMapIndexIsNull(n); },
       [](const AlarmDataDO& o) { return o.getCurrentAlarmMapIndexIsNull(); },
       [](const AlarmDataDO& o) { return std::to_string(o.getCurrentAlarmMapIndex()); },
       [](int v) { return std::to_string(v); }},
      {"LatestSavedTimeSignal", 336,
       [](AlarmDataDO& o, int v) { o.setLatestSavedTimeSignal(uuidNumber(unsigned(v))); },
       [](AlarmDataDO& o, bool n) { o.setLatestSavedTimeSignalIsNull(n); },
       [](const AlarmDataDO& o) { return o.getLatestSavedTimeSignalIsNull(); },
       [](const AlarmDataDO& o) { return o.getLatestSavedTimeSignal().ToString(); },
       [](int v) { return uuidNumber(unsigned(v)).ToString(); }},
  };
  struct State {
    bool isNull = true;
    int value = 0;
  };
  AlarmDataDO objects[2];
  State model[2][3];

  std::mt19937 random(7);
  for (int step = 0; step < 3000; ++step) {
    const int t = static_cast<int>(random() % 2), s = 1 - t;
    const std::size_t f = random() % 3;
    const int value = static_cast<int>(random() % 1000) + 1;
    const int event = static_cast<int>(random() % 9);
    SCOPED_TRACE("step " + std::to_string(step) + " event " + std::to_string(event));
    switch (event) {
      case 0:  // the default constructor
        objects[t] = AlarmDataDO();
        for (State& state : model[t])
          state = State();
        break;
      case 1:  // init(): flags set, defaults, the UUID value untouched
        objects[t].init();
        for (std::size_t i = 0; i < 3; ++i)
          model[t][i] = {true, i == 2 ? model[t][i].value : 0};
        break;
      case 2:
        fields[f].set(objects[t], value);
        model[t][f] = {false, value};
        break;
      case 3:
      case 4:
        fields[f].setNull(objects[t], event == 3);
        model[t][f].isNull = event == 3;
        break;
      case 5: {  // the full constructor, each flag drawn at random
        const bool nulls[3] = {random() % 2 == 0, random() % 2 == 0, random() % 2 == 0};
        objects[t] =
            AlarmDataDO(uuidNumber(1), 0, 0.0, 0, 0, 0, false, false, fields[0].text(value),
                        nulls[0], 0.0, 0.0, 0.0, static_cast<unsigned short>(value + 1), nulls[1],
                        false, uuidNumber(unsigned(value + 2)), nulls[2], 0);
        for (int i = 0; i < 3; ++i)
          model[t][i] = {nulls[i], value + i};
        break;
      }
      case 6:
        objects[t] = AlarmDataDO(objects[s]);
        std::copy(model[s], model[s] + 3, model[t]);
        break;
      case 7:
        objects[t] = objects[s];
        std::copy(model[s], model[s] + 3, model[t]);
        break;
      case 8: {  // read: the flag as written, the value only where it was written
        Archive archive(archiveOf(objects[s]));
        archive >> objects[t];
        for (int i = 0; i < 3; ++i) {
          model[t][i].isNull = model[s][i].isNull;
          if (!model[s][i].isNull) model[t][i].value = model[s][i].value;
        }
        break;
      }
    }
    for (int o = 0; o < 2; ++o) {
      const std::string text = objects[o].ToString();
      for (std::size_t i = 0; i < 3; ++i) {
        const Nullable& field = fields[i];
        const State& state = model[o][i];
        SCOPED_TRACE(field.name);
        ASSERT_EQ(state.isNull, field.isNull(objects[o]));
        if (state.isNull) {
          testing_support::expectThrows([&] { field.get(objects[o]); },
                                        nullAccess(field.name, field.line));
        } else {
          ASSERT_EQ(field.text(state.value), field.get(objects[o]));
        }
        const std::string shown = state.isNull ? "null" : field.text(state.value);
        ASSERT_NE(std::string::npos, text.find(std::string("(") + field.name + "=" + shown + ") "))
            << text;
        AlarmDataDO open(objects[o]);
        field.setNull(open, false);
        ASSERT_EQ(field.text(state.value), field.get(open)) << "the value under the flag";
      }
    }
  }
}

TEST(AlarmDataDO, IdentityComparesEveryFieldButNullValuesAndBaseFields) {
  using Change = std::function<void(AlarmDataDO&)>;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* what;
    Change change;
    bool identical;  // to the unchanged object
  } cases[] = {
      {"LastMeasurementTime", [](AlarmDataDO& o) { o.setLastMeasurementTime(1); }, false},
      {"CurrentValue", [](AlarmDataDO& o) { o.setCurrentValue(0.5); }, false},
      {"MainAlarmCount", [](AlarmDataDO& o) { o.setMainAlarmCount(1); }, false},
      {"PreAlarmCount", [](AlarmDataDO& o) { o.setPreAlarmCount(1); }, false},
      {"AlarmType", [](AlarmDataDO& o) { o.setAlarmType(1); }, false},
      {"LearningModeActive",
       [](AlarmDataDO& o) { o.setLearningModeActive(!o.getLearningModeActive()); }, false},
      {"IsTriggerValidator",
       [](AlarmDataDO& o) { o.setIsTriggerValidator(!o.getIsTriggerValidator()); }, false},
      {"LearningModeActives", [](AlarmDataDO& o) { o.setLearningModeActives("x"); }, false},
      {"LearningModeActivesIsNull", [](AlarmDataDO& o) { o.setLearningModeActivesIsNull(true); },
       false},
      {"CurrentLowerPreAlarmLevel", [](AlarmDataDO& o) { o.setCurrentLowerPreAlarmLevel(9); },
       false},
      {"CurrentPreAlarmLevel", [](AlarmDataDO& o) { o.setCurrentPreAlarmLevel(9); }, false},
      {"CurrentMainAlarmLevel", [](AlarmDataDO& o) { o.setCurrentMainAlarmLevel(9); }, false},
      {"CurrentAlarmMapIndex", [](AlarmDataDO& o) { o.setCurrentAlarmMapIndex(99); }, false},
      {"CurrentAlarmMapIndexIsNull", [](AlarmDataDO& o) { o.setCurrentAlarmMapIndexIsNull(true); },
       false},
      {"Active", [](AlarmDataDO& o) { o.setActive(!o.getActive()); }, false},
      {"LatestSavedTimeSignal", [](AlarmDataDO& o) { o.setLatestSavedTimeSignal(uuidNumber(1)); },
       false},
      {"LatestSavedTimeSignalIsNull",
       [](AlarmDataDO& o) { o.setLatestSavedTimeSignalIsNull(true); }, false},
      {"AlarmStateSince", [](AlarmDataDO& o) { o.setAlarmStateSince(0); }, false},
      {"NaN CurrentValue", [&](AlarmDataDO& o) { o.setCurrentValue(nan); }, false},
      {"NaN lower level", [&](AlarmDataDO& o) { o.setCurrentLowerPreAlarmLevel(nan); }, false},
      {"NaN pre level", [&](AlarmDataDO& o) { o.setCurrentPreAlarmLevel(nan); }, false},
      {"NaN main level", [&](AlarmDataDO& o) { o.setCurrentMainAlarmLevel(nan); }, false},
      {"negative zero", [](AlarmDataDO& o) { o.setCurrentValue(-0.0); }, true},
      {"base fields", [](AlarmDataDO& o) { o.baseFlag1 = o.baseFlag2 = 1; }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AlarmDataDO base = sample(2);
    base.setCurrentValue(0.0);
    AlarmDataDO changed(base);
    c.change(changed);
    EXPECT_EQ(c.identical, changed.isIdentical(base));
    EXPECT_EQ(c.identical, base.isIdentical(changed));
    EXPECT_TRUE(changed == base) << "== compares keys only";
    EXPECT_EQ(std::strncmp(c.what, "NaN", 3) != 0, AlarmDataDO(changed).isIdentical(changed))
        << "only a NaN differs from itself";
  }
  EXPECT_FALSE(sample(2) == sample(3));
  EXPECT_TRUE(sample(2) != sample(3));

  // Values under set flags take no part.
  AlarmDataDO a = sample(2, true), b = sample(2, true);
  b.setLearningModeActives("other");
  b.setCurrentAlarmMapIndex(1);
  b.setLatestSavedTimeSignal(uuidNumber(9));
  b.setLearningModeActivesIsNull(true);
  b.setCurrentAlarmMapIndexIsNull(true);
  b.setLatestSavedTimeSignalIsNull(true);
  EXPECT_TRUE(a.isIdentical(b));
  EXPECT_EQ(archiveOf(a), archiveOf(b));
}

TEST(AlarmDataDO, KeyOrderingAndCopiesOfTheBaseFields) {
  const AlarmDataDO::Id low(uuidNumber(1)), high(uuidNumber(2));
  EXPECT_TRUE(low < high);
  EXPECT_FALSE(high < low);
  EXPECT_TRUE(high > low);
  EXPECT_FALSE(low > high);
  EXPECT_FALSE(low < low || low > low);
  EXPECT_TRUE(low == AlarmDataDO::Id(low) && low != high);
  AlarmDataDO::Id assigned;
  assigned = high;
  EXPECT_TRUE(assigned == sample(2).getDataObjectId());

  AlarmDataDO source = sample(4);
  source.baseFlag1 = 1;
  source.baseFlag2 = 2;
  AlarmDataDO assignedObject;
  assignedObject = source;
  for (const AlarmDataDO& copy : {AlarmDataDO(source), assignedObject}) {
    EXPECT_EQ(1, copy.baseFlag1);
    EXPECT_EQ(2, copy.baseFlag2);
    EXPECT_EQ(fieldsOf(source), fieldsOf(copy));
  }
}

double randomDouble(std::mt19937_64& random) {
  static const double special[] = {0.0,
                                   -0.0,
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::max(),
                                   std::numeric_limits<double>::min(),
                                   0.1};
  if (random() % 4 == 0) return special[random() % 7];
  double value;
  do {
    const std::uint64_t pattern = random();
    std::memcpy(&value, &pattern, sizeof value);
  } while (std::isnan(value));
  return value;
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
    const AlarmDataDO original(UuidEntryDO(Uuid::generate()), static_cast<long long>(random()),
                               randomDouble(random), u16(), u16(), u16(), random() % 2 == 0,
                               random() % 2 == 0, modes, random() % 2 == 0, randomDouble(random),
                               randomDouble(random), randomDouble(random), u16(), random() % 2 == 0,
                               random() % 2 == 0, UuidEntryDO(Uuid::generate()), random() % 2 == 0,
                               static_cast<long long>(random()));
    const std::string wire = archiveOf(original);
    ASSERT_EQ(hex(layoutOf(original).bytes()), hex(wire));
    Archive archive(wire);
    archive >> target;
    ASSERT_TRUE(target.isIdentical(original)) << original.ToString();
    ASSERT_EQ(wire, archiveOf(target));
  }
}

enum Kind { kUuid, kInteger, kDouble, kBool, kText };
const Kind kKinds[19] = {kUuid,    kInteger, kDouble, kInteger, kInteger, kInteger, kBool,
                         kBool,    kBool,    kText,   kDouble,  kDouble,  kDouble,  kBool,
                         kInteger, kBool,    kBool,   kUuid,    kInteger};

// Cuts the archive of a set and of a null object after every byte and reads it into an object
// holding other values: the fields before the cut are replaced (values under true flags stay),
// the one at the cut is left as its decoder leaves it, and the rest are untouched.
TEST(AlarmDataDO, TruncatedArchivesReplaceOnlyTheEntriesBeforeTheCut) {
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
        const bool absent = (i == 9 || i == 14 || i == 17) && nulls;
        if (i < stretch.field) {
          EXPECT_EQ(absent ? before[i] : after[i], actual[i]);
        } else if (i > stretch.field) {
          EXPECT_EQ(before[i], actual[i]);
        } else if (kKinds[i] == kInteger || kKinds[i] == kText) {
          EXPECT_EQ(kKinds[i] == kInteger ? "0" : "", actual[i]);
        } else if (kKinds[i] != kDouble) {
          EXPECT_EQ(before[i], actual[i]);
        }
      }
    }
  }
}

TEST(AlarmDataDO, WriteFailuresKeepTheBytesThatFit) {
  for (bool nulls : {false, true}) {
    const AlarmDataDO alarm = sample(1, nulls);
    const testing_support::WireLayout layout = layoutOf(alarm);
    const std::string& wire = layout.bytes();
    for (std::size_t limit = 0; limit < wire.size(); ++limit) {
      SCOPED_TRACE(std::to_string(nulls) + " limit " + std::to_string(limit));
      testing_support::LimitedSink sink(limit);
      Archive archive(&sink);
      testing_support::expectThrows([&] { archive << alarm; }, layout.at(limit).write);
      EXPECT_EQ(hex(wire.substr(0, limit)), hex(sink.written()));
    }
  }
}

// The guards AlarmDataDO's text is built with: a failed nullable value is replaced by its own
// error text and the rendering goes on; any other DataObjectException replaces the whole text.
TEST(AlarmDataDO, TextGuardsReplaceAFailedValueOrTheWholeText) {
  const auto fail = []() -> std::string {
    throw ExceptionFactory("AlarmDataDO", 264)
        .createException<DataObjectException>("Accessing element %s with null value.", "x");
  };
  EXPECT_EQ(
      "AlarmData[" + kNil + "]=[(A=Error converting A to string) (B=1) ]",
      ObjectText::objectText(
          [&](ObjectText& text) {
            text.nullableField("(A=", false, fail, "Error converting A to string").field("(B=", 1);
          },
          "AlarmData", UuidEntryDO()));
  EXPECT_EQ("Error converting object to string",
            ObjectText::objectText([&](ObjectText&) { fail(); }, "AlarmData", UuidEntryDO()));
  EXPECT_THROW(ObjectText::objectText([](ObjectText&) { throw std::runtime_error("other"); },
                                      "AlarmData", UuidEntryDO()),
               std::runtime_error);
}

}  // namespace

// The public API as applications are written against it: every member function that the library
// defines taken by address with its exact type (those of the objects' fields are taken so by the
// class descriptions of data_objects_test.cpp), the free archive operators called by name and
// taken by address, the converting key constructors and the keys in ordered containers. Most of
// it is checked by compiling and linking (every address taken must resolve to an exported symbol
// of the library); the test body then uses each key class the way an application's index does.
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dataobjects/AlarmDataDO.h"
#include "dataobjects/AlarmLearningValuesDO.h"
#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/CharacteristicValueDataMeasurementDataMapDO.h"
#include "dataobjects/JobDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"
#include "libs/utilities/archive/Serialize"
#include "platform/Archive.h"
#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Stores an address where the compiler cannot drop it, so that a function the library does not
// export fails the link.
template <class T>
volatile T kept{};
template <class T>
void keep(T address) {
  kept<T> = address;
}

#define MEMBER(Class, name, ...) keep<__VA_ARGS__>(&Class::name)
// A field with a getter returning a const reference and a setter taking one.
#define FIELD(Class, Name, Type)                            \
  MEMBER(Class, get##Name, const Type& (Class::*)() const); \
  MEMBER(Class, set##Name, void (Class::*)(const Type&))
// An external reference: by value, and the setter starts with a capital S.
#define REFERENCE(Class, Name)                                             \
  MEMBER(Class, getExternalReference##Name, long long (Class::*)() const); \
  MEMBER(Class, SetExternalReference##Name, void (Class::*)(long long))

// What every data object X and its X::Id declare.
template <class X>
void conventions() {
  using Id = typename X::Id;
  MEMBER(Id, init, void(Id::*)());
  MEMBER(Id, copy, void(Id::*)(const Id&));
  MEMBER(Id, operator=, Id & (Id::*)(const Id&));
  MEMBER(Id, IsMultiKeyId, bool (*)());
  MEMBER(Id, operator<, bool(Id::*)(const Id&) const);
  MEMBER(Id, operator>, bool(Id::*)(const Id&) const);
  MEMBER(Id, isEqual, bool(Id::*)(const Id&) const);
  MEMBER(Id, operator==, bool(Id::*)(const Id&) const);
  MEMBER(Id, operator!=, bool(Id::*)(const Id&) const);
  MEMBER(Id, ToString, std::string(Id::*)() const);
  keep<Archive& (*)(Archive&, const Id&)>(&::operator<<);
  keep<Archive& (*)(Archive&, Id&)>(&::operator>>);
  static_assert(std::has_virtual_destructor<Id>::value && std::is_polymorphic<Id>::value, "");
  static_assert(std::is_copy_constructible<Id>::value, "");

  MEMBER(X, init, void(X::*)());
  MEMBER(X, copy, void(X::*)(const X&));
  MEMBER(X, operator=, X & (X::*)(const X&));
  MEMBER(X, getDataObjectId, Id(X::*)() const);
  MEMBER(X, isEqual, bool(X::*)(const X&) const);
  MEMBER(X, operator==, bool(X::*)(const X&) const);
  MEMBER(X, operator!=, bool(X::*)(const X&) const);
  MEMBER(X, isIdentical, bool(X::*)(const X&) const);
  MEMBER(X, ToString, std::string(X::*)() const);
  keep<Archive& (*)(Archive&, const X&)>(&::operator<<);
  keep<Archive& (*)(Archive&, X&)>(&::operator>>);
  static_assert(std::is_base_of<BaseDataObject, X>::value, "");
  static_assert(std::has_virtual_destructor<X>::value, "");
}

// The compressed details of CharacteristicValueDataDO and MeasurementDataDO.
#define COMPRESSED_DETAILS(Class, Name)                                        \
  MEMBER(Class, get##Name##Details, std::string (Class::*)() const);           \
  MEMBER(Class, set##Name##Details, void (Class::*)(const std::string&));      \
  MEMBER(Class, get##Name##DetailsOptions, const Options& (Class::*)() const); \
  MEMBER(Class, clear##Name##DetailsOptions, void (Class::*)() const);         \
  MEMBER(Class, getCompressed##Name##Details, Bytes& (Class::*)());            \
  MEMBER(Class, setCompressed##Name##Details, void (Class::*)(const Bytes&));  \
  REFERENCE(Class, Name##Details)

// The codec's encoder and decoder of T, and the integer packer for the integer types.
template <class T>
void codec() {
  keep<void (*)(const T&, std::ostream&)>(&KavSerialize::serialize);
  keep<void (*)(T&, std::istream&)>(&KavSerialize::deserialize);
  if constexpr (std::is_integral<T>::value && sizeof(T) > 1)
    keep<bool (*)(T, std::ostream&)>(&KavSerialize::ser_helper::pack_int<T>);
}

// The getters and setters of the objects' fields are taken with their exact types by the class
// descriptions of data_objects_test.cpp; here the keys' and those defined in the library.
void declarations() {
  conventions<JobDataDO>();
  FIELD(JobDataDO::Id, CurrentUuid, UuidEntryDO);
  conventions<CharacteristicValueDataDO>();
  FIELD(CharacteristicValueDataDO::Id, CurrentUuid, UuidEntryDO);
  COMPRESSED_DETAILS(CharacteristicValueDataDO, CharacteristicValueData);
  conventions<MeasurementDataDO>();
  FIELD(MeasurementDataDO::Id, CurrentUuid, UuidEntryDO);
  COMPRESSED_DETAILS(MeasurementDataDO, MeasurementData);
  using Map = CharacteristicValueDataMeasurementDataMapDO;
  conventions<Map>();
  FIELD(Map::Id, CharacteristicValueData, UuidEntryDO);
  FIELD(Map::Id, MeasurementData, UuidEntryDO);
  conventions<AlarmDataDO>();
  FIELD(AlarmDataDO::Id, CharacteristicValueConfig, UuidEntryDO);
  MEMBER(AlarmDataDO, getLearningModeActives, const std::string& (AlarmDataDO::*)() const);
  MEMBER(AlarmDataDO, getCurrentAlarmMapIndex, const unsigned short& (AlarmDataDO::*)() const);
  MEMBER(AlarmDataDO, getLatestSavedTimeSignal, const UuidEntryDO& (AlarmDataDO::*)() const);
  conventions<AlarmLearningValuesDO>();
  FIELD(AlarmLearningValuesDO::Id, CharacteristicValueConfig, UuidEntryDO);
  FIELD(AlarmLearningValuesDO::Id, X, unsigned short);
  FIELD(AlarmLearningValuesDO::Id, Y, unsigned short);
  conventions<TrendDataDO>();
  FIELD(TrendDataDO::Id, CurrentUuid, UuidEntryDO);
  MEMBER(TrendDataDO, setTrendDataDetails, void(TrendDataDO::*)(const std::string&));
  MEMBER(TrendDataDO, getTrendDataDetailsOptions, const Options& (TrendDataDO::*)() const);
  MEMBER(TrendDataDO, clearTrendDataDetailsOptions, void(TrendDataDO::*)() const);

  (codec<long long>(), codec<unsigned short>(), codec<unsigned int>(), codec<unsigned long>());
  (codec<unsigned char>(), codec<double>(), codec<std::string>());
  namespace K = KavSerialize;
  keep<void (*)(bool, std::ostream&)>(&K::serialize);
  keep<void (*)(bool&, std::istream&)>(&K::deserialize);
  keep<bool (*)(double&, std::istream&)>(&K::deserialize_floating_point<double>);
  keep<const Archive& (*)(Archive&, Bytes&)>(&::operator>>);
  keep<TesmiraException* (K::SerializationException::*)() const>(&K::SerializationException::clone);
}

// An application's index of objects by key: the Id converts from the entry it is keyed by, and
// is written and read by name.
template <class X>
void indexByUuidKey() {
  const UuidEntryDO a(Uuid::generate()), b(Uuid::generate());
  std::map<typename X::Id, int> byKey{{a, 1}, {b, 2}};
  EXPECT_EQ(2, byKey.find(b)->second) << typeid(X).name();
  Archive archive;
  ::operator<<(archive, typename X::Id(b));
  typename X::Id back;
  ::operator>>(archive, back);
  EXPECT_TRUE(back == b);
}

TEST(PublicApi, KeysIndexAndRoundTripAsApplicationsUseThem) {
  declarations();
  indexByUuidKey<JobDataDO>();
  indexByUuidKey<CharacteristicValueDataDO>();
  indexByUuidKey<MeasurementDataDO>();
  indexByUuidKey<TrendDataDO>();
  indexByUuidKey<AlarmDataDO>();

  const UuidEntryDO a(Uuid::fromString("00000000-0000-0000-0000-00000000000a"));
  std::set<CharacteristicValueDataMeasurementDataMapDO::Id> links{{a, UuidEntryDO()},
                                                                  {UuidEntryDO(), a}};
  std::map<AlarmLearningValuesDO::Id, int> cells{{{a, 1, 2}, 1}, {{a, 2, 1}, 2}};
  EXPECT_EQ(2u, links.size());
  EXPECT_EQ(2, cells.rbegin()->second);

  // A float converts to the double encoder, as with any function taking a double.
  std::ostringstream out;
  KavSerialize::serialize(1.5f, out);
  EXPECT_EQ("1.5 ", out.str());

  // Any signed type packs as a long long; float and long double read as double does.
  out.str("");
  EXPECT_FALSE(KavSerialize::ser_helper::pack_int(-300, out));
  EXPECT_EQ("\x82\x2C\x01", out.str());
  std::istringstream in("2.5 ninf 1e-2x");
  float f = 0;
  long double l = 0;
  EXPECT_FALSE(KavSerialize::deserialize_floating_point(f, in));
  EXPECT_FALSE(KavSerialize::deserialize_floating_point(l, in));
  EXPECT_TRUE(KavSerialize::deserialize_floating_point(f, in));
  EXPECT_EQ(0.01f, f);
  EXPECT_EQ(-std::numeric_limits<long double>::infinity(), l);
}

}  // namespace

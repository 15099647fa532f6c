// How a test reaches the compressed details of CharacteristicValueDataDO and MeasurementDataDO
// (and the options of TrendDataDO's plain details) under one set of names, so that one typed
// test covers the classes.
#ifndef TESTS_SUPPORT_DETAILSACCESS_H
#define TESTS_SUPPORT_DETAILSACCESS_H

#include <string>
#include <vector>

#include "dataobjects/CharacteristicValueDataDO.h"
#include "dataobjects/MeasurementDataDO.h"
#include "dataobjects/TrendDataDO.h"

namespace testing_support {

// `line`: where a failed decompression is thrown. `construct`: the full constructor with the
// details text t, after the CurrentUuid, a time stamp and a configuration.
#define DATAOBJECTS_DETAILS_ACCESS(Access, Class, Name, line, construct)                           \
  struct Access {                                                                                  \
    using Object = Class;                                                                          \
    using Bytes = std::vector<unsigned char>;                                                      \
    static constexpr const char* kFile = #Class;                                                   \
    static constexpr int kLine = line;                                                             \
    static Object withText(const std::string& t) { return construct; }                             \
    static std::string text(const Object& o) { return o.get##Name##Details(); }                    \
    static void setText(Object& o, const std::string& t) { o.set##Name##Details(t); }              \
    static Bytes& stored(Object& o) { return o.getCompressed##Name##Details(); }                   \
    static void setStored(Object& o, const Bytes& b) { o.setCompressed##Name##Details(b); }        \
    static void setReference(Object& o, long long r) { o.SetExternalReference##Name##Details(r); } \
    static const Options& options(const Object& o) { return o.get##Name##DetailsOptions(); }       \
    static void clearOptions(const Object& o) { o.clear##Name##DetailsOptions(); }                 \
  }

DATAOBJECTS_DETAILS_ACCESS(CharacteristicValueAccess, CharacteristicValueDataDO,
                           CharacteristicValueData, 221,
                           Object(UuidEntryDO(), 1, UuidEntryDO(), t, UuidEntryDO(), 0.5, 2, true));
DATAOBJECTS_DETAILS_ACCESS(MeasurementAccess, MeasurementDataDO, MeasurementData, 219,
                           Object(UuidEntryDO(), 1, UuidEntryDO(), t, {}, UuidEntryDO(), true));

// TrendDataDO's details are a plain text, with the same options cache.
struct TrendAccess {
  using Object = TrendDataDO;
  static void setText(Object& o, const std::string& t) { o.setTrendDataDetails(t); }
  static const Options& options(const Object& o) { return o.getTrendDataDetailsOptions(); }
  static void clearOptions(const Object& o) { o.clearTrendDataDetailsOptions(); }
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_DETAILSACCESS_H

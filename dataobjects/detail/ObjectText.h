/// @file
/// ObjectText: the one-line text form shared by every data object and its Id.
///
/// @verbatim
///   Id:      <Prefix>[<key parts, run together>]
///   object:  <Prefix>[<key parts>]=[(Label=value) (Label=value) ]
/// @endverbatim
///
/// Values use a default-formatted stream: integers in decimal, bool as 1 or 0, double as
/// printf's %g, a UuidEntryDO as its ToString() text, a byte blob as `"<size>(Blob Length)"`.
#ifndef DATAOBJECTS_DETAIL_OBJECTTEXT_H
#define DATAOBJECTS_DETAIL_OBJECTTEXT_H

#include <sstream>
#include <string>
#include <vector>

#include "libs/utilities/archive/DataObjectException.h"
#include "platform/UuidEntryDO.h"

namespace dataobjects_data {
namespace detail {

class ObjectText {
 public:
  /// The text of an Id: `"<prefix>["` + the key parts with nothing between them + "]".
  template <class... Keys>
  static std::string keyText(const char* prefix, const Keys&... keys) {
    ObjectText text(prefix, keys...);
    text.out_ << ']';
    return text.out_.str();
  }

  /// The text of an object: `fill` adds the fields to an ObjectText that already holds the
  /// prefix, the key and "]=[". A DataObjectException thrown while the text is built discards it
  /// and yields "Error converting object to string"; other exceptions pass through.
  template <class Fill, class... Keys>
  static std::string objectText(Fill&& fill, const char* prefix, const Keys&... keys) {
    try {
      ObjectText text(prefix, keys...);
      text.out_ << "]=[";
      fill(text);
      text.out_ << ']';
      return text.out_.str();
    } catch (const DataObjectException&) {
      return "Error converting object to string";
    }
  }

  /// Appends `label` (given with its "(" and "="), the value and ") ".
  template <class T>
  ObjectText& field(const char* label, const T& value) {
    out_ << label;
    put(value);
    out_ << ") ";
    return *this;
  }

  /// Appends `label`, the byte count of `blob`, "(Blob Length)" and ") ".
  ObjectText& blob(const char* label, const std::vector<unsigned char>& blob) {
    out_ << label << blob.size() << "(Blob Length)) ";
    return *this;
  }

  /// A nullable field: "null" when `isNull`; otherwise the value that `get` returns, inside a
  /// guard that writes `errorText` in its place when `get` or the conversion throws a
  /// DataObjectException (what was already written for the value stays).
  template <class Get>
  ObjectText& nullableField(const char* label, bool isNull, Get&& get, const char* errorText) {
    out_ << label;
    if (isNull) {
      out_ << "null";
    } else {
      try {
        put(get());
      } catch (const DataObjectException&) {
        out_ << errorText;
      }
    }
    out_ << ") ";
    return *this;
  }

 private:
  template <class... Keys>
  ObjectText(const char* prefix, const Keys&... keys) {
    // A text the buffer could not grow for (no memory) ends in that exception, not cut short.
    out_.exceptions(std::ios_base::badbit);
    out_ << prefix << '[';
    (put(keys), ...);
  }

  void put(const UuidEntryDO& entry) { out_ << entry.ToString(); }
  template <class T>
  void put(const T& value) {
    out_ << value;
  }

  std::ostringstream out_;
};

}  // namespace detail
}  // namespace dataobjects_data

#endif  // DATAOBJECTS_DETAIL_OBJECTTEXT_H

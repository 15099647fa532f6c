#include "tools/json/ObjectCatalog.h"

#include <cmath>
#include <limits>
#include <type_traits>

#include "dataobjects/detail/ObjectFields.h"
#include "platform/Uuid.h"
#include "tools/json/Base64.h"

namespace {

// ---- values: to and from JSON by the field's type -----------------------------------------

using dataobjects_data::detail::Bytes;

// Well-formed UTF-8 only, as the JSON writer requires: no overlong form, no surrogate, nothing
// above U+10FFFF.
bool isUtf8(const std::string& text) {
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > text.size()) return false;
    char32_t code = n == 1 ? c : c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next >> 6) != 2) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < kSmallest[n] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += n;
  }
  return true;
}

template <class T>
struct JsonForm;

template <>
struct JsonForm<UuidEntryDO> {
  static Json to(const UuidEntryDO& entry) { return entry.ToString(); }
  static UuidEntryDO from(const Json& value) {
    if (!value.is_string()) throw std::invalid_argument("expected a UUID text");
    return UuidEntryDO(Uuid::fromString(value.get<std::string>()));
  }
};

template <class I>
struct IntegerForm {
  static Json to(I value) { return value; }
  static I from(const Json& value) {
    if (value.is_number_unsigned()) {
      const auto n = value.get<std::uint64_t>();
      if (n <= static_cast<std::uint64_t>(std::numeric_limits<I>::max())) return static_cast<I>(n);
    } else if (value.is_number_integer()) {
      const auto n = value.get<std::int64_t>();
      if (n >= static_cast<std::int64_t>(std::numeric_limits<I>::min()) &&
          (n < 0 || static_cast<std::uint64_t>(n) <=
                        static_cast<std::uint64_t>(std::numeric_limits<I>::max()))) {
        return static_cast<I>(n);
      }
    } else {
      throw std::invalid_argument("expected an integer");
    }
    throw std::invalid_argument("integer out of range");
  }
};
template <>
struct JsonForm<long long> : IntegerForm<long long> {};
template <>
struct JsonForm<unsigned short> : IntegerForm<unsigned short> {};
template <>
struct JsonForm<unsigned int> : IntegerForm<unsigned int> {};

template <>
struct JsonForm<bool> {
  static Json to(bool value) { return value; }
  static bool from(const Json& value) {
    if (!value.is_boolean()) throw std::invalid_argument("expected true or false");
    return value.get<bool>();
  }
};

template <>
struct JsonForm<double> {
  static Json to(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return value;
  }
  static double from(const Json& value) {
    if (value.is_number()) return value.get<double>();
    if (value == "inf") return std::numeric_limits<double>::infinity();
    if (value == "-inf") return -std::numeric_limits<double>::infinity();
    if (value == "nan") return std::numeric_limits<double>::quiet_NaN();
    throw std::invalid_argument("expected a number, \"inf\", \"-inf\" or \"nan\"");
  }
};

template <>
struct JsonForm<std::string> {
  static Json to(const std::string& text) {
    if (isUtf8(text)) return text;
    return Json{{"base64", base64Encode(Bytes(text.begin(), text.end()))}};
  }
  static std::string from(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_object() && value.size() == 1 && value.contains("base64") &&
        value["base64"].is_string()) {
      const auto bytes = base64Decode(value["base64"].get<std::string>());
      return std::string(bytes.begin(), bytes.end());
    }
    throw std::invalid_argument("expected a text or {\"base64\": ...}");
  }
};

template <>
struct JsonForm<Bytes> {
  static Json to(const Bytes& bytes) { return base64Encode(bytes); }
  static Bytes from(const Json& value) {
    if (!value.is_string()) throw std::invalid_argument("expected base64 text");
    return base64Decode(value.get<std::string>());
  }
};

// ---- objects: their fields as described in dataobjects/detail/ObjectFields.h ---------------

using dataobjects_data::detail::forEachField;
using dataobjects_data::detail::ObjectFields;

template <class Field>
using FieldType = typename std::decay_t<Field>::Type;

// A nullable field is null while its flag says so, and then its getter is never called.
template <class O>
Json toJson(const O& object) {
  Json json = Json::object();
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
    if (field.isNull && (object.*field.isNull)()) {
      json[field.name] = nullptr;
    } else {
      json[field.name] = JsonForm<FieldType<decltype(field)>>::to((object.*field.get)());
    }
  });
  return json;
}

template <class O>
O fromJson(const Json& json) {
  if (!json.is_object()) throw FieldError("", "expected a JSON object");
  for (const auto& member : json.items()) {
    bool known = false;
    forEachField(ObjectFields<O>::fields(),
                 [&](const auto& field) { known = known || member.key() == field.name; });
    if (!known) throw FieldError(member.key(), "no such field");
  }
  O object;
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
    const auto value = json.find(field.name);
    if (value == json.end()) throw FieldError(field.name, "missing");
    try {
      if (field.setNull && value->is_null()) {
        (object.*field.setNull)(true);
      } else {
        (object.*field.set)(JsonForm<FieldType<decltype(field)>>::from(*value));
      }
    } catch (const std::exception& e) {
      throw FieldError(field.name, e.what());
    }
  });
  return object;
}

template <class O>
ObjectClass makeClass() {
  return {ObjectFields<O>::name,
          [](Archive& input, std::string* textOut, Json* jsonOut) {
            O object;
            input >> object;
            if (textOut) *textOut = object.ToString();
            if (jsonOut) *jsonOut = toJson(object);
          },
          [](const Json& json, Archive& output) { output << fromJson<O>(json); }};
}

std::vector<ObjectClass> buildCatalog() {
  std::vector<ObjectClass> classes;
  dataobjects_data::detail::forEachClass(
      [&](auto* tag) { classes.push_back(makeClass<std::remove_pointer_t<decltype(tag)>>()); });
  return classes;
}

}  // namespace

const std::vector<ObjectClass>& objectClasses() {
  static const std::vector<ObjectClass> classes = buildCatalog();
  return classes;
}

const ObjectClass* findObjectClass(const std::string& name) {
  for (const ObjectClass& c : objectClasses()) {
    if (c.name == name || c.name == name + "DO") return &c;
  }
  return nullptr;
}

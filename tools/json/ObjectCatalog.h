// The data object classes the tool knows: for each, how to read one object from an archive and
// show it as text or JSON, and how to build one from its JSON and write it.
//
// JSON form of an object: one member per field, named as in the class, in archive order.
//   UUIDs        canonical text
//   integers     JSON numbers
//   bool         true / false
//   double       a number, or "inf", "-inf", "nan"
//   text         a string; text that is not valid UTF-8 as {"base64": "..."}
//   byte blobs   base64 text
//   null fields  null (AlarmDataDO's nullable fields)
#ifndef TOOLS_JSON_OBJECTCATALOG_H
#define TOOLS_JSON_OBJECTCATALOG_H

#include <functional>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Archive.h"

using Json = nlohmann::ordered_json;

// A JSON object that does not describe an object of the class: names the field at fault.
class FieldError : public std::runtime_error {
 public:
  FieldError(std::string field, const std::string& message)
      : std::runtime_error(message), field_(std::move(field)) {}
  const std::string& field() const { return field_; }

 private:
  std::string field_;
};

struct ObjectClass {
  std::string name;  // the class name, with its DO suffix
  // Reads one object; the library's exceptions pass through.
  std::function<void(Archive& input, std::string* text, Json* json)> read;
  // Writes the object that `json` describes; throws FieldError.
  std::function<void(const Json& json, Archive& output)> write;
};

// Every class, in a fixed order.
const std::vector<ObjectClass>& objectClasses();
// The class named `name`, with or without the DO suffix; null when there is none.
const ObjectClass* findObjectClass(const std::string& name);

#endif  // TOOLS_JSON_OBJECTCATALOG_H

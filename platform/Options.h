/// @file
/// Options: key=value settings parsed from a details text.
///
/// Syntax: entries are separated by ';' or line breaks; an entry is "key=value" or "key" alone
/// (value empty). The value starts after the first '=' and may itself contain '='. White space
/// around keys and values is dropped, entries with an empty key are skipped, and a later entry
/// replaces an earlier one with the same key (keeping the earlier one's position).
#ifndef PLATFORM_OPTIONS_H
#define PLATFORM_OPTIONS_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/Export.h"

class DATAOBJECTS_DATA_API Options {
 public:
  Options();
  virtual ~Options();

  /// Replaces everything an earlier parse held. Never throws on any text (allocation aside).
  void parse(const std::string& text);

  bool has(const std::string& key) const;
  std::size_t size() const { return entries_.size(); }
  /// The keys in the order they were first seen.
  std::vector<std::string> keys() const;

  std::string getString(const std::string& key, const std::string& fallback = "") const;
  /// Decimal with an optional sign; anything else, or a value out of range, gives the fallback.
  long long getInt(const std::string& key, long long fallback = 0) const;
  /// A decimal or exponent number as strtod reads it in the C locale, over the whole value.
  double getDouble(const std::string& key, double fallback = 0.0) const;
  /// true for 1, true, yes, on; false for 0, false, no, off (case-insensitive).
  bool getBool(const std::string& key, bool fallback = false) const;

 private:
  DATAOBJECTS_DATA_LOCAL const std::string* find(const std::string& key) const;

  std::vector<std::pair<std::string, std::string>> entries_;
};

#endif  // PLATFORM_OPTIONS_H

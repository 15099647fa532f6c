#include "platform/Options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

std::string trimmed(const std::string& text, std::size_t begin, std::size_t end) {
  while (begin < end && isBlank(text[begin]))
    ++begin;
  while (end > begin && isBlank(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

std::string lowerCase(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

Options::Options() = default;
Options::~Options() = default;

void Options::parse(const std::string& text) {
  entries_.clear();
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find_first_of(";\n\r", begin);
    if (end == std::string::npos) end = text.size();
    const std::size_t equals =
        static_cast<std::size_t>(std::find(text.begin() + static_cast<std::ptrdiff_t>(begin),
                                           text.begin() + static_cast<std::ptrdiff_t>(end), '=') -
                                 text.begin());
    std::string key, value;
    if (equals < end) {
      key = trimmed(text, begin, equals);
      value = trimmed(text, equals + 1, end);
    } else {
      key = trimmed(text, begin, end);
    }
    if (!key.empty()) {
      bool replaced = false;
      for (auto& entry : entries_) {
        if (entry.first == key) {
          entry.second = std::move(value);
          replaced = true;
          break;
        }
      }
      if (!replaced) entries_.emplace_back(std::move(key), std::move(value));
    }
    begin = end + 1;
  }
}

const std::string* Options::find(const std::string& key) const {
  for (const auto& entry : entries_) {
    if (entry.first == key) return &entry.second;
  }
  return nullptr;
}

bool Options::has(const std::string& key) const {
  return find(key) != nullptr;
}

std::vector<std::string> Options::keys() const {
  std::vector<std::string> result;
  result.reserve(entries_.size());
  for (const auto& entry : entries_)
    result.push_back(entry.first);
  return result;
}

std::string Options::getString(const std::string& key, const std::string& fallback) const {
  const std::string* value = find(key);
  return value ? *value : fallback;
}

long long Options::getInt(const std::string& key, long long fallback) const {
  const std::string* value = find(key);
  if (!value || value->empty()) return fallback;
  const char* first = value->data();
  const char* last = first + value->size();
  if (*first == '+' && last - first > 1 && first[1] != '-') ++first;
  long long result = 0;
  const auto [end, error] = std::from_chars(first, last, result);
  if (error != std::errc() || end != last) return fallback;
  return result;
}

double Options::getDouble(const std::string& key, double fallback) const {
  const std::string* value = find(key);
  if (!value || value->empty()) return fallback;
  const char* first = value->data();
  const char* last = first + value->size();
  if (*first == '+' && last - first > 1 && first[1] != '-') ++first;
  double result = 0.0;
  const auto [end, error] = std::from_chars(first, last, result);
  if (error != std::errc() || end != last) return fallback;
  return result;
}

bool Options::getBool(const std::string& key, bool fallback) const {
  const std::string* value = find(key);
  if (!value) return fallback;
  const std::string word = lowerCase(*value);
  if (word == "1" || word == "true" || word == "yes" || word == "on") return true;
  if (word == "0" || word == "false" || word == "no" || word == "off") return false;
  return fallback;
}

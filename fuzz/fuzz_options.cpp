// Options::parse on arbitrary text: it never throws, and what it holds is consistent.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "platform/Options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Options options;
  options.parse(std::string(reinterpret_cast<const char*>(data), size));
  const auto keys = options.keys();
  if (keys.size() != options.size()) fuzz_support::fail("size() disagrees with keys()");
  std::set<std::string> seen;
  for (const std::string& key : keys) {
    if (key.empty() || !seen.insert(key).second) fuzz_support::fail("an empty or repeated key");
    if (std::isspace(static_cast<unsigned char>(key.front())) ||
        std::isspace(static_cast<unsigned char>(key.back()))) {
      fuzz_support::fail("a key kept its white space");
    }
    if (key.find_first_of(";\n\r=") != std::string::npos)
      fuzz_support::fail("a separator in a key");
    if (!options.has(key)) fuzz_support::fail("a listed key is missing");
    options.getInt(key);
    options.getDouble(key);
    options.getBool(key);
  }
  return 0;
}

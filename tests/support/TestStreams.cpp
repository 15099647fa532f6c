#include "tests/support/TestStreams.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace testing_support {

std::string bytes(const std::string& hex) {
  std::string digits, out;
  for (char c : hex)
    if (!std::isspace(static_cast<unsigned char>(c))) digits.push_back(c);
  if (digits.size() % 2 != 0) throw std::invalid_argument("odd hex: " + hex);
  for (std::size_t i = 0; i < digits.size(); i += 2)
    out.push_back(static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return out;
}

std::string hex(const std::string& bytes) {
  std::string out;
  char pair[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(bytes[i]));
    if (i > 0) out.push_back(' ');
    out += pair;
  }
  return out;
}

ExpectedFailure readFailure(const char* type, int line) {
  return {"SerializationException", std::string("Deserializing of object ") + type + " failed",
          kCodecFile, line};
}

ExpectedFailure writeFailure(const char* type, int line) {
  return {"SerializationException", std::string("Serializing of object ") + type + " failed",
          kCodecFile, line};
}

void expectFailure(const TesmiraException& e, const ExpectedFailure& expected) {
  EXPECT_EQ(expected.name, e.getName());
  EXPECT_EQ(expected.reason, e.Reason());
  EXPECT_EQ(expected.file, e.getFile());
  EXPECT_EQ(expected.line, e.getLine());
  if (expected.causeReason.empty()) {
    EXPECT_EQ(nullptr, e.getRootCause());
  } else if (e.getRootCause() == nullptr) {
    ADD_FAILURE() << "no root cause; expected \"" << expected.causeReason << "\"";
  } else {
    EXPECT_EQ(expected.causeReason, e.getRootCause()->Reason());
    EXPECT_EQ(expected.causeLine, e.getRootCause()->getLine());
  }
}

void expectThrows(const std::function<void()>& action, const ExpectedFailure& expected) {
  try {
    action();
    ADD_FAILURE() << "nothing thrown; expected " << expected.reason << " at line " << expected.line;
  } catch (const TesmiraException& e) {
    expectFailure(e, expected);
  }
}

}  // namespace testing_support

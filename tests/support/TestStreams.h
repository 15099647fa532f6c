// Helpers shared by the tests: byte strings written as hex, archive forms, and checks of the
// exceptions the library throws.
#ifndef TESTS_SUPPORT_TESTSTREAMS_H
#define TESTS_SUPPORT_TESTSTREAMS_H

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/Archive.h"
#include "platform/TesmiraException.h"

namespace testing_support {

// "01 2C 01" -> the three bytes. Blanks between bytes are optional.
std::string bytes(const std::string& hex);
// The bytes as upper-case hex pairs separated by blanks.
std::string hex(const std::string& bytes);

// What a thrown TesmiraException must carry. An empty cause name means no root cause.
struct ExpectedFailure {
  std::string name;
  std::string reason;
  std::string file;
  int line;
  std::string causeReason = "";
  int causeLine = 0;
};

constexpr const char kCodecFile[] = "../../../../libs/utilities/archive/Serialize";
ExpectedFailure readFailure(const char* type, int line);
ExpectedFailure writeFailure(const char* type, int line);

// The archive form of `object`.
template <class T>
std::string archiveOf(const T& object) {
  Archive archive;
  archive << object;
  return archive.str();
}

// Checks the name, reason, file and line of `e` (and of its root cause) against `expected`.
void expectFailure(const TesmiraException& e, const ExpectedFailure& expected);

// Runs `action`, which must throw a TesmiraException matching `expected`.
void expectThrows(const std::function<void()>& action, const ExpectedFailure& expected);

}  // namespace testing_support

#endif  // TESTS_SUPPORT_TESTSTREAMS_H

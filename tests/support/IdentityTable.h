// A table of single-field changes to an object, each with whether the changed copy must still
// be identical to the original. Keys are never changed, so every pair stays equal (==).
#ifndef TESTS_SUPPORT_IDENTITYTABLE_H
#define TESTS_SUPPORT_IDENTITYTABLE_H

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

namespace testing_support {

template <class T>
struct Change {
  const char* label;
  std::function<void(T&)> apply;
  bool stillIdentical;
};

template <class T>
void expectIdentity(const T& original, std::initializer_list<Change<T>> changes) {
  for (const Change<T>& change : changes) {
    SCOPED_TRACE(change.label);
    T changed;
    changed = original;
    change.apply(changed);
    EXPECT_EQ(change.stillIdentical, original.isIdentical(changed));
    EXPECT_EQ(change.stillIdentical, changed.isIdentical(original));
    EXPECT_TRUE(original == changed) << "equality looks at the key only";
  }
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_IDENTITYTABLE_H

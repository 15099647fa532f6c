// Checks an Id class's <, >, == and != against a model, over every combination of "a's part is
// less than, equal to or greater than b's" for each key part. The model: < is decided by the
// first part that differs; > holds as soon as any part of a is greater (so it is not the
// converse of <); == needs every part equal.
#ifndef TESTS_SUPPORT_KEYORDERMODEL_H
#define TESTS_SUPPORT_KEYORDERMODEL_H

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// `make` builds the keys a and b from one relation per part (-1: a's part is less, 0: equal,
// 1: greater).
template <class Id>
void expectKeyOrderModel(std::size_t parts,
                         const std::function<std::pair<Id, Id>(const std::vector<int>&)>& make) {
  std::vector<int> relation(parts, -1);
  for (;;) {
    std::string label;
    for (int r : relation)
      label += std::to_string(r) + " ";
    SCOPED_TRACE(label);
    const auto keys = make(relation);
    const Id& a = keys.first;
    const Id& b = keys.second;
    int first = 0;
    bool anyGreater = false, anyLess = false;
    for (int r : relation) {
      if (first == 0) first = r;
      anyGreater |= r > 0;
      anyLess |= r < 0;
    }
    EXPECT_EQ(first < 0, a < b);
    EXPECT_EQ(first > 0, b < a);
    EXPECT_EQ(anyGreater, a > b);
    EXPECT_EQ(anyLess, b > a);
    EXPECT_EQ(first == 0, a == b);
    EXPECT_EQ(first == 0, a.isEqual(b));
    EXPECT_EQ(first != 0, a != b);
    Id copied(a), assigned;
    assigned = b;
    EXPECT_TRUE(copied == a && assigned == b) << "copies compare equal";
    std::size_t i = 0;
    while (i < parts && relation[i] == 1)
      relation[i++] = -1;
    if (i == parts) return;
    ++relation[i];
  }
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_KEYORDERMODEL_H

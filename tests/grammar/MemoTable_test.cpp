#include "grammar/MemoTable.h"

#include <gtest/gtest.h>

namespace mirel {
namespace {

TEST(MemoTableTest, RemembersAcrossGrowthAndForgetsOnClear) {
  TMemoTable memo;
  EXPECT_EQ(nullptr, memo.Find(7));
  // Keys as the engine makes them: rule index above, position below.
  const auto key = [](uint64_t rule, uint64_t pos) { return (rule << 32) | pos; };
  for (uint64_t pos = 1; pos <= 5000; ++pos)
    for (uint64_t rule = 0; rule < 3; ++rule)
      memo.Set(key(rule, pos), static_cast<int>(pos + rule));
  memo.Set(key(1, 10), 0);  // replaced, not added
  for (uint64_t pos = 1; pos <= 5000; ++pos)
    for (uint64_t rule = 0; rule < 3; ++rule) {
      const int* v = memo.Find(key(rule, pos));
      ASSERT_NE(nullptr, v);
      EXPECT_EQ(rule == 1 && pos == 10 ? 0 : static_cast<int>(pos + rule), *v);
    }
  EXPECT_EQ(nullptr, memo.Find(key(3, 1)));

  memo.Clear();
  for (uint64_t pos = 1; pos <= 5000; ++pos) ASSERT_EQ(nullptr, memo.Find(key(0, pos)));
  memo.Set(key(0, 42), 43);
  ASSERT_NE(nullptr, memo.Find(key(0, 42)));
  EXPECT_EQ(43, *memo.Find(key(0, 42)));
  EXPECT_EQ(nullptr, memo.Find(key(0, 41)));
}

}  // namespace
}  // namespace mirel

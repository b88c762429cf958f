// Consistency checks: silent when they hold, a located report when not.
#include <string>

#include <gtest/gtest.h>

#include "wrenlib/wl_assert.h"

namespace {

TEST(WlAssert, HoldingCheckEvaluatesOnceAndContinues)
{
    int evaluated = 0;
    WL_ASSERT(++evaluated == 1);
    EXPECT_EQ(evaluated, 1);
}

#if GTEST_HAS_DEATH_TEST
TEST(WlAssert, FailingCheckNamesExpressionFileAndLine)
{
    int size = 9, limit = 4;
    const int line = __LINE__ + 1;
    EXPECT_DEATH(WL_ASSERT(size <= limit),
                 "size <= limit.*wl_assert_test\\.cpp.*line " + std::to_string(line));
}
#endif

} // namespace

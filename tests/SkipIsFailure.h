// The test programs' common end: under the test command (TW_GTEST_SKIP_IS_FAILURE=1, set by
// scripts/test.sh, which provides everything a test needs) a skipped test fails the program.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

inline int RunAllTestsSkipsFailing() {
    const int result = RUN_ALL_TESTS();
    const char* skipIsFailure = std::getenv("TW_GTEST_SKIP_IS_FAILURE");
    const int skipped = ::testing::UnitTest::GetInstance()->skipped_test_count();
    if (result == 0 && skipped > 0 && skipIsFailure && std::strcmp(skipIsFailure, "1") == 0) {
        std::printf("%d test(s) skipped, and TW_GTEST_SKIP_IS_FAILURE=1 makes that a failure\n",
                    skipped);
        return 1;
    }
    return result;
}

// Entry point of the test programs without one of their own.
#include "SkipIsFailure.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RunAllTestsSkipsFailing();
}

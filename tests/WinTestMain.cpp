// Entry point of the Windows test programs: the application object as the program has it.
#include <gtest/gtest.h>

#include "DialogHarness.h"
#include "SkipIsFailure.h"

CSchemeApp& TestApp() {
    static CSchemeApp app;
    return app;
}

int main(int argc, char** argv) {
    TestApp();
    AfxWinInit(::GetModuleHandleA(nullptr));
    TestApp().LoadAcceleratorTable();
    ::testing::InitGoogleTest(&argc, argv);
    return RunAllTestsSkipsFailing();
}

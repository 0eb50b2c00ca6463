// Test programs start the framework as the book program does; errors that
// would reach the error box are recorded for the tests instead.
#include <gtest/gtest.h>

#include "TestUtil.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TApplication app;
    Application->Initialize();
    Application->SetTitle("CodexiaTests");
    Application->OnException = [](TObject*, const std::exception& e) { testsupport::Errors().push_back(e.what()); };
    return RUN_ALL_TESTS();
}

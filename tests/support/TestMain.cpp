// Test programs start the framework as the book program does; errors that
// would reach the error box are recorded for the tests instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "TestUtil.h"

namespace {

// CTest's SKIP_RETURN_CODE for every test program.
constexpr int kSkippedExitCode = 77;

// Frees every form a test leaves behind (a failing ASSERT returns before
// the test's own clean-up), so that no window of one test is still alive,
// taking input or the foreground, when the next one starts.
class LeftoverForms : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { before_ = Application->Forms(); }
    void OnTestEnd(const testing::TestInfo& info) override {
        int freed = 0;
        for (;;) {
            TCustomForm* left = nullptr;
            for (TCustomForm* f : Application->Forms())
                if (std::find(before_.begin(), before_.end(), f) == before_.end()) left = f;
            if (!left) break;
            delete left;
            ++freed;
        }
        if (freed)
            std::fprintf(stderr, "note: %d form(s) left by %s.%s were freed\n", freed, info.test_suite_name(),
                         info.name());
        Application->ProcessMessages();
    }
    std::vector<TCustomForm*> before_;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TApplication app;
    Application->Initialize();
    Application->SetTitle("CodexiaTests");
    Application->OnException = [](TObject*, const std::exception& e) { testsupport::Errors().push_back(e.what()); };
    testing::UnitTest::GetInstance()->listeners().Append(new LeftoverForms);
    int failed = RUN_ALL_TESTS();
    // A run that skipped a test (a printer, a server or a tool it needs is
    // not there) says so to CTest, which then shows the program as skipped
    // rather than passed; a failure still wins.
    if (failed == 0 && testing::UnitTest::GetInstance()->skipped_test_count() > 0) return kSkippedExitCode;
    return failed;
}

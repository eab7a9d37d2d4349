// Entry point of every Windows test executable: the application object is initialised once
// for the whole run, as a program does before its first form, and freed at its end as a
// program frees it.
#include "AccessViolations.h"
#include "FreedPages.h"
#include "vcl/Forms.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A test during which the process raised an access violation fails, even when a window
// procedure's caller swallowed it and the test saw nothing wrong. Tests of objects freed under
// their own code (suites named ...Lifetime...) put every block on pages that fault once freed.
class FailOnAccessViolations : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& info) override
    {
        FCounter = std::make_unique<ks::test::AccessViolations>();
        if (std::string(info.test_suite_name()).find("Lifetime") != std::string::npos)
            FPages = std::make_unique<ks::test::FreedPages>();
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        // This listener's OnTestEnd runs before the printer's, so the failure is reported
        // with the test.
        if (const long n = FCounter->Count())
            ADD_FAILURE() << n << " access violation(s) were raised while the test ran";
        FCounter.reset();
        FPages.reset();
    }
    std::unique_ptr<ks::test::AccessViolations> FCounter;
    std::unique_ptr<ks::test::FreedPages> FPages;
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FailOnAccessViolations);
    Application->Initialize();
    const int result = RUN_ALL_TESTS();
    DoneApplication();
    return result;
}

// The link tests run with the block step's thread watched: every test fails
// when, while a thread held the block step's mark, anything allocated or
// touched files (tests/support/RealtimeCounter.h). The fixtures hold the mark
// where they hand the pedal's answers to the receive entry, as the clock does.

#include "core/RealtimeScope.h"
#include "tests/support/RealtimeCounter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace tolvane::testing {
namespace {

const bool kInstalled = [] {
    realtime::InstallGtestCheck();
    return true;
}();

// The counter sees what it is meant to see, and only on the marked thread.
TEST(RealtimeCounter, CountsOnTheMarkedThreadOnly) {
    if (!realtime::Enabled()) GTEST_SKIP() << "counting is compiled out in sanitizer builds";
    ASSERT_TRUE(kInstalled);
    realtime::Reset();
    auto unmarked = std::make_unique<std::string>(100, 'x');
    EXPECT_EQ(realtime::Read().Total(), 0u);
    std::thread other([] {
        const RealtimeScope clock;
        int n = 0;
        n += 1;
        (void)n;
    });
    {
        const RealtimeScope clock;
        std::thread([] { auto elsewhere = std::make_unique<std::string>(100, 'y'); }).join();
    }
    other.join();
    // Thread creation itself allocates on the marked thread; start over.
    realtime::Reset();
    std::FILE* f = nullptr;
    {
        const RealtimeScope clock;
        auto text = std::make_unique<std::string>(100, 'z');
        {
            const OffClock off;
            auto notCounted = std::make_unique<std::string>(100, 'w');
        }
        f = std::fopen("/nonexistent/tolvane", "rb");
    }
    EXPECT_EQ(f, nullptr);
    const realtime::Counts c = realtime::Read();
    EXPECT_EQ(c.allocations, 2u); // the string object and its characters
    EXPECT_EQ(c.releases, 2u);
    EXPECT_GE(c.fileCalls, 1u);
    EXPECT_NE(realtime::FirstOffender().find("operator new"), std::string::npos);
    realtime::Reset();
}

} // namespace
} // namespace tolvane::testing

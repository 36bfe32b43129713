// The program run as a process: one copy only, and SIGTERM closing the window
// the way Quit does.

#include "HostTestSupport.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tolvane {
namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Program, SecondCopyExitsAtOnceAndTheFirstKeepsRunning) {
    test::TempDataHome home;
    test::JackServer jack;
    ASSERT_TRUE(jack.Ok()) << jack.Error();
    setenv("TMPDIR", home.Tmp().c_str(), 1); // a private single-instance socket
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    const pid_t first =
        test::detail::Spawn({TOLVANE_PATH}, false, false, (home.Root() / "first.err").string()).pid;
    ASSERT_GT(first, 0);
    // Running once the settings have been read and written back.
    ASSERT_TRUE(test::WaitFor([&] { return std::filesystem::exists(home.SettingsPath()); },
                              std::chrono::milliseconds(10000)));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(test::detail::StillRunning(first)) << ReadFile(home.Root() / "first.err");

    const auto started = Clock::now();
    const pid_t second = test::detail::Spawn({TOLVANE_PATH}, false, false).pid;
    const int status = test::detail::WaitUntil(second, started + std::chrono::seconds(2));
    ASSERT_NE(status, -1) << "the second copy is still running";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(test::detail::StillRunning(first));
    EXPECT_EQ(ReadFile(home.SettingsPath()).find("[GUI]"), std::string::npos);

    // SIGTERM closes the window as Quit does: the scale is saved, exit code 0.
    kill(first, SIGTERM);
    const int firstStatus = test::detail::WaitUntil(first, Clock::now() + std::chrono::seconds(10));
    ASSERT_NE(firstStatus, -1);
    EXPECT_TRUE(WIFEXITED(firstStatus)) << ReadFile(home.Root() / "first.err");
    EXPECT_EQ(WEXITSTATUS(firstStatus), 0);
    EXPECT_NE(ReadFile(home.SettingsPath()).find("[GUI]\nscale=0.500000\n"), std::string::npos);
    unsetenv("TMPDIR");
}

} // namespace
} // namespace tolvane

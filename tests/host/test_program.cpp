// The program run as a process: one copy only, SIGTERM closing the window the
// way Quit does, the command-line answers, and a quiet start where MIDI and
// audio services are missing.

#include "HostTestSupport.h"
#include "host/SoundSystems.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

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

    // SIGTERM closes the window as Quit does: the scale (the one the first
    // start fitted to the screen) is saved, exit code 0.
    kill(first, SIGTERM);
    const int firstStatus = test::detail::WaitUntil(first, Clock::now() + std::chrono::seconds(10));
    ASSERT_NE(firstStatus, -1);
    EXPECT_TRUE(WIFEXITED(firstStatus)) << ReadFile(home.Root() / "first.err");
    EXPECT_EQ(WEXITSTATUS(firstStatus), 0);
    EXPECT_NE(ReadFile(home.SettingsPath()).find("[GUI]\nscale="), std::string::npos);
    unsetenv("TMPDIR");
}

// Runs a program with the display and platform taken away; its output and status.
struct Answer {
    std::string out;
    int status = -1;
};
Answer RunWithoutDisplay(const std::vector<std::string>& args) {
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    test::detail::Child child = test::detail::Spawn(args, false, true);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    Answer answer;
    if (child.pid < 0) return answer;
    char buf[512];
    for (ssize_t n; (n = read(child.stdoutFd, buf, sizeof buf)) > 0;)
        answer.out.append(buf, static_cast<std::size_t>(n));
    close(child.stdoutFd);
    answer.status = test::detail::WaitUntil(child.pid, Clock::now() + std::chrono::seconds(5));
    if (answer.status == -1) test::detail::Stop(child.pid);
    return answer;
}

TEST(Program, HelpAndVersionAnswerAndExitWithoutADisplay) {
    test::TempDataHome home; // nothing may be written there
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{TOLVANE_PATH, "--version"}, "tolvane 1.0.0\n"},
        {{TOLVANE_PATH, "--help"}, "usage: tolvane [--help] [--version]\n"},
        {{VELUMO_SIM_PATH, "--version"}, "velumo-sim 1.0.0\n"},
        {{VELUMO_SIM_PATH, "--help"}, "usage: velumo-sim "},
    };
    for (const auto& c : cases) {
        const Answer a = RunWithoutDisplay(c.args);
        ASSERT_NE(a.status, -1) << c.args[1] << " did not exit";
        EXPECT_TRUE(WIFEXITED(a.status) && WEXITSTATUS(a.status) == 0) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(a.out.substr(0, c.expected.size()), c.expected) << a.out;
    }
    EXPECT_FALSE(std::filesystem::exists(home.DataFolder()));
}

TEST(Program, StartsQuietlyWhereNoMidiOrAudioServiceIsThere) {
    const SoundSystems present = ProbeSoundSystems();
    if (present.alsaSequencer || present.alsaCards || present.pulse)
        GTEST_SKIP() << "this machine has ALSA or PulseAudio; the quiet start is for one without";
    test::TempDataHome home;
    setenv("TMPDIR", home.Tmp().c_str(), 1);
    setenv("JACK_DEFAULT_SERVER", "tolvane-no-such-server", 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    const std::string errPath = (home.Root() / "start.err").string();
    const pid_t pid = test::detail::Spawn({TOLVANE_PATH}, false, false, errPath).pid;
    ASSERT_GT(pid, 0);
    // Past the MIDI and audio start once settings.ini has been written back;
    // then the soundcard message waits for the user.
    const bool started = test::WaitFor([&] { return std::filesystem::exists(home.SettingsPath()); },
                                       std::chrono::milliseconds(10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    unsetenv("JACK_DEFAULT_SERVER");
    unsetenv("JACK_NO_START_SERVER");
    unsetenv("TMPDIR");
    ASSERT_TRUE(started);
    // Qt's notes about the test's own environment are not the program's.
    std::istringstream err(ReadFile(errPath));
    std::vector<std::string> lines;
    for (std::string line; std::getline(err, line);) {
        if (line.empty() || line.starts_with("QStandardPaths:") ||
            line.find("propagateSizeHints") != std::string::npos)
            continue;
        lines.push_back(line);
    }
    EXPECT_TRUE(lines.empty()) << "first line: " << lines.front();
}

bool JackPortThere(const char* name) {
    jack_client_t* look = jack_client_open("tolvane-test-look", JackNoStartServer, nullptr);
    if (!look) return false;
    const bool there = jack_port_by_name(look, name) != nullptr;
    jack_client_close(look);
    return there;
}

TEST(Program, QuitsWithinTwoSecondsWhenTheJackServerIsFrozen) {
    test::TempDataHome home;
    setenv("TMPDIR", home.Tmp().c_str(), 1);
    test::JackServer jack(512, test::JackServer::Mode::Asynchronous);
    ASSERT_TRUE(jack.Ok()) << jack.Error();
    const pid_t server = test::ServerPid(jack.Name());
    ASSERT_GT(server, 0);
    const std::string errPath = (home.Root() / "run.err").string();
    const pid_t pid = test::detail::Spawn({TOLVANE_PATH}, false, false, errPath).pid;
    ASSERT_GT(pid, 0);
    const bool opened =
        test::WaitFor([] { return JackPortThere("Tolvane:pedal in"); }, std::chrono::seconds(15));
    // The port shows before the client's activation returns; a server frozen
    // inside that request holds the program's start, which is not what this
    // test is about.
    std::this_thread::sleep_for(std::chrono::seconds(1));

    kill(server, SIGSTOP);
    const auto start = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    const int status = test::detail::WaitUntil(pid, start + std::chrono::seconds(5));
    const auto took = std::chrono::steady_clock::now() - start;
    kill(server, SIGCONT);
    const bool answers = test::ServerAnswersAgain();
    if (status == -1) test::detail::Stop(pid, std::chrono::milliseconds(0));
    unsetenv("TMPDIR");

    ASSERT_TRUE(opened) << ReadFile(errPath);
    EXPECT_NE(status, -1) << "still running 5 s after SIGTERM";
    EXPECT_TRUE(answers);
    EXPECT_LT(took, std::chrono::seconds(2)) << ReadFile(errPath);
}

TEST(SoundSystems, TheMidiSystemsAreNamedAsFound) {
    const struct {
        SoundSystems present;
        const char* text;
    } cases[] = {
        {{.alsaSequencer = true, .jack = true}, "ALSA sequencer, JACK"},
        {{.alsaSequencer = true}, "ALSA sequencer"},
        {{.alsaCards = true, .pulse = true, .jack = true}, "JACK"},
        {{.alsaCards = true, .pulse = true}, "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeMidiSystems(c.present), c.text);
}

} // namespace
} // namespace tolvane

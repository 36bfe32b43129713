#pragma once
// Test support for anything that needs real MIDI ports: a private JACK server
// with the dummy backend, and the pedal simulator run as a child process.
//
// Index
//   1. Child processes (spawn, wait with a deadline, stop)
//   2. JackServer: a private dummy server under a unique name
//   3. SimulatorProcess: velumo-sim as a child, its "ready" line and commands
//
// Usage:
//   tolvane::test::JackServer jack;            // sets JACK_DEFAULT_SERVER
//   ASSERT_TRUE(jack.Ok()) << jack.Error();
//   tolvane::test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh"});
//   ASSERT_TRUE(sim.Ok()) << sim.Error();
//   // open sim.InPort() with RtMidiIn, sim.OutPort() with RtMidiOut
//
// Each JackServer has its own name, so test programs can run in parallel.
// JACK_NO_START_SERVER is set as well: a client must never start a stray
// server of its own when the private one is gone.
//
// TOLVANE_TEST_JACK_EXTERNAL=1 runs the same tests against a server that is
// already there (a headless PipeWire session, with the test program started
// through pw-jack): JackServer then starts nothing and is Ok while that server
// accepts clients; it cannot stop that server, so tests that need to call
// Stop() check External() and skip.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tolvane::test {

// ---------------------------------------------------------------------------
// 1. Child processes
// ---------------------------------------------------------------------------

namespace detail {

using Clock = std::chrono::steady_clock;

struct Child {
    pid_t pid = -1;
    int stdinFd = -1;  // our end of the child's standard input, or -1
    int stdoutFd = -1; // our end of the child's standard output, or -1
};

// Starts argv[0] (looked up in PATH). The child's standard input and output
// are pipes when asked for, /dev/null otherwise; its standard error goes to
// errPath (/dev/null when empty) so a failing test can show it.
inline Child Spawn(const std::vector<std::string>& args, bool pipeStdin, bool pipeStdout,
                   const std::string& errPath = {}) {
    Child child;
    int inPipe[2] = {-1, -1};
    int outPipe[2] = {-1, -1};
    if (pipeStdin && pipe2(inPipe, O_CLOEXEC) != 0) return child;
    if (pipeStdout && pipe2(outPipe, O_CLOEXEC) != 0) {
        if (pipeStdin) {
            close(inPipe[0]);
            close(inPipe[1]);
        }
        return child;
    }
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // In the child: only calls that are safe after fork until exec.
        // A server or simulator dies with the test that started it, even one
        // that a sanitizer aborted: JACK allows only a few servers at once.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        if (pipeStdin)
            dup2(inPipe[0], 0);
        else if (const int fd = open("/dev/null", O_RDONLY); fd >= 0)
            dup2(fd, 0);
        if (pipeStdout)
            dup2(outPipe[1], 1);
        else if (const int fd = open("/dev/null", O_WRONLY); fd >= 0)
            dup2(fd, 1);
        if (const int fd = open(errPath.empty() ? "/dev/null" : errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            fd >= 0)
            dup2(fd, 2);
        // Nothing else is inherited (the JACK tests' lock file among them).
        close_range(3, ~0U, 0);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    const int rc = pid > 0 ? 0 : -1;

    if (pipeStdin) close(inPipe[0]);
    if (pipeStdout) close(outPipe[1]);
    if (rc != 0) {
        if (pipeStdin) close(inPipe[1]);
        if (pipeStdout) close(outPipe[0]);
        return child;
    }
    child.pid = pid;
    child.stdinFd = pipeStdin ? inPipe[1] : -1;
    child.stdoutFd = pipeStdout ? outPipe[0] : -1;
    return child;
}

// Reaps the child if it has ended by the deadline; returns its wait status,
// or -1 when it is still running.
inline int WaitUntil(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return status;
        if (r < 0) return 0; // already reaped
        if (Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// SIGTERM, a grace period, then SIGKILL; always reaps the child.
inline int Stop(pid_t pid, std::chrono::milliseconds grace = std::chrono::milliseconds(3000)) {
    if (pid <= 0) return 0;
    kill(pid, SIGTERM);
    int status = WaitUntil(pid, Clock::now() + grace);
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    return status;
}

inline bool StillRunning(pid_t pid) {
    return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0;
}

// Runs a short helper program and returns its standard output.
inline std::string Capture(const std::vector<std::string>& args, std::chrono::milliseconds limit) {
    Child c = Spawn(args, false, true);
    if (c.pid < 0) return {};
    std::string out;
    const auto deadline = Clock::now() + limit;
    char buf[256];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd p{c.stdoutFd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        const ssize_t n = read(c.stdoutFd, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    close(c.stdoutFd);
    Stop(c.pid, std::chrono::milliseconds(500));
    return out;
}

inline std::string UniqueName(const char* prefix) {
    static std::atomic<int> counter{0};
    const auto ticks = Clock::now().time_since_epoch().count();
    return std::string(prefix) + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(ticks % 1000000);
}

} // namespace detail

// ---------------------------------------------------------------------------
// 2. JackServer
// ---------------------------------------------------------------------------

class JackServer {
public:
    // A test of a client that stops answering asks for the asynchronous mode
    // always: a synchronous server waits for that client too.
    enum class Mode { AsTheRunSays, Asynchronous };

    explicit JackServer(int periodFrames = 512, Mode mode = Mode::AsTheRunSays)
        : name_(detail::UniqueName("tolvane")), periodFrames_(periodFrames), mode_(mode) {
        logPath_ = "/tmp/" + name_ + ".log";
        if (const char* external = std::getenv("TOLVANE_TEST_JACK_EXTERNAL"))
            external_ = std::string(external) == "1";
        if (!Start() || external_) return;
        if (const char* old = std::getenv("JACK_DEFAULT_SERVER")) oldDefault_ = old, hadDefault_ = true;
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        environmentSet_ = true;
    }

    ~JackServer() {
        Stop();
        if (!environmentSet_) return;
        if (hadDefault_)
            setenv("JACK_DEFAULT_SERVER", oldDefault_.c_str(), 1);
        else
            unsetenv("JACK_DEFAULT_SERVER");
        std::remove(logPath_.c_str());
    }

    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool Ok() const { return server_ > 0 || externalOk_; }
    // True when the tests run against a server this object did not start.
    bool External() const { return external_; }

    // The server stops (as when the sound system is shut down) and starts
    // again under the same name. Neither does anything to an external server.
    void Stop() {
        if (server_ > 0) detail::Stop(server_);
        server_ = -1;
    }
    bool Start() {
        if (external_) return StartExternal();
        if (server_ > 0) return true;
        error_.clear();
        // A generous client time-out (the default is half a second): a test
        // built with a sanitizer runs its audio callbacks several times
        // slower, and a server that shuts such a client out tests nothing.
        std::vector<std::string> args{"jackd", "-n", name_, "--no-realtime", "-t", "5000"};
        // A sanitizer's first report stops the reporting thread for a moment
        // while its stacks are symbolised; in the usual asynchronous mode
        // a client that late misses its cycle and the MIDI it wrote in it
        // is lost. Synchronous mode waits for it (set by the sanitizer tiers).
        if (const char* sync = std::getenv("TOLVANE_TEST_JACK_SYNC");
            mode_ == Mode::AsTheRunSays && sync && std::string(sync) == "1")
            args.push_back("-S");
        for (const char* arg : {"-d", "dummy", "-r", "44100", "-p"})
            args.push_back(arg);
        args.push_back(std::to_string(periodFrames_));
        server_ = detail::Spawn(args, false, false, logPath_).pid;
        if (server_ < 0) {
            error_ = "jackd could not be started";
            return false;
        }
        // jack_wait connects as a client, so "available" means clients are accepted.
        const std::string out =
            detail::Capture({"jack_wait", "-s", name_, "-w", "-t", "10"}, std::chrono::milliseconds(12000));
        if (out.find("available") == std::string::npos || !detail::StillRunning(server_)) {
            error_ = "jackd did not accept clients (log: " + logPath_ + ")";
            detail::Stop(server_);
            server_ = -1;
            return false;
        }
        return true;
    }
    const std::string& Error() const { return error_; }
    const std::string& Name() const { return name_; }

private:
    // The server the environment names accepts clients (jack_wait connects
    // as one, through the same library as the tests).
    bool StartExternal() {
        const std::string out = detail::Capture({"jack_wait", "-c"}, std::chrono::milliseconds(5000));
        externalOk_ =
            out.find("not running") == std::string::npos && out.find("running") != std::string::npos;
        error_ = externalOk_ ? "" : "TOLVANE_TEST_JACK_EXTERNAL=1 but no JACK server accepts clients";
        return externalOk_;
    }

    std::string name_;
    std::string logPath_;
    std::string error_;
    std::string oldDefault_;
    bool hadDefault_ = false;
    bool environmentSet_ = false;
    bool external_ = false;
    bool externalOk_ = false;
    int periodFrames_ = 512;
    Mode mode_ = Mode::AsTheRunSays;
    pid_t server_ = -1;
};

// ---------------------------------------------------------------------------
// 3. SimulatorProcess
// ---------------------------------------------------------------------------

// The simulator announces itself with one line:
//   ready api=<jack|alsa> in="<port>" out="<port>"
// "in" is the port a client reads to hear the pedal, "out" the port it writes
// to talk to it, both full names as the MIDI system lists them (on JACK
// "Velumo Ostrel:Velumo Ostrel Out" and "Velumo Ostrel:Velumo Ostrel In").
class SimulatorProcess {
public:
    SimulatorProcess(const std::string& path, std::vector<std::string> args = {},
                     std::chrono::milliseconds readyLimit = std::chrono::milliseconds(10000)) {
        // TOLVANE_TEST_SIMULATOR names another build of the simulator: the
        // sanitizer runs use an uninstrumented one, so the pedal answers at
        // its own pace and only the program under test runs slowly.
        const char* other = std::getenv("TOLVANE_TEST_SIMULATOR");
        args.insert(args.begin(), other && *other ? std::string(other) : path);
        errPath_ = "/tmp/" + detail::UniqueName("velumo-sim") + ".err";
        child_ = detail::Spawn(args, true, true, errPath_);
        if (child_.pid < 0) {
            error_ = "could not start " + path;
            return;
        }
        std::string line;
        while (ReadLine(line, readyLimit)) {
            if (line.rfind("ready", 0) == 0) {
                readyLine_ = line;
                api_ = Field(line, "api=", ' ');
                inPort_ = Field(line, "in=\"", '"');
                outPort_ = Field(line, "out=\"", '"');
                return;
            }
        }
        error_ = "no ready line from the simulator (stderr: " + errPath_ + ")";
    }

    ~SimulatorProcess() {
        Close();
        if (error_.empty()) std::remove(errPath_.c_str());
    }

    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool Ok() const { return !readyLine_.empty(); }
    const std::string& Error() const { return error_; }
    const std::string& ReadyLine() const { return readyLine_; }
    const std::string& Api() const { return api_; }
    const std::string& InPort() const { return inPort_; }
    const std::string& OutPort() const { return outPort_; }
    pid_t Pid() const { return child_.pid; }

    // Sends one command line ("knob 5 90", "preset 3", "status", ...).
    bool Command(const std::string& line) {
        if (child_.stdinFd < 0) return false;
        const std::string text = line + "\n";
        return write(child_.stdinFd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

    // The next line the simulator prints, waiting at most limit.
    bool ReadLine(std::string& line, std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
        const auto deadline = detail::Clock::now() + limit;
        for (;;) {
            const size_t nl = pending_.find('\n');
            if (nl != std::string::npos) {
                line = pending_.substr(0, nl);
                pending_.erase(0, nl + 1);
                return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - detail::Clock::now());
            if (left.count() <= 0 || child_.stdoutFd < 0) return false;
            pollfd p{child_.stdoutFd, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
            char buf[512];
            const ssize_t n = read(child_.stdoutFd, buf, sizeof buf);
            if (n <= 0) return false;
            pending_.append(buf, static_cast<size_t>(n));
        }
    }

    // Ends the simulator the way a user does (end of input), then by signal.
    // Returns the wait status.
    int Close() {
        if (child_.pid < 0) return exitStatus_;
        if (child_.stdinFd >= 0) close(child_.stdinFd);
        child_.stdinFd = -1;
        int status = detail::WaitUntil(child_.pid, detail::Clock::now() + std::chrono::milliseconds(5000));
        if (status == -1) status = detail::Stop(child_.pid);
        if (child_.stdoutFd >= 0) close(child_.stdoutFd);
        child_.stdoutFd = -1;
        child_.pid = -1;
        exitStatus_ = status;
        return status;
    }

private:
    static std::string Field(const std::string& line, const std::string& key, char end) {
        const size_t at = line.find(key);
        if (at == std::string::npos) return {};
        const size_t from = at + key.size();
        const size_t to = line.find(end, from);
        return line.substr(from, to == std::string::npos ? std::string::npos : to - from);
    }

    detail::Child child_;
    std::string errPath_;
    std::string error_;
    std::string readyLine_, api_, inPort_, outPort_;
    std::string pending_;
    int exitStatus_ = 0;
};

} // namespace tolvane::test

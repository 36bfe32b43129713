// velumo-sim: the pedal on a pair of virtual MIDI ports. It answers the editor
// as the pedal does, keeps its memory in a folder, and takes commands on
// standard input (see kUsage). It ends on "quit", at the end of its input,
// and on SIGINT or SIGTERM, saving its state each time.

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "sim/model/FactoryContent.h"
#include "sim/model/MessageNames.h"
#include "sim/model/PedalModel.h"
#include "sim/model/StateFiles.h"
#include "sim/program/Commands.h"
#include "sim/program/MidiPorts.h"
#include "sim/program/Options.h"

#include "Version.h"

namespace {

using namespace tolvane::sim;
using Clock = std::chrono::steady_clock;

std::atomic<bool> stopRequested{false};
void OnSignal(int) {
    stopRequested = true;
}

constexpr int kLoopMs = 5;
// Saves are coalesced: a knob drag changes the state many times a second.
constexpr auto kSaveEvery = std::chrono::milliseconds(200);

PedalState InitialState(const Options& options) {
    if (!options.stateFolder.empty() && !options.fresh) {
        if (auto loaded = LoadState(options.stateFolder)) return *loaded;
        std::cerr << "velumo-sim: no saved state in " << options.stateFolder
                  << ", starting from the factory content\n";
    }
    return FactoryState();
}

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// Reads what standard input has; false at its end.
bool ReadInput(std::string& buffer) {
    char chunk[512];
    const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<std::size_t>(n));
    return true;
}

int Run(const Options& options) {
    PedalModel pedal(InitialState(options));
    pedal.GetFaults().firmwareVersion = options.firmwareVersion;
    // Unplugged, the pedal has no ports and what it says goes nowhere.
    std::unique_ptr<MidiPorts> ports;
    auto plugIn = [&](const std::string& client) {
        ports =
            std::make_unique<MidiPorts>(options.api, client.empty() ? MidiPorts::kDefaultClientName : client);
        ports->SetByteTime(std::chrono::microseconds(options.byteTimeUs));
        Print(std::string("ready api=") + ports->ApiName() + " in=\"" + ports->InPort() + "\" out=\"" +
              ports->OutPort() + "\"");
    };
    pedal.SetOutput([&](std::span<const std::uint8_t> m) {
        if (options.verbose) Print("-> " + DescribeMessage(m));
        if (ports) ports->Send(std::vector<unsigned char>(m.begin(), m.end()));
    });
    const bool keep = !options.stateFolder.empty();
    if (keep) SaveState(pedal.State(), options.stateFolder);
    plugIn({});

    std::string input;
    bool inputOpen = true;
    bool quit = false;
    auto last = Clock::now();
    auto lastSave = last;
    bool unsaved = false;
    while (!quit && !stopRequested) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (inputOpen && poll(&p, 1, kLoopMs) > 0) {
            if (!ReadInput(input)) inputOpen = false;
        } else if (!inputOpen) {
            usleep(kLoopMs * 1000);
        }
        for (std::size_t nl; !quit && (nl = input.find('\n')) != std::string::npos;) {
            const CommandResult r = RunCommand(pedal, input.substr(0, nl));
            input.erase(0, nl + 1);
            quit = r.quit;
            std::string reply = r.reply;
            if (r.cable == CommandResult::Cable::Unplug) ports.reset();
            if (r.cable == CommandResult::Cable::Plug && !ports) {
                // A pedal that cannot be plugged in stays unplugged; the run goes on.
                try {
                    plugIn(r.client);
                } catch (const std::exception& e) {
                    reply = std::string("error: ") + e.what();
                }
            }
            // Replied once done: after "ok unplug" the ports are gone.
            if (!reply.empty()) Print(reply);
        }
        // The end of the input ends the simulator, as "quit" does.
        if (!inputOpen) quit = true;

        // Told here rather than by the server's notification thread.
        if (ports && ports->ServerGone()) {
            Print("gone: the JACK server has stopped; \"plug\" opens the ports again");
            ports.reset();
        }
        if (const std::size_t lost = ports ? ports->TakeLost() : 0)
            Print("warning: " + std::to_string(lost) + " MIDI messages lost");
        for (const auto& m : ports ? ports->TakeReceived() : std::vector<std::vector<unsigned char>>{}) {
            if (options.verbose) Print("<- " + DescribeMessage(m));
            pedal.Receive(m);
        }
        const auto now = Clock::now();
        pedal.Advance(
            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count()));
        last = now;

        unsaved = pedal.TakeDirty() || unsaved;
        if (keep && unsaved && now - lastSave >= kSaveEvery) {
            SaveState(pedal.State(), options.stateFolder);
            unsaved = false;
            lastSave = now;
        }
    }
    if (keep && !SaveState(pedal.State(), options.stateFolder)) {
        std::cerr << "velumo-sim: could not save the state to " << options.stateFolder << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "velumo-sim: " << error << "\n" << kUsage;
        return 2;
    }
    if (options->help) {
        std::cout << kUsage;
        return 0;
    }
    if (options->version) {
        std::cout << "velumo-sim " << tolvane::kProgramVersion << "\n";
        return 0;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return Run(*options);
    } catch (const std::exception& e) {
        std::cerr << "velumo-sim: " << e.what() << "\n";
        return 1;
    }
}

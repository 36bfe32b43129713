// A hostile sender on the program's MIDI input: the whole program (window,
// link, library, transport and audio clock on a private JACK server, the
// simulator as the pedal) takes 30 000 malformed, truncated, stretched and
// mutated SysEx messages from a second JACK client, about 4 KiB per period,
// from a fixed seed. Afterwards it still follows the pedal, no Qt warning about
// threads was raised, and it quits cleanly while one of the message boxes the
// flood raised is open.

#include "HostTestSupport.h"
#include "device/ParamTable.h"
#include "device/SysexBuilders.h"
#include "device/Tolvane.h"
#include "host/MainWindow.h"
#include "host/PluginFactory.h"
#include "support/JackServer.h"

#include <QApplication>
#include <QTimer>

#include <rtmidi/RtMidi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <random>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

constexpr std::uint32_t kSeed = 0x5EED13;
constexpr int kMessages = 30000;
constexpr std::size_t kBytesPerPeriod = 4096;
constexpr int kPeriodFrames = 512;
constexpr auto kPeriod = std::chrono::microseconds(kPeriodFrames * 1000000LL / 44100);

template <typename M> Bytes ToBytes(const M& m) {
    return Bytes(m.data(), m.data() + m.size());
}

// What a pedal says, built by the project's own builders, with random content.
Bytes ValidMessage(std::mt19937& rng) {
    namespace sx = sysex;
    auto byte = [&](int top = 127) { return static_cast<std::uint8_t>(rng() % (top + 1)); };
    std::array<std::uint8_t, sx::kBlockDataSize> data{};
    for (auto& b : data)
        b = byte();
    std::array<std::uint8_t, 256> packed{};
    for (auto& b : packed)
        b = byte();
    const std::uint8_t statuses[] = {0x57, 0x5F, 0x61, 0x62, 0x63, 0x71, 0x72, 0x73, 0x7D, 0x7E, byte()};
    switch (rng() % 10) {
    case 0:
        return ToBytes(sx::BuildPresetDump(byte(), data));
    case 1: {
        const std::uint8_t types[] = {0, 1, 2, 3, 15, byte()};
        return ToBytes(sx::BuildSettingsBlock(byte(), types[rng() % 6], data));
    }
    case 2:
        return ToBytes(sx::BuildIrNameBlock(byte(), data));
    case 3:
        return ToBytes(sx::BuildParameterChanged(byte(), byte()));
    case 4:
        return ToBytes(sx::BuildNameMessage("HOSTILE NAME"));
    case 5:
        return ToBytes(sx::BuildApplicationStatus(statuses[rng() % std::size(statuses)]));
    case 6: {
        const std::uint8_t codes[] = {sx::status::kBootLoaderReady, sx::status::kUpdateComplete,
                                      sx::status::kUpdateFailed};
        return ToBytes(sx::BuildBootLoaderStatus(codes[rng() % 3]));
    }
    case 7:
        return ToBytes(sx::BuildStreamStart(sx::kTargetApplication, sx::command::kIrStreamStart,
                                            static_cast<int>(rng() % 400), 2785, packed));
    case 8:
        return ToBytes(sx::BuildStreamData(sx::kTargetApplication, sx::command::kIrStreamData, packed));
    default: {
        const auto end = sx::BuildStreamEnd(sx::kTargetApplication, sx::command::kIrStreamEnd,
                                            std::span(packed).first(1 + rng() % 256),
                                            static_cast<int>(rng() % 16384));
        return Bytes(end.Span().begin(), end.Span().end());
    }
    }
}

// Broken in one of the ways a faulty or hostile sender breaks things.
Bytes Mutate(std::mt19937& rng, Bytes m) {
    auto at = [&](std::size_t n) { return n == 0 ? 0 : rng() % n; };
    switch (rng() % 7) {
    case 0: // truncated, with or without its end
        m.resize(1 + at(m.size() - 1));
        if (rng() % 2) m.push_back(0xF7);
        break;
    case 1: // stretched, sometimes past 512 bytes
        m.insert(m.begin() + static_cast<long>(1 + at(m.size() - 1)), 1 + at(rng() % 2 ? 40 : 700),
                 static_cast<std::uint8_t>(rng() % 128));
        break;
    case 2: // mutated bytes, status bytes among them
        for (int n = 1 + static_cast<int>(rng() % 8); n > 0; --n)
            m[at(m.size())] = static_cast<std::uint8_t>(rng());
        break;
    case 3: // another header: maker, target or command
        m[1 + at(std::min<std::size_t>(5, m.size() - 1))] = static_cast<std::uint8_t>(rng() % 128);
        break;
    case 4: // no start or no end
        if (rng() % 2)
            m.erase(m.begin());
        else
            m.pop_back();
        break;
    case 5: { // two messages run together
        const Bytes copy = m;
        m.insert(m.begin() + static_cast<long>(at(m.size())), copy.begin(),
                 copy.end() - static_cast<long>(at(copy.size())));
        break;
    }
    default: // whole, but out of turn
        break;
    }
    if (m.empty()) m.push_back(0xF0);
    return m;
}

// Records Qt's warnings that name threads; the previous handler still sees all.
class ThreadWarnings {
public:
    ThreadWarnings() {
        self_ = this;
        previous_ = qInstallMessageHandler(&ThreadWarnings::Handle);
    }
    ~ThreadWarnings() {
        qInstallMessageHandler(previous_);
        self_ = nullptr;
    }
    std::vector<std::string> Seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (self_ && text.contains("thread", Qt::CaseInsensitive)) {
            std::lock_guard lock(self_->mutex_);
            self_->seen_.push_back(text.toStdString());
        }
        if (self_ && self_->previous_) self_->previous_(type, context, text);
    }
    static inline ThreadWarnings* self_ = nullptr;
    QtMessageHandler previous_ = nullptr;
    std::mutex mutex_;
    std::vector<std::string> seen_;
};

TEST(HostileSender, ThirtyThousandBrokenMessagesLeaveTheProgramFollowingThePedalAndItQuitsCleanly) {
    ThreadWarnings warnings;
    test::TempDataHome home;
    test::JackServer jack(kPeriodFrames);
    ASSERT_TRUE(jack.Ok()) << jack.Error();
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    home.SaveSettingsFor(sim, kPeriodFrames);

    auto host = std::make_unique<AppHost>(MakeProgramPlugin, SettingsFile::InDataFolder(), [](const std::string&) {});
    host->SetPluginSettleTime(100ms);
    host->Initialise();
    host->StartClock();
    auto* window = new MainWindow(std::move(host), ProgramEditorHooks());
    bool closed = false;
    QObject::connect(window, &MainWindow::Closed, [&] { closed = true; });
    window->show();
    auto* link = dynamic_cast<Tolvane*>(&window->Host()->Plugin());
    ASSERT_NE(link, nullptr);

    // The user: presses OK on every message box, or quits while one is open.
    std::vector<std::string> boxes;
    bool quitWithBoxOpen = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* box = QApplication::activeModalWidget();
        if (!box) return;
        boxes.push_back(box->property("text").toString().toStdString());
        if (quitWithBoxOpen) {
            quitWithBoxOpen = false;
            window->close();
        } else {
            box->close();
        }
    });
    user.start(50);

    ASSERT_TRUE(test::WaitFor([&] { return link->Connected() && !link->BulkLoadRunning(); }, 30s));

    // The hostile client, on the program's input port beside the pedal.
    RtMidiOut hostile(RtMidi::UNIX_JACK, "Hostile Sender");
    ASSERT_NE(window->Host()->Transport().Jack(), nullptr);
    const std::string target = window->Host()->Transport().Jack()->OwnPortName(MidiDirection::Input);
    for (unsigned i = 0; i < hostile.getPortCount(); ++i)
        if (hostile.getPortName(i) == target) hostile.openPort(i, "out");
    ASSERT_TRUE(hostile.isPortOpen()) << "no port " << target;

    std::atomic<bool> done{false};
    std::size_t bytesSent = 0;
    std::thread sender([&] {
        std::mt19937 rng(kSeed);
        auto next = std::chrono::steady_clock::now();
        std::size_t inPeriod = 0;
        for (int i = 0; i < kMessages; ++i) {
            const Bytes m = Mutate(rng, ValidMessage(rng));
            hostile.sendMessage(m.data(), m.size());
            bytesSent += m.size();
            if ((inPeriod += m.size()) >= kBytesPerPeriod) {
                inPeriod = 0;
                std::this_thread::sleep_until(next += kPeriod);
            }
        }
        done = true;
    });
    const bool flooded = test::WaitFor([&] { return done.load(); }, 60s);
    sender.join();
    ASSERT_TRUE(flooded);
    hostile.closePort();
    EXPECT_GT(bytesSent, std::size_t{kMessages} * 100);
    test::WaitFor([] { return false; }, 1s);

    // Still following the pedal: a knob turned on it shows in the program.
    // The flood may have left the link waiting on a transfer that never was;
    // RECONNECT, as the user would press it, must bring it back.
    sim.Command("knob " + std::to_string(kParamDrive) + " 90");
    if (!test::WaitFor([&] { return link->GetParam(kParamDrive)->Int() == 90; }, 3s)) {
        ADD_FAILURE() << "the knob report was not followed after the flood";
        link->Reconnect();
        ASSERT_TRUE(test::WaitFor([&] { return link->Connected() && !link->BulkLoadRunning(); }, 30s));
    }
    sim.Command("knob " + std::to_string(kParamDrive) + " 17");
    EXPECT_TRUE(test::WaitFor([&] { return link->GetParam(kParamDrive)->Int() == 17; }, 3s));

    // Quitting while the pedal's ERROR! box is open ends the program cleanly.
    const std::size_t boxesBefore = boxes.size();
    quitWithBoxOpen = true;
    sim.Command("error");
    EXPECT_TRUE(test::WaitFor([&] { return closed; }, 10s)) << "the window did not close";
    user.stop();
    EXPECT_GT(boxes.size(), boxesBefore) << "no box was open at the quit";
    delete window;

    EXPECT_TRUE(warnings.Seen().empty()) << warnings.Seen().front();
    std::printf("hostile sender: %d messages, %zu bytes; %zu message boxes answered\n", kMessages, bytesSent,
                boxes.size());
}

} // namespace
} // namespace tolvane

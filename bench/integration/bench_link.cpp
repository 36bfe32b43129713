// Timings of the device link over JACK, run by hand (not part of the tests):
//
//   bench_link sync [runs] [frames]
//                               first synchronisation of 128 presets into an
//                               empty data folder, then a reconnection with
//                               nothing to load, at the buffer size given or
//                               else at 512 and 128; the first one also as a
//                               ratio to its floor
//   bench_link latency [count]  delay from a message leaving the simulator to
//                               the receive entry, at buffer sizes 64, 256, 512
//
// Each buffer size gets its own private JACK dummy server (its period is the
// audio buffer) and its own simulator. Medians are printed with the range.

#include "BenchSupport.h"
#include "integration/LinkRig.h"

#include "host/QtTimer.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tolvane {
namespace {

namespace cmd = sysex::command;
using namespace std::chrono_literals;
using bench::Ms;
using bench::Print;
using bench::Summarise;
using bench::Summary;
using bench::TempDataHome;

constexpr double kSampleRate = 44100.0;
// Round trips after the checksum list that each wait for an answer: every
// preset, the global settings, the current preset.
constexpr int kRoundTrips = kPresetSlotCount + 2;
// The periodic task's period: Begin bulk transfer goes out on the next tick
// after the checksum list, the first request on the tick after that.
constexpr double kTickMs = 100.0;
// A preset request and its dump, and the simulator's time a byte on the wire.
constexpr double kRequestBytes = 9, kDumpBytes = 267, kByteMs = 0.032;

// From the checksum list (type-3 reply) to the current preset applied, and
// from the identification request to the same point.
// Split: the ticks before the first preset request, and the mean round trip
// (request sent -> its dump handled) over the bulk load.
struct SyncTimes {
    double fromChecksums = -1, fromIdentification = -1;
    double ticksBeforeLoad = -1, roundTrip = -1;
    long presetRequests = 0;
};

SyncTimes Measure(test::LinkRig& rig) {
    SyncTimes t;
    const auto applied = rig.CurrentPresetApplied();
    const auto received = rig.Received().Items();
    const auto sent = rig.Sent().Items();
    const auto checksums = test::Find(received, cmd::kSettingsBlock, 3);
    const auto ident = test::Find(sent, cmd::kRequestSettingsBlock, 15);
    if (!applied || !checksums || !ident) return t;
    const auto end = received[*applied].at;
    t.fromChecksums = Ms(end - received[*checksums].at).count();
    t.fromIdentification = Ms(end - sent[*ident].at).count();
    t.presetRequests = std::count_if(sent.begin(), sent.end(),
                                     [](const test::Stamped& s) { return s.command == cmd::kRequestPreset; });
    const auto firstRequest = test::Find(sent, cmd::kRequestPreset);
    const auto settings = test::Find(sent, cmd::kRequestSettingsBlock, 0);
    if (t.presetRequests > 1 && firstRequest && settings) {
        t.ticksBeforeLoad = Ms(sent[*firstRequest].at - received[*checksums].at).count();
        // The request for the global settings leaves when the last dump has been handled.
        t.roundTrip = Ms(sent[*settings].at - sent[*firstRequest].at).count() / double(t.presetRequests - 1);
    }
    return t;
}

int RunSync(int runs, const std::vector<unsigned>& bufferSizes) {
    for (unsigned frames : bufferSizes) {
        // The server's own period and rate: a running server (PipeWire's, with
        // TOLVANE_TEST_JACK_EXTERNAL=1) has its own, whatever was asked for.
        double period = 0;
        std::vector<double> first, firstIdent, again, againIdent, ticks, trips;
        for (int r = 0; r < runs; ++r) {
            TempDataHome home;
            test::JackServer jack(static_cast<int>(frames));
            if (!jack.Ok()) return std::fprintf(stderr, "%s\n", jack.Error().c_str()), 1;
            test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh"});
            if (!sim.Ok()) return std::fprintf(stderr, "%s\n", sim.Error().c_str()), 1;
            test::LinkRig rig(sim.InPort(), sim.OutPort(), frames);
            const JackClient* client = rig.Host().Transport().Jack();
            if (!client) return std::fprintf(stderr, "no JACK client\n"), 1;
            if (period == 0) {
                period = client->PeriodFrames() * 1000.0 / client->SampleRate();
                std::printf("period %u frames at %u Hz (%.2f ms), %d runs\n", client->PeriodFrames(),
                            client->SampleRate(), period, runs);
            }
            if (!rig.Started() || !rig.WaitForSynchronisation(30s))
                return std::fprintf(stderr, "no synchronisation\n"), 1;
            const SyncTimes a = Measure(rig);
            first.push_back(a.fromChecksums);
            firstIdent.push_back(a.fromIdentification);
            ticks.push_back(a.ticksBeforeLoad);
            trips.push_back(a.roundTrip);

            // RECONNECT: the next identification (when the poll counter next
            // passes 32) finds every checksum equal.
            rig.Sent().Clear();
            rig.Received().Clear();
            rig.Plugin().Reconnect();
            if (!rig.WaitForSynchronisation(30s)) return std::fprintf(stderr, "no reconnection\n"), 1;
            const SyncTimes b = Measure(rig);
            if (b.presetRequests != 1)
                std::fprintf(stderr, "reconnection requested %ld presets\n", b.presetRequests);
            again.push_back(b.fromChecksums);
            againIdent.push_back(b.fromIdentification);
        }
        Print("first sync: checksum list -> preset applied", Summarise(first), first.size());
        Print("first sync: identification request -> applied", Summarise(firstIdent), firstIdent.size());
        Print("  of it: checksum list -> first request", Summarise(ticks), ticks.size());
        Print("  of it: one preset round trip (mean of 128)", Summarise(trips), trips.size());
        Print("reconnect: checksum list -> preset applied", Summarise(again), again.size());
        Print("reconnect: identification request -> applied", Summarise(againIdent), againIdent.size());
        // The pedal's pace: per round trip the request and the dump on the
        // wire at the simulator's 32 us a byte, rounded up to whole periods,
        // and at least two: in a graph of two clients that feed each other,
        // one of the two directions waits for the next cycle.
        const double wireMs = (kRequestBytes + kDumpBytes) * kByteMs;
        const int periods = std::max(2, static_cast<int>(std::ceil(wireMs / period)));
        const double floor = kTickMs + kRoundTrips * periods * period;
        std::printf(
            "  floor: %.0f ms of ticks + %d round trips x %d periods of %.2f ms (wire %.2f ms) = %.1f ms\n",
            kTickMs, kRoundTrips, periods, period, wireMs, floor);
        std::vector<double> ratios;
        for (double ms : first)
            ratios.push_back(ms / floor);
        const Summary r = Summarise(ratios);
        std::printf("  first sync / floor: median %.3f (min %.3f, max %.3f, n=%zu)\n", r.median, r.low,
                    r.high, ratios.size());
    }
    return 0;
}

int RunLatency(int count) {
    for (unsigned frames : {64u, 256u, 512u}) {
        TempDataHome home;
        test::JackServer jack(static_cast<int>(frames));
        if (!jack.Ok()) return std::fprintf(stderr, "%s\n", jack.Error().c_str()), 1;
        test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh", "-v"});
        if (!sim.Ok()) return std::fprintf(stderr, "%s\n", sim.Error().c_str()), 1;
        test::LinkRig rig(sim.InPort(), sim.OutPort(), frames);
        if (!rig.Started()) return std::fprintf(stderr, "no audio\n"), 1;
        bench::SentLineWatch watch(sim, "-> Parameter changed");
        test::RunUntil([] { return false; }, 300ms); // the ports settle
        rig.Received().Clear();
        for (int i = 0; i < count; ++i) {
            sim.Command("knob 5 " + std::to_string(i % 128));
            // Spaced so that each message is alone in its audio buffer.
            test::RunUntil([] { return false; }, 40ms);
        }
        test::RunUntil(
            [&] {
                auto r = rig.Received().Items();
                return std::count_if(r.begin(), r.end(),
                                     [](auto& s) { return s.command == cmd::kParameterChanged; }) >= count;
            },
            3s);
        std::vector<test::Stamped> arrived;
        for (const auto& s : rig.Received().Items())
            if (s.command == cmd::kParameterChanged) arrived.push_back(s);
        const auto left = watch.Stamps();
        std::vector<double> delays;
        for (std::size_t i = 0; i < std::min(arrived.size(), left.size()); ++i)
            delays.push_back(Ms(arrived[i].at - left[i]).count());
        const Summary s = Summarise(delays);
        std::printf(
            "buffer %3u frames (%.2f ms): simulator -> receive entry median %.2f ms (min %.2f, max %.2f, "
            "n=%zu of %d)\n",
            frames, frames / kSampleRate * 1000.0, s.median, s.low, s.high, delays.size(), count);
    }
    return 0;
}

} // namespace
} // namespace tolvane

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tolvane::InstallQtTimerFactory();
    const std::string what = argc > 1 ? argv[1] : "";
    const int n = argc > 2 ? std::atoi(argv[2]) : 0;
    if (what == "sync") {
        const int frames = argc > 3 ? std::atoi(argv[3]) : 0;
        return tolvane::RunSync(n > 0 ? n : 5, frames > 0 ? std::vector<unsigned>{unsigned(frames)}
                                                          : std::vector<unsigned>{512u, 128u});
    }
    if (what == "latency") return tolvane::RunLatency(n > 0 ? n : 50);
    std::fprintf(stderr, "usage: bench_link sync [runs] [frames] | latency [count]\n");
    return 2;
}

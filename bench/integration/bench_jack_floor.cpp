// What JACK clients cost while nothing happens, the floor under the program's
// idle figure: the program opens three (the two MIDI clients and the audio
// stream), and each one's process thread wakes every period.
//
//   bench_jack_floor [clients] [seconds] [ports]
//
// Opens [clients] (default 3) clients on the running server (JACK_DEFAULT_SERVER),
// each with a process callback that does nothing (with ports: one MIDI port
// whose buffer it clears, as a MIDI client's callback at least does), lets
// them settle for 2 s, then prints the CPU time each thread of this process
// ran over [seconds] (default 10) as a share of one core, and how often it
// woke up, from the scheduler's own counts (/proc/self/task/TID/schedstat,
// voluntary context switches).

#include <jack/jack.h>
#include <jack/midiport.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

struct ThreadTimes {
    std::string name;
    unsigned long long ns = 0;
    unsigned long long wakes = 0;
};

std::map<std::string, ThreadTimes> ReadThreads() {
    std::map<std::string, ThreadTimes> threads;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        ThreadTimes t;
        std::ifstream(task.path() / "comm") >> t.name;
        std::ifstream(task.path() / "schedstat") >> t.ns;
        std::ifstream status(task.path() / "status");
        for (std::string key; status >> key;) {
            if (key == "voluntary_ctxt_switches:") {
                status >> t.wakes;
                break;
            }
        }
        threads[task.path().filename().string()] = t;
    }
    return threads;
}

int DoNothing(jack_nframes_t, void*) {
    return 0;
}

int ClearMidi(jack_nframes_t frames, void* port) {
    jack_midi_clear_buffer(jack_port_get_buffer(static_cast<jack_port_t*>(port), frames));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int clients = argc > 1 ? std::atoi(argv[1]) : 3;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const bool ports = argc > 3 && std::string(argv[3]) == "ports";
    std::vector<jack_client_t*> opened;
    for (int i = 0; i < clients; ++i) {
        const std::string name = "floor-" + std::to_string(i);
        jack_status_t status{};
        jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
        if (!client) {
            std::fprintf(stderr, "bench_jack_floor: no JACK server to open a client on (status 0x%x)\n",
                         unsigned(status));
            return 1;
        }
        if (ports) {
            jack_port_t* port =
                jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
            jack_set_process_callback(client, ClearMidi, port);
        } else {
            jack_set_process_callback(client, DoNothing, nullptr);
        }
        if (jack_activate(client) != 0) {
            std::fprintf(stderr, "bench_jack_floor: a client could not be activated\n");
            return 1;
        }
        opened.push_back(client);
    }
    const jack_nframes_t period = jack_get_buffer_size(opened.front());
    const jack_nframes_t rate = jack_get_sample_rate(opened.front());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const auto before = ReadThreads();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const auto after = ReadThreads();

    std::printf("%d JACK clients%s at %u frames, %u Hz (%.1f periods/s), idle for %d s:\n", clients,
                ports ? " with a MIDI port each" : " with an empty process callback", unsigned(period),
                unsigned(rate), double(rate) / period, seconds);
    double total = 0;
    for (const auto& [tid, t] : after) {
        const auto was = before.find(tid);
        if (was == before.end()) continue;
        const double share = double(t.ns - was->second.ns) / 1e7 / seconds;
        const double wakes = double(t.wakes - was->second.wakes) / seconds;
        total += share;
        if (share > 0)
            std::printf("  %-8s %-16s %.3f %%  %6.1f wake-ups/s\n", tid.c_str(), t.name.c_str(), share,
                        wakes);
    }
    std::printf("  all threads: %.3f %% of one core (%.3f %% per client)\n", total, total / clients);
    for (jack_client_t* client : opened)
        jack_client_close(client);
    return 0;
}

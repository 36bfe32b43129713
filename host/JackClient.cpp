#include "host/JackClient.h"

#include "core/MidiMessageQueue.h"
#include "core/RealtimeScope.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace tolvane {

namespace {

// Room for what a firmware update or a bulk load may queue ahead of the
// wire: well over a second of the pedal's USB MIDI.
constexpr std::size_t kOtherThreadsQueueBytes = 1 << 17;
// What the receive entry may send within one period, with room to spare.
constexpr std::size_t kClockQueueBytes = 1 << 16;
// A sender from another thread waits this long for room before the message
// is dropped (only a server that stopped running the client gets there).
constexpr auto kSendRoomWait = std::chrono::seconds(1);
constexpr auto kSendRoomPoll = std::chrono::milliseconds(1);

constexpr std::uint8_t kTimingClock = 0xf8;
// The queue emptied and two more periods, at the largest usual period
// (4096 frames at 44.1 kHz, 93 ms).
constexpr auto kDrainWait = std::chrono::milliseconds(300);

void Quiet(const char*) {}

std::atomic<bool> gLeftBehind{false};

} // namespace

struct JackClient::Shared {
    jack_client_t* client = nullptr;
    jack_port_t* in = nullptr;
    jack_port_t* out = nullptr;
    AppPlugin* plugin = nullptr;

    MidiMessageQueue fromOtherThreads{kOtherThreadsQueueBytes};
    MidiMessageQueue fromClock{kClockQueueBytes};

    std::atomic<bool> gone{false};
    // Periods run, and the last one that wrote a message: a message leaves
    // the output port in its period, but a client that reads us through a
    // feedback connection takes it in the next one.
    std::atomic<std::uint64_t> cycles{0};
    std::atomic<std::uint64_t> lastWritten{0};
    // Set before closing; the callback does nothing once it sees it, and
    // closing waits until no callback is inside.
    std::atomic<bool> stopped{false};
    std::atomic<int> inside{0};
    std::atomic<std::uint64_t> dropped{0};
};

namespace {

// The client whose callback runs on this thread now, if any: its sends go
// into the callback's own queue.
thread_local JackClient::Shared* tProcessing = nullptr;

// Writes whole messages at the start of the period while they fit; false
// when one had to wait for the next period.
bool Drain(MidiMessageQueue& queue, void* buffer, bool& wrote) {
    while (const std::size_t size = queue.FrontSize()) {
        jack_midi_data_t* at = jack_midi_event_reserve(buffer, 0, size);
        if (!at) return false;
        queue.CopyFront(at);
        queue.PopFront();
        wrote = true;
    }
    return true;
}

int Process(jack_nframes_t frames, void* arg) {
    auto* s = static_cast<JackClient::Shared*>(arg);
    const RealtimeScope clock; // the whole period, input and output included
    s->inside.store(1);
    if (s->stopped.load()) {
        s->inside.store(0);
        return 0;
    }
    void* input = jack_port_get_buffer(s->in, frames);
    const std::uint32_t count = jack_midi_get_event_count(input);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, input, i) != 0 || event.size == 0) continue;
        if (event.size == 1 && event.buffer[0] == kTimingClock) continue;
        s->plugin->AcceptMidiInput(event.buffer, event.size);
    }
    tProcessing = s;
    float* silent[PluginProcessor::kNumOutputs] = {};
    s->plugin->ProcessAudio(silent, static_cast<int>(frames));
    tProcessing = nullptr;
    void* output = jack_port_get_buffer(s->out, frames);
    jack_midi_clear_buffer(output);
    bool wrote = false;
    if (Drain(s->fromOtherThreads, output, wrote)) Drain(s->fromClock, output, wrote);
    const std::uint64_t cycle = s->cycles.load(std::memory_order_relaxed) + 1;
    if (wrote) s->lastWritten.store(cycle, std::memory_order_relaxed);
    s->cycles.store(cycle, std::memory_order_release);
    s->inside.store(0);
    return 0;
}

void ServerShutDown(jack_status_t, const char*, void* arg) {
    static_cast<JackClient::Shared*>(arg)->gone.store(true);
}

// Deactivates and closes on a thread of its own, so that a server which
// does not answer cannot hold the caller past the deadline.
bool CloseWithin(const std::shared_ptr<JackClient::Shared>& shared, std::chrono::milliseconds deadline) {
    struct Done {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    std::thread([shared, done] {
        jack_deactivate(shared->client);
        jack_client_close(shared->client);
        std::lock_guard lock(done->m);
        done->done = true;
        done->cv.notify_all();
    }).detach();
    std::unique_lock lock(done->m);
    return done->cv.wait_for(lock, deadline, [&] { return done->done; });
}

} // namespace

bool JackClientLeftBehind() {
    return gLeftBehind.load();
}

JackClient::JackClient(AppPlugin& plugin) : plugin_(plugin) {}

JackClient::~JackClient() {
    Close();
}

bool JackClient::Open(const char* clientName) {
    Close();
    // libjack reports through these from any of its threads, also while the
    // server goes away; the program says what matters itself.
    jack_set_error_function(Quiet);
    jack_set_info_function(Quiet);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(clientName, JackNoStartServer, &status);
    if (!client) return false;
    auto s = std::make_shared<Shared>();
    s->client = client;
    s->plugin = &plugin_;
    s->in = jack_port_register(client, kJackInputPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    s->out = jack_port_register(client, kJackOutputPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (!s->in || !s->out || jack_set_process_callback(client, Process, s.get()) != 0) {
        jack_client_close(client);
        return false;
    }
    jack_on_info_shutdown(client, ServerShutDown, s.get());
    plugin_.SetSampleRate(jack_get_sample_rate(client));
    plugin_.SetBlockSize(kProcessBlockFrames);
    plugin_.OnReset();
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        return false;
    }
    shared_ = std::move(s);
    return true;
}

bool JackClient::IsOpen() const {
    return shared_ != nullptr;
}

void JackClient::Close(std::chrono::milliseconds deadline) {
    if (!shared_) return;
    std::shared_ptr<Shared> s;
    {
        std::lock_guard lock(sendersMutex_);
        s = std::move(shared_);
    }
    // What was sent last (the editor's goodbye at exit) leaves first, unless
    // the server no longer runs the callback.
    const auto drainUntil = std::chrono::steady_clock::now() + kDrainWait;
    const auto left = [&s] {
        return s->fromOtherThreads.UsedBytes() > 0 ||
               s->cycles.load(std::memory_order_acquire) < s->lastWritten.load(std::memory_order_relaxed) + 2;
    };
    while (!s->gone.load() && left() && std::chrono::steady_clock::now() < drainUntil)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    s->stopped.store(true);
    // A callback already past its check finishes its period first.
    const auto waitUntil = std::chrono::steady_clock::now() + deadline;
    while (s->inside.load() && std::chrono::steady_clock::now() < waitUntil)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (CloseWithin(s, deadline)) return;
    gLeftBehind.store(true);
    std::fprintf(stderr, "Tolvane: the JACK server did not answer; its client was left to it\n");
}

bool JackClient::ServerGone() const {
    return shared_ && shared_->gone.load();
}

std::string JackClient::ClientName() const {
    return shared_ ? jack_get_client_name(shared_->client) : std::string();
}

std::string JackClient::OwnPortName(MidiDirection direction) const {
    if (!shared_) return {};
    return jack_port_name(direction == MidiDirection::Input ? shared_->in : shared_->out);
}

unsigned JackClient::SampleRate() const {
    return shared_ ? jack_get_sample_rate(shared_->client) : 0;
}

unsigned JackClient::PeriodFrames() const {
    return shared_ ? jack_get_buffer_size(shared_->client) : 0;
}

std::vector<std::string> JackClient::PortNames(MidiDirection direction) const {
    std::vector<std::string> names;
    if (!shared_ || shared_->gone.load()) return names;
    // We read from other clients' outputs and write to their inputs.
    const unsigned long flags = direction == MidiDirection::Input ? JackPortIsOutput : JackPortIsInput;
    const char** ports = jack_get_ports(shared_->client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    if (!ports) return names;
    for (const char** p = ports; *p; ++p) {
        jack_port_t* port = jack_port_by_name(shared_->client, *p);
        if (port && jack_port_is_mine(shared_->client, port)) continue;
        names.emplace_back(*p);
    }
    jack_free(ports);
    return names;
}

bool JackClient::Connect(MidiDirection direction, const std::string& port) {
    if (!shared_ || shared_->gone.load()) return false;
    Disconnect(direction);
    const std::string own = OwnPortName(direction);
    const int result = direction == MidiDirection::Input
                           ? jack_connect(shared_->client, port.c_str(), own.c_str())
                           : jack_connect(shared_->client, own.c_str(), port.c_str());
    return result == 0 || result == EEXIST;
}

void JackClient::Disconnect(MidiDirection direction) {
    if (!shared_ || shared_->gone.load()) return;
    jack_port_disconnect(shared_->client, direction == MidiDirection::Input ? shared_->in : shared_->out);
}

bool JackClient::ConnectedTo(MidiDirection direction, const std::string& port) const {
    if (!shared_ || shared_->gone.load()) return false;
    return jack_port_connected_to(direction == MidiDirection::Input ? shared_->in : shared_->out,
                                  port.c_str()) != 0;
}

bool JackClient::SendBytes(const std::uint8_t* bytes, std::size_t size) {
    // The callback's own sends: shared_ is not read there, since the
    // user-interface thread may be closing.
    if (Shared* s = tProcessing) {
        if (!s->fromClock.Push(bytes, size)) s->dropped.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    std::unique_lock lock(sendersMutex_);
    if (!shared_) return false;
    Shared& s = *shared_;
    const auto giveUp = std::chrono::steady_clock::now() + kSendRoomWait;
    while (!s.fromOtherThreads.Push(bytes, size)) {
        if (s.gone.load() || std::chrono::steady_clock::now() >= giveUp) {
            s.dropped.fetch_add(1, std::memory_order_relaxed);
            return true;
        }
        // The callback frees room within a period; the lock keeps the client
        // open and other senders behind this message meanwhile.
        std::this_thread::sleep_for(kSendRoomPoll);
    }
    return true;
}

std::uint64_t JackClient::DroppedSends() const {
    std::lock_guard lock(sendersMutex_);
    return shared_ ? shared_->dropped.load(std::memory_order_relaxed) : 0;
}

} // namespace tolvane

#include "sim/program/JackWire.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "sim/program/PortNames.h"

namespace tolvane::sim {

namespace {

// PipeWire's JACK hands a period's MIDI on as a sequence of its own, in a
// buffer of 32 KiB at any quantum, where each event costs up to this much
// framing besides its bytes; what overflows it loses the whole period's MIDI,
// though the JACK buffer still reported room. So a period carries at most
// half that, framing counted: at 48 kHz and 1024 frames still some twenty
// times what the pedal's link carries at its full pace.
constexpr std::size_t kEventFraming = 24;
constexpr std::size_t kPeriodBytes = 16 * 1024;

} // namespace

JackWire::JackWire(const std::string& client) {
    jack_status_t status{};
    client_ = jack_client_open(client.c_str(), JackNoStartServer, &status);
    if (!client_) {
        if (status & JackServerFailed) throw NoJackServer();
        throw std::runtime_error("the JACK server turned the client \"" + client + "\" down");
    }
    in_ = jack_port_register(client_, kInPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    out_ = jack_port_register(client_, kOutPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (!in_ || !out_ || jack_set_process_callback(client_, &JackWire::OnProcess, this) != 0) {
        Close();
        throw std::runtime_error("the JACK server turned the ports of \"" + client + "\" down");
    }
    // jackd calls the one with the reason, PipeWire's JACK only the plain one.
    jack_on_info_shutdown(client_, &JackWire::OnInfoShutdown, this);
    jack_on_shutdown(client_, &JackWire::OnShutdown, this);
    if (jack_activate(client_) != 0) {
        Close();
        throw std::runtime_error("the JACK client \"" + client + "\" could not be activated");
    }
    inputName_ = jack_port_name(in_);
    outputName_ = jack_port_name(out_);
}

JackWire::~JackWire() {
    Close();
}

void JackWire::Close() {
    if (!client_) return;
    // A server that has gone runs no more callbacks; there is nothing to stop.
    if (!ServerGone()) jack_deactivate(client_);
    jack_client_close(client_);
    client_ = nullptr;
}

void JackWire::Write(const std::vector<unsigned char>& message) {
    if (message.size() > toSend_.LargestMessage()) {
        lost_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    // Nothing is dropped for want of room: the callback empties the ring
    // every period.
    while (!toSend_.Push(message.data(), message.size())) {
        if (ServerGone()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::vector<std::vector<unsigned char>> JackWire::TakeReceived() {
    std::vector<std::vector<unsigned char>> messages;
    while (const std::size_t size = received_.FrontSize()) {
        std::vector<unsigned char> event(size);
        received_.CopyFront(event.data());
        received_.PopFront();
        joiner_.Add(std::move(event), messages);
    }
    return messages;
}

int JackWire::OnProcess(jack_nframes_t frames, void* self) {
    auto* wire = static_cast<JackWire*>(self);
    wire->Receive(frames);
    wire->Transmit(frames);
    return 0;
}

void JackWire::OnShutdown(void* self) {
    // On libjack's notification thread: the main loop reports it.
    static_cast<JackWire*>(self)->gone_.store(true, std::memory_order_release);
}

void JackWire::OnInfoShutdown(jack_status_t, const char*, void* self) {
    OnShutdown(self);
}

void JackWire::Receive(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(in_, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0) continue;
        if (!received_.Push(event.buffer, event.size)) lost_.fetch_add(1, std::memory_order_relaxed);
    }
}

void JackWire::Transmit(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(out_, frames);
    jack_midi_clear_buffer(buffer);
    const std::size_t room = jack_midi_max_event_size(buffer);
    std::size_t budget = kPeriodBytes;
    while (const std::size_t size = toSend_.FrontSize()) {
        if (size > room) {
            // Larger than a whole empty buffer: it would hold up everything
            // behind it for good.
            toSend_.PopFront();
            lost_.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        // What does not fit this period goes at the start of the next; the
        // first message of a period always goes.
        const std::size_t cost = size + kEventFraming;
        if (cost > budget && budget < kPeriodBytes) return;
        jack_midi_data_t* at = jack_midi_event_reserve(buffer, 0, size); // in order, at the first frame
        if (!at) return;
        toSend_.CopyFront(at);
        toSend_.PopFront();
        budget -= std::min(budget, cost);
    }
}

} // namespace tolvane::sim

#include "sim/program/MidiPorts.h"

#include <jack/jack.h>

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <utility>

namespace tolvane::sim {

namespace {

constexpr const char* kInPortName = "Velumo Ostrel In";
constexpr const char* kOutPortName = "Velumo Ostrel Out";

template <typename Port> std::string FindListed(Port& probe, const std::string& part) {
    const unsigned count = probe.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        const std::string name = probe.getPortName(i);
        if (name.find(part) != std::string::npos) return name;
    }
    throw std::runtime_error("the port \"" + part + "\" does not show in the port list");
}

} // namespace

bool JackServerRunning() {
    jack_status_t status{};
    jack_client_t* client = jack_client_open("velumo-sim-probe", JackNoStartServer, &status);
    if (!client) return false;
    jack_client_close(client);
    return true;
}

MidiPorts::MidiPorts(MidiApi api, const std::string& client) {
    if (api == MidiApi::Auto) api = JackServerRunning() ? MidiApi::Jack : MidiApi::Alsa;
    const RtMidi::Api rtApi = api == MidiApi::Jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
    apiName_ = api == MidiApi::Jack ? "jack" : "alsa";
    if (api == MidiApi::Jack && !JackServerRunning()) throw std::runtime_error("no JACK server is running");

    in_ = std::make_unique<RtMidiIn>(rtApi, client, 1024);
    in_->ignoreTypes(false, true, true); // SysEx is the pedal's whole language
    in_->setCallback(&MidiPorts::OnMessage, this);
    in_->openVirtualPort(kInPortName);
    out_ = std::make_unique<RtMidiOut>(rtApi, client);
    out_->openVirtualPort(kOutPortName);

    // Another client sees our input among its outputs and the other way round.
    RtMidiOut probeOut(rtApi, "velumo-sim probe");
    listedIn_ = FindListed(probeOut, kInPortName);
    RtMidiIn probeIn(rtApi, "velumo-sim probe");
    listedOut_ = FindListed(probeIn, kOutPortName);
}

void MidiPorts::Send(const std::vector<unsigned char>& message) {
    const auto now = std::chrono::steady_clock::now();
    if (wireFree_ > now) std::this_thread::sleep_until(wireFree_);
    out_->sendMessage(&message);
    wireFree_ = std::max(now, wireFree_) + byteTime_ * static_cast<int>(message.size());
}

std::vector<std::vector<unsigned char>> MidiPorts::TakeReceived() {
    std::lock_guard lock(mutex_);
    return std::exchange(received_, {});
}

void MidiPorts::OnMessage(double, std::vector<unsigned char>* message, void* self) {
    auto* ports = static_cast<MidiPorts*>(self);
    std::lock_guard lock(ports->mutex_);
    ports->received_.push_back(*message);
}

} // namespace tolvane::sim

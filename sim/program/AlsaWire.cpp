#include "sim/program/AlsaWire.h"

#include <stdexcept>
#include <utility>

#include "sim/program/PortNames.h"

namespace tolvane::sim {

namespace {

// The sequencer adds client and port numbers to the names, so the full name
// is read back from the port list as another client sees it.
template <typename Port> std::string FindListed(Port& probe, const std::string& part) {
    const unsigned count = probe.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        const std::string name = probe.getPortName(i);
        if (name.find(part) != std::string::npos) return name;
    }
    throw std::runtime_error("the port \"" + part + "\" does not show in the port list");
}

} // namespace

AlsaWire::AlsaWire(const std::string& client) {
    in_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, client, 1024);
    in_->ignoreTypes(false, true, true); // SysEx is the pedal's whole language
    in_->setCallback(&AlsaWire::OnMessage, this);
    in_->openVirtualPort(kInPortName);
    out_ = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, client);
    out_->openVirtualPort(kOutPortName);

    // Another client sees our input among its outputs and the other way round.
    RtMidiOut probeOut(RtMidi::LINUX_ALSA, "velumo-sim probe");
    inputName_ = FindListed(probeOut, kInPortName);
    RtMidiIn probeIn(RtMidi::LINUX_ALSA, "velumo-sim probe");
    outputName_ = FindListed(probeIn, kOutPortName);
}

void AlsaWire::Write(const std::vector<unsigned char>& message) {
    out_->sendMessage(&message);
}

std::vector<std::vector<unsigned char>> AlsaWire::TakeReceived() {
    std::lock_guard lock(mutex_);
    return std::exchange(received_, {});
}

void AlsaWire::OnMessage(double, std::vector<unsigned char>* message, void* self) {
    auto* wire = static_cast<AlsaWire*>(self);
    std::lock_guard lock(wire->mutex_);
    wire->received_.push_back(*message);
}

} // namespace tolvane::sim

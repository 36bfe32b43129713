#include "sim/program/MidiPorts.h"

#include <algorithm>
#include <thread>

#include "sim/program/AlsaWire.h"
#include "sim/program/JackWire.h"

namespace tolvane::sim {

namespace {

std::unique_ptr<IMidiWire> OpenWire(MidiApi api, const std::string& client) {
    if (api == MidiApi::Alsa) return std::make_unique<AlsaWire>(client);
    try {
        return std::make_unique<JackWire>(client);
    } catch (const NoJackServer&) {
        if (api == MidiApi::Jack) throw;
        return std::make_unique<AlsaWire>(client);
    }
}

} // namespace

MidiPorts::MidiPorts(MidiApi api, const std::string& client) : wire_(OpenWire(api, client)) {}

void MidiPorts::Send(const std::vector<unsigned char>& message) {
    const auto now = std::chrono::steady_clock::now();
    if (wireFree_ > now) std::this_thread::sleep_until(wireFree_);
    wire_->Write(message);
    wireFree_ = std::max(now, wireFree_) + byteTime_ * static_cast<int>(message.size());
}

} // namespace tolvane::sim

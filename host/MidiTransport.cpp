#include "host/MidiTransport.h"

#include <rtmidi/RtMidi.h>

#include <cstdio>
#include <thread>

namespace tolvane {

namespace {

// Longer than one period of a JACK server at its largest usual buffer.
constexpr auto kOutputDrainTime = std::chrono::milliseconds(100);

template <typename Object>
std::vector<std::string> NamesOf(const std::vector<std::unique_ptr<Object>>& objects) {
    std::vector<std::string> names;
    for (const auto& object : objects) {
        try {
            const unsigned count = object->getPortCount();
            for (unsigned i = 0; i < count; ++i)
                names.push_back(object->getPortName(i));
        } catch (const RtMidiError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
    return names;
}

// Finds the first port with the name; objects that fail are skipped.
template <typename Object>
bool FindPort(const std::vector<std::unique_ptr<Object>>& objects, const std::string& name, int& objectIndex,
              unsigned& portIndex) {
    for (int o = 0; o < static_cast<int>(objects.size()); ++o) {
        try {
            const unsigned count = objects[o]->getPortCount();
            for (unsigned i = 0; i < count; ++i)
                if (objects[o]->getPortName(i) == name) {
                    objectIndex = o;
                    portIndex = i;
                    return true;
                }
        } catch (const RtMidiError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
    return false;
}

std::vector<RtMidi::Api> PresentApis(const SoundSystems& present) {
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    std::vector<RtMidi::Api> apis;
    for (RtMidi::Api api : compiled) {
        if ((api == RtMidi::LINUX_ALSA && present.alsaSequencer) || (api == RtMidi::UNIX_JACK && present.jack))
            apis.push_back(api);
    }
    return apis;
}

} // namespace

MidiTransport::MidiTransport() = default;

MidiTransport::~MidiTransport() {
    SetExiting();
    CancelInputCallback();
    DeleteOutputObjects();
    DeleteInputObjects();
}

void MidiTransport::CreateObjects(AppPlugin& plugin, const SoundSystems& present) {
    plugin_ = &plugin;
    present_ = present;
    const auto apis = PresentApis(present);
    for (RtMidi::Api api : apis) {
        try {
            auto in = std::make_unique<RtMidiIn>(api, kMidiInputClientName);
            in->setCallback(&MidiTransport::InputCallback, this);
            in->ignoreTypes(false, true, false); // SysEx in, timing clock out, active sensing in
            inputs_.push_back(std::move(in));
        } catch (const RtMidiError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
    for (RtMidi::Api api : apis) {
        try {
            outputs_.push_back(std::make_unique<RtMidiOut>(api, kMidiOutputClientName));
        } catch (const RtMidiError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
}

std::vector<std::string> MidiTransport::PortNames(MidiDirection direction) const {
    return direction == MidiDirection::Input ? NamesOf(inputs_) : NamesOf(outputs_);
}

bool MidiTransport::OpenPort(MidiDirection direction, const std::string& name) {
    int object = -1;
    unsigned port = 0;
    const bool found = direction == MidiDirection::Input ? FindPort(inputs_, name, object, port)
                                                         : FindPort(outputs_, name, object, port);
    ClosePort(direction);
    if (!found) return false;
    try {
        if (direction == MidiDirection::Input) {
            inputs_[object]->openPort(port, kMidiInputPortName);
            openInput_ = object;
            openInputName_ = name;
        } else {
            std::lock_guard lock(sendMutex_);
            outputs_[object]->openPort(port, kMidiOutputPortName);
            openOutput_ = object;
            openOutputName_ = name;
        }
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
    return true;
}

void MidiTransport::ClosePort(MidiDirection direction) {
    if (direction == MidiDirection::Input) {
        if (openInput_ >= 0) inputs_[openInput_]->closePort();
        openInput_ = -1;
        openInputName_.clear();
    } else {
        WaitForOutputToLeave();
        std::lock_guard lock(sendMutex_);
        if (openOutput_ >= 0) outputs_[openOutput_]->closePort();
        openOutput_ = -1;
        openOutputName_.clear();
    }
}

std::string MidiTransport::OpenPortName(MidiDirection direction) const {
    if (direction == MidiDirection::Input) return openInputName_;
    std::lock_guard lock(sendMutex_);
    return openOutputName_;
}

void MidiTransport::WaitForOutputToLeave() {
    std::chrono::steady_clock::time_point last;
    {
        std::lock_guard lock(sendMutex_);
        if (openOutput_ < 0) return;
        last = lastSend_;
    }
    const auto leaveBy = last + kOutputDrainTime;
    if (std::chrono::steady_clock::now() < leaveBy) std::this_thread::sleep_until(leaveBy);
}

void MidiTransport::CancelInputCallback() {
    for (auto& in : inputs_) {
        try {
            in->cancelCallback();
        } catch (const RtMidiError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
}

void MidiTransport::DeleteOutputObjects() {
    ClosePort(MidiDirection::Output);
    std::lock_guard lock(sendMutex_);
    outputs_.clear();
}

void MidiTransport::DeleteInputObjects() {
    ClosePort(MidiDirection::Input);
    inputs_.clear();
}

void MidiTransport::InputCallback(double /*timeStamp*/, std::vector<unsigned char>* message, void* user) {
    auto* self = static_cast<MidiTransport*>(user);
    if (!message || self->exiting_.load(std::memory_order_acquire) || !self->plugin_) return;
    self->plugin_->AcceptMidiInput(message->data(), message->size());
}

bool MidiTransport::Send(const std::uint8_t* bytes, std::size_t size) {
    std::lock_guard lock(sendMutex_);
    if (outputs_.empty()) return false;
    if (openOutput_ < 0) return true;
    try {
        outputs_[openOutput_]->sendMessage(bytes, size);
        lastSend_ = std::chrono::steady_clock::now();
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return true;
}

bool MidiTransport::SendSysEx(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size == 0) return false;
    return Send(bytes, size);
}

bool MidiTransport::SendShortMessage(const MidiShortMessage& msg) {
    const std::uint8_t bytes[3] = {msg.status, msg.data1, msg.data2};
    return Send(bytes, sizeof bytes);
}

} // namespace tolvane

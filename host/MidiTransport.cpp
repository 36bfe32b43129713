#include "host/MidiTransport.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace tolvane {

namespace {

// Longer than the sequencer's own queue takes to hand a message on.
constexpr auto kOutputDrainTime = std::chrono::milliseconds(100);

template <typename Object> std::vector<std::string> NamesOf(const std::unique_ptr<Object>& object) {
    std::vector<std::string> names;
    if (!object) return names;
    try {
        const unsigned count = object->getPortCount();
        for (unsigned i = 0; i < count; ++i)
            names.push_back(object->getPortName(i));
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return names;
}

template <typename Object> int FindPort(const std::unique_ptr<Object>& object, const std::string& name) {
    const std::vector<std::string> names = NamesOf(object);
    const auto at = std::find(names.begin(), names.end(), name);
    return at == names.end() ? -1 : static_cast<int>(at - names.begin());
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
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
    jack_ = std::make_unique<JackClient>(plugin);
    present_.jack = jack_->Open();
    if (present.alsaSequencer) CreateAlsaObjects();
    NoteOutputObject();
}

void MidiTransport::NoteOutputObject() {
    hasOutputObject_.store(HasOutputObject(), std::memory_order_release);
}

void MidiTransport::CreateAlsaObjects() {
    try {
        alsaIn_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kMidiInputClientName);
        alsaIn_->setCallback(&MidiTransport::InputCallback, this);
        alsaIn_->ignoreTypes(false, true, false); // SysEx in, timing clock out, active sensing in
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        alsaIn_.reset();
    }
    try {
        alsaOut_ = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kMidiOutputClientName);
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

bool MidiTransport::HasInputObject() const {
    return Jack() || alsaIn_;
}

bool MidiTransport::HasOutputObject() const {
    return Jack() || alsaOut_;
}

bool MidiTransport::ReopenJack() {
    if (!plugin_) return false;
    CloseJack();
    if (!jack_) jack_ = std::make_unique<JackClient>(*plugin_);
    present_.jack = jack_->Open();
    NoteOutputObject();
    return present_.jack;
}

void MidiTransport::CloseJack() {
    if (openInput_ == System::Jack) {
        openInput_ = System::None;
        openInputName_.clear();
    }
    {
        std::lock_guard lock(sendMutex_);
        if (openOutput_ == System::Jack) {
            openOutput_ = System::None;
            openOutputName_.clear();
        }
    }
    if (jack_) jack_->Close();
    present_.jack = false;
    NoteOutputObject();
}

std::vector<std::string> MidiTransport::AlsaPortNames(MidiDirection direction) const {
    return direction == MidiDirection::Input ? NamesOf(alsaIn_) : NamesOf(alsaOut_);
}

std::vector<std::string> MidiTransport::PortNames(MidiDirection direction) const {
    std::vector<std::string> names;
    if (const JackClient* jack = Jack()) names = jack->PortNames(direction);
    for (std::string& name : AlsaPortNames(direction))
        names.push_back(std::move(name));
    return names;
}

bool MidiTransport::OpenPort(MidiDirection direction, const std::string& name) {
    ClosePort(direction);
    const bool input = direction == MidiDirection::Input;
    if (JackClient* jack = Jack(); jack && Listed(jack->PortNames(direction), name)) {
        if (!jack->Connect(direction, name)) return false;
        if (input) {
            openInput_ = System::Jack;
            openInputName_ = name;
        } else {
            std::lock_guard lock(sendMutex_);
            openOutput_ = System::Jack;
            openOutputName_ = name;
        }
        return true;
    }
    return OpenAlsaPort(direction, name);
}

bool MidiTransport::OpenAlsaPort(MidiDirection direction, const std::string& name) {
    try {
        if (direction == MidiDirection::Input) {
            const int port = FindPort(alsaIn_, name);
            if (port < 0) return false;
            alsaIn_->openPort(static_cast<unsigned>(port), kMidiInputPortName);
            openInput_ = System::Alsa;
            openInputName_ = name;
        } else {
            const int port = FindPort(alsaOut_, name);
            if (port < 0) return false;
            std::lock_guard lock(sendMutex_);
            alsaOut_->openPort(static_cast<unsigned>(port), kMidiOutputPortName);
            openOutput_ = System::Alsa;
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
        if (openInput_ == System::Jack && Jack()) jack_->Disconnect(direction);
        if (openInput_ == System::Alsa) alsaIn_->closePort();
        openInput_ = System::None;
        openInputName_.clear();
        return;
    }
    if (openOutput_ == System::Alsa) WaitForOutputToLeave();
    std::lock_guard lock(sendMutex_);
    if (openOutput_ == System::Jack && Jack()) jack_->Disconnect(direction);
    if (openOutput_ == System::Alsa) alsaOut_->closePort();
    openOutput_ = System::None;
    openOutputName_.clear();
}

std::string MidiTransport::OpenPortName(MidiDirection direction) const {
    if (direction == MidiDirection::Input) return openInputName_;
    std::lock_guard lock(sendMutex_);
    return openOutputName_;
}

bool MidiTransport::OpenPortAlive(MidiDirection direction) const {
    const System system = direction == MidiDirection::Input ? openInput_ : openOutput_.load();
    const std::string name = OpenPortName(direction);
    if (system == System::Jack) return Jack() && Jack()->ConnectedTo(direction, name);
    if (system == System::Alsa) return Listed(AlsaPortNames(direction), name);
    return false;
}

void MidiTransport::WaitForOutputToLeave() {
    std::chrono::steady_clock::time_point last;
    {
        std::lock_guard lock(sendMutex_);
        last = lastSend_;
    }
    const auto leaveBy = last + kOutputDrainTime;
    if (std::chrono::steady_clock::now() < leaveBy) std::this_thread::sleep_until(leaveBy);
}

void MidiTransport::CancelInputCallback() {
    if (!alsaIn_) return;
    try {
        alsaIn_->cancelCallback();
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

void MidiTransport::DeleteOutputObjects() {
    ClosePort(MidiDirection::Output);
    if (jack_) jack_->Close();
    std::lock_guard lock(sendMutex_);
    alsaOut_.reset();
    hasOutputObject_.store(false, std::memory_order_release);
}

void MidiTransport::DeleteInputObjects() {
    ClosePort(MidiDirection::Input);
    jack_.reset();
    alsaIn_.reset();
}

void MidiTransport::InputCallback(double /*timeStamp*/, std::vector<unsigned char>* message, void* user) {
    auto* self = static_cast<MidiTransport*>(user);
    if (!message || self->exiting_.load(std::memory_order_acquire) || !self->plugin_) return;
    self->plugin_->AcceptMidiInput(message->data(), message->size());
}

bool MidiTransport::SendBytes(const std::uint8_t* bytes, std::size_t size) {
    // The JACK client queues for its callback and needs no lock here, so the
    // callback's own sends never wait for the user-interface thread.
    const System output = openOutput_.load(std::memory_order_acquire);
    if (output == System::Jack && jack_ && jack_->SendSysEx(bytes, size)) return true;
    // No port open: the bytes go nowhere, without waiting for the lock.
    if (output != System::Alsa) return hasOutputObject_.load(std::memory_order_acquire);
    std::lock_guard lock(sendMutex_);
    if (openOutput_ != System::Alsa) return hasOutputObject_.load(std::memory_order_acquire);
    try {
        alsaOut_->sendMessage(bytes, size);
        lastSend_ = std::chrono::steady_clock::now();
    } catch (const RtMidiError&) {
        // Counted, not printed: the sender may be the clock thread. The port
        // watch reports it on the user-interface thread.
        sendFailures_.fetch_add(1, std::memory_order_relaxed);
    }
    return true;
}

std::uint64_t MidiTransport::SendFailures() const {
    return sendFailures_.load(std::memory_order_relaxed) + (jack_ ? jack_->DroppedSends() : 0);
}

} // namespace tolvane

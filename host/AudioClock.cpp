#include "host/AudioClock.h"

#include <rtaudio/RtAudio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

namespace tolvane {

namespace {

constexpr auto kStopPoll = std::chrono::milliseconds(10);
constexpr int kStopPollLimit = 100; // about a second

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    for (int i = 0; i < static_cast<int>(names.size()); ++i)
        if (names[i] == name) return i;
    return -1;
}

bool Contains(const std::vector<unsigned>& list, int index) {
    for (unsigned i : list)
        if (static_cast<int>(i) == index) return true;
    return false;
}

// Whether the service behind an API is there; the library would print
// errors while finding out.
bool Present(RtAudio::Api api, const SoundSystems& present) {
    switch (api) {
    case RtAudio::LINUX_ALSA:
        return present.alsaCards;
    case RtAudio::LINUX_PULSE:
        return present.pulse;
    case RtAudio::UNIX_JACK:
        return present.jack;
    default:
        return true;
    }
}

// The first API in the library's own order that offers an output device.
std::unique_ptr<RtAudio> SystemApiWithOutput(const SoundSystems& present) {
    std::vector<RtAudio::Api> apis;
    RtAudio::getCompiledApi(apis);
    for (RtAudio::Api api : apis) {
        if (!Present(api, present)) continue;
        try {
            auto audio = std::make_unique<RtAudio>(api);
            const unsigned count = audio->getDeviceCount();
            for (unsigned i = 0; i < count; ++i)
                if (audio->getDeviceInfo(i).outputChannels > 0) return audio;
        } catch (const RtAudioError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
    return nullptr;
}

} // namespace

AudioDeviceChoice ChooseAudioDevices(const AudioDevices& devices, HostSettings& settings) {
    AudioDeviceChoice choice;
    // With JACK the one device name stands for both directions.
    const std::string& inputName =
        settings.audioDriver == kDriverJack ? settings.audioOutputDevice : settings.audioInputDevice;
    choice.input = IndexOf(devices.names, inputName);
    if (!Contains(devices.inputs, choice.input)) choice.input = -1;
    choice.output = IndexOf(devices.names, settings.audioOutputDevice);
    if (!Contains(devices.outputs, choice.output)) choice.output = -1;

    if (choice.input < 0 && devices.defaultInput >= 0) {
        choice.input = devices.defaultInput;
        settings.audioInputDevice = devices.names[choice.input];
        choice.settingsChanged = true;
    }
    if (choice.output < 0 && devices.defaultOutput >= 0) {
        choice.output = devices.defaultOutput;
        settings.audioOutputDevice = devices.names[choice.output];
        choice.settingsChanged = true;
    }
    return choice;
}

AudioClock::AudioClock(AppPlugin& plugin) : plugin_(plugin) {}

AudioClock::~AudioClock() {
    DeleteApi();
}

bool AudioClock::CreateApi(unsigned driver, const SoundSystems& present) {
    DeleteApi();
    // When the JACK server goes away, the library prints its notice to
    // std::cerr on libjack's notification thread while another thread closes
    // the client, and closing cancels that thread asynchronously. With
    // unitbuf the write happens in the stream sentry's destructor, which may
    // not unwind, so a cancel landing there ends the program. Without it the
    // write happens where cancellation unwinds cleanly; std::cerr still writes
    // straight through to the unbuffered standard error, so nothing is held.
    std::cerr.unsetf(std::ios_base::unitbuf);
    if (driver == kDriverJack) {
        if (!present.jack) return false;
        try {
            audio_ = std::make_unique<RtAudio>(RtAudio::UNIX_JACK);
        } catch (const RtAudioError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    } else {
        audio_ = SystemApiWithOutput(present);
    }
    return audio_ != nullptr;
}

void AudioClock::ProbeDevices() {
    devices_ = AudioDevices{};
    if (!audio_) return;
    try {
        const unsigned count = audio_->getDeviceCount();
        for (unsigned i = 0; i < count; ++i) {
            const RtAudio::DeviceInfo info = audio_->getDeviceInfo(i);
            devices_.names.push_back(info.name);
            if (!info.probed) {
                std::fprintf(stderr, "%s: Probe Status = Unsuccessful\n", info.name.c_str());
                continue;
            }
            if (info.inputChannels > 0) devices_.inputs.push_back(i);
            if (info.outputChannels > 0) devices_.outputs.push_back(i);
            if (info.isDefaultInput && info.inputChannels > 0) devices_.defaultInput = static_cast<int>(i);
            if (info.isDefaultOutput && info.outputChannels > 0) devices_.defaultOutput = static_cast<int>(i);
        }
    } catch (const RtAudioError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

bool AudioClock::Start(int outputDevice, unsigned sampleRate, unsigned bufferSize) {
    Stop();
    if (!audio_ || outputDevice < 0) return false;
    RtAudio::StreamParameters out;
    out.deviceId = static_cast<unsigned>(outputDevice);
    out.nChannels = PluginProcessor::kNumOutputs;
    out.firstChannel = 0;
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_NONINTERLEAVED;
    options.streamName = "Tolvane";
    unsigned frames = bufferSize;
    try {
        audio_->openStream(&out, nullptr, RTAUDIO_FLOAT32, sampleRate, &frames, &AudioClock::Callback, this,
                           &options);
        bufferFrames_ = frames;
        plugin_.SetSampleRate(sampleRate);
        plugin_.SetBlockSize(kProcessBlockFrames);
        plugin_.OnReset();
        firstBuffer_ = true;
        stopRequested_ = false;
        stopAcknowledged_ = false;
        audio_->startStream();
    } catch (const RtAudioError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        if (audio_->isStreamOpen()) audio_->closeStream();
        return false;
    }
    return true;
}

bool AudioClock::IsRunning() const {
    return audio_ && audio_->isStreamRunning();
}

bool AudioClock::IsOpen() const {
    return audio_ && audio_->isStreamOpen();
}

void AudioClock::Stop() {
    if (!audio_) return;
    try {
        if (audio_->isStreamRunning()) {
            stopRequested_ = true;
            for (int i = 0; i < kStopPollLimit && !stopAcknowledged_; ++i)
                std::this_thread::sleep_for(kStopPoll);
            // Not the stream's stop: it waits, without limit, for callbacks
            // that a sound server which has stopped running the client never
            // makes. The fade to silence above has had its second.
            audio_->abortStream();
        }
        if (audio_->isStreamOpen()) audio_->closeStream();
    } catch (const RtAudioError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

void AudioClock::DeleteApi() {
    Stop();
    audio_.reset();
}

int AudioClock::Callback(void* out, void* /*in*/, unsigned int nFrames, double /*streamTime*/,
                         unsigned int /*status*/, void* user) {
    static_cast<AudioClock*>(user)->Render(static_cast<float*>(out), nFrames);
    return 0;
}

void AudioClock::Render(float* out, unsigned nFrames) {
    float* channels[PluginProcessor::kNumOutputs];
    for (int ch = 0; ch < PluginProcessor::kNumOutputs; ++ch)
        channels[ch] = out + ch * nFrames;
    if (stopAcknowledged_.load(std::memory_order_acquire)) {
        for (float* ch : channels)
            std::fill_n(ch, nFrames, 0.f);
        return;
    }
    plugin_.ProcessAudio(channels, static_cast<int>(nFrames));

    const bool stopping = stopRequested_.load(std::memory_order_acquire);
    if (firstBuffer_ || stopping) {
        for (float* ch : channels)
            for (unsigned i = 0; i < nFrames; ++i) {
                const float ramp = static_cast<float>(i) / static_cast<float>(nFrames);
                ch[i] *= stopping ? 1.f - ramp : ramp;
            }
        firstBuffer_ = false;
    }
    if (stopping) stopAcknowledged_.store(true, std::memory_order_release);
}

} // namespace tolvane

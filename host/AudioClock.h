#pragma once
// The audio output stream whose callback clocks the plug-in: every 64 frames
// it hands queued MIDI input to the plug-in and writes silence. Two channels,
// non-interleaved, at the stored sample rate and buffer size.
//
// Driver 0 is the first audio API of the system that has an output device;
// driver 1 is JACK. Library errors go to standard error.
//
// Threads: the callback runs on the library's thread; everything else on the
// user-interface thread. Stopping asks the callback to fade out and waits for
// its acknowledgement before the stream is stopped.

#include "core/AppPlugin.h"
#include "host/HostSettings.h"
#include "host/SoundSystems.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class RtAudio;

namespace tolvane {

inline constexpr const char* kSoundcardMessage = "Please check your soundcard settings in Preferences";

struct AudioDevices {
    std::vector<std::string> names; // every device index
    std::vector<unsigned> inputs;   // indexes of devices with input channels
    std::vector<unsigned> outputs;
    int defaultInput = -1;
    int defaultOutput = -1;
};

// Which devices a stream opens with. Device names that no longer exist are
// replaced by the default device of that direction; settingsChanged says the
// caller should save.
struct AudioDeviceChoice {
    int input = -1;
    int output = -1;
    bool settingsChanged = false;
};
AudioDeviceChoice ChooseAudioDevices(const AudioDevices& devices, HostSettings& settings);

class AudioClock {
public:
    explicit AudioClock(AppPlugin& plugin);
    ~AudioClock();
    AudioClock(const AudioClock&) = delete;
    AudioClock& operator=(const AudioClock&) = delete;

    // Deletes any previous audio object (stopping its stream first) and
    // creates one for the driver. False when no API could be created.
    bool CreateApi(unsigned driver, const SoundSystems& present = ProbeSoundSystems());
    // Fills the device lists; devices that could not be probed are reported
    // on standard error and left out.
    void ProbeDevices();
    const AudioDevices& Devices() const { return devices_; }

    // Stops any stream, opens one on the output device and starts it. False,
    // with the library's error on standard error, when that fails.
    bool Start(int outputDevice, unsigned sampleRate, unsigned bufferSize);
    // Fades out, waits for the callback to acknowledge (at most about a
    // second, in case the callback no longer runs), stops and closes.
    void Stop();
    bool IsRunning() const;
    // Whether a stream is open. A stream the program started that is no
    // longer open was closed under it: the sound server stopped.
    bool IsOpen() const;
    void DeleteApi();

    // Frames actually used by the running stream.
    unsigned BufferFrames() const { return bufferFrames_; }

private:
    static int Callback(void* out, void* in, unsigned int nFrames, double streamTime, unsigned int status,
                        void* user);
    void Render(float* out, unsigned nFrames);

    AppPlugin& plugin_;
    std::unique_ptr<RtAudio> audio_;
    AudioDevices devices_;
    unsigned bufferFrames_ = 0;
    bool firstBuffer_ = true;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> stopAcknowledged_{false};
};

} // namespace tolvane

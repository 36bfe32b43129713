#pragma once
// The processing side of the plug-in: sample rate and block size, the channel
// layout (no inputs, two outputs), the entries that receive MIDI and SysEx,
// the processing entry, and the sends towards the MIDI output.

#include "core/MidiMessages.h"
#include "core/MidiOutput.h"

namespace tolvane {

class PluginProcessor {
public:
    static constexpr int kNumInputs = 0;
    static constexpr int kNumOutputs = 2;

    virtual ~PluginProcessor() = default;

    // Audio thread. Writes exact zeros into every frame of every output.
    virtual void ProcessBlock(float* const* inputs, float* const* outputs, int nFrames);
    virtual void ProcessMidiMsg(const MidiShortMessage& /*msg*/) {}
    // The receive entry for SysEx; one message at a time, in arrival order.
    virtual void ProcessSysEx(const SysExMessage& /*msg*/) {}
    virtual void OnReset() {}

    // Any thread. False, sending nothing, when there is no output object.
    bool SendMidiMsg(const MidiShortMessage& msg);
    bool SendSysEx(const SysExMessage& msg);

    void SetMidiOutput(IMidiOutput* output) { midiOutput_ = output; }
    void SetSampleRate(double sampleRate) { sampleRate_ = sampleRate; }
    double SampleRate() const { return sampleRate_; }
    void SetBlockSize(int frames) { blockSize_ = frames; }
    int BlockSize() const { return blockSize_; }

private:
    IMidiOutput* midiOutput_ = nullptr;
    double sampleRate_ = 44100.0;
    int blockSize_ = 64;
};

} // namespace tolvane

#include "core/PluginProcessor.h"

#include <algorithm>

namespace tolvane {

void PluginProcessor::ProcessBlock(float* const* /*inputs*/, float* const* outputs, int nFrames) {
    if (!outputs) return;
    for (int ch = 0; ch < kNumOutputs; ++ch)
        if (outputs[ch]) std::fill_n(outputs[ch], nFrames, 0.f);
}

bool PluginProcessor::SendMidiMsg(const MidiShortMessage& msg) {
    return midiOutput_ != nullptr && midiOutput_->SendShortMessage(msg);
}

bool PluginProcessor::SendSysEx(const SysExMessage& msg) {
    if (!midiOutput_ || !msg.data || msg.size <= 0) return false;
    return midiOutput_->SendSysEx(msg.data, static_cast<std::size_t>(msg.size));
}

} // namespace tolvane

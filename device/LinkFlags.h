#pragma once
// The flags the device link keeps beside the parameters. They are written
// whole from the user-interface thread and the audio thread, hence atomic.

#include <atomic>

namespace tolvane {

struct LinkFlags {
    // The pedal is identified and connected.
    std::atomic<bool> connected{false};
    // While set and not connected, the periodic task polls for the pedal.
    std::atomic<bool> autoConnect{true};
    // The program itself is applying values (from the pedal, a file or a
    // voicing): changes must not go out as live edits. Starts set so that
    // nothing is sent before the first application has ended.
    std::atomic<bool> applyFlag{true};
    // The current preset differs from its stored version.
    std::atomic<bool> presetModified{false};
    // A voicing or an imported preset has been applied: edits of 0..37 are
    // tracked as the last edit from then on.
    std::atomic<bool> editTracking{false};
};

static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace tolvane

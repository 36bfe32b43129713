#pragma once

namespace tolvane {

// Which of the pedal's two ports: the one the program reads, or the one it writes.
enum class MidiDirection { Input, Output };

} // namespace tolvane

#pragma once
// The short names of the simulator's ports, the same on every MIDI system.

namespace tolvane::sim {

inline constexpr const char* kInPortName = "Velumo Ostrel In";
inline constexpr const char* kOutPortName = "Velumo Ostrel Out";

} // namespace tolvane::sim

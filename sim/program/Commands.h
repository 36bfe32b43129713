#pragma once
// The commands a person (or a test) types to the simulator: things done on
// the pedal itself, the plug, and faults. Each returns the line to print.

#include <string>

#include "sim/model/PedalModel.h"

namespace tolvane::sim {

struct CommandResult {
    std::string reply;
    bool quit = false;
    // The cable: "unplug" takes the ports away, "plug [CLIENT]" brings them
    // back, under another client name when one is given.
    enum class Cable { Keep, Unplug, Plug } cable = Cable::Keep;
    std::string client = {};
};

CommandResult RunCommand(PedalModel& pedal, const std::string& line);

} // namespace tolvane::sim

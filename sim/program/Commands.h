#pragma once
// The commands a person (or a test) types to the simulator: things done on
// the pedal itself, the plug, and faults. Each returns the line to print.

#include <string>

#include "sim/model/PedalModel.h"

namespace tolvane::sim {

struct CommandResult {
    std::string reply;
    bool quit = false;
};

CommandResult RunCommand(PedalModel& pedal, const std::string& line);

} // namespace tolvane::sim

#pragma once
// One line of text for a SysEx message of the pedal's protocol: its name, its
// length and its key fields ("Request preset (9) slot=5"). The simulator's
// verbose mode prints it for every message received and sent.

#include <cstdint>
#include <span>
#include <string>

namespace tolvane::sim {

std::string DescribeMessage(std::span<const std::uint8_t> message);

} // namespace tolvane::sim

#pragma once
// How long a transfer waits for the pedal, in ticks of the 100 ms periodic
// task. The pedal answers a request within a few milliseconds; three seconds
// without an answer means it is gone or has lost the request.

namespace tolvane {

inline constexpr int kAnswerTimeoutTicks = 30;
// After the last firmware block the boot loader writes the image before it
// reports; it is given longer.
inline constexpr int kFirmwareOutcomeTimeoutTicks = 100;

} // namespace tolvane

#pragma once
// The program's timers: QTimers on the user-interface thread's event loop.

#include "core/Timer.h"

namespace tolvane {

// Installs the factory that makes Timer::Create return event-loop timers.
void InstallQtTimerFactory();

} // namespace tolvane

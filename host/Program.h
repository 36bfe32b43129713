#pragma once
// The whole program between entry and exit: one copy only, the host and its
// plug-in, its clock, the main window and the event loop. main() runs
// it; a start-up benchmark runs the same path and watches the first paint.

#include <functional>

namespace tolvane {

struct ProgramObserver {
    // Called once, on the user-interface thread, after the editor has been
    // painted for the first time.
    std::function<void()> firstPaint;
};

// Returns the exit code: 0 normally and when another copy is running, 1 when
// start-up failed.
int RunProgram(int& argc, char** argv, const ProgramObserver& observer = {});

} // namespace tolvane

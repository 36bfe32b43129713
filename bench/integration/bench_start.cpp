// The program's own start-up path, which reports the first paint of its
// editor and then closes like Quit. measure_program.sh runs it.
//
// Prints "painted <ms>": the time from TOLVANE_BENCH_T0 (nanoseconds of the
// system clock, set by the caller just before it starts this program) to the
// end of the first paint, or since main() when the variable is missing.

#include "host/Program.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    using namespace std::chrono;
    const char* t0Text = std::getenv("TOLVANE_BENCH_T0");
    const auto t0 = t0Text ? system_clock::time_point(nanoseconds(std::atoll(t0Text))) : system_clock::now();
    tolvane::ProgramObserver observer;
    observer.firstPaint = [t0] {
        const double ms = duration<double, std::milli>(system_clock::now() - t0).count();
        std::printf("painted %.1f\n", ms);
        std::fflush(stdout);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMainWindow*>(w)) w->close();
    };
    return tolvane::RunProgram(argc, argv, observer);
}

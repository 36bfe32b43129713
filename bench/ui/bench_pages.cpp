// Drawing costs of the editor's own pages (about 700 controls), built for a
// plug-in wired to the pedal model and connected, on a shown offscreen
// window:
//   - a full repaint of the main page at draw scale 1 and 0.5, the way a
//     window repaints (through the canvas's paint event into the backing
//     store);
//   - one step of the DRIVE knob, from the value arriving to the dirty area
//     painted, and how large that area is.
// The time reported is the CPU time of the whole process (Qt's raster engine
// spreads large fills and scalings over worker threads, so the painting
// thread's own time would undercount); the wall time is a counter.
// --benchmark_repetitions gives medians.

#include "PagesFixture.h"

#include <QApplication>
#include <QRegion>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace tolvane::testing {
namespace {

// The fixture of the page tests, outside a test run.
class PagesBench : public PagesTest {
public:
    explicit PagesBench(float scale) {
        Connect(); // the pedal enabled and the list named
        graphics->SetCanvasScale(1920, 1200, scale);
        graphics->show();
        Settle();
    }
    void TestBody() override {}
    using PagesTest::graphics;
    // Delivers what the window has queued (first paint, frame timer).
    void Settle() {
        graphics->OnFrame();
        QApplication::processEvents();
    }
};

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Times one piece of work in process CPU time and wall time.
class Stopwatch {
public:
    void Start() {
        cpu0_ = ProcessCpuSeconds();
        wall0_ = std::chrono::steady_clock::now();
    }
    void Stop(benchmark::State& state) {
        state.SetIterationTime(ProcessCpuSeconds() - cpu0_);
        wallMs_ += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall0_).count();
        ++n_;
    }
    void Report(benchmark::State& state) const { state.counters["wall_ms"] = n_ ? wallMs_ / n_ : 0.0; }

private:
    double cpu0_ = 0;
    std::chrono::steady_clock::time_point wall0_;
    double wallMs_ = 0;
    long n_ = 0;
};

float ScaleOf(const benchmark::State& state) {
    return float(state.range(0)) / 100.f;
}

void BM_MainPageFullRepaint(benchmark::State& state) {
    PagesBench b(ScaleOf(state));
    Stopwatch watch;
    for (auto _ : state) {
        watch.Start();
        b.graphics->repaint();
        watch.Stop(state);
    }
    watch.Report(state);
    state.counters["controls"] = b.graphics->NControls();
}
BENCHMARK(BM_MainPageFullRepaint)->Arg(100)->Arg(50)->UseManualTime()->Unit(benchmark::kMillisecond);

// The pedal moves DRIVE by one of its 128 steps: the knob takes the value,
// marks its area dirty, and the next frame paints that area only.
void BM_KnobStepRepaint(benchmark::State& state) {
    PagesBench b(ScaleOf(state));
    int step = 0;
    double pixels = 0;
    Stopwatch watch;
    for (auto _ : state) {
        step = (step + 1) % 128;
        watch.Start();
        b.graphics->SetParamNormalisedFromDelegate(kParamDrive, step / 127.0);
        const QRegion dirty = b.graphics->PendingRepaint();
        b.graphics->repaint(dirty);
        watch.Stop(state);
        pixels = 0;
        for (const QRect& r : dirty)
            pixels += double(r.width()) * r.height();
        b.Settle();
    }
    watch.Report(state);
    state.counters["dirty_px"] = pixels;
}
BENCHMARK(BM_KnobStepRepaint)->Arg(100)->Arg(50)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tolvane::testing

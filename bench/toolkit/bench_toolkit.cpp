// Costs of the drawing context: a full repaint of a page of about 250
// controls, the frequency graph's curve for a new impulse response, and the
// CPU a shown canvas uses while nothing changes.

#include "Fixtures.h"
#include "TestPage.h"

#include "ui/FreqResponseGraph.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <vector>

namespace tolvane::test {
namespace {

double ProcessCpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_FullRepaint(benchmark::State& state) {
    const float scale = float(state.range(0)) / 100.f;
    UiFixture f;
    const int controls = BuildTestPage(*f.ui, 9);
    f.ui->SetCanvasScale(1920, 1200, scale);
    QImage image(int(1920 * scale), int(1200 * scale), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        p.scale(scale, scale);
        f.ui->PaintCanvas(p, Rect(0, 0, 1920, 1200));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["controls"] = controls;
}
BENCHMARK(BM_FullRepaint)->Arg(100)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_SetImpulseResponse(benchmark::State& state) {
    UiFixture f;
    auto* graph =
        f.ui->AddControl(std::make_unique<FreqResponseGraph>(Rect(1200, 685, 1872, 1135), Colour{}));
    graph->SetRange(20, 20480, 100, 30);
    std::vector<double> ir(FreqResponseGraph::kFftSize);
    for (std::size_t n = 0; n < ir.size(); ++n)
        ir[n] = std::exp(-double(n) / 200.0) * std::sin(0.05 * double(n));
    for (auto _ : state) {
        graph->SetImpulseResponse(ir.data());
        benchmark::DoNotOptimize(graph->Curve().data());
    }
}
BENCHMARK(BM_SetImpulseResponse)->Unit(benchmark::kMicrosecond);

// A shown canvas with nothing changing, for ten seconds of the event loop.
void BM_IdleCanvas(benchmark::State& state) {
    UiFixture f;
    f.ui->SetClock({}); // the real clock
    BuildTestPage(*f.ui, 9);
    f.ui->SetCanvasScale(1920, 1200, 0.5f);
    f.ui->show();
    // Let the first paint happen, then measure a plain event loop.
    RunEventLoop(500);
    for (auto _ : state) {
        const double cpu0 = ProcessCpuMs();
        QElapsedTimer wall;
        wall.start();
        RunEventLoop(10000);
        const double cpu = ProcessCpuMs() - cpu0;
        state.counters["cpu_ms"] = cpu;
        state.counters["cpu_percent"] = 100.0 * cpu / double(wall.elapsed());
        state.counters["frame_timer_active"] = f.ui->FrameTimerActive() ? 1 : 0;
    }
}
BENCHMARK(BM_IdleCanvas)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tolvane::test

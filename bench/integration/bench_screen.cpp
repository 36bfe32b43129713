// From a knob turned on the pedal to its new value painted in the editor's
// window, run by hand (bench/run_all.sh runs it under Xvfb):
//
//   bench_screen [count] [frames]
//
// Starts a private JACK dummy server (frames per period, default 512), the
// simulator and the program itself (its own start-up path, as bench_start
// does), waits until the program has connected and loaded the 128 presets,
// then turns DRIVE on the simulator count times (default 40), 150 ms apart.
// Each delay runs from the simulator's "-> Parameter changed" line (printed
// just before the message goes to its MIDI port) to the end of the first
// paint of the editor that covers the virtual pedal's DRIVE knob.

#include "BenchSupport.h"

#include "host/Program.h"
#include "library/DataFolder.h"
#include "toolkit/Canvas.h"

#include <QApplication>
#include <QMainWindow>
#include <QPaintEvent>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace tolvane::bench {
namespace {

constexpr double kSampleRate = 44100.0;
constexpr double kFrameMs = 1000.0 / 60.0;
// The DRIVE knob of the virtual pedal: 102 units square about (770, 189).
constexpr float kKnobX = 770.f, kKnobY = 189.f, kKnobHalf = 51.f;

// Lets the canvas paint, then stamps the end of every paint that covers the knob.
class PaintStamps : public QObject {
public:
    explicit PaintStamps(Canvas& canvas) : canvas_(canvas) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != &canvas_ || e->type() != QEvent::Paint) return false;
        const QRect area = static_cast<QPaintEvent*>(e)->rect();
        static_cast<QObject&>(canvas_).event(e);
        const float s = canvas_.GetDrawScale();
        const QRect knob = QRectF((kKnobX - kKnobHalf) * s, (kKnobY - kKnobHalf) * s, 2 * kKnobHalf * s,
                                  2 * kKnobHalf * s)
                               .toAlignedRect();
        if (area.intersects(knob)) stamps.push_back(SteadyClock::now());
        return true;
    }
    std::vector<SteadyClock::time_point> stamps;

private:
    Canvas& canvas_;
};

Canvas* FindCanvas() {
    for (QWidget* w : QApplication::allWidgets())
        if (auto* c = qobject_cast<Canvas*>(w)) return c;
    return nullptr;
}

std::size_t CachedPresets() {
    std::error_code ec;
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(DataFolder() / kPresetsFolder, ec))
        n += e.path().extension() == ".dat";
    return n;
}

void CloseWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w)) w->close();
}

// Drives the measurement from the program's event loop once it has painted.
class Run {
public:
    Run(test::SimulatorProcess& sim, SentLineWatch& sent, int count, unsigned frames)
        : sim_(sim), sent_(sent), count_(count), frames_(frames) {}

    void Start() {
        Canvas* canvas = FindCanvas();
        if (!canvas) {
            std::fprintf(stderr, "no editor canvas\n");
            return CloseWindow();
        }
        stamps_ = std::make_unique<PaintStamps>(*canvas);
        canvas->installEventFilter(stamps_.get());
        started_ = SteadyClock::now();
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Step(); });
        timer_.start();
    }
    bool Measured() const { return measured_; }

private:
    void Step() {
        const auto now = SteadyClock::now();
        if (synchronisedAt_ == SteadyClock::time_point{}) {
            if (CachedPresets() >= 128) synchronisedAt_ = now;
            if (now - started_ > std::chrono::seconds(40)) {
                std::fprintf(stderr, "the program did not synchronise\n");
                return Finish();
            }
            return;
        }
        // The current preset and the global settings follow the last dump.
        if (now - synchronisedAt_ < std::chrono::seconds(2)) return;
        if (sentCommands_ < count_) {
            if (now - lastCommand_ < std::chrono::milliseconds(150)) return;
            lastCommand_ = now;
            sim_.Command("knob 5 " + std::to_string(20 + (sentCommands_ % 2) * 60 + sentCommands_ % 7));
            ++sentCommands_;
            return;
        }
        if (now - lastCommand_ > std::chrono::milliseconds(500)) Finish();
    }

    void Finish() {
        timer_.stop();
        const auto left = sent_.Stamps();
        std::vector<double> delays;
        for (const auto& t : left) {
            for (const auto& p : stamps_->stamps) {
                if (p < t) continue;
                delays.push_back(Ms(p - t).count());
                break;
            }
        }
        const double period = frames_ / kSampleRate * 1000.0;
        const Summary s = Summarise(delays);
        std::printf("buffer %u frames (%.2f ms): pedal message -> value painted median %.1f ms (min %.1f, max %.1f, "
                    "n=%zu of %d); one period + one frame = %.1f ms\n",
                    frames_, period, s.median, s.low, s.high, delays.size(), count_, period + kFrameMs);
        measured_ = !delays.empty();
        CloseWindow();
    }

    test::SimulatorProcess& sim_;
    SentLineWatch& sent_;
    const int count_;
    const unsigned frames_;
    std::unique_ptr<PaintStamps> stamps_;
    QTimer timer_;
    SteadyClock::time_point started_, synchronisedAt_, lastCommand_;
    int sentCommands_ = 0;
    bool measured_ = false;
};

} // namespace
} // namespace tolvane::bench

int main(int argc, char** argv) {
    using namespace tolvane;
    const int count = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 40;
    const unsigned frames = argc > 2 && std::atoi(argv[2]) > 0 ? unsigned(std::atoi(argv[2])) : 512u;
    bench::TempDataHome home;
    test::JackServer jack(static_cast<int>(frames));
    if (!jack.Ok()) return std::fprintf(stderr, "%s\n", jack.Error().c_str()), 1;
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh", "-v"});
    if (!sim.Ok()) return std::fprintf(stderr, "%s\n", sim.Error().c_str()), 1;
    bench::SentLineWatch sent(sim, "-> Parameter changed");
    home.SaveSettingsFor(sim, static_cast<int>(frames));

    bench::Run run(sim, sent, count, frames);
    ProgramObserver observer;
    bool started = false;
    observer.firstPaint = [&] {
        if (started) return;
        started = true;
        QTimer::singleShot(0, [&] { run.Start(); });
    };
    int programArgc = 1;
    const int code = RunProgram(programArgc, argv, observer);
    return code != 0 ? code : (run.Measured() ? 0 : 1);
}

#pragma once
// Shared by the toolkit tests: a delegate owning a few parameters, a platform
// that answers questions without dialogs, generated test bitmaps, and mouse
// events sent through Qt at canvas coordinates.

#include "core/ControlDelegate.h"
#include "core/Param.h"
#include "core/ParamList.h"
#include "toolkit/Canvas.h"
#include "toolkit/Platform.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tolvane::test {

// Parameter indices of FakeDelegate.
enum : int { kGain = 0, kMode = 1, kSteps = 2, kPosition = 3, kNumParams };

class FakeDelegate : public IControlDelegate {
public:
    FakeDelegate();
    Param* GetParam(int index) override { return params.GetParam(index); }
    const Param* GetParam(int index) const override { return params.GetParam(index); }
    void ParamChangeFromControl(int index, double normalised) override;

    struct Change {
        int index;
        double normalised;
    };
    ParamList params;
    std::vector<Change> changes;
};

class FakePlatform : public IPlatform {
public:
    AskResult AskUser(const std::string& text, const std::string& caption, AskButtons buttons) override;
    std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory,
                           const std::string& proposedName) override;
    bool IsOnline() const override { return online; }
    bool OpenUrl(const std::string& url) override {
        opened.push_back(url);
        return opens;
    }

    AskResult answer = AskResult::Ok;
    std::string file = "/tmp/chosen.wav";
    bool online = true;
    bool opens = true; // whether the system manages to open a link
    std::vector<std::string> asked;
    std::vector<std::string> opened;
};

// A folder of small PNGs written for the test: "Knob.png" 40 × 40 (and
// "Knob@2x.png", filled differently so tests can tell which was drawn),
// "button.png" two 30 × 20 frames (red then green), "solid.png" 50 × 50
// white, "handle.png" 20 × 10.
class TestImages {
public:
    TestImages();
    QString Root() const { return dir_.path() + "/"; }

private:
    QTemporaryDir dir_;
};

// A drawing context on a fake delegate and platform with the test images,
// a manual clock, at draw scale 1.
struct UiFixture {
    UiFixture();
    void Advance(double ms);

    FakeDelegate delegate;
    FakePlatform platform;
    TestImages images;
    double now = 0.0;
    std::unique_ptr<Canvas> ui;
};

// The same for TEST_F fixtures.
struct UiTest : ::testing::Test, UiFixture {};

// Real Qt mouse events at canvas coordinates (scaled to widget pixels).
void Press(Canvas& ui, float x, float y, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers keys = Qt::NoModifier);
void Release(Canvas& ui, float x, float y, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers keys = Qt::NoModifier);
void DragTo(Canvas& ui, float x, float y, Qt::KeyboardModifiers keys = Qt::NoModifier);
void DoubleClick(Canvas& ui, float x, float y);
void Wheel(Canvas& ui, float x, float y, int angleDelta, Qt::KeyboardModifiers keys = Qt::NoModifier);
void Click(Canvas& ui, float x, float y);

} // namespace tolvane::test

#include "Fixtures.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <functional>

namespace tolvane::test {

FakeDelegate::FakeDelegate() {
    params.Add()->InitDouble("Gain", 0.0, 0.0, 100.0, 0.1, "dB");
    params.Add()->InitEnum("Mode", 1, 3, "", 0, "", {"Room", "Hall", "Plate"});
    params.Add()->InitInt("Steps", 0, 0, 10);
    params.Add()->InitInt("Position", 0, 0, 127);
}

void FakeDelegate::ParamChangeFromControl(int index, double normalised) {
    if (Param* p = params.GetParam(index)) p->SetValue(p->ValueFromNormal(normalised));
    changes.push_back({index, normalised});
}

AskResult FakePlatform::AskUser(const std::string& text, const std::string&, AskButtons) {
    asked.push_back(text);
    return answer;
}

std::string FakePlatform::AskForFile(FileAction, const std::string& extension, const std::string&,
                                     const std::string&) {
    asked.push_back("file:" + extension);
    return file;
}

namespace {
void Write(const QString& path, int w, int h, const std::function<void(QPainter&)>& paint) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paint(p);
    p.end();
    image.save(path);
}
} // namespace

TestImages::TestImages() {
    const QString root = Root();
    auto knob = [](int s, QColor body) {
        return [s, body](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(body);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QRectF(1, 1, s - 2, s - 2));
            p.setPen(QPen(Qt::white, s / 10.0));
            p.drawLine(QPointF(s / 2.0, s / 2.0), QPointF(s / 2.0, s * 0.1));
        };
    };
    Write(root + "Knob.png", 40, 40, knob(40, QColor(200, 60, 60)));
    Write(root + "Knob@2x.png", 80, 80, knob(80, QColor(60, 60, 200)));
    Write(root + "button.png", 30, 40, [](QPainter& p) {
        p.fillRect(0, 0, 30, 20, Qt::red);
        p.fillRect(0, 20, 30, 20, Qt::green);
    });
    Write(root + "solid.png", 50, 50, [](QPainter& p) { p.fillRect(0, 0, 50, 50, Qt::white); });
    Write(root + "handle.png", 20, 10, [](QPainter& p) { p.fillRect(0, 0, 20, 10, Qt::yellow); });
}

UiFixture::UiFixture() : ui(std::make_unique<Canvas>(&delegate)) {
    ui->SetResourceRoots(images.Root(), images.Root());
    ui->SetPlatform(&platform);
    ui->SetClock([this] { return now; });
}

void UiFixture::Advance(double ms) {
    now += ms;
    ui->OnFrame();
}

namespace {

QPointF ToWidget(Canvas& ui, float x, float y) {
    return QPointF(x, y) * ui.GetDrawScale();
}

void SendMouse(Canvas& ui, QEvent::Type type, float x, float y, Qt::MouseButton button,
               Qt::MouseButtons held, Qt::KeyboardModifiers keys) {
    const QPointF local = ToWidget(ui, x, y);
    QMouseEvent e(type, local, ui.mapToGlobal(local), button, held, keys);
    QCoreApplication::sendEvent(&ui, &e);
}

} // namespace

void Press(Canvas& ui, float x, float y, Qt::MouseButton button, Qt::KeyboardModifiers keys) {
    SendMouse(ui, QEvent::MouseButtonPress, x, y, button, button, keys);
}

void Release(Canvas& ui, float x, float y, Qt::MouseButton button, Qt::KeyboardModifiers keys) {
    SendMouse(ui, QEvent::MouseButtonRelease, x, y, button, Qt::NoButton, keys);
}

void DragTo(Canvas& ui, float x, float y, Qt::KeyboardModifiers keys) {
    SendMouse(ui, QEvent::MouseMove, x, y, Qt::NoButton, Qt::LeftButton, keys);
}

void DoubleClick(Canvas& ui, float x, float y) {
    Press(ui, x, y);
    Release(ui, x, y);
    SendMouse(ui, QEvent::MouseButtonDblClick, x, y, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    Release(ui, x, y);
}

void Wheel(Canvas& ui, float x, float y, int angleDelta, Qt::KeyboardModifiers keys) {
    const QPointF local = ToWidget(ui, x, y);
    QWheelEvent e(local, ui.mapToGlobal(local), QPoint(), QPoint(0, angleDelta), Qt::NoButton, keys,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&ui, &e);
}

void Click(Canvas& ui, float x, float y) {
    Press(ui, x, y);
    Release(ui, x, y);
}

} // namespace tolvane::test

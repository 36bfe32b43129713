#include "tools/artwork/Previews.h"

#include "tools/artwork/Pages.h"
#include "tools/artwork/Parts.h"
#include "tools/artwork/Pedal.h"
#include "tools/artwork/Style.h"

#include <QPainter>

namespace tolvane::art {

namespace {

const char* const kIrNames[] = {"FLAT RESPONSE", "VELUMO",    "BLONDE 2x12", "TWEED 4x10",   "CALI 1x12",
                                "CALI 4x12",     "BLUE 2x12", "BRIT 2x12",   "BOUTIQUE 4x12"};

// The IR panel with its list filled in, at the panel's own origin.
void DrawIrSection(QPainter& p) {
    DrawIrPanel(p);
    for (int i = 0; i < 9; ++i)
        DrawText(p, QRectF(66, 8 + 50 * i, 230, 43), kIrNames[i], FontOf(Face::Body, 24),
                 i == 1 ? colour::kAccent : QColor(100, 255, 255, 150), Qt::AlignLeft | Qt::AlignVCenter);
}

QImage NewImage(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

} // namespace

QImage MainWindowPreview() {
    QImage img = NewImage(1920, 1200);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawMainBackground(p);
    DrawPedal(p, true);
    p.translate(429, 705);
    DrawIrSection(p);
    p.translate(-429, -705);
    DrawMicrophone(p, QRectF(374, 767, 50, 30));
    DrawText(p, QRectF(400, 664, 400, 70), "IMPULSE RESPONSE", FontOf(Face::Bold, 44), QColor(204, 204, 204),
             Qt::AlignLeft | Qt::AlignTop);
    for (int i = 0; i < 19; ++i) {
        p.fillRect(QRectF(1, 228 + 50 * i, 260, 48), QColor(38, 38, 38));
        DrawText(p, QRectF(6, 228 + 50 * i, 255, 48),
                 QString(" %1  Preset %2").arg(i + 1, 2, 10, QChar('0')).arg(i + 1), FontOf(Face::Body, 27),
                 QColor(100, 255, 255, i == 0 ? 255 : 150), Qt::AlignLeft | Qt::AlignVCenter);
    }
    return img;
}

QImage IrSectionPreview() {
    QImage img = NewImage(630, 460);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawIrSection(p);
    return img;
}

} // namespace tolvane::art

#pragma once
// The virtual pedal's face in main-page canvas units. The main background
// draws the enclosure alone (the editor puts knobs and switches on top as
// controls); illustrations draw it complete.

#include <QPainter>
#include <QRectF>

namespace tolvane::art {

inline const QRectF kPedalBody{676, 92, 924, 522};

void DrawPedal(QPainter& p, bool withHardware);

} // namespace tolvane::art

#pragma once
// Full-page pictures: the main background, the IR panel and the overlay
// backgrounds. Each draws in its own bitmap's units, origin top-left.

#include <QPainter>

namespace tolvane::art {

void DrawMainBackground(QPainter& p);
void DrawIrPanel(QPainter& p);
void DrawIrSlot(QPainter& p);
void DrawFirmwarePage(QPainter& p);
void DrawSettingsPage(QPainter& p);
void DrawAboutPage(QPainter& p);

} // namespace tolvane::art

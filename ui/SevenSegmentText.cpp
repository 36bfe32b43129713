#include "ui/SevenSegmentText.h"

#include <QPainter>

namespace tolvane::ui {

void SevenSegmentText::Draw(QPainter& p) {
    // The canvas has already dimmed a disabled control; the display sets its
    // own strength instead.
    if (IsDisabled()) p.setOpacity(kDisabledOpacity);
    TextControl::Draw(p);
}

} // namespace tolvane::ui

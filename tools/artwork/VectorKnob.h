#pragma once
// The small gain knob of the IR section, as SVG text. The editor turns the
// whole picture, so the pointer is at twelve o'clock.

#include <QByteArray>

namespace tolvane::art {

QByteArray VectorKnobSvg();

} // namespace tolvane::art

#pragma once
// Pictures of the editor as the user sees it, for the manual: the artwork
// composed with the controls the editor places on it.

#include <QImage>

namespace tolvane::art {

QImage MainWindowPreview();
QImage IrSectionPreview();

} // namespace tolvane::art

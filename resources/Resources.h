#pragma once
// Where the program's compiled-in resources live. Link tolvane_resources and
// the files below are readable through QFile at start-up; nothing needs to be
// called first.

#include <QString>
#include <array>

namespace tolvane::res {

inline constexpr const char* kManualPath = ":/doc/Quist_Velumo_OM1.pdf";
inline constexpr const char* kManualFileName = "Quist_Velumo_OM1.pdf";
inline constexpr const char* kVectorKnobPath = ":/img/vector-knob.svg";

// The eight factory impulse-response files, in list order (factory IR 1..8);
// the same names are used for the copies in the data folder.
const std::array<const char*, 8>& FactoryIrFileNames();
QString FactoryIrPath(int index); // ":/irs/<name>"; empty outside 0..7

// ":/img/<name>.png", or the "@2x" variant when doubleSize is set.
QString BitmapPath(const QString& name, bool doubleSize = false);

// ":/fonts/<file>" of the three registered fonts.
inline constexpr std::array<const char*, 3> kFontPaths = {
    ":/fonts/Roboto-Regular.ttf", ":/fonts/MyBlueRoom.ttf", ":/fonts/Knowledge-Bold.ttf"};

} // namespace tolvane::res

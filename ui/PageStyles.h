#pragma once
// The named text and vector styles of the pages, and the fonts they use.

#include "toolkit/Styles.h"

namespace tolvane {
class Canvas;
}

namespace tolvane::ui {

inline constexpr const char* kFontRoboto = "Roboto-Regular";
inline constexpr const char* kFontSevenSeg = "Font7Seg";
inline constexpr const char* kFontKnow = "Fontknow";

struct PageStyles {
    TextStyle body;
    TextStyle panelText;
    TextStyle buttonText;
    TextStyle sevenSegGhost;
    TextStyle sevenSeg;
    TextStyle title;
    TextStyle label;
    TextStyle value;
    TextStyle unit;
    TextStyle listRow;
    TextStyle irRow;
    TextStyle irValue;

    VectorStyle base;     // every vector control starts from this
    VectorStyle button;   // the grey page buttons
    VectorStyle backdrop; // invisible full-canvas buttons behind overlays
    VectorStyle notice;   // the standalone-mode notice
    VectorStyle knob;     // section knobs and progress dials

    // The button style with its label at another size ("X" 30, settings 20).
    VectorStyle ButtonAt(float size) const;
};

PageStyles MakePageStyles();

// Registers the three fonts under their ids; false when one is missing.
bool RegisterPageFonts(Canvas& graphics);

} // namespace tolvane::ui

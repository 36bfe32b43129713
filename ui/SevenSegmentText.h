#pragma once
// One layer of the pedal's seven-segment number display: the unlit segments
// ("188") or the lit digits over them.
//
// A disabled control is drawn at a quarter of its strength, which would leave
// the lit digits barely brighter than the unlit segments: "127" would read as
// "128". The display dims less while the pedal is disabled, so a lit segment
// still stands out from an unlit one.

#include "toolkit/TextControls.h"

namespace tolvane::ui {

class SevenSegmentText : public TextControl {
public:
    // The strength of both layers while the pedal is disabled.
    static constexpr double kDisabledOpacity = 0.8;

    using TextControl::TextControl;
    void Draw(QPainter& p) override;
};

} // namespace tolvane::ui

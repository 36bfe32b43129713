#pragma once
// Text and vector styles. Both are plain values: a variant of a style is a
// copy with one field changed, which the With... helpers make read well.

#include "core/EditorSeam.h"
#include "toolkit/Colours.h"

#include <array>
#include <string>

namespace tolvane {

enum class HAlign { Near = 0, Centre = 1, Far = 2 };
enum class VAlign { Top = 0, Middle = 1, Bottom = 2 };

inline constexpr const char* kDefaultFontId = "Roboto-Regular";

struct TextStyle {
    float size = 14.f; // canvas units
    Colour colour = colours::kBlack;
    std::string fontId; // empty = the default font
    HAlign align = HAlign::Centre;
    VAlign valign = VAlign::Middle;
    float angle = 0.f; // degrees
    // Width of the glyphs in percent of the face's own; below 100 a condensed
    // form is synthesised when the font has none, so a wide face fits a fixed box.
    int stretch = 100;
    Colour entryBackground = colours::kWhite;
    Colour entryForeground = colours::kBlack;

    TextStyle WithSize(float s) const {
        auto c = *this;
        c.size = s;
        return c;
    }
    TextStyle WithColour(Colour col) const {
        auto c = *this;
        c.colour = col;
        return c;
    }
    TextStyle WithFont(std::string id) const {
        auto c = *this;
        c.fontId = std::move(id);
        return c;
    }
    TextStyle WithAlign(HAlign a) const {
        auto c = *this;
        c.align = a;
        return c;
    }
    TextStyle WithVAlign(VAlign v) const {
        auto c = *this;
        c.valign = v;
        return c;
    }
};

// The nine colours of a vector style, in their fixed order.
enum VectorColour { kBackground = 0, kForeground, kPressed, kFrame, kHighlight, kShadow, kExtra1, kExtra2, kExtra3, kNumVectorColours };

struct VectorStyle {
    bool showLabel = true;
    bool showValue = true;
    std::array<Colour, kNumVectorColours> colours{
        colours::kTransparent,     Colour{255, 94, 94, 94}, Colour{255, 169, 169, 169},
        colours::kWhite,           Colour{10, 0, 0, 0},     Colour{60, 0, 0, 0},
        Colour{255, 51, 255, 255}, colours::kDarkGrey,      colours::kBlue};
    TextStyle labelText{20.f, colours::kWhite, "", HAlign::Centre, VAlign::Top};
    TextStyle valueText{20.f, colours::kWhite, "", HAlign::Centre, VAlign::Bottom};
    bool hideCursor = true;
    bool drawFrame = true;
    bool drawShadows = true;
    bool emboss = false;
    float roundness = 0.f; // fraction of the smaller side
    float frameThickness = 1.f;
    float shadowOffset = 3.f;
    float widgetFrac = 1.f;
    float angle = 0.f;

    Colour Get(VectorColour which) const { return colours[which]; }
    VectorStyle WithColour(VectorColour which, Colour c) const {
        auto s = *this;
        s.colours[which] = c;
        return s;
    }
    VectorStyle WithLabelText(const TextStyle& t) const {
        auto s = *this;
        s.labelText = t;
        return s;
    }
    VectorStyle WithValueText(const TextStyle& t) const {
        auto s = *this;
        s.valueText = t;
        return s;
    }
    VectorStyle WithRoundness(float r) const {
        auto s = *this;
        s.roundness = r;
        return s;
    }
    VectorStyle WithShowLabel(bool b) const {
        auto s = *this;
        s.showLabel = b;
        return s;
    }
    VectorStyle WithShowValue(bool b) const {
        auto s = *this;
        s.showValue = b;
        return s;
    }
};

} // namespace tolvane

#pragma once
// Shared by the page-building files: the drawing context, the plug-in, the
// page logic and the styles, with helpers for the controls added most often.

#include "toolkit/Bitmap.h"
#include "toolkit/BitmapControls.h"
#include "toolkit/Canvas.h"
#include "toolkit/TextControls.h"
#include "toolkit/VectorControls.h"
#include "ui/EditorUi.h"
#include "ui/PageStyles.h"

#include <functional>
#include <memory>
#include <string>

namespace tolvane::ui {

struct PageBuilder {
    Canvas& g;
    Tolvane& plugin;
    std::shared_ptr<EditorUi> ui;
    PageStyles styles;
    Bitmap mic;
    SvgImage vectorKnob;

    TextControl* Text(const Rect& r, const std::string& text, const TextStyle& style, const char* group,
                       ControlTag tag = kNoTag, Colour background = colours::kTransparent) {
        return g.AddControl(std::make_unique<TextControl>(r, text, style, background), tag, group);
    }
    // A vector button acting when its click animation ends.
    VectorButtonControl* Button(const Rect& r, const std::string& label, const VectorStyle& style,
                            const char* group, std::function<void(EditorUi&)> action,
                            ControlTag tag = kNoTag) {
        auto owner = ui;
        ControlAction done;
        if (action) done = [owner, action](Control*) { action(*owner); };
        return g.AddControl(std::make_unique<VectorButtonControl>(r, label, style, done), tag, group);
    }
    Control* Picture(float x, float y, const char* name, const char* group, ControlTag tag = kNoTag) {
        return g.AddControl(std::make_unique<BitmapControl>(x, y, g.LoadBitmap(name)), tag, group);
    }
};

// The building steps, in the order the pages need them (later controls are
// drawn above and reached first).
void AddPedalKnobs(PageBuilder& b);
void AddPresetList(PageBuilder& b);
void AddEffectSections(PageBuilder& b);
void AddPedalSwitches(PageBuilder& b);
void AddIrSectionPanel(PageBuilder& b);
void AddGraphs(PageBuilder& b);
void AddIrList(PageBuilder& b);
void AddNameAndStatus(PageBuilder& b);
void AddFirmwarePage(PageBuilder& b);
void AddSettingsPages(PageBuilder& b);
void AddAboutAndProgress(PageBuilder& b);

} // namespace tolvane::ui

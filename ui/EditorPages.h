#pragma once
// The page builder: fills a drawing context with every page of the editor for
// a plug-in, and installs the page logic in the plug-in's display call points.
//
// The host calls it once per window, right after creating the Canvas on
// the plug-in and before showing it; the host also attaches the plug-in's
// editor seam to the same Canvas (so the link can write to the controls)
// and applies the saved draw scale afterwards.

#include "ui/EditorUi.h"

#include <memory>

namespace tolvane {
class Canvas;
class Tolvane;
} // namespace tolvane

namespace tolvane::ui {

// Returns the page logic, also kept alive by the plug-in's call points; null
// when graphics already holds controls (the pages are built once per window).
std::shared_ptr<EditorUi> BuildEditorPages(Canvas& graphics, Tolvane& plugin, PageHooks hooks = {});

} // namespace tolvane::ui

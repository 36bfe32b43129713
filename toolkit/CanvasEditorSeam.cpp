#include "toolkit/CanvasEditorSeam.h"

#include "toolkit/Canvas.h"
#include "toolkit/Platform.h"
#include "toolkit/TextControls.h"

namespace tolvane {

namespace {
TextControl* TextAt(Canvas* g, ControlTag tag) {
    return g ? dynamic_cast<TextControl*>(g->ControlByTag(tag)) : nullptr;
}
} // namespace

void CanvasEditorSeam::SetTextByTag(ControlTag tag, std::string_view text) {
    uiThread_.Check("CanvasEditorSeam::SetTextByTag");
    if (auto* c = TextAt(canvas_, tag)) c->SetStr(std::string(text));
}

void CanvasEditorSeam::SetTextColourByTag(ControlTag tag, Colour colour) {
    uiThread_.Check("CanvasEditorSeam::SetTextColourByTag");
    if (auto* c = TextAt(canvas_, tag)) c->SetTextColour(colour);
}

void CanvasEditorSeam::SetControlValueByTag(ControlTag tag, double normalised) {
    uiThread_.Check("CanvasEditorSeam::SetControlValueByTag");
    if (!canvas_) return;
    if (Control* c = canvas_->ControlByTag(tag)) c->SetValueFromDelegate(normalised);
}

void CanvasEditorSeam::ShowGroup(std::string_view group) {
    uiThread_.Check("CanvasEditorSeam::ShowGroup");
    if (canvas_) canvas_->ShowGroup(std::string(group));
}

void CanvasEditorSeam::HideGroup(std::string_view group) {
    uiThread_.Check("CanvasEditorSeam::HideGroup");
    if (canvas_) canvas_->HideGroup(std::string(group));
}

void CanvasEditorSeam::EnableGroup(std::string_view group) {
    uiThread_.Check("CanvasEditorSeam::EnableGroup");
    if (canvas_) canvas_->EnableGroup(std::string(group));
}

void CanvasEditorSeam::DisableGroup(std::string_view group) {
    uiThread_.Check("CanvasEditorSeam::DisableGroup");
    if (canvas_) canvas_->DisableGroup(std::string(group));
}

AskResult CanvasEditorSeam::AskUser(std::string_view textView, std::string_view captionView,
                                    AskButtons buttons) {
    uiThread_.Check("CanvasEditorSeam::AskUser");
    const std::string text(textView);
    const std::string caption(captionView);
    return canvas_ ? canvas_->AskUser(text, caption, buttons) : platform_.AskUser(text, caption, buttons);
}

std::string CanvasEditorSeam::AskForFile(FileAction action, const std::string& extension,
                                           const std::string& directory, const std::string& proposedName) {
    uiThread_.Check("CanvasEditorSeam::AskForFile");
    return canvas_ ? canvas_->AskForFile(action, extension, directory, proposedName)
                     : platform_.AskForFile(action, extension, directory, proposedName);
}

} // namespace tolvane

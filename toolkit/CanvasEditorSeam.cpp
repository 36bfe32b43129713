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

void CanvasEditorSeam::SetTextByTag(ControlTag tag, const std::string& text) {
    uiThread_.Check("CanvasEditorSeam::SetTextByTag");
    if (auto* c = TextAt(canvas_, tag)) c->SetStr(text);
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

void CanvasEditorSeam::ShowGroup(const std::string& group) {
    uiThread_.Check("CanvasEditorSeam::ShowGroup");
    if (canvas_) canvas_->ShowGroup(group);
}

void CanvasEditorSeam::HideGroup(const std::string& group) {
    uiThread_.Check("CanvasEditorSeam::HideGroup");
    if (canvas_) canvas_->HideGroup(group);
}

void CanvasEditorSeam::EnableGroup(const std::string& group) {
    uiThread_.Check("CanvasEditorSeam::EnableGroup");
    if (canvas_) canvas_->EnableGroup(group);
}

void CanvasEditorSeam::DisableGroup(const std::string& group) {
    uiThread_.Check("CanvasEditorSeam::DisableGroup");
    if (canvas_) canvas_->DisableGroup(group);
}

AskResult CanvasEditorSeam::AskUser(const std::string& text, const std::string& caption,
                                      AskButtons buttons) {
    uiThread_.Check("CanvasEditorSeam::AskUser");
    return canvas_ ? canvas_->AskUser(text, caption, buttons) : platform_.AskUser(text, caption, buttons);
}

std::string CanvasEditorSeam::AskForFile(FileAction action, const std::string& extension,
                                           const std::string& directory, const std::string& proposedName) {
    uiThread_.Check("CanvasEditorSeam::AskForFile");
    return canvas_ ? canvas_->AskForFile(action, extension, directory, proposedName)
                     : platform_.AskForFile(action, extension, directory, proposedName);
}

} // namespace tolvane

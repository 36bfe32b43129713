#include "toolkit/GraphicsEditorSeam.h"

#include "toolkit/IGraphics.h"
#include "toolkit/Platform.h"
#include "toolkit/TextControls.h"

namespace tolvane {

namespace {
ITextControl* TextControl(IGraphics* g, ControlTag tag) {
    return g ? dynamic_cast<ITextControl*>(g->ControlByTag(tag)) : nullptr;
}
} // namespace

void GraphicsEditorSeam::SetTextByTag(ControlTag tag, const std::string& text) {
    if (auto* c = TextControl(graphics_, tag)) c->SetStr(text);
}

void GraphicsEditorSeam::SetTextColourByTag(ControlTag tag, Colour colour) {
    if (auto* c = TextControl(graphics_, tag)) c->SetTextColour(colour);
}

void GraphicsEditorSeam::SetControlValueByTag(ControlTag tag, double normalised) {
    if (!graphics_) return;
    if (IControl* c = graphics_->ControlByTag(tag)) c->SetValueFromDelegate(normalised);
}

void GraphicsEditorSeam::ShowGroup(const std::string& group) {
    if (graphics_) graphics_->ShowGroup(group);
}

void GraphicsEditorSeam::HideGroup(const std::string& group) {
    if (graphics_) graphics_->HideGroup(group);
}

void GraphicsEditorSeam::EnableGroup(const std::string& group) {
    if (graphics_) graphics_->EnableGroup(group);
}

void GraphicsEditorSeam::DisableGroup(const std::string& group) {
    if (graphics_) graphics_->DisableGroup(group);
}

AskResult GraphicsEditorSeam::AskUser(const std::string& text, const std::string& caption,
                                      AskButtons buttons) {
    return graphics_ ? graphics_->AskUser(text, caption, buttons) : platform_.AskUser(text, caption, buttons);
}

std::string GraphicsEditorSeam::AskForFile(FileAction action, const std::string& extension,
                                           const std::string& directory, const std::string& proposedName) {
    return graphics_ ? graphics_->AskForFile(action, extension, directory, proposedName)
                     : platform_.AskForFile(action, extension, directory, proposedName);
}

} // namespace tolvane

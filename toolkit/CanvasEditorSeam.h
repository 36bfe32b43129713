#pragma once
// The device link's way to the screen, over a drawing context: texts and
// colours by tag on the text controls, control values by tag, the four group
// operations, and the questions through the platform layer. While no drawing
// context is attached the editor counts as closed and control calls do
// nothing; questions are still asked.

#include "core/EditorSeam.h"

namespace tolvane {

class Canvas;
class IPlatform;

class CanvasEditorSeam : public IEditorSeam {
public:
    explicit CanvasEditorSeam(IPlatform& platform) : platform_(platform) {}

    void Attach(Canvas* graphics) { canvas_ = graphics; }
    void Detach() { canvas_ = nullptr; }

    bool IsEditorOpen() const override { return canvas_ != nullptr; }
    void SetTextByTag(ControlTag tag, const std::string& text) override;
    void SetTextColourByTag(ControlTag tag, Colour colour) override;
    void SetControlValueByTag(ControlTag tag, double normalised) override;
    void ShowGroup(const std::string& group) override;
    void HideGroup(const std::string& group) override;
    void EnableGroup(const std::string& group) override;
    void DisableGroup(const std::string& group) override;
    AskResult AskUser(const std::string& text, const std::string& caption, AskButtons buttons) override;
    std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory,
                           const std::string& proposedName) override;

private:
    IPlatform& platform_;
    Canvas* canvas_ = nullptr;
};

} // namespace tolvane

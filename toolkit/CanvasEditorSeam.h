#pragma once
// The device link's way to the screen, over a drawing context: texts and
// colours by tag on the text controls, control values by tag, the four group
// operations, and the questions through the platform layer. While no drawing
// context is attached the editor counts as closed and control calls do
// nothing; questions are still asked.
//
// This is the seam's direct implementation: every call must come from the
// thread that made it (the user-interface thread); other threads go through
// the queued seam. ThreadCheck.h makes a call from elsewhere abort.

#include "core/EditorSeam.h"
#include "core/ThreadCheck.h"

namespace tolvane {

class Canvas;
class IPlatform;

class CanvasEditorSeam : public IEditorSeam {
public:
    explicit CanvasEditorSeam(IPlatform& platform) : platform_(platform) {}

    void Attach(Canvas* graphics) {
        uiThread_.Check("CanvasEditorSeam::Attach");
        canvas_ = graphics;
    }
    void Detach() {
        uiThread_.Check("CanvasEditorSeam::Detach");
        canvas_ = nullptr;
    }

    bool IsEditorOpen() const override {
        uiThread_.Check("CanvasEditorSeam::IsEditorOpen");
        return canvas_ != nullptr;
    }
    void SetTextByTag(ControlTag tag, std::string_view text) override;
    void SetTextColourByTag(ControlTag tag, Colour colour) override;
    void SetControlValueByTag(ControlTag tag, double normalised) override;
    void ShowGroup(std::string_view group) override;
    void HideGroup(std::string_view group) override;
    void EnableGroup(std::string_view group) override;
    void DisableGroup(std::string_view group) override;
    AskResult AskUser(std::string_view text, std::string_view caption, AskButtons buttons) override;
    std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory,
                           const std::string& proposedName) override;

private:
    OwnerThread uiThread_;
    IPlatform& platform_;
    Canvas* canvas_ = nullptr;
};

} // namespace tolvane

#pragma once
// The in-canvas text editor: a line edit laid over a rect of the canvas. Enter
// or leaving the field commits the text to the control that opened it;
// Escape cancels.

#include "toolkit/Rect.h"
#include "toolkit/Styles.h"

#include <string>

class QLineEdit;

namespace tolvane {

class IControl;
class IGraphics;

class ITextEntryControl {
public:
    explicit ITextEntryControl(IGraphics& ui);
    ~ITextEntryControl();

    void Begin(IControl& control, const TextStyle& style, const Rect& rect, const std::string& initial,
               int valIdx);
    void Commit();
    void Cancel();
    bool IsEditing() const { return control_ != nullptr; }
    // Follows the draw scale while open.
    void Reposition();
    QLineEdit* Editor() const { return edit_; }

private:
    IGraphics& ui_;
    QLineEdit* edit_; // owned by the drawing context's widget
    IControl* control_ = nullptr;
    TextStyle style_;
    Rect rect_;
    int valIdx_ = 0;
};

} // namespace tolvane

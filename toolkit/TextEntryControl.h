#pragma once
// The in-canvas text editor: a line edit laid over a rect of the canvas. Enter
// or leaving the field commits the text to the control that opened it;
// Escape cancels.

#include "toolkit/Rect.h"
#include "toolkit/Styles.h"

#include <string>

class QLineEdit;

namespace tolvane {

class Control;
class Canvas;

class TextEntryControl {
public:
    explicit TextEntryControl(Canvas& ui);
    ~TextEntryControl();

    void Begin(Control& control, const TextStyle& style, const Rect& rect, const std::string& initial,
               int valIdx, int maxChars = 0);
    void Commit();
    void Cancel();
    bool IsEditing() const { return control_ != nullptr; }
    // Follows the draw scale while open.
    void Reposition();
    QLineEdit* Editor() const { return edit_; }

private:
    Canvas& ui_;
    QLineEdit* edit_; // owned by the drawing context's widget
    Control* control_ = nullptr;
    TextStyle style_;
    Rect rect_;
    int valIdx_ = 0;
};

} // namespace tolvane

#pragma once
// The vector controls, drawn from a VectorStyle: knob, slider, button, slide
// switch and number box.

#include "toolkit/KnobControlBase.h"
#include "toolkit/Styles.h"

#include <string>

namespace tolvane {

// Shared by the vector controls: the style, the label, and the split of the
// bounds into label, widget and value areas.
class VectorControlBase {
public:
    VectorControlBase(const std::string& label, const VectorStyle& style) : label_(label), style_(style) {}
    virtual ~VectorControlBase() = default;
    const VectorStyle& GetStyle() const { return style_; }
    const std::string& GetLabel() const { return label_; }

protected:
    struct Areas {
        Rect label, widget, value;
    };
    Areas Layout(const Rect& bounds, bool withValue) const;
    // The label and the value of self, each in its area when that is not empty.
    void DrawLabelAndValue(QPainter& p, const Control& self, const Areas& a) const;
    std::string label_;
    VectorStyle style_;
};

// Arc from −135° to +135° with its anchor at −135°.
class VectorKnobControl : public KnobControlBase, public VectorControlBase {
public:
    VectorKnobControl(const Rect& bounds, int paramIdx, const std::string& label = "",
                  const VectorStyle& style = {});
    void Draw(QPainter& p) override;
    double AngleDegrees() const { return -135.0 + GetValue() * 270.0; }

protected:
    float DragLength() const override { return Layout(GetRect(), style_.showValue).widget.H(); }
    bool HidesCursor() const override { return style_.hideCursor; }
};

// Dragged along its direction; a vertical slider has its maximum at the top.
class VectorSliderControl : public KnobControlBase, public VectorControlBase {
public:
    VectorSliderControl(const Rect& bounds, int paramIdx, const std::string& label = "",
                    const VectorStyle& style = {}, bool vertical = true, float handleSize = 16.f);
    void Draw(QPainter& p) override;
    Rect HandleRect() const;

protected:
    Rect Track() const;
    float DragLength() const override;
    float DragDelta(float dX, float dY) const override { return vertical_ ? -dY : dX; }
    bool HidesCursor() const override { return false; }

private:
    bool vertical_;
    float handleSize_;
};

// A press sets the value to 1 and starts a 100 ms click splash; when the
// splash ends the value returns to 0 and onActionDone runs.
class VectorButtonControl : public Control, public VectorControlBase {
public:
    VectorButtonControl(const Rect& bounds, const std::string& label = "", const VectorStyle& style = {},
                    ControlAction onActionDone = nullptr);
    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void SetLabelStr(const std::string& label);

    static constexpr double kSplashMs = 100.0;

protected:
    void OnEndAnimation() override;

private:
    float splashX_ = 0.f, splashY_ = 0.f;
};

// Two positions; a click toggles between them.
class VectorSlideSwitchControl : public Control, public VectorControlBase {
public:
    VectorSlideSwitchControl(const Rect& bounds, int paramIdx = kNoParam, const std::string& label = "",
                         const VectorStyle& style = {});
    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
};

// A number in a box with its own minimum and maximum, shown with a printf
// format. Drag: 1 per canvas unit (0.1 fine); wheel ±1 (±0.1); a double-click
// on the number opens the text editor.
class VectorNumberBoxControl : public Control, public VectorControlBase {
public:
    VectorNumberBoxControl(const Rect& bounds, int paramIdx = kNoParam, ControlAction onAction = nullptr,
                       const std::string& label = "", const VectorStyle& style = {}, double initial = 50.0,
                       double min = 1.0, double max = 100.0, const char* format = "%0.0f");
    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseUp(float x, float y, const MouseModifiers& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const MouseModifiers& mod) override;
    void OnMouseWheel(float x, float y, const MouseModifiers& mod, float d) override;
    void OnMouseDblClick(float x, float y, const MouseModifiers& mod) override;
    void OnTextEntryCompletion(const std::string& text, int valIdx) override;
    void SetValueFromDelegate(double normalised, int valIdx = 0) override;

    double GetRealValue() const { return real_; }
    // Clamped to the box's range; tells the plug-in and runs onAction when it changed.
    void SetRealValue(double real);
    std::string DisplayText() const;
    Rect NumberRect() const { return Layout(GetRect(), false).widget; }

private:
    double min_, max_;
    double real_;
    std::string format_;
};

} // namespace tolvane

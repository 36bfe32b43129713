#pragma once
// The base of every control: bounds, tag, group, bound parameters with their
// normalised values, the hidden / disabled / ignore-mouse / mouse-over /
// dirty flags, the onAction and onActionDone slots and one optional running
// animation.
//
// Sections
//   1. Construction and placement
//   2. Drawing and mouse hooks
//   3. Values and parameters
//   4. Flags, dirtiness and actions
//   5. Animation

#include "core/EditorSeam.h"
#include "toolkit/MouseModifiers.h"
#include "toolkit/Rect.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace tolvane {

class Canvas;
class Param;
class Control;

using ControlGroup = std::string;
using ControlAction = std::function<void(Control*)>;

inline constexpr int kNoParam = -1;
inline constexpr ControlTag kNoTag = -1;

class Control {
public:
    // ---- 1. Construction and placement --------------------------------------
    explicit Control(const Rect& bounds, int paramIdx = kNoParam, ControlAction onAction = nullptr);
    Control(const Rect& bounds, const std::vector<int>& paramIndices, ControlAction onAction = nullptr);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Called by Canvas::AddControl.
    void Attach(Canvas* ui, ControlTag tag, ControlGroup group);
    Canvas* GetCanvas() const { return canvas_; }
    ControlTag GetTag() const { return tag_; }
    const ControlGroup& GetGroup() const { return group_; }

    const Rect& GetRect() const { return bounds_; }
    virtual void SetRect(const Rect& bounds);
    // Moves the bounds so their top-left is (x, y), keeping the size.
    void SetPosition(float x, float y);
    // The area Draw may touch; repaints cover it.
    virtual Rect DrawBounds() const { return bounds_; }
    // Whether the control usually looks the same for the life of the page
    // (pictures, panels, captions): the canvas then draws it once per scale
    // into its cached layer, until the control changes.
    virtual bool DrawsStatically() const { return false; }

    // ---- 2. Drawing and mouse hooks -----------------------------------------
    virtual void Draw(QPainter& p) = 0;
    virtual bool IsHit(float x, float y) const { return bounds_.Contains(x, y); }

    virtual void OnMouseDown(float /*x*/, float /*y*/, const MouseModifiers& /*mod*/) {}
    virtual void OnMouseUp(float /*x*/, float /*y*/, const MouseModifiers& /*mod*/) {}
    virtual void OnMouseDrag(float /*x*/, float /*y*/, float /*dX*/, float /*dY*/, const MouseModifiers& /*mod*/) {
    }
    // A control bound to a parameter returns to its default; any other takes
    // the second click as a press.
    virtual void OnMouseDblClick(float x, float y, const MouseModifiers& mod);
    virtual void OnMouseWheel(float /*x*/, float /*y*/, const MouseModifiers& /*mod*/, float /*d*/) {}
    virtual void OnMouseOver(float x, float y, const MouseModifiers& mod);
    virtual void OnMouseOut();
    // Whether a right-click on a control bound to a parameter opens the value prompt.
    virtual bool PromptsOnRightClick() const { return true; }
    // The text editor (or the value prompt) committed text for this control.
    // By default the text is read as the bound parameter's value.
    virtual void OnTextEntryCompletion(const std::string& text, int valIdx);
    // The draw scale changed and the bitmaps were re-fetched.
    virtual void OnRescale() {}

    // ---- 3. Values and parameters -------------------------------------------
    int NVals() const { return int(vals_.size()); }
    int GetParamIdx(int valIdx = 0) const;
    void SetParamIdx(int paramIdx, int valIdx = 0);
    const Param* GetParam(int valIdx = 0) const;
    double GetValue(int valIdx = 0) const;
    // Sets the normalised value, clamped to 0..1; nothing is redrawn or told.
    void SetValue(double normalised, int valIdx = 0);
    // The plug-in pushes a value: taken and redrawn, nobody is notified.
    virtual void SetValueFromDelegate(double normalised, int valIdx = 0);
    // Back to the bound parameter's default, as a user edit.
    void SetValueToDefault(int valIdx = 0);
    // The normalised value snapped to the bound parameter's step.
    double Snap(double normalised, int valIdx = 0) const;

    // How the value prompt writes and reads this control's value when the
    // screen shows it in other units than the parameter's own (a read-out in
    // percent or dB beside a 0..127 knob). Both work on the plain value; an
    // empty read keeps the value.
    struct ValueFormat {
        std::function<std::string(double value)> write;
        std::function<std::optional<double>(const std::string& text, double current)> read;
    };
    void SetValueFormat(ValueFormat format) { valueFormat_ = std::move(format); }
    const ValueFormat& GetValueFormat() const { return valueFormat_; }

    // ---- 4. Flags, dirtiness and actions ------------------------------------
    bool IsHidden() const { return hidden_; }
    virtual void SetHidden(bool hidden);
    bool IsDisabled() const { return disabled_; }
    virtual void SetDisabled(bool disabled);
    bool GetIgnoreMouse() const { return ignoreMouse_; }
    void SetIgnoreMouse(bool ignore) { ignoreMouse_ = ignore; }
    bool GetMouseIsOver() const { return mouseIsOver_; }
    bool IsDirty() const { return dirty_; }
    void ClearDirty() { dirty_ = false; }

    // Requests a redraw. With notify: the values are clamped into 0..1, each
    // bound parameter receives its value as a user edit, then onAction runs.
    void MarkDirty(bool notify);

    void SetOnAction(ControlAction f) { onAction_ = std::move(f); }
    void SetOnActionDone(ControlAction f) { onActionDone_ = std::move(f); }
    const ControlAction& GetOnAction() const { return onAction_; }
    const ControlAction& GetOnActionDone() const { return onActionDone_; }

    // ---- 5. Animation -------------------------------------------------------
    // Starts (or restarts) an animation of the given length from now.
    void StartAnimation(double durationMs);
    bool IsAnimating() const { return animating_; }
    // 0 at the start, 1 at the end.
    double GetAnimationProgress() const { return animationProgress_; }
    // Advances the running animation to the time given; called every frame.
    void Animate(double nowMs);

protected:
    // The animation reached its end; by default onActionDone runs.
    virtual void OnEndAnimation();
    void MovePeers(int paramIdx, double normalised);
    void RunOnAction() {
        if (onAction_) onAction_(this);
    }

private:
    // Marks the control dirty and tells the canvas; looks is false when only
    // whether it is shown or enabled changed.
    void Changed(bool looks);

private:
    struct Val {
        int paramIdx = kNoParam;
        double value = 0.0;
    };

    Canvas* canvas_ = nullptr;
    Rect bounds_;
    ControlTag tag_ = kNoTag;
    ControlGroup group_;
    std::vector<Val> vals_;
    bool hidden_ = false;
    bool disabled_ = false;
    bool ignoreMouse_ = false;
    bool mouseIsOver_ = false;
    bool dirty_ = true;
    ValueFormat valueFormat_;
    ControlAction onAction_;
    ControlAction onActionDone_;
    bool animating_ = false;
    double animationStart_ = 0.0;
    double animationDuration_ = 0.0;
    double animationProgress_ = 0.0;
};

} // namespace tolvane

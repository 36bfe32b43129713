#pragma once
// Controls drawn from bitmaps: a still picture, a two-frame button, a knob
// that rotates its bitmap, and a slider moving a handle bitmap.

#include "toolkit/Bitmap.h"
#include "toolkit/KnobControlBase.h"

namespace tolvane {

// One bitmap with its top-left at (x, y); the frame follows the value.
class BitmapControl : public Control {
public:
    BitmapControl(float x, float y, const Bitmap& bitmap, int paramIdx = kNoParam);
    void Draw(QPainter& p) override;
    bool DrawsStatically() const override { return true; }
    const Bitmap& GetBitmap() const { return bitmap_; }

private:
    Bitmap bitmap_;
};

// A two-frame bitmap button. Press and release each run onAction; only the
// page logic changes the value, which picks the frame (0 first, 1 second).
class BitmapButtonControl : public Control {
public:
    BitmapButtonControl(float x, float y, const Bitmap& bitmap, ControlAction onAction = nullptr);
    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseUp(float x, float y, const MouseModifiers& mod) override;
    bool IsPressed() const { return pressed_; }

private:
    Bitmap bitmap_;
    bool pressed_ = false;
};

// A bitmap rotated about the centre of its bounds by value × 300° − 150°. Its
// bounds are the bitmap's size centred on the centre of the rect given.
class BitmapKnobRotaterControl : public KnobControlBase {
public:
    BitmapKnobRotaterControl(const Rect& rect, const Bitmap& bitmap, int paramIdx);
    void Draw(QPainter& p) override;
    Rect DrawBounds() const override;
    double AngleDegrees() const { return GetValue() * 300.0 - 150.0; }

private:
    Bitmap bitmap_;
};

// A handle bitmap moving along a vertical track, the maximum at the top.
class BitmapSliderControl : public KnobControlBase {
public:
    BitmapSliderControl(const Rect& track, const Bitmap& handle, int paramIdx);
    void Draw(QPainter& p) override;
    // Where the handle is drawn for the current value.
    Rect HandleRect() const;

protected:
    float DragLength() const override;

private:
    Bitmap handle_;
};

} // namespace tolvane

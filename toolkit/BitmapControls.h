#pragma once
// Controls drawn from bitmaps: a still picture, a two-frame button, a knob
// that rotates its bitmap, and a slider moving a handle bitmap.

#include "toolkit/Bitmap.h"
#include "toolkit/KnobControlBase.h"

namespace tolvane {

// One bitmap with its top-left at (x, y); the frame follows the value.
class IBitmapControl : public IControl {
public:
    IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter);
    void Draw(QPainter& p) override;
    const IBitmap& GetBitmap() const { return bitmap_; }

private:
    IBitmap bitmap_;
};

// A two-frame bitmap button. Press and release each run onAction; only the
// page logic changes the value, which picks the frame (0 first, 1 second).
class IBButtonControl : public IControl {
public:
    IBButtonControl(float x, float y, const IBitmap& bitmap, IActionFunction onAction = nullptr);
    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    void OnMouseUp(float x, float y, const IMouseMod& mod) override;
    bool IsPressed() const { return pressed_; }

private:
    IBitmap bitmap_;
    bool pressed_ = false;
};

// A bitmap rotated about the centre of its bounds by value × 300° − 150°. Its
// bounds are the bitmap's size centred on the centre of the rect given.
class IBKnobRotaterControl : public IKnobControlBase {
public:
    IBKnobRotaterControl(const Rect& rect, const IBitmap& bitmap, int paramIdx);
    void Draw(QPainter& p) override;
    Rect DrawBounds() const override;
    double AngleDegrees() const { return GetValue() * 300.0 - 150.0; }

private:
    IBitmap bitmap_;
};

// A handle bitmap moving along a vertical track, the maximum at the top.
class IBSliderControl : public IKnobControlBase {
public:
    IBSliderControl(const Rect& track, const IBitmap& handle, int paramIdx);
    void Draw(QPainter& p) override;
    // Where the handle is drawn for the current value.
    Rect HandleRect() const;

protected:
    float DragLength() const override;

private:
    IBitmap handle_;
};

} // namespace tolvane

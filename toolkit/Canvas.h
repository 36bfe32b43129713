#pragma once
// The drawing context: a Qt widget showing the fixed logical canvas at its
// draw scale. It owns the controls, draws them in add order, routes the mouse
// to them (last added first), keeps the overlays (text editor, popup menu,
// value bubble, resize handle) above them, and repaints only what became
// dirty, at most once per frame, and not at all while nothing changes.
//
// Only the thread that made the canvas may change it (see ThreadCheck.h).
//
// Sections
//   1. Canvas and scale
//   2. Resources
//   3. Controls, tags and groups
//   4. Overlays and prompts
//   5. Questions to the user
//   6. Frames, animation and painting
//   7. Mouse input at canvas coordinates
//   8. Qt events

#include "core/ControlDelegate.h"
#include "core/EditorSeam.h"
#include "core/ThreadCheck.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"
#include "toolkit/MouseModifiers.h"
#include "toolkit/Platform.h"
#include "toolkit/ResourceStore.h"
#include "toolkit/Styles.h"

#include <QFont>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class QImage;

namespace tolvane {

class TextEntryControl;
class PopupMenuControl;
class BubbleControl;
class CornerResizerControl;

class Canvas : public QWidget {
    Q_OBJECT

public:
    Canvas(IControlDelegate* delegate, int width = 1920, int height = 1200, int fps = 60,
              QWidget* parent = nullptr);
    ~Canvas() override;

    IControlDelegate* GetDelegate() const { return delegate_; }

    // ---- 1. Canvas and scale ------------------------------------------------
    int Width() const { return width_; }
    int Height() const { return height_; }
    float GetDrawScale() const { return scale_; }
    // The largest draw scale the corner handle may reach: the window that
    // holds the canvas keeps it inside the screen's free area.
    void SetLargestScale(float scale) { largestScale_ = scale; }
    float LargestScale() const { return largestScale_; }
    // Sets the canvas size and draw scale and resizes the widget to
    // width × scale by height × scale; bitmaps are re-fetched for the scale.
    void SetCanvasScale(int width, int height, float scale);
    // Device pixels per widget pixel of the screen the canvas is drawn on.
    // Painting draws text and vectors at that resolution and takes "@2x"
    // bitmaps where draw scale × ratio is above 1, so a 2× screen shows a
    // sharp canvas rather than an enlarged picture. Taken from the widget at
    // every paint; tests set it.
    float PixelRatio() const { return pixelRatio_; }
    void SetPixelRatio(float ratio);

    // ---- 2. Resources -------------------------------------------------------
    void SetResourceRoots(const QString& imageRoot, const QString& fontRoot);
    // Case-insensitive by name; "@2x" where the draw scale calls for it.
    Bitmap LoadBitmap(const std::string& name, int frames = 1, bool framesHorizontal = false);
    // For a large picture the first paint needs: decoded on a worker thread
    // while the pages are still being built.
    void DecodeAhead(const Bitmap& bitmap) { resources_.DecodeAhead(bitmap); }
    // Units and dpi are accepted for the callers' sake; SVGs are drawn in canvas units.
    SvgImage LoadSvg(const std::string& name, const char* units = "px", float dpi = 72.f);
    // Registers a TrueType resource under an id usable in TextStyle::fontId.
    bool RegisterFont(const std::string& fontId, const std::string& fileName);
    QFont FontFor(const TextStyle& style) const;
    // Counts the fonts registered, so that what was measured with an older
    // set of fonts can tell it is out of date.
    unsigned FontsGeneration() const { return fontsGeneration_; }

    // ---- 3. Controls, tags and groups ---------------------------------------
    int NControls() const { return int(controls_.size()); }
    Control* GetControl(int index) const;
    // Takes ownership; later controls are drawn above and hit before earlier ones.
    template <class T>
    T* AddControl(std::unique_ptr<T> control, ControlTag tag = kNoTag, const ControlGroup& group = "") {
        T* raw = control.get();
        AddControlImpl(std::move(control), tag, group);
        return raw;
    }
    // The first control added with the tag, or nullptr.
    Control* ControlByTag(ControlTag tag) const;
    void ForEachControl(const std::function<void(Control&)>& f) const;
    // Exact, case-sensitive match; a name no control carries does nothing.
    void ForEachInGroup(const std::string& group, const std::function<void(Control&)>& f) const;
    void ShowGroup(const std::string& group);
    void HideGroup(const std::string& group);
    void EnableGroup(const std::string& group);
    void DisableGroup(const std::string& group);
    // The plug-in pushes a value: every control bound to the parameter, at
    // any of its bound positions, takes it without notifying.
    void SetParamNormalisedFromDelegate(int paramIdx, double normalised);

    // ---- 4. Overlays and prompts --------------------------------------------
    void EnableMouseOver(bool enable) { mouseOverEnabled_ = enable; }
    void EnableTooltips(bool enable) { tooltipsEnabled_ = enable; }
    void EnableMultiTouch(bool enable) { multiTouchEnabled_ = enable; }
    bool MouseOverEnabled() const { return mouseOverEnabled_; }
    // A size × size handle in the canvas's bottom-right corner.
    void AttachCornerResizer(float size, Colour colour, Colour hoverColour, Colour dragColour);
    void AttachTextEntryControl();
    void AttachPopupMenuControl();
    void AttachBubbleControl();
    CornerResizerControl* GetCornerResizer() const { return resizer_.get(); }
    TextEntryControl* GetTextEntryControl() const { return textEntry_.get(); }
    PopupMenuControl* GetPopupMenuControl() const { return popup_.get(); }
    BubbleControl* GetBubbleControl() const { return bubble_.get(); }

    // Opens the text editor over rect; on commit the control's
    // OnTextEntryCompletion runs with the text. maxChars > 0 limits what can
    // be typed.
    void BeginTextEdit(Control& control, const TextStyle& style, const Rect& rect,
                       const std::string& initial, int valIdx = 0, int maxChars = 0);
    // A popup menu of every display text, the current value ticked, for a
    // parameter that has display texts; otherwise the text editor with the
    // current display text.
    void PromptValue(Control& control, int valIdx = 0);

    // ---- 5. Questions to the user -------------------------------------------
    // Replaces the system's dialogs (tests); nullptr restores the Qt one.
    void SetPlatform(IPlatform* platform);
    IPlatform& Platform() const { return *platform_; }
    // Modal; result (when given) receives the answer before the call returns.
    AskResult AskUser(const std::string& text, const std::string& caption, AskButtons buttons,
                      const std::function<void(AskResult)>& result = {});
    std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory = "",
                           const std::string& proposedName = "",
                           const std::function<void(const std::string&)>& result = {});
    // Hands the link to the system when it reports a connection; else nothing.
    // When the system cannot open it, a message gives the address.
    void OpenUrl(const std::string& url);

    // ---- 6. Frames, animation and painting ----------------------------------
    // Milliseconds; tests replace the clock to step animations.
    void SetClock(std::function<double()> nowMs) { clock_ = std::move(nowMs); }
    double NowMs() const;
    // Adds a canvas area to the next repaint and makes sure a frame comes.
    void Invalidate(const Rect& canvasRect);
    // A control changed (looks false: only whether it is shown or enabled):
    // its area is repainted, and the cached layer is redrawn when the change
    // reaches it. A layer control whose looks change is drawn live from then on.
    void ControlChanged(Control& control, bool looks);
    void AnimationStarted(Control* control);
    // One frame: steps the animations and repaints what became dirty. The frame
    // timer stops once nothing is dirty and nothing animates.
    void OnFrame();
    bool FrameTimerActive() const { return frameTimer_.isActive(); }
    // The widget-pixel area the next frame will repaint.
    const QRegion& PendingRepaint() const { return pending_; }
    // Draws every visible control meeting clip (canvas units) onto p, whose
    // transform already maps canvas units to its device, without the layer.
    void PaintCanvas(QPainter& p, const Rect& clip);
    // The whole canvas at the current draw scale, for a screen of the given
    // device pixel ratio (the image has that ratio and as many more pixels),
    // drawn as the window draws it: the cached layer, then the live controls.
    QImage RenderToImage(float pixelRatio = 1.f);
    // How many controls the cached layer holds (0 before the first paint).
    int LayerControlCount() const;

    // ---- 7. Mouse input at canvas coordinates -------------------------------
    // The control that a press at (x, y) reaches, or nullptr.
    Control* ControlAt(float x, float y) const;
    void OnMouseDown(float x, float y, const MouseModifiers& mod);
    void OnMouseUp(float x, float y, const MouseModifiers& mod);
    void OnMouseDrag(float x, float y, float dX, float dY, const MouseModifiers& mod);
    void OnMouseMove(float x, float y, const MouseModifiers& mod);
    void OnMouseDblClick(float x, float y, const MouseModifiers& mod);
    void OnMouseWheel(float x, float y, const MouseModifiers& mod, float d);
    void OnMouseOut();
    // Knobs hide the pointer while they are dragged.
    void HideMouseCursor(bool hide);

signals:
    void ScaleChanged(float scale);

protected:
    // ---- 8. Qt events -------------------------------------------------------
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void AddControlImpl(std::unique_ptr<Control> control, ControlTag tag, const ControlGroup& group);
    // Starts the frame timer unless it runs.
    void ScheduleFrame();
    // Overlays take the mouse before the controls: an open popup menu first,
    // then the resize handle.
    Control* OverlayAt(float x, float y) const;
    QRect ToWidget(const Rect& canvasRect) const;
    // Tells the delegate where a user gesture starts and ends.
    void BeginGesture(GestureKind kind, Control* c);
    void EndGesture();
    // ---- The cached layer ----
    // Picks the layer's controls: those that draw statically and that no
    // earlier live control can overlap (so drawing the layer first, then the
    // live controls in order, gives the same picture as drawing all in
    // order), and draws them over black at the pixel scale given.
    void EnsureLayer(float pixelRatio);
    // p maps canvas units to its device of the layer's pixel ratio: the
    // layer's part under clip, then every live control meeting it, then the
    // overlays.
    void PaintLayered(QPainter& p, const Rect& clip);
    void PaintControl(QPainter& p, Control& c, const Rect& clip) const;
    void PaintOverlays(QPainter& p, const Rect& clip) const;

    // Every change to the controls, the frame timer and the dialogs is made
    // on the thread that made the canvas.
    OwnerThread uiThread_;
    IControlDelegate* delegate_;
    int width_;
    int height_;
    float scale_ = 1.f;
    float largestScale_ = 3.f;
    float pixelRatio_ = 1.f;
    ResourceStore resources_;
    std::map<std::string, QString> fontFamilies_;
    mutable std::unordered_map<std::string, QFont> fontCache_;
    unsigned fontsGeneration_ = 0;

    std::vector<std::unique_ptr<Control>> controls_;
    std::unordered_map<ControlTag, Control*> byTag_;
    std::unordered_map<const Control*, std::size_t> indexOf_;

    QImage layer_;
    float layerScale_ = 0.f; // draw scale and pixel ratio the layer was drawn for
    float layerRatio_ = 0.f;
    bool layerValid_ = false;
    std::vector<char> inLayer_;  // by control index
    std::vector<char> moving_;   // changed its looks after a layer was drawn: live for good
    std::vector<Rect> drawnAt_;  // each control's draw bounds when the layer was drawn
    std::vector<double> lastLooksChange_; // NowMs of each layer control's last change of looks

    std::unique_ptr<CornerResizerControl> resizer_;
    std::unique_ptr<TextEntryControl> textEntry_;
    std::unique_ptr<PopupMenuControl> popup_;
    std::unique_ptr<BubbleControl> bubble_;
    bool mouseOverEnabled_ = false;
    bool tooltipsEnabled_ = false;
    bool multiTouchEnabled_ = false;

    std::unique_ptr<IPlatform> qtPlatform_;
    IPlatform* platform_;

    std::function<double()> clock_;
    QTimer frameTimer_;
    int frameIntervalMs_ = 16;
    double lastFrameMs_ = -1e9;
    QRegion pending_;
    std::set<Control*> animating_;

    Control* captured_ = nullptr; // receives drag and release after a press
    bool gestureOpen_ = false;
    Control* over_ = nullptr;     // under the pointer, for mouse-over
    float lastX_ = 0.f;
    float lastY_ = 0.f;
};

} // namespace tolvane

#include "toolkit/Canvas.h"

#include "core/Param.h"
#include "toolkit/OverlayControls.h"
#include "toolkit/QtPlatform.h"
#include "toolkit/TextEntryControl.h"

#include <QElapsedTimer>
#include <QFontDatabase>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tolvane {

namespace {

MouseModifiers ModFrom(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
    MouseModifiers mod;
    mod.L = buttons & Qt::LeftButton;
    mod.R = buttons & Qt::RightButton;
    mod.S = keys & Qt::ShiftModifier;
    mod.C = keys & Qt::ControlModifier;
    mod.A = keys & Qt::AltModifier;
    return mod;
}

// Within this time of its last change, a layer control that changes its looks
// again is taken for a moving one and drawn live from then on: read-outs and
// names that follow a knob stop the layer from being redrawn at every step.
constexpr double kLayerSettleMs = 1000.0;

// Live controls overlapping a layer control by less than this (canvas units),
// such as antialiased edges, keep it out of the layer too.
constexpr float kLayerOverlapMargin = 2.f;

const QElapsedTimer& ProcessClock() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock;
}

} // namespace

Canvas::Canvas(IControlDelegate* delegate, int width, int height, int fps, QWidget* parent)
    : QWidget(parent), delegate_(delegate), width_(width), height_(height),
      qtPlatform_(std::make_unique<QtPlatform>(this)), platform_(qtPlatform_.get()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus); // clicking the canvas ends a text edit
    setFixedSize(width_, height_);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameIntervalMs_ = std::max(1, 1000 / std::max(1, fps));
    frameTimer_.setInterval(frameIntervalMs_);
    connect(&frameTimer_, &QTimer::timeout, this, &Canvas::OnFrame);
}

Canvas::~Canvas() = default;

// ---- 1. Canvas and scale ----------------------------------------------------

void Canvas::SetCanvasScale(int width, int height, float scale) {
    uiThread_.Check("Canvas::SetCanvasScale");
    if (scale <= 0.f) return;
    width_ = width;
    height_ = height;
    scale_ = scale;
    setFixedSize(int(std::lround(width_ * scale_)), int(std::lround(height_ * scale_)));
    resources_.Rescale(scale_ * pixelRatio_);
    fontCache_.clear();
    layerValid_ = false;
    for (auto& c : controls_)
        c->OnRescale();
    if (resizer_) resizer_->PlaceInCorner(Rect(0, 0, float(width_), float(height_)));
    if (popup_ && popup_->IsOpen()) popup_->Close();
    if (textEntry_) textEntry_->Reposition();
    Invalidate(Rect(0, 0, float(width_), float(height_)));
    emit ScaleChanged(scale_);
}

void Canvas::SetPixelRatio(float ratio) {
    if (ratio <= 0.f || ratio == pixelRatio_) return;
    pixelRatio_ = ratio;
    resources_.Rescale(scale_ * pixelRatio_);
    layerValid_ = false;
    Invalidate(Rect(0, 0, float(width_), float(height_)));
}

// ---- 2. Resources -----------------------------------------------------------

void Canvas::SetResourceRoots(const QString& imageRoot, const QString& fontRoot) {
    resources_.SetImageRoot(imageRoot);
    resources_.SetFontRoot(fontRoot);
}

Bitmap Canvas::LoadBitmap(const std::string& name, int frames, bool framesHorizontal) {
    return resources_.LoadBitmap(name, frames, framesHorizontal, scale_ * pixelRatio_);
}

SvgImage Canvas::LoadSvg(const std::string& name, const char*, float) {
    return resources_.LoadSvg(name);
}

bool Canvas::RegisterFont(const std::string& fontId, const std::string& fileName) {
    const QString path = resources_.FindFont(fileName);
    if (path.isEmpty()) return false;
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0) return false;
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) return false;
    fontFamilies_[fontId] = families.front();
    fontCache_.clear();
    ++fontsGeneration_;
    return true;
}

QFont Canvas::FontFor(const TextStyle& style) const {
    const std::string& id = style.fontId.empty() ? std::string(kDefaultFontId) : style.fontId;
    const int px = std::max(1, int(std::lround(style.size)));
    const std::string key = id + '/' + std::to_string(px) + '/' + std::to_string(style.stretch);
    if (const auto it = fontCache_.find(key); it != fontCache_.end()) return it->second;
    QFont font;
    auto family = fontFamilies_.find(id);
    if (family == fontFamilies_.end()) family = fontFamilies_.find(kDefaultFontId);
    if (family != fontFamilies_.end()) font.setFamily(family->second);
    font.setPixelSize(px);
    if (style.stretch != 100) font.setStretch(std::clamp(style.stretch, 1, 4000));
    // Text is drawn through the canvas transform; hinting at the logical size
    // would distort it at other scales.
    font.setHintingPreference(QFont::PreferNoHinting);
    fontCache_.emplace(key, font);
    return font;
}

// ---- 3. Controls, tags and groups ---------------------------------------------

void Canvas::AddControlImpl(std::unique_ptr<Control> control, ControlTag tag, const ControlGroup& group) {
    uiThread_.Check("Canvas::AddControl");
    Control* raw = control.get();
    indexOf_.emplace(raw, controls_.size());
    controls_.push_back(std::move(control));
    moving_.push_back(0);
    layerValid_ = false;
    raw->Attach(this, tag, group);
    if (tag != kNoTag) byTag_.try_emplace(tag, raw);
    Invalidate(raw->DrawBounds());
}

Control* Canvas::GetControl(int index) const {
    return index >= 0 && index < NControls() ? controls_[index].get() : nullptr;
}

Control* Canvas::ControlByTag(ControlTag tag) const {
    const auto it = byTag_.find(tag);
    return it == byTag_.end() ? nullptr : it->second;
}

void Canvas::ForEachControl(const std::function<void(Control&)>& f) const {
    for (const auto& c : controls_)
        f(*c);
}

void Canvas::ForEachInGroup(const std::string& group, const std::function<void(Control&)>& f) const {
    for (const auto& c : controls_) {
        if (c->GetGroup() == group) f(*c);
    }
}

void Canvas::ShowGroup(const std::string& g) {
    uiThread_.Check("Canvas::ShowGroup");
    ForEachInGroup(g, [](Control& c) { c.SetHidden(false); });
}
void Canvas::HideGroup(const std::string& g) {
    uiThread_.Check("Canvas::HideGroup");
    ForEachInGroup(g, [](Control& c) { c.SetHidden(true); });
}
void Canvas::EnableGroup(const std::string& g) {
    uiThread_.Check("Canvas::EnableGroup");
    ForEachInGroup(g, [](Control& c) { c.SetDisabled(false); });
}
void Canvas::DisableGroup(const std::string& g) {
    uiThread_.Check("Canvas::DisableGroup");
    ForEachInGroup(g, [](Control& c) { c.SetDisabled(true); });
}

void Canvas::SetParamNormalisedFromDelegate(int paramIdx, double normalised) {
    uiThread_.Check("Canvas::SetParamNormalisedFromDelegate");
    if (paramIdx < 0) return;
    for (const auto& c : controls_) {
        for (int v = 0; v < c->NVals(); ++v) {
            if (c->GetParamIdx(v) == paramIdx) c->SetValueFromDelegate(normalised, v);
        }
    }
}

// ---- 4. Overlays and prompts ----------------------------------------------------

void Canvas::AttachCornerResizer(float size, Colour colour, Colour hoverColour, Colour dragColour) {
    resizer_ = std::make_unique<CornerResizerControl>(Rect(0, 0, float(width_), float(height_)), size,
                                                       colour, hoverColour, dragColour);
    resizer_->Attach(this, kNoTag, "");
}

void Canvas::AttachTextEntryControl() {
    if (!textEntry_) textEntry_ = std::make_unique<TextEntryControl>(*this);
}

void Canvas::AttachPopupMenuControl() {
    if (popup_) return;
    popup_ = std::make_unique<PopupMenuControl>(Rect(0, 0, float(width_), float(height_)));
    popup_->Attach(this, kNoTag, "");
}

void Canvas::AttachBubbleControl() {
    if (bubble_) return;
    bubble_ = std::make_unique<BubbleControl>();
    bubble_->Attach(this, kNoTag, "");
}

void Canvas::BeginTextEdit(Control& control, const TextStyle& style, const Rect& rect,
                              const std::string& initial, int valIdx, int maxChars) {
    uiThread_.Check("Canvas::BeginTextEdit");
    AttachTextEntryControl();
    textEntry_->Begin(control, style, rect, initial, valIdx, maxChars);
}

namespace {
constexpr float kPromptWidth = 120.f;
constexpr float kPromptHeight = 44.f;
} // namespace

void Canvas::PromptValue(Control& control, int valIdx) {
    uiThread_.Check("Canvas::PromptValue");
    const Param* param = control.GetParam(valIdx);
    if (!param) return;
    const double current = param->ValueFromNormal(control.GetValue(valIdx));
    if (param->NDisplayTexts() == 0) {
        // A small box in the middle of the control, so a knob's face and
        // scale stay in sight while the number is typed.
        const Rect r = control.GetRect();
        const float w = std::min(r.W(), kPromptWidth), h = std::min(r.H(), kPromptHeight);
        const Rect box{r.MW() - w / 2, r.MH() - h / 2, r.MW() + w / 2, r.MH() + h / 2};
        TextStyle style;
        style.size = std::max(14.f, std::min(h * 0.7f, 28.f));
        const auto& format = control.GetValueFormat();
        BeginTextEdit(control, style, box, format.write ? format.write(current) : param->GetDisplay(current, false),
                      valIdx);
        return;
    }
    AttachPopupMenuControl();
    std::vector<PopupMenuItem> items;
    std::vector<double> values;
    for (int i = 0; i < param->NDisplayTexts(); ++i) {
        double value = 0.0;
        const char* text = param->DisplayTextAt(i, &value);
        items.push_back({text ? text : "", value == current});
        values.push_back(value);
    }
    Control* target = &control;
    popup_->Open(std::move(items), control.GetRect(), [target, values, valIdx](int chosen) {
        const Param* p = target->GetParam(valIdx);
        if (!p) return;
        target->SetValue(p->NormalFromValue(values[chosen]), valIdx);
        target->MarkDirty(true);
    });
}

// ---- 5. Questions to the user -------------------------------------------------

void Canvas::SetPlatform(IPlatform* platform) {
    platform_ = platform ? platform : qtPlatform_.get();
}

AskResult Canvas::AskUser(const std::string& text, const std::string& caption, AskButtons buttons,
                             const std::function<void(AskResult)>& result) {
    uiThread_.Check("Canvas::AskUser");
    const AskResult answer = platform_->AskUser(text, caption, buttons);
    if (result) result(answer);
    return answer;
}

std::string Canvas::AskForFile(FileAction action, const std::string& extension,
                                  const std::string& directory, const std::string& proposedName,
                                  const std::function<void(const std::string&)>& result) {
    uiThread_.Check("Canvas::AskForFile");
    const std::string path = platform_->AskForFile(action, extension, directory, proposedName);
    if (result) result(path);
    return path;
}

void Canvas::OpenUrl(const std::string& url) {
    uiThread_.Check("Canvas::OpenUrl");
    if (!platform_->IsOnline()) return;
    if (!platform_->OpenUrl(url))
        AskUser("The web page could not be opened. Its address is:\n" + url, "Tolvane", AskButtons::Ok);
}

// ---- 6. Frames, animation and painting -----------------------------------------

double Canvas::NowMs() const {
    return clock_ ? clock_() : double(ProcessClock().nsecsElapsed()) / 1e6;
}

QRect Canvas::ToWidget(const Rect& r) const {
    // Two pixels of margin cover antialiased edges.
    return QRectF(r.L * scale_, r.T * scale_, r.W() * scale_, r.H() * scale_)
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

void Canvas::Invalidate(const Rect& canvasRect) {
    uiThread_.Check("Canvas::Invalidate");
    const QRect r = ToWidget(canvasRect).intersected(QRect(0, 0, width(), height()));
    if (r.isEmpty()) return;
    pending_ += r;
    ScheduleFrame();
}

void Canvas::ScheduleFrame() {
    if (frameTimer_.isActive()) return;
    // After a quiet spell the first frame comes at once, so a change reaches
    // the screen without waiting a period; frames never come closer than one.
    const double since = NowMs() - lastFrameMs_;
    frameTimer_.start(since >= frameIntervalMs_ ? 0 : int(std::ceil(frameIntervalMs_ - since)));
}

void Canvas::ControlChanged(Control& c, bool looks) {
    Invalidate(c.DrawBounds()); // checks the thread
    const auto it = indexOf_.find(&c);
    if (it == indexOf_.end() || it->second >= inLayer_.size()) return; // an overlay, or no layer yet
    const std::size_t i = it->second;
    if (inLayer_[i]) {
        // A hidden layer control is not in the picture; its new looks count when it is shown.
        if (looks && c.IsHidden()) return;
        layerValid_ = false;
        if (!looks) return;
        const double now = NowMs();
        if (lastLooksChange_.size() < controls_.size()) lastLooksChange_.resize(controls_.size(), -kLayerSettleMs);
        if (now - lastLooksChange_[i] < kLayerSettleMs) moving_[i] = 1;
        lastLooksChange_[i] = now;
        return;
    }
    // A live control that now reaches beyond where it was may cover a layer control.
    const Rect now = c.DrawBounds(), was = drawnAt_[i];
    if (now.L < was.L || now.T < was.T || now.R > was.R || now.B > was.B) layerValid_ = false;
}

void Canvas::AnimationStarted(Control* control) {
    uiThread_.Check("Canvas::AnimationStarted");
    animating_.insert(control);
    ScheduleFrame();
}

void Canvas::OnFrame() {
    uiThread_.Check("Canvas::OnFrame");
    const double now = NowMs();
    lastFrameMs_ = now;
    // Copy: an animation's end may start another one.
    const std::set<Control*> running = std::move(animating_);
    animating_.clear();
    for (Control* c : running) {
        c->Animate(now);
        if (c->IsAnimating()) animating_.insert(c);
    }
    if (!pending_.isEmpty()) {
        update(pending_);
        pending_ = QRegion();
        for (auto& c : controls_)
            c->ClearDirty();
    }
    if (animating_.empty()) {
        frameTimer_.stop();
    } else if (frameTimer_.interval() != frameIntervalMs_) {
        frameTimer_.start(frameIntervalMs_);
    }
}

namespace {
constexpr auto kRenderHints = QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing;
} // namespace

void Canvas::PaintControl(QPainter& p, Control& c, const Rect& clip) const {
    if (c.IsHidden() || !c.DrawBounds().Intersects(clip)) return;
    p.save();
    if (c.IsDisabled()) p.setOpacity(0.25);
    c.Draw(p);
    p.restore();
}

void Canvas::PaintOverlays(QPainter& p, const Rect& clip) const {
    if (bubble_) PaintControl(p, *bubble_, clip);
    if (popup_) PaintControl(p, *popup_, clip);
    if (resizer_) PaintControl(p, *resizer_, clip);
}

void Canvas::PaintCanvas(QPainter& p, const Rect& clip) {
    p.setRenderHints(kRenderHints);
    p.fillRect(QRectF(clip.L, clip.T, clip.W(), clip.H()), Qt::black);
    for (auto& c : controls_)
        PaintControl(p, *c, clip);
    PaintOverlays(p, clip);
}

void Canvas::EnsureLayer(float pixelRatio) {
    if (layerValid_ && layerScale_ == scale_ && layerRatio_ == pixelRatio) return;
    const std::size_t n = controls_.size();
    inLayer_.assign(n, 0);
    drawnAt_.resize(n);
    // Hidden live controls count too: they may be shown without the layer
    // being redrawn.
    std::vector<Rect> live;
    for (std::size_t i = 0; i < n; ++i) {
        const Rect bounds = controls_[i]->DrawBounds();
        drawnAt_[i] = bounds;
        bool static_ = controls_[i]->DrawsStatically() && !moving_[i];
        const Rect reach = bounds.Padded(kLayerOverlapMargin);
        for (std::size_t k = 0; static_ && k < live.size(); ++k)
            static_ = !live[k].Intersects(reach);
        if (static_) {
            inLayer_[i] = 1;
        } else {
            live.push_back(bounds);
        }
    }
    const QSize size(int(std::lround(width_ * scale_ * pixelRatio)), int(std::lround(height_ * scale_ * pixelRatio)));
    // The layer is opaque (it starts black), and an opaque picture is copied
    // onto a window's backing store or an image line by line, where one with
    // an alpha channel is blended pixel by pixel.
    if (layer_.size() != size) layer_ = QImage(size, QImage::Format_RGB32);
    layer_.setDevicePixelRatio(pixelRatio);
    {
        const Rect all(0, 0, float(width_), float(height_));
        QPainter p(&layer_);
        p.scale(scale_, scale_);
        p.setRenderHints(kRenderHints);
        p.fillRect(QRectF(0, 0, width_, height_), Qt::black);
        for (std::size_t i = 0; i < n; ++i)
            if (inLayer_[i]) PaintControl(p, *controls_[i], all);
    }
    layerScale_ = scale_;
    layerRatio_ = pixelRatio;
    layerValid_ = true;
}

void Canvas::PaintLayered(QPainter& p, const Rect& clip) {
    p.save();
    p.resetTransform();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPointF(0, 0), layer_);
    p.restore();
    p.setRenderHints(kRenderHints);
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (!inLayer_[i]) PaintControl(p, *controls_[i], clip);
    PaintOverlays(p, clip);
}

int Canvas::LayerControlCount() const {
    return int(std::count(inLayer_.begin(), inLayer_.end(), 1));
}

QImage Canvas::RenderToImage(float pixelRatio) {
    pixelRatio = pixelRatio > 0.f ? pixelRatio : 1.f;
    QImage image(int(std::lround(width_ * scale_ * pixelRatio)), int(std::lround(height_ * scale_ * pixelRatio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    resources_.Rescale(scale_ * pixelRatio);
    EnsureLayer(pixelRatio);
    {
        QPainter p(&image);
        p.scale(scale_, scale_);
        PaintLayered(p, Rect(0, 0, float(width_), float(height_)));
    }
    resources_.Rescale(scale_ * pixelRatio_);
    return image;
}

void Canvas::paintEvent(QPaintEvent* event) {
    // The window may have moved to a screen of another ratio.
    SetPixelRatio(float(devicePixelRatioF()));
    EnsureLayer(pixelRatio_);
    QPainter p(this);
    p.setClipRegion(event->region());
    p.scale(scale_, scale_);
    const QRect r = event->rect();
    PaintLayered(
        p, Rect(r.left() / scale_, r.top() / scale_, (r.right() + 1) / scale_, (r.bottom() + 1) / scale_));
}

// ---- 7. Mouse input at canvas coordinates -------------------------------------

Control* Canvas::OverlayAt(float x, float y) const {
    if (popup_ && popup_->IsOpen()) return popup_.get();
    if (resizer_ && !resizer_->IsHidden() && resizer_->IsHit(x, y)) return resizer_.get();
    return nullptr;
}

Control* Canvas::ControlAt(float x, float y) const {
    if (Control* overlay = OverlayAt(x, y)) return overlay;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        Control& c = **it;
        if (!c.IsHidden() && !c.GetIgnoreMouse() && !c.IsDisabled() && c.IsHit(x, y)) return &c;
    }
    return nullptr;
}

void Canvas::BeginGesture(GestureKind kind, Control* c) {
    EndGesture();
    if (!delegate_) return;
    delegate_->BeginEditGesture(kind, c, NowMs());
    gestureOpen_ = true;
}

void Canvas::EndGesture() {
    if (!gestureOpen_) return;
    gestureOpen_ = false;
    if (delegate_) delegate_->EndEditGesture();
}

void Canvas::OnMouseDown(float x, float y, const MouseModifiers& mod) {
    lastX_ = x;
    lastY_ = y;
    Control* c = ControlAt(x, y);
    captured_ = c;
    if (!c) return;
    // Everything the press changes until the release is one edit to undo.
    BeginGesture(GestureKind::Press, c);
    if (mod.R && c->PromptsOnRightClick() && c->GetParamIdx() >= 0) {
        captured_ = nullptr;
        PromptValue(*c);
        return;
    }
    c->OnMouseDown(x, y, mod);
}

void Canvas::OnMouseUp(float x, float y, const MouseModifiers& mod) {
    Control* c = captured_;
    captured_ = nullptr;
    HideMouseCursor(false);
    if (c) c->OnMouseUp(x, y, mod);
    EndGesture();
}

void Canvas::OnMouseDrag(float x, float y, float dX, float dY, const MouseModifiers& mod) {
    if (captured_) captured_->OnMouseDrag(x, y, dX, dY, mod);
}

void Canvas::OnMouseMove(float x, float y, const MouseModifiers& mod) {
    if (!mouseOverEnabled_) return;
    Control* c = ControlAt(x, y);
    if (c != over_) {
        if (over_) over_->OnMouseOut();
        over_ = c;
    }
    if (c) c->OnMouseOver(x, y, mod);
}

void Canvas::OnMouseDblClick(float x, float y, const MouseModifiers& mod) {
    Control* c = ControlAt(x, y);
    captured_ = c;
    if (!c) return;
    BeginGesture(GestureKind::Press, c);
    c->OnMouseDblClick(x, y, mod);
}

void Canvas::OnMouseWheel(float x, float y, const MouseModifiers& mod, float d) {
    Control* c = ControlAt(x, y);
    if (!c) return;
    // Notches on one control in quick succession make one edit to undo.
    BeginGesture(GestureKind::Wheel, c);
    c->OnMouseWheel(x, y, mod, d);
    EndGesture();
}

void Canvas::OnMouseOut() {
    if (over_) over_->OnMouseOut();
    over_ = nullptr;
}

void Canvas::HideMouseCursor(bool hide) {
    if (hide) {
        setCursor(Qt::BlankCursor);
    } else {
        unsetCursor();
    }
}

// ---- 8. Qt events ---------------------------------------------------------------

void Canvas::mousePressEvent(QMouseEvent* e) {
    const QPointF p = e->position() / scale_;
    OnMouseDown(float(p.x()), float(p.y()), ModFrom(e->button() | e->buttons(), e->modifiers()));
}

void Canvas::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF p = e->position() / scale_;
    OnMouseUp(float(p.x()), float(p.y()), ModFrom(e->button() | e->buttons(), e->modifiers()));
}

void Canvas::mouseMoveEvent(QMouseEvent* e) {
    const QPointF p = e->position() / scale_;
    const float x = float(p.x()), y = float(p.y());
    const MouseModifiers mod = ModFrom(e->buttons(), e->modifiers());
    if (e->buttons() != Qt::NoButton) {
        const float dX = x - lastX_, dY = y - lastY_;
        lastX_ = x;
        lastY_ = y;
        OnMouseDrag(x, y, dX, dY, mod);
    } else {
        OnMouseMove(x, y, mod);
    }
}

void Canvas::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPointF p = e->position() / scale_;
    lastX_ = float(p.x());
    lastY_ = float(p.y());
    OnMouseDblClick(lastX_, lastY_, ModFrom(e->button() | e->buttons(), e->modifiers()));
}

void Canvas::wheelEvent(QWheelEvent* e) {
    const QPointF p = e->position() / scale_;
    OnMouseWheel(float(p.x()), float(p.y()), ModFrom(e->buttons(), e->modifiers()),
                 float(e->angleDelta().y()) / 120.f);
    e->accept();
}

void Canvas::leaveEvent(QEvent*) {
    OnMouseOut();
}

} // namespace tolvane

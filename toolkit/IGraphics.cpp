#include "toolkit/IGraphics.h"

#include "core/IParam.h"
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

IMouseMod ModFrom(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
    IMouseMod mod;
    mod.L = buttons & Qt::LeftButton;
    mod.R = buttons & Qt::RightButton;
    mod.S = keys & Qt::ShiftModifier;
    mod.C = keys & Qt::ControlModifier;
    mod.A = keys & Qt::AltModifier;
    return mod;
}

const QElapsedTimer& ProcessClock() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock;
}

} // namespace

IGraphics::IGraphics(IControlDelegate* delegate, int width, int height, int fps, QWidget* parent)
    : QWidget(parent), delegate_(delegate), width_(width), height_(height),
      qtPlatform_(std::make_unique<QtPlatform>(this)), platform_(qtPlatform_.get()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus); // clicking the canvas ends a text edit
    setFixedSize(width_, height_);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setInterval(std::max(1, 1000 / std::max(1, fps)));
    connect(&frameTimer_, &QTimer::timeout, this, &IGraphics::OnFrame);
}

IGraphics::~IGraphics() = default;

// ---- 1. Canvas and scale ----------------------------------------------------

void IGraphics::SetCanvasScale(int width, int height, float scale) {
    if (scale <= 0.f) return;
    width_ = width;
    height_ = height;
    scale_ = scale;
    setFixedSize(int(std::lround(width_ * scale_)), int(std::lround(height_ * scale_)));
    resources_.Rescale(scale_);
    fontCache_.clear();
    for (auto& c : controls_)
        c->OnRescale();
    if (resizer_) resizer_->PlaceInCorner(Rect(0, 0, float(width_), float(height_)));
    if (popup_ && popup_->IsOpen()) popup_->Close();
    if (textEntry_) textEntry_->Reposition();
    Invalidate(Rect(0, 0, float(width_), float(height_)));
    emit ScaleChanged(scale_);
}

// ---- 2. Resources -----------------------------------------------------------

void IGraphics::SetResourceRoots(const QString& imageRoot, const QString& fontRoot) {
    resources_.SetImageRoot(imageRoot);
    resources_.SetFontRoot(fontRoot);
}

IBitmap IGraphics::LoadBitmap(const std::string& name, int frames, bool framesHorizontal) {
    return resources_.LoadBitmap(name, frames, framesHorizontal, scale_);
}

ISVG IGraphics::LoadSvg(const std::string& name, const char*, float) {
    return resources_.LoadSvg(name);
}

bool IGraphics::RegisterFont(const std::string& fontId, const std::string& fileName) {
    const QString path = resources_.FindFont(fileName);
    if (path.isEmpty()) return false;
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0) return false;
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) return false;
    fontFamilies_[fontId] = families.front();
    fontCache_.clear();
    return true;
}

QFont IGraphics::FontFor(const TextStyle& style) const {
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

void IGraphics::AddControlImpl(std::unique_ptr<IControl> control, ControlTag tag, const ControlGroup& group) {
    IControl* raw = control.get();
    controls_.push_back(std::move(control));
    raw->Attach(this, tag, group);
    if (tag != kNoTag) byTag_.try_emplace(tag, raw);
    Invalidate(raw->DrawBounds());
}

IControl* IGraphics::GetControl(int index) const {
    return index >= 0 && index < NControls() ? controls_[index].get() : nullptr;
}

IControl* IGraphics::ControlByTag(ControlTag tag) const {
    const auto it = byTag_.find(tag);
    return it == byTag_.end() ? nullptr : it->second;
}

void IGraphics::ForEachControl(const std::function<void(IControl&)>& f) const {
    for (const auto& c : controls_)
        f(*c);
}

void IGraphics::ForEachInGroup(const std::string& group, const std::function<void(IControl&)>& f) const {
    for (const auto& c : controls_) {
        if (c->GetGroup() == group) f(*c);
    }
}

void IGraphics::ShowGroup(const std::string& g) {
    ForEachInGroup(g, [](IControl& c) { c.SetHidden(false); });
}
void IGraphics::HideGroup(const std::string& g) {
    ForEachInGroup(g, [](IControl& c) { c.SetHidden(true); });
}
void IGraphics::EnableGroup(const std::string& g) {
    ForEachInGroup(g, [](IControl& c) { c.SetDisabled(false); });
}
void IGraphics::DisableGroup(const std::string& g) {
    ForEachInGroup(g, [](IControl& c) { c.SetDisabled(true); });
}

void IGraphics::SetParamNormalisedFromDelegate(int paramIdx, double normalised) {
    if (paramIdx < 0) return;
    for (const auto& c : controls_) {
        for (int v = 0; v < c->NVals(); ++v) {
            if (c->GetParamIdx(v) == paramIdx) c->SetValueFromDelegate(normalised, v);
        }
    }
}

// ---- 4. Overlays and prompts ----------------------------------------------------

void IGraphics::AttachCornerResizer(float size, Colour colour, Colour hoverColour, Colour dragColour) {
    resizer_ = std::make_unique<ICornerResizerControl>(Rect(0, 0, float(width_), float(height_)), size,
                                                       colour, hoverColour, dragColour);
    resizer_->Attach(this, kNoTag, "");
}

void IGraphics::AttachTextEntryControl() {
    if (!textEntry_) textEntry_ = std::make_unique<ITextEntryControl>(*this);
}

void IGraphics::AttachPopupMenuControl() {
    if (popup_) return;
    popup_ = std::make_unique<IPopupMenuControl>(Rect(0, 0, float(width_), float(height_)));
    popup_->Attach(this, kNoTag, "");
}

void IGraphics::AttachBubbleControl() {
    if (bubble_) return;
    bubble_ = std::make_unique<IBubbleControl>();
    bubble_->Attach(this, kNoTag, "");
}

void IGraphics::BeginTextEdit(IControl& control, const TextStyle& style, const Rect& rect,
                              const std::string& initial, int valIdx) {
    AttachTextEntryControl();
    textEntry_->Begin(control, style, rect, initial, valIdx);
}

void IGraphics::PromptValue(IControl& control, int valIdx) {
    const IParam* param = control.GetParam(valIdx);
    if (!param) return;
    const double current = param->ValueFromNormal(control.GetValue(valIdx));
    if (param->NDisplayTexts() == 0) {
        TextStyle style;
        style.size = std::max(14.f, std::min(control.GetRect().H() * 0.7f, 28.f));
        BeginTextEdit(control, style, control.GetRect(), param->GetDisplay(current, false), valIdx);
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
    IControl* target = &control;
    popup_->Open(std::move(items), control.GetRect(), [target, values, valIdx](int chosen) {
        const IParam* p = target->GetParam(valIdx);
        if (!p) return;
        target->SetValue(p->NormalFromValue(values[chosen]), valIdx);
        target->MarkDirty(true);
    });
}

// ---- 5. Questions to the user -------------------------------------------------

void IGraphics::SetPlatform(IPlatform* platform) {
    platform_ = platform ? platform : qtPlatform_.get();
}

AskResult IGraphics::AskUser(const std::string& text, const std::string& caption, AskButtons buttons,
                             const std::function<void(AskResult)>& result) {
    const AskResult answer = platform_->AskUser(text, caption, buttons);
    if (result) result(answer);
    return answer;
}

std::string IGraphics::AskForFile(FileAction action, const std::string& extension,
                                  const std::string& directory, const std::string& proposedName,
                                  const std::function<void(const std::string&)>& result) {
    const std::string path = platform_->AskForFile(action, extension, directory, proposedName);
    if (result) result(path);
    return path;
}

void IGraphics::OpenUrl(const std::string& url) {
    if (platform_->IsOnline()) platform_->OpenUrl(url);
}

// ---- 6. Frames, animation and painting -----------------------------------------

double IGraphics::NowMs() const {
    return clock_ ? clock_() : double(ProcessClock().nsecsElapsed()) / 1e6;
}

QRect IGraphics::ToWidget(const Rect& r) const {
    // Two pixels of margin cover antialiased edges.
    return QRectF(r.L * scale_, r.T * scale_, r.W() * scale_, r.H() * scale_)
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

void IGraphics::Invalidate(const Rect& canvasRect) {
    const QRect r = ToWidget(canvasRect).intersected(QRect(0, 0, width(), height()));
    if (r.isEmpty()) return;
    pending_ += r;
    if (!frameTimer_.isActive()) frameTimer_.start();
}

void IGraphics::AnimationStarted(IControl* control) {
    animating_.insert(control);
    if (!frameTimer_.isActive()) frameTimer_.start();
}

void IGraphics::OnFrame() {
    const double now = NowMs();
    // Copy: an animation's end may start another one.
    const std::set<IControl*> running = std::move(animating_);
    animating_.clear();
    for (IControl* c : running) {
        c->Animate(now);
        if (c->IsAnimating()) animating_.insert(c);
    }
    if (!pending_.isEmpty()) {
        update(pending_);
        pending_ = QRegion();
        for (auto& c : controls_)
            c->ClearDirty();
    }
    if (animating_.empty()) frameTimer_.stop();
}

void IGraphics::PaintCanvas(QPainter& p, const Rect& clip) {
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    p.fillRect(QRectF(clip.L, clip.T, clip.W(), clip.H()), Qt::black);
    auto paintOne = [&p, &clip](IControl& c) {
        if (c.IsHidden() || !c.DrawBounds().Intersects(clip)) return;
        p.save();
        if (c.IsDisabled()) p.setOpacity(0.25);
        c.Draw(p);
        p.restore();
    };
    for (auto& c : controls_)
        paintOne(*c);
    if (bubble_) paintOne(*bubble_);
    if (popup_) paintOne(*popup_);
    if (resizer_) paintOne(*resizer_);
}

QImage IGraphics::RenderToImage() {
    QImage image(int(std::lround(width_ * scale_)), int(std::lround(height_ * scale_)),
                 QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.scale(scale_, scale_);
    PaintCanvas(p, Rect(0, 0, float(width_), float(height_)));
    return image;
}

void IGraphics::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.setClipRegion(event->region());
    p.scale(scale_, scale_);
    const QRect r = event->rect();
    PaintCanvas(
        p, Rect(r.left() / scale_, r.top() / scale_, (r.right() + 1) / scale_, (r.bottom() + 1) / scale_));
}

// ---- 7. Mouse input at canvas coordinates -------------------------------------

IControl* IGraphics::OverlayAt(float x, float y) const {
    if (popup_ && popup_->IsOpen()) return popup_.get();
    if (resizer_ && !resizer_->IsHidden() && resizer_->IsHit(x, y)) return resizer_.get();
    return nullptr;
}

IControl* IGraphics::ControlAt(float x, float y) const {
    if (IControl* overlay = OverlayAt(x, y)) return overlay;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        IControl& c = **it;
        if (!c.IsHidden() && !c.GetIgnoreMouse() && !c.IsDisabled() && c.IsHit(x, y)) return &c;
    }
    return nullptr;
}

void IGraphics::OnMouseDown(float x, float y, const IMouseMod& mod) {
    lastX_ = x;
    lastY_ = y;
    IControl* c = ControlAt(x, y);
    captured_ = c;
    if (!c) return;
    if (mod.R && c->PromptsOnRightClick() && c->GetParamIdx() >= 0) {
        captured_ = nullptr;
        PromptValue(*c);
        return;
    }
    c->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(float x, float y, const IMouseMod& mod) {
    IControl* c = captured_;
    captured_ = nullptr;
    HideMouseCursor(false);
    if (c) c->OnMouseUp(x, y, mod);
}

void IGraphics::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) {
    if (captured_) captured_->OnMouseDrag(x, y, dX, dY, mod);
}

void IGraphics::OnMouseMove(float x, float y, const IMouseMod& mod) {
    if (!mouseOverEnabled_) return;
    IControl* c = ControlAt(x, y);
    if (c != over_) {
        if (over_) over_->OnMouseOut();
        over_ = c;
    }
    if (c) c->OnMouseOver(x, y, mod);
}

void IGraphics::OnMouseDblClick(float x, float y, const IMouseMod& mod) {
    IControl* c = ControlAt(x, y);
    captured_ = c;
    if (c) c->OnMouseDblClick(x, y, mod);
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMod& mod, float d) {
    if (IControl* c = ControlAt(x, y)) c->OnMouseWheel(x, y, mod, d);
}

void IGraphics::OnMouseOut() {
    if (over_) over_->OnMouseOut();
    over_ = nullptr;
}

void IGraphics::HideMouseCursor(bool hide) {
    if (hide) {
        setCursor(Qt::BlankCursor);
    } else {
        unsetCursor();
    }
}

// ---- 8. Qt events ---------------------------------------------------------------

void IGraphics::mousePressEvent(QMouseEvent* e) {
    const QPointF p = e->position() / scale_;
    OnMouseDown(float(p.x()), float(p.y()), ModFrom(e->button() | e->buttons(), e->modifiers()));
}

void IGraphics::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF p = e->position() / scale_;
    OnMouseUp(float(p.x()), float(p.y()), ModFrom(e->button() | e->buttons(), e->modifiers()));
}

void IGraphics::mouseMoveEvent(QMouseEvent* e) {
    const QPointF p = e->position() / scale_;
    const float x = float(p.x()), y = float(p.y());
    const IMouseMod mod = ModFrom(e->buttons(), e->modifiers());
    if (e->buttons() != Qt::NoButton) {
        const float dX = x - lastX_, dY = y - lastY_;
        lastX_ = x;
        lastY_ = y;
        OnMouseDrag(x, y, dX, dY, mod);
    } else {
        OnMouseMove(x, y, mod);
    }
}

void IGraphics::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPointF p = e->position() / scale_;
    lastX_ = float(p.x());
    lastY_ = float(p.y());
    OnMouseDblClick(lastX_, lastY_, ModFrom(e->button() | e->buttons(), e->modifiers()));
}

void IGraphics::wheelEvent(QWheelEvent* e) {
    const QPointF p = e->position() / scale_;
    OnMouseWheel(float(p.x()), float(p.y()), ModFrom(e->buttons(), e->modifiers()),
                 float(e->angleDelta().y()) / 120.f);
    e->accept();
}

void IGraphics::leaveEvent(QEvent*) {
    OnMouseOut();
}

} // namespace tolvane

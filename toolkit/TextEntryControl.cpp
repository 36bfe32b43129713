#include "toolkit/TextEntryControl.h"

#include "toolkit/Control.h"
#include "toolkit/Canvas.h"
#include "toolkit/Painting.h"

#include <QKeyEvent>
#include <QFontMetricsF>
#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <functional>

namespace tolvane {

namespace {

// Escape cancels instead of being passed on.
class EntryLineEdit : public QLineEdit {
public:
    EntryLineEdit(QWidget* parent, std::function<void()> onEscape)
        : QLineEdit(parent), onEscape_(std::move(onEscape)) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) {
            onEscape_();
            return;
        }
        QLineEdit::keyPressEvent(e);
    }

private:
    std::function<void()> onEscape_;
};

} // namespace

TextEntryControl::TextEntryControl(Canvas& ui)
    : ui_(ui), edit_(new EntryLineEdit(&ui, [this] { Cancel(); })) {
    edit_->hide();
    edit_->setFrame(false);
    QObject::connect(edit_, &QLineEdit::returnPressed, edit_, [this] { Commit(); });
    QObject::connect(edit_, &QLineEdit::editingFinished, edit_, [this] { Commit(); });
}

// The line edit goes first, so no signal of its teardown reaches this object.
TextEntryControl::~TextEntryControl() {
    control_ = nullptr;
    delete edit_;
}

void TextEntryControl::Begin(Control& control, const TextStyle& style, const Rect& rect,
                              const std::string& initial, int valIdx, int maxChars) {
    if (IsEditing()) Cancel();
    // 0: as long as the user likes (the line edit's own limit).
    edit_->setMaxLength(maxChars > 0 ? maxChars : 32767);
    control_ = &control;
    style_ = style;
    rect_ = rect;
    valIdx_ = valIdx;
    const QString text = QString::fromStdString(initial);
    edit_->setText(text);
    // All selected, the cursor at the start, so a text wider than the box
    // shows its beginning.
    edit_->setSelection(int(text.size()), -int(text.size()));
    Reposition();
    edit_->show();
    edit_->setFocus();
}

void TextEntryControl::Reposition() {
    const float s = ui_.GetDrawScale();
    TextStyle scaled = style_;
    scaled.size = style_.size * s;
    const QFont font = ui_.FontFor(scaled);
    edit_->setFont(font);
    // At least one whole line of the font high, centred on the rect, so
    // descenders are not cut.
    const qreal line = QFontMetricsF(font).height() + 4.0;
    const qreal height = std::max<qreal>(rect_.H() * s, line);
    const qreal top = rect_.MH() * s - height / 2.0;
    edit_->setTextMargins(2, 0, 2, 0);
    edit_->setGeometry(QRectF(rect_.L * s, top, rect_.W() * s, height).toAlignedRect());
    edit_->setAlignment(style_.align == HAlign::Near  ? Qt::AlignLeft
                        : style_.align == HAlign::Far ? Qt::AlignRight
                                                      : Qt::AlignHCenter);
    edit_->setStyleSheet(QString("QLineEdit { background: %1; color: %2; }")
                             .arg(ToQColor(style_.entryBackground).name(QColor::HexArgb),
                                  ToQColor(style_.entryForeground).name(QColor::HexArgb)));
}

void TextEntryControl::Commit() {
    if (!IsEditing()) return;
    Control* control = control_;
    control_ = nullptr; // before hiding: hiding drops focus, which commits again
    const std::string text = edit_->text().toStdString();
    edit_->hide();
    control->OnTextEntryCompletion(text, valIdx_);
}

void TextEntryControl::Cancel() {
    if (!IsEditing()) return;
    control_ = nullptr;
    edit_->hide();
}

} // namespace tolvane

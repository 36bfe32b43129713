#include "toolkit/QtPlatform.h"

#include "toolkit/ModalDialogs.h"

#include "core/Timer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace tolvane {

QWidget* QtPlatform::Owner() const {
    // The top-level window, never the widget itself: closing the program
    // destroys the canvas, and a dialog must not be among what goes with it.
    return parent_ ? parent_->window() : nullptr;
}

namespace {

AskResult RunBox(QWidget* owner, const std::string& text, const std::string& caption, AskButtons buttons) {
    QMessageBox box(owner);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    if (buttons == AskButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    // Closing the box with the window button counts as Cancel where there is one.
    return modal::Run(box) == QMessageBox::Ok ? AskResult::Ok
                                         : (buttons == AskButtons::Ok ? AskResult::Ok : AskResult::Cancel);
}

} // namespace

AskResult QtPlatform::AskUser(const std::string& text, const std::string& caption, AskButtons buttons) {
    // A box that only informs, asked for inside a timer's function (the
    // periodic task, the port watch, the idle step), opens once that function
    // has returned: its event loop would otherwise run under the timer, and
    // the timer's next look (a port coming back, the pedal's answer) would
    // wait until the user pressed OK.
    if (buttons == AskButtons::Ok && Timer::InFunction()) {
        QObject* context = Owner() ? static_cast<QObject*>(Owner()) : QCoreApplication::instance();
        QTimer::singleShot(0, context, [owner = QPointer<QWidget>(Owner()), text, caption] {
            RunBox(owner, text, caption, AskButtons::Ok);
        });
        return AskResult::Ok;
    }
    return RunBox(Owner(), text, caption, buttons);
}

std::string QtPlatform::AskForFile(FileAction action, const std::string& extension,
                                   const std::string& directory, const std::string& proposedName) {
    const QString filter =
        extension.empty() ? QString() : QString("*.%1").arg(QString::fromStdString(extension));
    QString start = QString::fromStdString(directory);
    if (!proposedName.empty()) {
        start = start.isEmpty() ? QString::fromStdString(proposedName)
                                : QDir(start).filePath(QString::fromStdString(proposedName));
    }
    QFileDialog dialog(Owner(), QString(), start, filter);
    if (action == FileAction::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (modal::Run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

// Qt offers no portable, dependency-free connection check; the desktop's own
// "open" reports its failure to the user, so links are always handed over.
bool QtPlatform::IsOnline() const {
    return true;
}

bool QtPlatform::OpenUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

} // namespace tolvane

#include "toolkit/QtPlatform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace tolvane {

AskResult QtPlatform::AskUser(const std::string& text, const std::string& caption, AskButtons buttons) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    if (buttons == AskButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    // Closing the box with the window button counts as Cancel where there is one.
    return box.exec() == QMessageBox::Ok ? AskResult::Ok
                                         : (buttons == AskButtons::Ok ? AskResult::Ok : AskResult::Cancel);
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
    const QString chosen = action == FileAction::Open
                               ? QFileDialog::getOpenFileName(parent_, QString(), start, filter)
                               : QFileDialog::getSaveFileName(parent_, QString(), start, filter);
    return chosen.toStdString();
}

// Qt offers no portable, dependency-free connection check; the desktop's own
// "open" reports its failure to the user, so links are always handed over.
bool QtPlatform::IsOnline() const {
    return true;
}

void QtPlatform::OpenUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

} // namespace tolvane

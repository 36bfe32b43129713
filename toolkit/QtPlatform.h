#pragma once
// The system's questions through Qt: QMessageBox, QFileDialog and the
// desktop's "open" of a link.

#include "toolkit/Platform.h"

class QWidget;

namespace tolvane {

class QtPlatform : public IPlatform {
public:
    // The dialogs are modal over parent's window (parent may be null).
    explicit QtPlatform(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    AskResult AskUser(const std::string& text, const std::string& caption, AskButtons buttons) override;
    std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory,
                           const std::string& proposedName) override;
    bool IsOnline() const override;
    bool OpenUrl(const std::string& url) override;

private:
    QWidget* Owner() const;

    QWidget* parent_;
};

} // namespace tolvane

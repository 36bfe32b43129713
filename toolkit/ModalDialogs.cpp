#include "toolkit/ModalDialogs.h"

#include "core/ThreadCheck.h"

#include <QDialog>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace tolvane::modal {

namespace {

struct State {
    OwnerThread uiThread;
    std::vector<QPointer<QDialog>> open;
    bool quitting = false;
};

State& TheState() {
    static State state;
    return state;
}

} // namespace

int Run(QDialog& dialog) {
    State& s = TheState();
    s.uiThread.Check("a modal dialog");
    if (s.quitting) return QDialog::Rejected;
    s.open.emplace_back(&dialog);
    const int result = dialog.exec();
    s.open.erase(std::remove(s.open.begin(), s.open.end(), QPointer<QDialog>(&dialog)), s.open.end());
    return result;
}

int OpenCount() {
    return static_cast<int>(TheState().open.size());
}

bool ToQuit() {
    State& s = TheState();
    s.quitting = true;
    if (s.open.empty()) return true;
    // Innermost first: each returns to its caller as its loop ends.
    for (auto it = s.open.rbegin(); it != s.open.rend(); ++it)
        if (*it) (*it)->done(QDialog::Rejected);
    return false;
}

bool Quitting() {
    return TheState().quitting;
}

void ResetQuitting() {
    TheState().quitting = false;
}

} // namespace tolvane::modal

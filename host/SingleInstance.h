#pragma once
// Only one copy of the program runs: the first listens on a local socket named
// "Tolvane"; a later copy connects, asks the first to raise its window, and
// exits.

#include <QObject>

#include <functional>

class QLocalServer;

namespace tolvane {

inline constexpr const char* kInstanceName = "Tolvane";

class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QObject* parent = nullptr);
    // True when another copy answered; it has been asked to raise its window.
    static bool NotifyRunningCopy();
    // Starts listening; a socket left behind by a copy that crashed is
    // replaced. False when listening failed.
    bool Listen();
    // Called when a later copy asks for the window.
    void OnRaiseRequest(std::function<void()> raise) { raise_ = std::move(raise); }

private:
    QLocalServer* server_;
    std::function<void()> raise_;
};

} // namespace tolvane

#include "host/CloseOnSignal.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvane {

namespace {

int gSignalFds[2] = {-1, -1}; // [0] written by the handler, [1] read by the event loop

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(gSignalFds[0], &byte, 1);
}

} // namespace

void CatchCloseSignals() {
    if (gSignalFds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalFds) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void CloseOnSignal(QWidget* window) {
    if (gSignalFds[1] < 0) return;
    auto* notifier = new QSocketNotifier(gSignalFds[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(gSignalFds[1], &byte, 1);
        window->close();
    });
}

} // namespace tolvane

#pragma once
// SIGINT and SIGTERM close the main window exactly as Quit does. The signal
// handler only writes a byte to a socket pair; the event loop reads it and
// closes the window on the user-interface thread. A signal that arrives
// before the window exists waits in the socket and closes the window as soon
// as it is there, so the shut-down is always the orderly one.

class QWidget;

namespace tolvane {

// First thing at start-up: installs the handlers.
void CatchCloseSignals();
// Once the window exists: window->close() runs for every signal caught.
void CloseOnSignal(QWidget* window);

} // namespace tolvane

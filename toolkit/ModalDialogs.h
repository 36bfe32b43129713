#pragma once
// Every modal dialog of the program runs through here, so that quitting can
// close the open ones first. A modal dialog runs its own event loop, and a
// close of the main window (Quit, the close box, SIGTERM at logout) arrives
// inside that loop; shutting down there would destroy what the dialog's
// caller still stands on. The main window therefore asks ToQuit() instead:
// the open dialogs are rejected, no new one opens, and the window closes once
// the last one has returned to its caller.
//
// Dialogs are parented to the main window, never to the canvas, which closing
// destroys while the dialog may still be on the stack.
//
// User-interface thread only.

class QDialog;

namespace tolvane::modal {

// Runs dialog modally and returns what its exec returned. While the program
// is quitting the dialog is not shown and QDialog::Rejected is returned.
int Run(QDialog& dialog);
// How many dialogs are running now (nested ones count each).
int OpenCount();
// Rejects every open dialog and keeps new ones from opening. Returns true when
// none was open, so the caller may go on closing at once.
bool ToQuit();
bool Quitting();
// Lets dialogs open again (a new main window in the same process, tests).
void ResetQuitting();

} // namespace tolvane::modal

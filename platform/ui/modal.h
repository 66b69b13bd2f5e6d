#pragma once
// Running a dialog modally, with a seam for tests: a test queues handlers, and each modal
// dialog, once it is shown and its event loop runs, is handed to the next handler, which may
// fill it in and close it. With the seam on and no handler queued, a dialog is rejected at once
// (and counted), so that a test never hangs on a dialog it did not expect.

#include <functional>

class QDialog;

// The dialog's result (QDialog::exec). Afterwards the keys go where they went before (else to
// the dialog's owner), also where no window manager gives the focus back.
int RunModal(QDialog* dialog);

namespace ModalSeam {
void Enable();
void Disable();
void QueueHandler(std::function<void(QDialog* dialog)> handler);
// Dialogs rejected because no handler was queued, since Enable.
int Unexpected();
} // namespace ModalSeam

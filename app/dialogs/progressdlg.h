#pragma once
// Shows how much of a time limit a background operation has used, and closes itself as
// cancelled when the time is up. While it is open it posts a notification message to its owner
// at every step; the owner checks its work then and closes the dialog when the work is done.
//
// Runs on the user-interface thread only; the work it waits for never touches it.

#include "platform/ui/dialog.h"
#include "platform/ui/windowtimers.h"

#include <cstdint>

class QLabel;
class QProgressBar;

class ProgressDlg : public Dialog {
  public:
    // The result when the owner reports success (IDOK and IDCANCEL are the others).
    static constexpr int kDone = 3;
    // How often the bar moves and the owner is notified.
    static constexpr uint32_t kStepMs = 500;

    explicit ProgressDlg(QWidget* owner);

    // Before the dialog runs: the time limit in milliseconds (0: no limit and no steps), the
    // text shown, and the message posted to the owner at each step (0: none).
    void SetUp(int timeoutMs, const QString& text, uint32_t notificationMessage);
    // For owners whose waits are shortened in tests; kStepMs otherwise.
    void SetStepPeriod(uint32_t periodMs) { stepMs = periodMs; }

    // For the owner: each posts the closing command, once the dialog is open.
    void CloseCancelled();
    void CloseOK();
    void CloseDone();

    // One step: notify the owner, or close as cancelled once the time is up; move the bar to
    // the share of the time limit that has passed.
    void AutoStep();

    int Position() const;

    void done(int result) override;

  protected:
    void OnInitDialog() override;

  private:
    void PostToSelf(int command);

    uint32_t startTick = 0;
    int timeout = 1000;
    int rangeLow = 0;
    int rangeHigh = 100;
    QWidget* owner;
    uint32_t notificationMessage = 0;
    uint32_t stepMs = kStepMs;
    QLabel* textLabel;
    QProgressBar* progress;
    WindowTimers timers;
};

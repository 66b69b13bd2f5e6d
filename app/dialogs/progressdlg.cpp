#include "app/dialogs/progressdlg.h"

#include "app/dialogs/controlids.h"

#include "foundation/log.h"
#include "platform/kernel/tick.h"
#include "platform/ui/inputpanel.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/messages.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
constexpr int kStepTimer = 1;
} // namespace

ProgressDlg::ProgressDlg(QWidget* owner)
    : Dialog(owner), owner(owner), textLabel(WithId(new QLabel(this), ControlId::ProgressText)),
      progress(WithId(new QProgressBar(this), ControlId::Progress)), timers(
                                                                         [this](int id) {
                                                                             if (id == kStepTimer)
                                                                                 AutoStep();
                                                                         },
                                                                         this) {
    textLabel->setWordWrap(true);
    textLabel->setMinimumWidth(180);
    progress->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textLabel);
    layout->addWidget(progress);
    layout->addWidget(NewButtonBox(QDialogButtonBox::Cancel));
    layout->addStretch();
}

void ProgressDlg::SetUp(int timeoutMs, const QString& text, uint32_t message) {
    timeout = timeoutMs;
    rangeLow = 0;
    rangeHigh = 100;
    textLabel->setText(text);
    notificationMessage = message;
}

void ProgressDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SHSipPreference(this, SIP_UP);
    if (timeout != 0) {
        startTick = GetTickCount();
        timers.SetTimer(kStepTimer, stepMs);
    }
    progress->setRange(rangeLow, rangeHigh);
    progress->setValue(rangeLow);
}

void ProgressDlg::AutoStep() {
    if (timeout <= 0)
        return;
    uint32_t elapsed = GetTickCount() - startTick;
    if (elapsed < static_cast<uint32_t>(timeout)) {
        if (owner && notificationMessage != 0)
            PostMessage(owner, notificationMessage);
    } else {
        LogTrace(u"ProgressDlg::AutoStep", "Timeout");
        timers.KillTimer(kStepTimer);
        elapsed = static_cast<uint32_t>(timeout);
        PostToSelf(IDCANCEL);
    }
    progress->setValue(
        static_cast<int>(static_cast<uint64_t>(elapsed) * 100 / static_cast<uint32_t>(timeout)));
}

int ProgressDlg::Position() const {
    return progress->value();
}

void ProgressDlg::CloseCancelled() {
    PostToSelf(IDCANCEL);
}

void ProgressDlg::CloseOK() {
    PostToSelf(IDOK);
}

void ProgressDlg::CloseDone() {
    PostToSelf(kDone);
}

void ProgressDlg::PostToSelf(int command) {
    if (isVisible())
        PostCommand(this, command);
}

void ProgressDlg::done(int result) {
    timers.KillTimer(kStepTimer);
    Dialog::done(result);
}

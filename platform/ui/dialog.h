#pragma once
// A modal dialog with data exchange: filled when it first shows, taken and checked on OK, kept
// open while a check fails. Commands and private messages posted to it (PostCommand,
// PostMessage) run its command and message handlers; a command other than OK, Cancel and Help
// ends the dialog with that command as its result. F1 (the Help command) goes to the dialog's
// owner window, and on up from owner to owner, to the window that shows the help.

#include <QDialog>
#include <QDialogButtonBox>

#include <cstdint>

class DataExchange;

// The platform's Help command.
inline constexpr int ID_HELP = 0xE146;

class Dialog : public QDialog {
  public:
    explicit Dialog(QWidget* parent = nullptr);

    // Runs the dialog modally (RunModal); the command that closed it, IDOK or IDCANCEL unless
    // the dialog ends itself with another.
    virtual int DoModal();

    // Fills the controls (false) or takes and checks them (true); false when a check failed.
    bool UpdateData(bool saveAndValidate = true);

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

  protected:
    virtual void DoDataExchange(DataExchange& dx);
    // Once, when the dialog first shows.
    virtual void OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnCommand(int command);
    virtual void OnMessage(uint32_t message, intptr_t wParam, intptr_t lParam);

    // A row of the standard buttons, answering OK and Cancel as the dialog does.
    QDialogButtonBox* NewButtonBox(QDialogButtonBox::StandardButtons buttons);

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    bool initialized = false;
};

// A handheld's screen (240 by 320 pixels, or any no wider than kHandheldWidth): dialogs fill it
// and put their labels above the fields.
inline constexpr int kHandheldWidth = 480;
bool IsHandheldScreen();

// Makes a window wide enough for its whole title (before FitToScreen keeps it on the screen).
inline constexpr int kTitleBarButtons = 4 * 32;
void FitTitle(QWidget* window);

// Keeps a window inside the available area of its screen, and on a handheld makes it fill
// that area.
void FitToScreen(QWidget* window);

#pragma once
// Moves values between a window's controls and its data, in one direction at a time. Filling
// shows the values and checks nothing. Taking reads what the user entered and checks it: the
// first check that fails shows its message in a box with the exclamation icon, gives the
// control concerned the focus, and stops the exchange, so that the window stays open with the
// value still to be corrected and nothing further is taken.

#include <QString>

#include <functional>

class QAbstractSpinBox;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

class DataExchange {
  public:
    // The message of the first failing check of the entered text, or the empty text.
    using TextCheck = std::function<QString(const QString& entered)>;
    // The same for a number; sets value when the text passes.
    using NumberCheck = std::function<QString(const QString& entered, int& value)>;

    DataExchange(QWidget* window, bool saveAndValidate);

    // True when taking from the controls, false when filling them.
    bool SaveAndValidate() const { return saveAndValidate; }
    bool Failed() const { return failed; }

    // An edit's text. Taking stores it without leading and trailing white space, once it
    // passes the check.
    void Text(QLineEdit* edit, QString& value, const TextCheck& check = TextCheck());
    // A number in an edit or a spin box, shown as decimal text.
    void Number(QLineEdit* edit, int& value, const NumberCheck& check);
    void Number(QSpinBox* spin, int& value, const NumberCheck& check);
    // The entry of a drop-down list. Filling selects the first entry whose text begins with the
    // value, without regard to case (the first entry when none does); taking stores the
    // selected entry's data when it carries any, else its text.
    void ListText(QComboBox* list, QString& value);

    // Whether a check box is ticked.
    void Checked(QCheckBox* box, bool& value);

    // A check the window makes itself, for the control the user has to correct.
    void Check(QWidget* control, const QString& message);

  private:
    void Fail(QWidget* control, const QString& message);
    void TakeNumber(QWidget* control, const QString& entered, int& value, const NumberCheck& check);

    QWidget* window;
    bool saveAndValidate;
    bool failed = false;
};

#include "platform/ui/dataexchange.h"

#include "platform/ui/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSpinBox>

DataExchange::DataExchange(QWidget* window, bool saveAndValidate)
    : window(window), saveAndValidate(saveAndValidate) {}

void DataExchange::Text(QLineEdit* edit, QString& value, const TextCheck& check) {
    if (failed)
        return;
    if (!saveAndValidate) {
        edit->setText(value);
        return;
    }
    const QString entered = edit->text();
    if (check)
        Check(edit, check(entered));
    if (!failed)
        value = entered.trimmed();
}

void DataExchange::Number(QLineEdit* edit, int& value, const NumberCheck& check) {
    if (failed)
        return;
    if (saveAndValidate) {
        TakeNumber(edit, edit->text(), value, check);
    } else {
        edit->setText(QString::number(value));
    }
}

void DataExchange::Number(QSpinBox* spin, int& value, const NumberCheck& check) {
    if (failed)
        return;
    if (saveAndValidate) {
        TakeNumber(spin, spin->cleanText(), value, check);
    } else {
        spin->setValue(value);
    }
}

void DataExchange::TakeNumber(QWidget* control, const QString& entered, int& value,
                              const NumberCheck& check) {
    int taken = value;
    Check(control, check(entered, taken));
    if (!failed)
        value = taken;
}

void DataExchange::ListText(QComboBox* list, QString& value) {
    if (failed)
        return;
    if (saveAndValidate) {
        const QVariant data = list->currentData();
        value = data.isValid() ? data.toString() : list->currentText();
        return;
    }
    int chosen = 0;
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemText(i).startsWith(value, Qt::CaseInsensitive)) {
            chosen = i;
            break;
        }
    }
    list->setCurrentIndex(list->count() > 0 ? chosen : -1);
}

void DataExchange::Checked(QCheckBox* box, bool& value) {
    if (failed)
        return;
    if (saveAndValidate) {
        value = box->isChecked();
    } else {
        box->setChecked(value);
    }
}

void DataExchange::Check(QWidget* control, const QString& message) {
    if (failed || !saveAndValidate || message.isEmpty())
        return;
    Fail(control, message);
}

void DataExchange::Fail(QWidget* control, const QString& message) {
    failed = true;
    MessageBox(window, message, QGuiApplication::applicationDisplayName(), MB_OK | MB_ICONEXCLAMATION);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        spin->selectAll();
}

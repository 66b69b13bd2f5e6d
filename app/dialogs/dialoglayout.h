#pragma once
// The layout of the pages and dialogs: fields beside their labels, or below a label that
// leaves a field too little room, as on a handheld's screen 240 pixels wide.

#include <QFormLayout>
#include <QWidget>

#include <algorithm>

// The least width of a field, enough for an address or a name.
inline constexpr int kFieldMinWidth = 120;

inline QFormLayout* NewFormLayout(QWidget* window) {
    auto* form = new QFormLayout(window);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return form;
}

inline void AddFieldRow(QFormLayout* form, const QString& label, QWidget* field) {
    field->setMinimumWidth(std::min(field->maximumWidth(), kFieldMinWidth));
    form->addRow(label, field);
}

#pragma once
// Readable GoogleTest output for Qt values.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '[' << list.join(QStringLiteral("|")).toStdString() << ']';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << bytes.size() << " bytes: " << bytes.left(64).toHex(' ').toStdString();
}

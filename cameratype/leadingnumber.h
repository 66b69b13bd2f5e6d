#pragma once
#include <QString>

// Reads a decimal number the way "%d" does: white space, a sign, digits, from pos on. False,
// with value unchanged, when no digit follows; pos then stays where it was. Saturates at the
// limits of int instead of overflowing.
bool ReadLeadingNumber(const QString& text, qsizetype& pos, int& value);

#include "settings/data.h"

#include <climits>

namespace {

// The leading decimal integer of a text: optional white space and sign, then digits; 0 when
// there are none. Values beyond the 32-bit range are clamped.
int32_t LeadingInteger(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    int64_t value = 0;
    for (; i < n && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > static_cast<int64_t>(INT_MAX) + 1)
            value = static_cast<int64_t>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int32_t>(value);
}

} // namespace

Data Data::FromStored(uint32_t flags, int32_t intValue, const QString& text, bool boolValue) {
    Data data;
    data.flags = flags;
    data.intValue = intValue;
    data.text = text;
    data.boolValue = boolValue;
    return data;
}

int Data::GetInt() const {
    if (flags & kInt)
        return intValue;
    if (flags & kText) {
        intValue = LeadingInteger(text);
        flags |= kInt;
        return intValue;
    }
    if (flags & kBool)
        return boolValue ? 1 : 0;
    return 0;
}

QString Data::GetText() const {
    if (flags & kText)
        return text;
    if (flags & kInt)
        return QString::number(intValue);
    if (flags & kBool)
        return boolValue ? QStringLiteral("true") : QStringLiteral("false");
    return QString();
}

bool Data::GetBool() const {
    if (flags & kBool)
        return boolValue;
    if (flags & kInt) {
        boolValue = intValue != 0;
        flags |= kBool;
        return boolValue;
    }
    if (flags & kText) {
        boolValue = text.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
        flags |= kBool;
        return boolValue;
    }
    return false;
}

bool Data::Equals(const char* value) const {
    return GetText() == QLatin1String(value);
}

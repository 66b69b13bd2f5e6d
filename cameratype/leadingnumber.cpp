#include "cameratype/leadingnumber.h"

#include <algorithm>
#include <limits>

bool ReadLeadingNumber(const QString& text, qsizetype& pos, int& value) {
    qsizetype p = pos;
    while (p < text.size() && text.at(p).isSpace())
        ++p;
    bool negative = false;
    if (p < text.size() && (text.at(p) == u'+' || text.at(p) == u'-')) {
        negative = text.at(p) == u'-';
        ++p;
    }
    const qsizetype digitsStart = p;
    long long number = 0;
    while (p < text.size() && text.at(p) >= u'0' && text.at(p) <= u'9') {
        number =
            std::min<long long>(number * 10 + (text.at(p).unicode() - u'0'), std::numeric_limits<int>::max());
        ++p;
    }
    if (p == digitsStart)
        return false;
    value = static_cast<int>(negative ? -number : number);
    pos = p;
    return true;
}

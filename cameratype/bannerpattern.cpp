#include "cameratype/bannerpattern.h"

namespace {

constexpr QChar kWildcardMark = u'%';
constexpr QChar kNameMark = u'$';
constexpr QChar kBlank = u' ';

} // namespace

BannerPattern::BannerPattern(const QString& templateText) {
    valid = Compile(templateText);
    if (!valid)
        segments.clear();
}

bool BannerPattern::Compile(const QString& templateText) {
    const qsizetype length = templateText.size();
    qsizetype p = 0;
    while (p < length) {
        Segment segment;
        const qsizetype open = templateText.indexOf(kWildcardMark, p);
        if (open < 0) {
            segment.literal = templateText.mid(p);
            segments.append(segment);
            return true;
        }
        const qsizetype close = templateText.indexOf(kWildcardMark, open + 1);
        if (close < 0)
            return false;
        segment.literal = templateText.mid(p, open - p);
        segment.wildcard = templateText.mid(open, close - open);
        p = close + 1;
        if (p < length && templateText.at(p) == kNameMark) {
            const qsizetype nameEnd = templateText.indexOf(kNameMark, p + 1);
            if (nameEnd < 0)
                return false;
            segment.name = templateText.mid(p + 1, nameEnd - p - 1);
            p = nameEnd + 1;
        }
        segments.append(segment);
    }
    return true;
}

bool BannerPattern::Match(const QString& text, BannerCaptures& captures) const {
    captures.clear();
    if (!valid)
        return false;
    qsizetype p = 0;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const Segment& segment = segments.at(i);
        if (!QStringView(text).mid(p).startsWith(segment.literal))
            return false;
        p += segment.literal.size();

        QChar stop = kBlank;
        for (qsizetype later = i + 1; later < segments.size(); ++later) {
            if (!segments.at(later).literal.isEmpty()) {
                stop = segments.at(later).literal.front();
                break;
            }
        }
        const qsizetype runStart = p;
        while (p < text.size() && text.at(p) != stop && text.at(p) != kBlank)
            ++p;
        if (!segment.name.isEmpty())
            captures.insert(segment.name, text.mid(runStart, p - runStart));
    }
    return true;
}

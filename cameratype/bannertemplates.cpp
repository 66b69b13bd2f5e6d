#include "cameratype/bannertemplates.h"

#include "cameratype/bannerpattern.h"

#include <vector>

namespace {

const char16_t* const kGreetingTemplates[] = {
    u"%s% VEXO %s%$name$ version %s%$version$ %s%",
    u"%s% Vexo %s%$name$ version %s%$version$ %s%",
    u"%s% Vexo %s%$name$ PTZ Network Camera %s%$version$ %s%",
    u"%s% VEXO %s%$name$ PTZ Network Camera %s%$version$ %s%",
    u"%s% Vexo %s%$name$ Blade video Server %s%$version$ %s%",
    u"%s% VEXO %s%$name$ Blade video Server %s%$version$ %s%",
    u"%s% Vexo %s%$name$ Blade Video Server %s%$version$ %s%",
    u"%s% VEXO %s%$name$ Blade Video Server %s%$version$ %s%",
    u"%s% Vexo %s%$name$ Network Camera %s%$version$ %s%",
    u"%s% VEXO %s%$name$ Network Camera %s%$version$ %s%",
    u"%s% Vexo %s%$name$ Video Server %s%$version$ %s%",
    u"%s% VEXO %s%$name$ Video Server %s%$version$ %s%",
    u"%s% VEXO %s%$name$ video Server %s%$version$ %s%",
    u"%s% VEXO %s%$name$ Video Server V%s%$version$ %s%",
    u"%s% Vexo %s%$name$ Video Server V%s%$version$ %s%",
    u"%s% Vexo %s%$name$V%s%$version$ %s%",
    u"%s% VEXO %s%$name$V%s%$version$ %s%",
    u"%s% %s%$name$-%s% Video Network Station %s%$version$ %s%",
};

const char16_t* const kVersionTemplates[] = {
    u"V%s%$major$.%s%$minor$.%s%",
    u"%s%$major$.%s%$minor$.%s%",
    u"V%s%$major$.%s%$minor$",
    u"%s%$major$.%s%$minor$",
};

template <size_t N> std::vector<BannerPattern> Compile(const char16_t* const (&templates)[N]) {
    std::vector<BannerPattern> patterns;
    for (const char16_t* text : templates)
        patterns.emplace_back(QString::fromUtf16(text));
    return patterns;
}

// Compiled once, then only read, by any number of lookup workers at once.
const std::vector<BannerPattern>& GreetingPatterns() {
    static const std::vector<BannerPattern> patterns = Compile(kGreetingTemplates);
    return patterns;
}

const std::vector<BannerPattern>& VersionPatterns() {
    static const std::vector<BannerPattern> patterns = Compile(kVersionTemplates);
    return patterns;
}

// The index of the first pattern that matches, or -1.
int FirstMatch(const std::vector<BannerPattern>& patterns, const QString& text, BannerCaptures& captures) {
    for (size_t i = 0; i < patterns.size(); ++i) {
        if (patterns[i].Match(text, captures))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

bool RecognizeGreeting(const QString& greeting, QString& model, QString& version) {
    BannerCaptures captures;
    if (FirstMatch(GreetingPatterns(), greeting, captures) < 0)
        return false;
    model = captures.value(QStringLiteral("name"));
    version = NormalizeVersion(captures.value(QStringLiteral("version")));
    return true;
}

QString NormalizeVersion(const QString& version) {
    BannerCaptures captures;
    if (FirstMatch(VersionPatterns(), version, captures) < 0)
        return version;
    return captures.value(QStringLiteral("major")) + u'.' + captures.value(QStringLiteral("minor"));
}

int GreetingTemplateNumber(const QString& greeting) {
    BannerCaptures captures;
    return FirstMatch(GreetingPatterns(), greeting, captures) + 1;
}

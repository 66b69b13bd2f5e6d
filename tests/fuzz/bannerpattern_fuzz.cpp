// Greeting matching: any template and any greeting line match or fail without reading outside
// either text, and every capture is a piece of the greeting.

#include "cameratype/bannerpattern.h"
#include "cameratype/bannertemplates.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first line is a template, the rest a greeting.
    const QString input =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype newline = input.indexOf(u'\n');
    const QString templateText = newline < 0 ? input : input.left(newline);
    const QString greeting = newline < 0 ? input : input.mid(newline + 1);

    BannerCaptures captures;
    if (BannerPattern(templateText).Match(greeting, captures)) {
        for (const QString& captured : captures) {
            if (!greeting.contains(captured))
                std::abort();
        }
    }
    // A normalised version is its major and minor with the dot between them, never longer.
    if (NormalizeVersion(greeting).size() > greeting.size())
        std::abort();
    QString model, version;
    if (RecognizeGreeting(greeting, model, version)) {
        if (GreetingTemplateNumber(greeting) < 1 || !greeting.contains(model))
            std::abort();
    } else if (GreetingTemplateNumber(greeting) != 0) {
        std::abort();
    }
    return 0;
}

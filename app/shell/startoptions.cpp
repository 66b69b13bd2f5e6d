#include "app/shell/startoptions.h"

#include "app/resources/resource.h"

#include "foundation/text.h"

bool ParseStartOptions(const QStringList& arguments, StartOptions& options, QString& error) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word == QLatin1String("--help")) {
            options.help = true;
        } else if (word == QLatin1String("--version")) {
            options.version = true;
        } else if (word == QLatin1String("--grid")) {
            options.grid = true;
        } else if (word == QLatin1String("--fullscreen")) {
            options.fullScreen = true;
        } else if (word == QLatin1String("--screen")) {
            bool number = false;
            options.screen = i + 1 < arguments.size() ? arguments[++i].toInt(&number) : -1;
            if (!number || options.screen < 0) {
                error = LoadResText(Str::ScreenNeedsNumber);
                return false;
            }
        } else if (word == QLatin1String("--open")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                error = LoadResText(Str::OptionNeedsPath);
                return false;
            }
            options.openPath = arguments[++i];
        } else {
            error = FormatText(LoadResText(Str::UnknownOption), {word});
            return false;
        }
    }
    if (options.grid && options.openPath.isEmpty() && !options.help && !options.version) {
        error = LoadResText(Str::GridNeedsOpen);
        return false;
    }
    return true;
}

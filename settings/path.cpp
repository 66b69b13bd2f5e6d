#include "settings/path.h"

Path Path::Join(const Path& a, const Path& b) {
    if (b.IsAbsolute())
        return b;
    return Path(a.text + QLatin1Char('/') + b.text);
}

Path Path::GetParent(const Path& p) {
    const qsizetype slash = p.text.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return p;
    if (slash == 0)
        return Path(QString());
    return Path(p.text.left(slash));
}

QString Path::GetName(const Path& p) {
    const qsizetype slash = p.text.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? p.text : p.text.mid(slash + 1);
}

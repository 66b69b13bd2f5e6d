#pragma once
#include <QString>
#include <QStringView>

// The address of a settings entry: slash-separated names, absolute when it starts with "/".
// Comparison is exact and case-sensitive; there is no normalisation.
class Path {
  public:
    Path() : text(QStringLiteral("/")) {}
    Path(const QString& text) : text(text) {}
    Path(const char* text) : text(QString::fromLatin1(text)) {}
    virtual ~Path() = default;
    Path(const Path&) = default;
    Path& operator=(const Path&) = default;

    const QString& Text() const { return text; }
    bool IsAbsolute() const { return !text.isEmpty() && text.front() == QLatin1Char('/'); }

    // a, "/", b; or b alone when b is absolute. Joining "/" and A gives //A.
    static Path Join(const Path& a, const Path& b);
    // The text before the last "/"; empty when that "/" is the first character; p without "/".
    static Path GetParent(const Path& p);
    // The text after the last "/"; p itself without "/".
    static QString GetName(const Path& p);

    // Calls visit(QStringView name) for every entry name on the way, first to last; stops when
    // visit returns false. The empty path has none; "/" has one empty name.
    template <typename Visit> static void ForEachComponent(QStringView path, Visit visit);

    friend bool operator==(const Path& a, const Path& b) { return a.text == b.text; }
    friend bool operator!=(const Path& a, const Path& b) { return a.text != b.text; }

  private:
    QString text;
};

template <typename Visit> void Path::ForEachComponent(QStringView path, Visit visit) {
    if (path.isEmpty())
        return;
    qsizetype pos = path.front() == u'/' ? 1 : 0;
    for (;;) {
        const qsizetype slash = path.indexOf(u'/', pos);
        if (slash < 0) {
            visit(path.mid(pos));
            return;
        }
        if (!visit(path.mid(pos, slash - pos)))
            return;
        if (slash == path.size() - 1)
            return;
        pos = slash + 1;
    }
}

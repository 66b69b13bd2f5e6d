#pragma once
// A greeting template compiled for matching. A template is literal text with wildcards "%s%"
// (a "%", any text, a "%"); "$name$" right after a wildcard names what the wildcard matched.
// Literals match exactly and with regard to case. A wildcard takes the longest run of
// characters up to the first character of the next non-empty literal or a blank; matching
// never backtracks, and whatever follows the last segment is ignored.

#include <QList>
#include <QMap>
#include <QString>

using BannerCaptures = QMap<QString, QString>;

class BannerPattern {
  public:
    explicit BannerPattern(const QString& templateText);

    // False for a template with a "%" or "$" that is never closed; such a pattern matches
    // nothing.
    bool IsValid() const { return valid; }

    // Empties the captures, then fills them from the text; true when the whole template matched.
    bool Match(const QString& text, BannerCaptures& captures) const;

    struct Segment {
        QString literal;  // must stand where the previous wildcard ended
        QString wildcard; // "%s"
        QString name;     // where the wildcard's run is captured; empty for none
    };
    const QList<Segment>& Segments() const { return segments; }

  private:
    bool Compile(const QString& templateText);

    QList<Segment> segments;
    bool valid = false;
};

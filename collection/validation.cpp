#include "collection/validation.h"

#include "settings/node.h"
#include "settings/settingsstore.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr char16_t kMessageTooLong[] = u"This field can hold at most 250 characters.";
constexpr char16_t kMessageNotANumber[] = u"Please enter a whole number.";
constexpr char16_t kMessageOutOfRange[] = u"Please enter a whole number from %1 to %2.";

constexpr int kPortLow = 1;
constexpr int kPortHigh = 65535;
constexpr int kDisplayTimeLow = 0;
constexpr int kDisplayTimeHigh = 99;

struct SetInfo {
    const char16_t* characters;
    const char16_t* message;
};

SetInfo Info(CharacterSet set) {
    switch (set) {
    case CharacterSet::ItemName:
        return {u"(.)-_ 0123456789abcdefghijklmnopqrstuvwxyz", ValidationMessage::kItemNameCharacters};
    case CharacterSet::Credentials:
        return {u"(.)-_0123456789abcdefghijklmnopqrstuvwxyz", ValidationMessage::kCredentialCharacters};
    case CharacterSet::NetworkAddress:
        break;
    }
    return {u".-0123456789abcdefghijklmnopqrstuvwxyz", ValidationMessage::kAddressCharacters};
}

QString Message(const char16_t* text) {
    return QString::fromUtf16(text);
}

// The first message of the list that is not empty.
QString FirstFailure(std::initializer_list<QString> results) {
    for (const QString& result : results) {
        if (!result.isEmpty())
            return result;
    }
    return QString();
}

// Where the part before a URL's path ends: at the first "/", "?" or "#", else at its end.
qsizetype PathStart(QStringView url) {
    qsizetype at = 0;
    while (at < url.size() && url[at] != u'/' && url[at] != u'?' && url[at] != u'#')
        ++at;
    return at;
}

// What a URL names as its host (see ValidateURL).
QStringView HostOf(QStringView url) {
    const qsizetype scheme = url.indexOf(u"://");
    if (scheme >= 0 && scheme < PathStart(url))
        url = url.sliced(scheme + 3);
    QStringView host = url.first(PathStart(url));
    host = host.sliced(host.lastIndexOf(u'@') + 1);
    // An address in brackets holds colons of its own.
    const qsizetype port = host.indexOf(u':', std::max<qsizetype>(host.indexOf(u']'), 0));
    return port < 0 ? host : host.first(port);
}

} // namespace

QString TakeEnteredText(const QString& entered) {
    return entered.trimmed();
}

QString CheckLength(const QString& text) {
    return text.size() > kMaxFieldLength ? Message(kMessageTooLong) : QString();
}

QString CheckNotEmpty(const QString& text) {
    return text.isEmpty() ? Message(ValidationMessage::kEmpty) : QString();
}

QString CheckCharacters(const QString& text, CharacterSet set) {
    const SetInfo info = Info(set);
    const QString allowed = QString::fromUtf16(info.characters);
    for (const QChar c : text) {
        // Only A-Z is lowered: a letter outside ASCII that lowers into the set stays outside it.
        const QChar lowered = c.unicode() < 0x80 ? c.toLower() : c;
        if (!allowed.contains(lowered))
            return Message(info.message);
    }
    return QString();
}

QString CheckUniqueName(const Path& folder, const QString& name, const Path& currentPath) {
    const Path newPath = Path::Join(folder, name);
    if (newPath != currentPath && Settings().Exists(newPath))
        return Message(ValidationMessage::kNameExists);
    return QString();
}

QString CheckFolderMove(const Path& newPath, const Path& currentPath) {
    // The closing "/" compares whole names: a folder A may move into its sibling AB.
    const QString to = newPath.Text() + u'/';
    const QString from = currentPath.Text() + u'/';
    if (to != from && to.startsWith(from))
        return Message(ValidationMessage::kMoveIntoSubFolder);
    return QString();
}

QString CheckInteger(const QString& text, int low, int high, int& value) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return Message(kMessageNotANumber);
    if (number < low || number > high)
        return Message(kMessageOutOfRange).arg(QString::number(low), QString::number(high));
    value = number;
    return QString();
}

QString ValidateItemName(const QString& entered, const Path& folder, const Path& currentPath) {
    const QString name = TakeEnteredText(entered);
    return FirstFailure({CheckLength(name), ValidateCameraSwitchName(name, folder, currentPath)});
}

QString ValidateCameraSwitchName(const QString& entered, const Path& folder, const Path& currentPath) {
    const QString name = TakeEnteredText(entered);
    return FirstFailure({CheckNotEmpty(name), CheckCharacters(name, CharacterSet::ItemName),
                         CheckUniqueName(folder, name, currentPath)});
}

QString ValidateFolderName(const QString& entered, const Path& parent, const Path& currentPath) {
    const QString name = TakeEnteredText(entered);
    return FirstFailure({ValidateItemName(name, parent, currentPath),
                         CheckFolderMove(Path::Join(parent, name), currentPath)});
}

QString ValidateNetworkAddress(const QString& entered) {
    const QString address = TakeEnteredText(entered);
    return FirstFailure({CheckLength(address), CheckCharacters(address, CharacterSet::NetworkAddress),
                         CheckNotEmpty(address)});
}

QString ValidateCredential(const QString& entered) {
    const QString text = TakeEnteredText(entered);
    return FirstFailure({CheckLength(text), CheckCharacters(text, CharacterSet::Credentials)});
}

QString ValidateURL(const QString& entered) {
    const QString url = TakeEnteredText(entered);
    const QString noHost = HostOf(url).isEmpty() ? Message(ValidationMessage::kURLWithoutHost) : QString();
    return FirstFailure({CheckLength(url), CheckNotEmpty(url), noHost});
}

QString ValidatePort(const QString& entered, int& port) {
    return CheckInteger(TakeEnteredText(entered), kPortLow, kPortHigh, port);
}

QString ValidateDisplayTime(const QString& entered, int& seconds) {
    return CheckInteger(TakeEnteredText(entered), kDisplayTimeLow, kDisplayTimeHigh, seconds);
}

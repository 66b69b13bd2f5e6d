#include "app/shell/picturefile.h"

#include "app/resources/resource.h"

#include "foundation/text.h"
#include "platform/fs/newfile.h"
#include "platform/fs/systemerror.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Leaves room in the file system's 255 bytes for the time, a "-N" and ".jpg".
constexpr qsizetype kMaxNameBytes = 200;

bool IsUnsafe(char32_t c) {
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool bidiOverride = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    const bool separator = c < 0x80 && QStringLiteral("/\\:*?\"<>|").contains(QChar(char16_t(c)));
    return control || bidiOverride || separator || QChar::isSurrogate(c); // an unpaired half
}

qsizetype Utf8Bytes(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// The character at i, a surrogate pair as one; i moves past it.
char32_t NextCharacter(const QString& text, qsizetype& i) {
    const QChar first = text[i++];
    if (first.isHighSurrogate() && i < text.size() && text[i].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[i++]);
    return first.unicode();
}

// The longest start of the text whose UTF-8 fits the bytes, ending on a whole character.
QString CutToUtf8Bytes(const QString& text, qsizetype maxBytes) {
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype start = i;
        bytes += Utf8Bytes(NextCharacter(text, i));
        if (bytes > maxBytes)
            return text.left(start);
    }
    return text;
}

} // namespace

QString SafeFileName(const QString& name) {
    QString safe;
    for (qsizetype i = 0; i < name.size();) {
        const char32_t c = NextCharacter(name, i);
        if (IsUnsafe(c))
            safe += QLatin1Char('_');
        else
            safe += QChar::fromUcs4(c);
    }
    // No leading dots or blanks, in any mix: ". .." must not become "..", a folder above.
    const auto trimmed = [](QString text) {
        while (!text.isEmpty() && (text.front() == QLatin1Char('.') || text.front().isSpace()))
            text.remove(0, 1);
        return text.trimmed();
    };
    safe = trimmed(CutToUtf8Bytes(trimmed(safe), kMaxNameBytes));
    return safe.isEmpty() ? QStringLiteral("Camera") : safe;
}

bool SavePictureFile(const QByteArray& bytes, const QString& itemName, const QDateTime& when, QString& path,
                     QString& error) {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath();
    const QString folder = QDir(pictures).filePath(QStringLiteral("Lumenfold"));
    const QString stem = QDir(folder).filePath(SafeFileName(itemName) + QLatin1Char('-') +
                                               when.toString(QStringLiteral("yyyyMMdd-hhmmss")));
    path = stem + QStringLiteral(".jpg"); // named in a failure
    if (!QDir().mkpath(folder)) {
        error = LoadResText(Str::FolderNotCreated);
        return false;
    }
    // The name is claimed first: another viewer saving the camera in the same second keeps its own.
    int created = 0;
    const QString claimed = CreateNewFile(stem, QStringLiteral(".jpg"), created);
    if (claimed.isEmpty()) {
        error = SystemErrorText(created);
        return false;
    }
    path = claimed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        QFile::remove(path);
        return false;
    }
    return true;
}

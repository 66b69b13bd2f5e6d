#include "platform/com/registrystore.h"

#include "platform/fs/dataroot.h"

#include <QFile>
#include <QSaveFile>

#include <map>
#include <mutex>
#include <set>

namespace {

// One line per key ("K\t<key>") and per value ("V\t<key>\t<name>\t<value>"); tabs, line breaks
// and backslashes in names and values are escaped.
struct Store {
    std::set<QString> keys;
    std::map<std::pair<QString, QString>, QString> values;
};

std::mutex storeLock;

QString FilePath() {
    return DevicePath(QStringLiteral("ClassesRoot.reg"));
}

QString Escape(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('%'), QStringLiteral("%25")).replace(QLatin1Char('\t'), QStringLiteral("%09"));
    out.replace(QLatin1Char('\n'), QStringLiteral("%0A")).replace(QLatin1Char('\r'), QStringLiteral("%0D"));
    return out;
}

QString Unescape(const QString& text) {
    QString out = text;
    out.replace(QStringLiteral("%09"), QStringLiteral("\t"))
        .replace(QStringLiteral("%0A"), QStringLiteral("\n"));
    out.replace(QStringLiteral("%0D"), QStringLiteral("\r"))
        .replace(QStringLiteral("%25"), QStringLiteral("%"));
    return out;
}

Store Read() {
    Store store;
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly))
        return store;
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).chopped(1).split(QLatin1Char('\t'));
        if (fields.size() == 2 && fields[0] == QLatin1String("K")) {
            store.keys.insert(Unescape(fields[1]));
        } else if (fields.size() == 4 && fields[0] == QLatin1String("V")) {
            store.values[{Unescape(fields[1]), Unescape(fields[2])}] = Unescape(fields[3]);
        }
    }
    return store;
}

bool Write(const Store& store) {
    MakeParentFolder(FilePath());
    QSaveFile file(FilePath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes;
    for (const QString& key : store.keys)
        bytes += "K\t" + Escape(key).toUtf8() + '\n';
    for (const auto& [where, value] : store.values) {
        bytes += "V\t" + Escape(where.first).toUtf8() + '\t' + Escape(where.second).toUtf8() + '\t' +
                 Escape(value).toUtf8() + '\n';
    }
    file.write(bytes);
    return file.commit();
}

void AddKeyWithParents(Store& store, const QString& key) {
    QString path;
    for (const QString& part : key.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        path = path.isEmpty() ? part : path + QLatin1Char('\\') + part;
        store.keys.insert(path);
    }
}

bool IsAtOrBelow(const QString& candidate, const QString& key) {
    return candidate == key || candidate.startsWith(key + QLatin1Char('\\'));
}

} // namespace

namespace RegistryStore {

bool CreateKey(const QString& key) {
    std::lock_guard<std::mutex> guard(storeLock);
    Store store = Read();
    AddKeyWithParents(store, key);
    return Write(store);
}

bool SetValue(const QString& key, const QString& name, const QString& value) {
    std::lock_guard<std::mutex> guard(storeLock);
    Store store = Read();
    AddKeyWithParents(store, key);
    store.values[{key, name}] = value;
    return Write(store);
}

QString GetValue(const QString& key, const QString& name, bool* found) {
    std::lock_guard<std::mutex> guard(storeLock);
    const Store store = Read();
    const auto value = store.values.find({key, name});
    if (found)
        *found = value != store.values.end();
    return value == store.values.end() ? QString() : value->second;
}

bool KeyExists(const QString& key) {
    std::lock_guard<std::mutex> guard(storeLock);
    return Read().keys.count(key) > 0;
}

bool DeleteKey(const QString& key) {
    std::lock_guard<std::mutex> guard(storeLock);
    Store store = Read();
    std::erase_if(store.keys, [&key](const QString& k) { return IsAtOrBelow(k, key); });
    std::erase_if(store.values, [&key](const auto& entry) { return IsAtOrBelow(entry.first.first, key); });
    return Write(store);
}

QStringList SubKeys(const QString& key) {
    std::lock_guard<std::mutex> guard(storeLock);
    QStringList children;
    const QString prefix = key + QLatin1Char('\\');
    for (const QString& candidate : Read().keys) {
        if (candidate.startsWith(prefix) && !candidate.mid(prefix.size()).contains(QLatin1Char('\\'))) {
            children.append(candidate.mid(prefix.size()));
        }
    }
    return children;
}

} // namespace RegistryStore

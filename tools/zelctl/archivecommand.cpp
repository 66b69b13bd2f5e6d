#include "tools/zelctl/archivecommand.h"

#include "tools/zelctl/console.h"

#include "tools/zelctl/democollection.h"

#include "settings/archivefile.h"
#include "settings/defaults.h"
#include "settings/node.h"

#include "platform/fs/dataroot.h"
#include "platform/fs/filelock.h"

#include <QFileInfo>

#include <functional>

const char kArchiveUsage[] = "  zelctl archive dump FILE\n"
                             "  zelctl archive get FILE PATH [--int|--bool]\n"
                             "  zelctl archive set FILE PATH VALUE [--int|--bool]\n"
                             "  zelctl archive delete FILE PATH\n"
                             "  zelctl archive init FILE --settings|--defaults|--demo [--force]\n";

namespace {

enum class Kind { Text, Int, Bool };

// Backslash, TAB, LF and CR written as \\, \t, \n, \r, so that one entry is one line.
QString Escape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Takes --int or --bool out of the arguments.
bool TakeKind(QStringList& arguments, Kind& kind) {
    kind = Kind::Text;
    const bool isInt = arguments.removeAll(QStringLiteral("--int")) > 0;
    const bool isBool = arguments.removeAll(QStringLiteral("--bool")) > 0;
    if (isInt && isBool)
        return false;
    if (isInt)
        kind = Kind::Int;
    if (isBool)
        kind = Kind::Bool;
    return true;
}

// Loads a file that must exist and be whole; on failure prints why and returns false.
bool LoadExisting(Node& node, const QString& file, int& status) {
    const LoadResult result = LoadArchiveFile(node, file);
    switch (result.status) {
    case LoadStatus::Loaded:
        return true;
    case LoadStatus::Absent:
        status = Fail(QStringLiteral("%1: cannot be opened").arg(file));
        return false;
    case LoadStatus::Damaged:
        status = Fail(QStringLiteral("%1: damaged at byte %2: %3")
                          .arg(file, QString::number(result.errorOffset), result.reason));
        return false;
    }
    return false;
}

int NoEntry(const QString& file, const QString& path) {
    Fail(QStringLiteral("%1: no entry at %2").arg(file, path));
    return Exit::NotFound;
}

// Runs a change of the file under its lock, held from reading the file to replacing it, so that
// no other writer's change made meanwhile is lost.
int WhileLocked(const QString& file, const std::function<int()>& change) {
    FileLock lock(file);
    QString reason;
    if (!lock.Lock(reason)) {
        const QString message = lock.HeldByAnother() ? QStringLiteral("%1: cannot be changed now: %2")
                                                     : QStringLiteral("%1: cannot be changed: %2");
        return Fail(message.arg(file, reason));
    }
    return change();
}

int Save(const Node& node, const QString& file) {
    const SaveResult result = WriteArchiveFile(node, file, u"zelctl", "Save");
    if (!result.saved) {
        return Fail(
            QStringLiteral("%1: cannot be written, the file is unchanged: %2").arg(file, result.reason));
    }
    return Exit::Ok;
}

// Loads the file, changes the tree and saves it, all under the file's lock.
int Edit(const QString& file, const std::function<int(Node& node)>& change) {
    if (!QFileInfo::exists(file)) {
        return Fail(QStringLiteral("%1: cannot be opened").arg(file));
    }
    return WhileLocked(file, [&file, &change] {
        Node node;
        int status;
        if (!LoadExisting(node, file, status))
            return status;
        status = change(node);
        return status == Exit::Ok ? Save(node, file) : status;
    });
}

int Dump(const QString& file) {
    Node node;
    int status;
    if (!LoadExisting(node, file, status))
        return status;
    PrintLine(QStringLiteral("path\t") + Escape(node.GetPath().Text()));
    node.ForEachEntry([](const QString& path, const Data& value) {
        const QString flags = QStringLiteral("0x") + QString::number(value.Flags(), 16).toUpper();
        PrintLine(Escape(path) + '\t' + flags + '\t' + QString::number(value.StoredInt()) + '\t' +
                  (value.StoredBool() ? '1' : '0') + '\t' + Escape(value.StoredText()));
    });
    return Exit::Ok;
}

int Get(const QString& file, const QString& path, Kind kind) {
    Node node;
    int status;
    if (!LoadExisting(node, file, status))
        return status;
    if (!node.Exists(path)) {
        return NoEntry(file, path);
    }
    const Data value = node.GetValue(path);
    switch (kind) {
    case Kind::Text:
        PrintLine(value.GetText());
        break;
    case Kind::Int:
        PrintLine(QString::number(value.GetInt()));
        break;
    case Kind::Bool:
        PrintLine(value.GetBool() ? QStringLiteral("true") : QStringLiteral("false"));
        break;
    }
    return Exit::Ok;
}

bool ParseValue(const QString& text, Kind kind, Data& value) {
    switch (kind) {
    case Kind::Text:
        value = Data(text);
        return true;
    case Kind::Int: {
        bool ok = false;
        const int number = text.toInt(&ok);
        value = Data(number);
        return ok;
    }
    case Kind::Bool:
        if (text == QLatin1String("true") || text == QLatin1String("1")) {
            value = Data(true);
            return true;
        }
        if (text == QLatin1String("false") || text == QLatin1String("0")) {
            value = Data(false);
            return true;
        }
        return false;
    }
    return false;
}

int Set(const QString& file, const QString& path, const QString& text, Kind kind) {
    Data value;
    if (!ParseValue(text, kind, value)) {
        return Fail(QStringLiteral("'%1' is not a %2")
                        .arg(text, kind == Kind::Int ? "whole number" : "Boolean (true, false, 1, 0)"));
    }
    return Edit(file, [&path, &value](Node& node) {
        node.SetValue(path, value);
        return Exit::Ok;
    });
}

int Delete(const QString& file, const QString& path) {
    return Edit(file, [&file, &path](Node& node) {
        if (!node.Exists(path)) {
            return NoEntry(file, path);
        }
        node.Delete(path);
        return Exit::Ok;
    });
}

int Init(const QString& file, QStringList options) {
    const bool force = options.removeAll(QStringLiteral("--force")) > 0;
    const QStringList kinds = {QStringLiteral("--settings"), QStringLiteral("--defaults"),
                               QStringLiteral("--demo")};
    if (options.size() != 1 || !kinds.contains(options[0])) {
        return Fail(QStringLiteral("init needs --settings, --defaults or --demo"));
    }
    Node node;
    if (options[0] == QLatin1String("--defaults")) {
        node.SetFromTable(kDefaultValuesTable);
    } else {
        node.SetFromTable(kInitialSettingsTable);
        if (options[0] == QLatin1String("--demo"))
            AddDemoCollection(node);
    }
    MakeParentFolder(file);
    return WhileLocked(file, [&] {
        if (QFileInfo::exists(file) && !force) {
            return Fail(QStringLiteral("%1 exists; add --force to replace it").arg(file));
        }
        return Save(node, file);
    });
}

} // namespace

int RunArchiveCommand(const QStringList& given) {
    QStringList arguments = given;
    Kind kind;
    if (arguments.isEmpty() || !TakeKind(arguments, kind)) {
        return Fail(QStringLiteral("usage:\n") + QString::fromLatin1(kArchiveUsage));
    }
    const QString verb = arguments.value(0);
    if (verb == QLatin1String("dump") && arguments.size() == 2)
        return Dump(arguments[1]);
    if (verb == QLatin1String("get") && arguments.size() == 3)
        return Get(arguments[1], arguments[2], kind);
    if (verb == QLatin1String("set") && arguments.size() == 4)
        return Set(arguments[1], arguments[2], arguments[3], kind);
    if (verb == QLatin1String("delete") && arguments.size() == 3 && kind == Kind::Text) {
        return Delete(arguments[1], arguments[2]);
    }
    if (verb == QLatin1String("init") && arguments.size() >= 3 && kind == Kind::Text) {
        return Init(arguments[1], arguments.mid(2));
    }
    return Fail(QStringLiteral("usage:\n") + QString::fromLatin1(kArchiveUsage));
}

#include "app/shell/recordings.h"

#include "app/resources/resource.h"
#include "app/shell/griditems.h"
#include "app/shell/picturefile.h"
#include "app/shell/recordedcamera.h"
#include "app/shell/zelppcapp.h"

#include "collection/motionoptions.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/ui/messagebox.h"
#include "settings/settingsstore.h"

#include <QCryptographicHash>
#include <QDir>

#include <QStandardPaths>
#include <algorithm>

namespace {

constexpr char kCameras[] = "/Recording/Cameras";
constexpr char kFolder[] = "/Recording/Folder";
constexpr char kFolders[] = "/Recording/Folders";
constexpr char kKeepGiB[] = "/Recording/KeepGiB";
constexpr char kKeepDays[] = "/Recording/KeepDays";

int SettingOr(const char* path, int otherwise) {
    return Settings().Exists(path) ? Settings().GetValue(path).GetInt() : otherwise;
}

} // namespace

Recordings::Recordings(QWidget* messages, MotionAlerts* motion, std::function<void()> stoppedOrTriedAgain)
    : window(messages), alerts(motion), changed(std::move(stoppedOrTriedAgain)) {}

Recordings::~Recordings() = default;

QString Recordings::Root() {
    const QString chosen = Settings().GetValue(kFolder).GetText();
    if (!chosen.isEmpty())
        return chosen;
    QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (videos.isEmpty())
        videos = QDir::homePath();
    return QDir(videos).filePath(QStringLiteral("Lumenfold"));
}

namespace {

// The folder names the recorded items were given ("/Recording/Folders": an item path, a tab and
// the name, a line each), so that a camera's recordings stay in one folder when another item
// takes or gives up its name.
std::map<QString, QString> GivenFolders() {
    std::map<QString, QString> given;
    for (const QString& line :
         Settings().GetValue(kFolders).GetText().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab > 0 && Settings().Exists(line.left(tab)))
            given[line.left(tab)] = line.mid(tab + 1);
    }
    return given;
}

QString SafeNameOf(const QString& itemPath) {
    return SafeFileName(Settings().GetValue(Path::Join(Path(itemPath), "Name")).GetText());
}

// The folder name of the item: the one it was given while it still fits its name and is its own,
// else its name, marked with its path when another item's name makes the same.
QString FolderNameOf(const QString& itemPath) {
    const QString name = SafeNameOf(itemPath);
    const std::map<QString, QString> given = GivenFolders();
    const auto own = given.find(itemPath);
    if (own != given.end() && (own->second == name || own->second.startsWith(name + QLatin1Char('-'))) &&
        std::none_of(given.begin(), given.end(), [&](const auto& other) {
            return other.first != itemPath && other.second == own->second;
        }))
        return own->second;
    const QStringList all = GridItems(QStringLiteral("/CameraCollection"));
    const bool shared = std::any_of(all.begin(), all.end(), [&](const QString& other) {
        return other != itemPath && SafeNameOf(other) == name;
    });
    // Nor a folder another camera was given (it kept it when renamed).
    const bool taken = std::any_of(given.begin(), given.end(), [&](const auto& other) {
        return other.first != itemPath && other.second == name;
    });
    if (!shared && !taken)
        return name;
    return name + QLatin1Char('-') +
           QString::fromLatin1(
               QCryptographicHash::hash(itemPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
}

// The folder names given follow the items renamed or moved: a camera moved keeps its folder.
void FollowGivenFolders(const QString& from, const QString& to) {
    QStringList lines = Settings().GetValue(kFolders).GetText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        const QString path = line.left(tab);
        if (tab > 0 && (path == from || path.startsWith(from + QLatin1Char('/'))))
            line = to + path.mid(from.size()) + line.mid(tab);
    }
    Settings().SetValue(kFolders, Data(lines.join(QLatin1Char('\n'))));
}

} // namespace

QString Recordings::FolderOf(const QString& itemPath) {
    return QDir(Root()).filePath(FolderNameOf(itemPath));
}

void Recordings::GiveFolder(const QString& itemPath) {
    std::map<QString, QString> given = GivenFolders();
    given[itemPath] = FolderNameOf(itemPath);
    QStringList lines;
    for (const auto& [path, name] : given)
        lines.append(path + QLatin1Char('\t') + name);
    Settings().SetValue(kFolders, Data(lines.join(QLatin1Char('\n'))));
}

void Recordings::Resume() {
    for (const QString& path :
         Settings().GetValue(kCameras).GetText().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (Settings().Exists(path))
            Start(path);
    }
    Keep(); // without those that are gone
    FollowMotionSettings();
}

void Recordings::FollowCollection(const QString& from, const QString& to) {
    if (!from.isEmpty())
        FollowGivenFolders(from, to);
    std::map<QString, std::unique_ptr<RecordedCamera>> kept;
    for (auto& [path, camera] : cameras) {
        const bool moved = !from.isEmpty() && (path == from || path.startsWith(from + QLatin1Char('/')));
        const QString now = moved ? to + path.mid(from.size()) : path;
        if (!Settings().Exists(now)) {
            LogInfo(u"Recordings::FollowCollection", "Recording of '%S' ends: it was deleted", Wide(path));
            continue;
        }
        kept[now] = !moved && camera->Current() ? std::move(camera) : Record(now, false);
    }
    cameras.swap(kept); // the recordings that do not go on stop here, their files closed
    Keep();
    FollowMotionSettings();
}

void Recordings::FollowMotionSettings() {
    std::map<QString, std::unique_ptr<RecordedCamera>> wanted;
    for (const QString& path : GridItems(QStringLiteral("/CameraCollection"))) {
        MotionOptions motion;
        motion.Load(Settings().GetNode(path));
        if (!motion.detect || !motion.record || IsRecorded(path))
            continue;
        // One that runs goes on unless its Motion page or its camera was changed.
        const auto running = onMotion.find(path);
        const bool same =
            running != onMotion.end() && running->second->Motion() == motion && running->second->Current();
        wanted[path] = same ? std::move(running->second) : Record(path, true);
    }
    onMotion.swap(wanted); // the rest stop here, their files closed
}

bool Recordings::IsRecorded(const QString& path) const {
    return cameras.count(path) > 0;
}

QString Recordings::StoppedBecause(const QString& path) const {
    for (const auto* kind : {&cameras, &onMotion}) {
        if (const auto found = kind->find(path); found != kind->end())
            return found->second->Failure();
    }
    return QString();
}

bool Recordings::Toggle(const QString& path) {
    if (IsRecorded(path)) {
        LogInfo(u"Recordings::Toggle", "Recording of '%S' ends", Wide(path));
        cameras.erase(path); // its file is closed
    } else {
        onMotion.erase(path); // recorded all the time instead
        Start(path);
    }
    Keep();
    FollowMotionSettings();
    return IsRecorded(path);
}

std::vector<const RecordedCamera*> Recordings::Cameras() const {
    std::vector<const RecordedCamera*> all;
    for (const auto* kind : {&cameras, &onMotion}) {
        for (const auto& [path, camera] : *kind)
            all.push_back(camera.get());
    }
    return all;
}

void Recordings::Start(const QString& path) {
    cameras[path] = Record(path, false);
}

std::unique_ptr<RecordedCamera> Recordings::Record(const QString& path, bool motion) {
    GiveFolder(path);
    return std::make_unique<RecordedCamera>(
        path, FolderOf(path), SettingOr(kKeepGiB, 20), SettingOr(kKeepDays, 14), motion, alerts,
        [this](RecordedCamera& camera, const QString& why) {
            if (!why.isEmpty()) {
                const QString text = FormatText(LoadResText(Str::RecordingStopped), {camera.Name(), why});
                LogError(u"Recordings", "%S", Wide(text));
                if (!ZelPPCApp::RunsUnattended())
                    MessageBox(window, text, LoadResText(Str::AppTitle), MB_OK | MB_ICONEXCLAMATION);
            }
            if (changed)
                changed();
        });
}

void Recordings::Keep() const {
    QStringList paths;
    for (const auto& [path, camera] : cameras)
        paths.append(path);
    Settings().SetValue(kCameras, Data(paths.join(QLatin1Char('\n'))));
    if (ZelPPCApp* app = ZelPPCApp::Instance())
        app->SaveSettings();
}

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
constexpr char kKeepGiB[] = "/Recording/KeepGiB";
constexpr char kKeepDays[] = "/Recording/KeepDays";

int SettingOr(const char* path, int otherwise) {
    return Settings().Exists(path) ? Settings().GetValue(path).GetInt() : otherwise;
}

} // namespace

Recordings::Recordings(QWidget* messages, MotionAlerts* motion) : window(messages), alerts(motion) {}

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

QString Recordings::FolderOf(const QString& itemPath) {
    const auto nameOf = [](const QString& path) {
        return SafeFileName(Settings().GetValue(Path::Join(Path(path), "Name")).GetText());
    };
    QString folder = nameOf(itemPath);
    const QStringList all = GridItems(QStringLiteral("/CameraCollection"));
    const bool shared = std::any_of(all.begin(), all.end(), [&](const QString& other) {
        return other != itemPath && nameOf(other) == folder;
    });
    if (shared)
        folder += QLatin1Char('-') +
                  QString::fromLatin1(
                      QCryptographicHash::hash(itemPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    return QDir(Root()).filePath(folder);
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

void Recordings::FollowMotionSettings() {
    std::map<QString, std::unique_ptr<RecordedCamera>> wanted;
    for (const QString& path : GridItems(QStringLiteral("/CameraCollection"))) {
        MotionOptions motion;
        motion.Load(Settings().GetNode(path));
        if (!motion.detect || !motion.record || IsRecorded(path))
            continue;
        // One that runs goes on unless its Motion page was changed.
        const auto running = onMotion.find(path);
        const bool same = running != onMotion.end() && running->second->Motion() == motion;
        wanted[path] = same ? std::move(running->second) : Record(path, true);
    }
    onMotion.swap(wanted); // the rest stop here, their files closed
}

bool Recordings::IsRecorded(const QString& path) const {
    return cameras.count(path) > 0;
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
    return std::make_unique<RecordedCamera>(
        path, FolderOf(path), SettingOr(kKeepGiB, 20), SettingOr(kKeepDays, 14), motion, alerts,
        [this](RecordedCamera& camera, const QString& why) {
            const QString text = FormatText(LoadResText(Str::RecordingStopped), {camera.Name(), why});
            LogError(u"Recordings", "%S", Wide(text));
            if (!ZelPPCApp::RunsUnattended())
                MessageBox(window, text, LoadResText(Str::AppTitle), MB_OK | MB_ICONEXCLAMATION);
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

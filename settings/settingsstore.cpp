#include "settings/settingsstore.h"

#include "settings/archive.h"
#include "settings/defaults.h"
#include "settings/treemerge.h"

#include "foundation/log.h"
#include "platform/fs/dataroot.h"

#include <QFile>

#include <optional>

#include <sys/stat.h>

namespace {
// Set when a damaged settings file could not be moved aside: saving would overwrite it.
bool saveBlocked = false;

// Which file, as the file system tells it apart: another program that writes it replaces it.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    int64_t modifiedNs = 0;
    off_t size = 0;
    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> StampOf(const QString& file) {
    struct stat info = {};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return std::nullopt;
    return FileStamp{info.st_dev, info.st_ino, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec,
                     info.st_size};
}

// The settings as the file held them when this viewer last read or wrote it, so that a save
// keeps what another viewer or a script changed in the file meanwhile.
struct Synced {
    QString file;
    std::optional<FileStamp> stamp; // none: there was no file
    QByteArray settings;            // the tree, as an archive
};
Synced synced;

void Remember(const QString& file) {
    ArchiveWriter archive;
    Settings().Serialize(archive);
    synced = {file, StampOf(file), archive.Bytes()};
}

// Under the file's lock, before a save: what another writer changed in the file since this
// viewer read or wrote it goes into the settings, beside this viewer's own changes.
void TakeOtherChanges(const QString& file) {
    const std::optional<FileStamp> now = StampOf(file);
    if (!now || synced.file != file || synced.stamp == now)
        return;
    Node theirs;
    if (LoadArchiveFile(theirs, file).status != LoadStatus::Loaded)
        return; // nothing to keep from it
    Node base;
    ArchiveReader before(synced.settings);
    if (!base.Serialize(before))
        return;
    if (!MergeChanges(base, Settings(), theirs))
        return; // entries of one name side by side: ours are written as they are
    ArchiveWriter merged;
    theirs.Serialize(merged);
    ArchiveReader reader(merged.Bytes());
    Settings().Serialize(reader);
    LogInfo(u"ZelPPCApp::SaveSettings", "'%S' was changed by another program: its changes are kept",
            Wide(file));
}
} // namespace

Node& Settings() {
    static Node settings;
    return settings;
}

Node& Defaults() {
    static Node defaults;
    return defaults;
}

Node& CameraTypes() {
    static Node cameraTypes;
    return cameraTypes;
}

LoadResult LoadSettings() {
    Defaults().SetFromTable(kDefaultValuesTable);
    saveBlocked = false;

    const QString file = DevicePath(QString::fromUtf16(kSettingsFile));
    LoadResult result = LoadArchiveFile(Settings(), file);
    if (result.status == LoadStatus::Damaged) {
        result.keptAs = KeepDamagedFile(file);
        saveBlocked = result.keptAs.isEmpty();
        if (saveBlocked) {
            LogError(u"LoadSettings",
                     "Settings file '%S' is damaged at byte %lld (%S); it could not be moved aside and will "
                     "not be "
                     "saved over, starting from the initial settings",
                     Wide(file), static_cast<long long>(result.errorOffset), Wide(result.reason));
        } else {
            LogError(u"LoadSettings",
                     "Settings file '%S' is damaged at byte %lld (%S); kept as '%S', starting from the "
                     "initial settings",
                     Wide(file), static_cast<long long>(result.errorOffset), Wide(result.reason),
                     Wide(result.keptAs));
        }
    }
    if (result.status != LoadStatus::Loaded) {
        Settings().SetFromTable(kInitialSettingsTable);
    }
    Remember(file);
    return result;
}

bool SaveSettings() {
    if (saveBlocked) {
        LogError(u"ZelPPCApp::SaveSettings",
                 "Settings not saved: the damaged settings file could not be moved aside");
        return false;
    }
    const QString file = DevicePath(QString::fromUtf16(kSettingsFile));
    // The file as written is remembered under the lock: another writer waiting for it comes after.
    return SaveArchiveFile(
        Settings(), file, u"ZelPPCApp::SaveSettings", "Save", [&file] { TakeOtherChanges(file); },
        [&file] { Remember(file); });
}

#include "settings/settingsstore.h"

#include "settings/defaults.h"

#include "foundation/log.h"
#include "platform/fs/dataroot.h"

namespace {
// Set when a damaged settings file could not be moved aside: saving would overwrite it.
bool saveBlocked = false;
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

    const QString file = DevicePath(QString::fromUtf16(kSettingsFile));
    LoadResult result = LoadArchiveFile(Settings(), file);
    if (result.status == LoadStatus::Damaged) {
        const QString keptAs = KeepDamagedFile(file);
        saveBlocked = keptAs.isEmpty();
        LogError(u"LoadSettings", "Settings file '%S' is damaged at byte %lld (%S); kept as '%S', starting from the initial settings",
                 Wide(file), static_cast<long long>(result.errorOffset), Wide(result.reason), Wide(keptAs));
    }
    if (result.status != LoadStatus::Loaded) {
        Settings().SetFromTable(kInitialSettingsTable);
    }
    return result;
}

bool SaveSettings() {
    if (saveBlocked) {
        LogError(u"ZelPPCApp::SaveSettings", "Settings not saved: the damaged settings file could not be moved aside");
        return false;
    }
    return SaveArchiveFile(Settings(), DevicePath(QString::fromUtf16(kSettingsFile)), u"ZelPPCApp::SaveSettings", "Save");
}

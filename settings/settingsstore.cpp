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
    return result;
}

bool SaveSettings() {
    if (saveBlocked) {
        LogError(u"ZelPPCApp::SaveSettings",
                 "Settings not saved: the damaged settings file could not be moved aside");
        return false;
    }
    return SaveArchiveFile(Settings(), DevicePath(QString::fromUtf16(kSettingsFile)),
                           u"ZelPPCApp::SaveSettings", "Save");
}

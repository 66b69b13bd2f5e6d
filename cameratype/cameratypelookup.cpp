#include "cameratype/cameratypelookup.h"

#include "cameratype/cameratypetable.h"
#include "cameratype/lookupthread.h"

#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/fs/dataroot.h"
#include "settings/archivefile.h"
#include "settings/settingsstore.h"

namespace {

Path FirmwarePath(const QString& model) {
    return Path::Join(Path::Join(kCameraTypeRoot, model), "Firmware");
}

Path EntryPath(const Path& firmwareNode, int entry) {
    return Path::Join(firmwareNode, IntToText(entry));
}

QString EntryVersion(const Path& firmwareNode, int entry) {
    return CameraTypes().GetValue(EntryPath(firmwareNode, entry)).GetText();
}

// The entry for the model and firmware; false when the firmware is older than every entry of
// the model. An entry serves its version and the later ones up to the next entry's version.
bool ChooseEntry(const QString& model, const QString& firmware, Path& entry) {
    const Node& types = CameraTypes();
    const Path firmwareNode = FirmwarePath(model);
    entry = EntryPath(FirmwarePath(QStringLiteral("unknown")), 0);
    if (!types.Exists(firmwareNode))
        return true;
    if (firmware == QLatin1String("unknown")) {
        entry = EntryPath(firmwareNode, 0);
        return true;
    }
    int i = 0;
    while (types.Exists(EntryPath(firmwareNode, i)) &&
           !IsVersionLower(firmware, EntryVersion(firmwareNode, i))) {
        ++i;
    }
    if (i > 0) {
        entry = EntryPath(firmwareNode, i - 1);
        return true;
    }
    // A model node without entries has nothing of its own: it is served as unknown.
    if (!types.Exists(EntryPath(firmwareNode, 0)))
        return true;
    LogWarning(u"CameraTypeLookup::GetValueList", "Camera type '%S %S' to old and not supported", Wide(model),
               Wide(firmware));
    return false;
}

} // namespace

CameraTypeLookup::CameraTypeLookup() {
    CameraTypes().SetFromTable(kBuiltInCameraTypes);
}

CameraTypeLookup::~CameraTypeLookup() {
    // A worker nobody hands over would wait for its deletion for ever.
    Cancel();
}

void CameraTypeLookup::GetTypeNameList(QStringList& list) const {
    list.clear();
    const Node& types = CameraTypes();
    ChildIterator it = types.GetFirstChild(kCameraTypeRoot);
    QString name;
    Data value;
    while (types.GetNextChild(it, name, value)) {
        LogTrace(u"CameraTypeLookup::GetTypeNameList", "Type name '%S'", Wide(name));
        list.append(name);
    }
}

bool CameraTypeLookup::GetValueList(const QString& model, const QString& firmware, const QString& key,
                                    QStringList& list) const {
    Path entry;
    if (!ChooseEntry(model, firmware, entry))
        return false;
    const Node& types = CameraTypes();
    LogTrace(u"CameraTypeLookup::GetValueList", "Request '%S %S' -> Camera type '%S', version '%S'",
             Wide(model), Wide(firmware), Wide(types.GetValue(entry).GetText()), Wide(entry.Text()));
    const QString value = types.GetValue(Path::Join(entry, key)).GetText();
    LogTrace(u"CameraTypeLookup::GetValueList", "'%S' - '%S'", Wide(key), Wide(value));
    list = SplitText(value, QStringLiteral(","));
    return true;
}

bool CameraTypeLookup::LearnFirmware(const QString& model, const QString& firmware,
                                     const QString& resolutionList, const QString& sourceList,
                                     const QString& ptz) const {
    if (model.isEmpty() || model.contains(u'/')) {
        LogWarning(u"CameraTypeLookup::LearnFirmware", "Model name '%S' cannot be stored", Wide(model));
        return false;
    }
    const Node& types = CameraTypes();
    const Path firmwareNode = FirmwarePath(model);
    int n = 0;
    for (; types.Exists(EntryPath(firmwareNode, n)); ++n) {
        if (EntryVersion(firmwareNode, n) == firmware)
            return false;
    }
    types.SetValue(EntryPath(firmwareNode, n), Data(firmware));
    const Node entry = types.GetNode(EntryPath(firmwareNode, n));
    entry.SetValue("Resolution", Data(resolutionList));
    entry.SetValue("CameraNumber", Data(sourceList));
    const bool hasPtz = ptz.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
    entry.SetValue("PTZ", Data(hasPtz ? "true" : "false"));
    SaveArchiveFile(types, DevicePath(QString::fromUtf16(kCameraTypesFile)),
                    u"CameraTypeLookup::LearnFirmware", "Save Camera Types");
    return true;
}

bool CameraTypeLookup::Lookup(const QString& address, int port, const QString& userName,
                              const QString& password, uint32_t waitMs, QString& model, QString& firmware) {
    LogTrace(u"CameraTypeLookup::Lookup", "Lookup '%S'", Wide(address));
    Cancel();
    worker = new LookupThread(address, port, userName, password, ftpPort);
    worker->Start(0);
    unauthorized = false;
    if (worker->WaitForResult(waitMs) == LookupThread::kIdentified) {
        TakeResult(model, firmware);
        return true;
    }
    unauthorized = worker->IsUnauthorized();
    return false;
}

bool CameraTypeLookup::IsDone() const {
    return worker && worker->IsStopped();
}

bool CameraTypeLookup::Collect(uint32_t waitMs, QString& model, QString& firmware) {
    if (worker && worker->WaitForResult(waitMs) == LookupThread::kIdentified) {
        TakeResult(model, firmware);
        return true;
    }
    Cancel();
    return false;
}

void CameraTypeLookup::Cancel() {
    if (!worker)
        return;
    worker->Cancel();
    worker->DeleteWhenStoped();
    worker = nullptr;
}

void CameraTypeLookup::TakeResult(QString& model, QString& firmware) {
    LogTrace(u"CameraTypeLookup::Lookup", "result ready");
    model = LookupThread::Unshared(worker->model);
    firmware = LookupThread::Unshared(worker->firmware);
    const QString resolutionList = LookupThread::Unshared(worker->resolutionList);
    const QString sourceList = LookupThread::Unshared(worker->sourceList);
    const QString ptz = LookupThread::Unshared(worker->ptz);
    unauthorized = worker->IsUnauthorized();
    worker->DeleteWhenStoped();
    worker = nullptr;
    // Only the parameter query reports lists: a greeting tells nothing to learn.
    if (!resolutionList.isEmpty() && !sourceList.isEmpty()) {
        LearnFirmware(model, firmware, resolutionList, sourceList, ptz);
    }
}

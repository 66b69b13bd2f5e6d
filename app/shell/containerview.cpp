#include "app/shell/containerview.h"

#include "app/dialogs/cameraconf.h"
#include "app/dialogs/cameraswitchconf.h"
#include "app/dialogs/folderconf.h"
#include "app/dialogs/livesiteconf.h"
#include "app/resources/resource.h"
#include "app/shell/cameraview.h"
#include "app/shell/gridsettings.h"
#include "app/shell/mainframe.h"
#include "app/shell/motionalerts.h"
#include "app/shell/recordings.h"
#include "app/shell/zelppcapp.h"

#include "collection/collectiontree.h"
#include "collection/itemtype.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/ui/inputpanel.h"
#include "platform/ui/messagebox.h"
#include "settings/settingsstore.h"

#include <QVBoxLayout>
#include <cstdio>

namespace {

const QString kRoot = QStringLiteral("/CameraCollection");

void SetHelpAnchor(const QString& anchor) {
    if (ZelPPCApp* app = ZelPPCApp::Instance())
        app->SetHelpAnchor(anchor);
}

// Opens the property sheet of an item kind for an item of a folder (a new one for an empty
// name); true on OK, with the item's path after the edit.
template <typename Sheet>
bool EditItem(QWidget* parent, const QString& folder, const QString& name, QString& path) {
    Sheet sheet(parent, Path(folder), name);
    if (sheet.DoModal() != 1)
        return false;
    path = sheet.ItemPath();
    return true;
}

} // namespace

ContainerView::ContainerView(MainFrame* mainFrame)
    : View(mainFrame), frame(mainFrame), tree(new CollectionTree(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree);
    tree->SetOpenTarget(frame);
    setFocusProxy(tree);
}

void ContainerView::OnUpdate() {
    if (!frame->CameraViewWindow()->ControlCreated()) {
        LogError(u"ContainerView::OnUpdate", "No Camera Control was created");
        if (ZelPPCApp* app = ZelPPCApp::Instance())
            app->CouldNotRun();
        if (ZelPPCApp::RunsUnattended()) // a wall display closes without waiting for a click
            std::fprintf(stderr, "%s\n", qPrintable(LoadResText(Str::ControlMissing)));
        else
            MessageBox(this, LoadResText(Str::ControlMissing), LoadResText(Str::AppTitle), MB_OK);
        PostCommand(frame, Command::AppExit);
        return;
    }
    tree->Refill();
    tree->SelectPath(Settings().GetValue("/Collection/SelectedPath").GetText());
}

void ContainerView::OnActivateView(bool activate, View* activated, View* deactivated) {
    LogTrace(u"ContainerView::OnActivateView", "active %d, Active 0x%08x, Deactive 0x%08x", activate ? 1 : 0,
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(activated)),
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(deactivated)));
    if (activate) {
        SetHelpAnchor(QStringLiteral("cameras"));
        tree->setFocus();
    }
}

bool ContainerView::OnCommand(int id) {
    switch (id) {
    case Command::Open:
        OnOpen();
        return true;
    case Command::ViewAsGrid:
        OnViewAsGrid();
        return true;
    case Command::Action:
        LogTrace(u"", "ContainerView::OnKeyCenter");
        PostCommand(this, Command::Open);
        return true;
    case Command::NewCamera:
        OnNew(NewItem::Camera);
        return true;
    case Command::NewFolder:
        OnNew(NewItem::Folder);
        return true;
    case Command::NewCameraSwitch:
        OnNew(NewItem::CameraSwitch);
        return true;
    case Command::NewLiveSite:
        OnNew(NewItem::LiveSite);
        return true;
    case Command::Properties:
        OnProperties();
        return true;
    case Command::Delete:
        OnDelete();
        return true;
    default:
        return false;
    }
}

void ContainerView::OnOpen() {
    QString path;
    if (!tree->SelectedPath(path) || path == kRoot)
        return;
    if (Settings().GetValue(Path::Join(path, "Type")).Equals("Folder")) {
        tree->SelectPath(path); // opens the folder
        return;
    }
    LogTrace(u"", "ContainerView::OnOpen '%S'", Wide(path));
    Settings().SetValue("/View/Command", Data("Open"));
    Settings().SetValue("/View/ActiveCameraView", Data(path));
    Settings().SetValue("/Collection/SelectedPath", Data(path));
    SetHelpAnchor(QString());
    frame->OpenCamera(path);
}

void ContainerView::OnViewAsGrid() {
    QString path;
    if (!tree->SelectedPath(path))
        return;
    const ItemType type = GetItemType(Path(path));
    if (type != ItemType::Folder && type != ItemType::CameraSwitch)
        return;
    LogTrace(u"", "ContainerView::OnViewAsGrid '%S'", Wide(path));
    Settings().SetValue("/Collection/SelectedPath", Data(path));
    SetHelpAnchor(QString());
    frame->OpenGrid(path);
}

QString ContainerView::TargetFolder() const {
    QString path;
    if (!tree->SelectedPath(path))
        return kRoot;
    if (Settings().GetValue(Path::Join(path, "Type")).Equals("Folder"))
        return path;
    return Path::GetParent(path).Text();
}

void ContainerView::OnNew(NewItem kind) {
    static const struct {
        const char16_t* log;
        const char* anchor;
    } kNew[] = {{u"ContainerView::OnNewCamera", "camprop"},
                {u"ContainerView::OnNewFolder", "folder"},
                {u"ContainerView::OnNewCamswitch", "camswitch"},
                {u"ContainerView::OnNewLivesite", "liveview"}};
    const auto& entry = kNew[static_cast<int>(kind)];
    LogTrace(u"", "%S", entry.log);
    SetHelpAnchor(QString::fromLatin1(entry.anchor));
    frame->ResetCommandBar();

    QString path;
    bool confirmed = false;
    switch (kind) {
    case NewItem::Camera:
        confirmed = EditItem<CameraConf>(frame, TargetFolder(), QString(), path);
        break;
    case NewItem::Folder:
        confirmed = EditItem<FolderConf>(frame, TargetFolder(), QString(), path);
        break;
    case NewItem::CameraSwitch:
        confirmed = EditItem<CameraSwitchConf>(frame, kRoot, QString(), path);
        break;
    case NewItem::LiveSite:
        confirmed = EditItem<LiveSiteConf>(frame, TargetFolder(), QString(), path);
        break;
    }
    if (confirmed)
        ShowAndKeep(path);

    frame->RebuildCommandBar();
    SHSipPreference(this, SIP_FORCEDOWN);
    SetHelpAnchor(QStringLiteral("cameras"));
}

void ContainerView::OnProperties() {
    frame->ResetCommandBar();
    QString path;
    if (tree->SelectedPath(path) && path != kRoot) {
        LogTrace(u"", "ContainerView::OnProperties '%S'", Wide(path));
        const QString type = Settings().GetValue(Path::Join(path, "Type")).GetText();
        const QString folder = Path::GetParent(path).Text();
        const QString name = Path::GetName(path);
        QString edited;
        bool confirmed = false;
        if (type == QLatin1String("Camera")) {
            SetHelpAnchor(QStringLiteral("camprop"));
            confirmed = EditItem<CameraConf>(frame, folder, name, edited);
        } else if (type == QLatin1String("LiveSite")) {
            SetHelpAnchor(QStringLiteral("liveview"));
            confirmed = EditItem<LiveSiteConf>(frame, folder, name, edited);
        } else if (type == QLatin1String("Folder")) {
            SetHelpAnchor(QStringLiteral("folder"));
            confirmed = EditItem<FolderConf>(frame, folder, name, edited);
        } else if (type == QLatin1String("CameraSwitch")) {
            SetHelpAnchor(QStringLiteral("camswitch"));
            confirmed = EditItem<CameraSwitchConf>(frame, folder, name, edited);
        }
        const QString before = path;
        if (confirmed)
            path = edited;
        ShowAndKeep(path, before); // a cancelled sheet too: the tree is refilled and the settings saved
    }
    frame->RebuildCommandBar();
    SHSipPreference(this, SIP_FORCEDOWN);
    SetHelpAnchor(QStringLiteral("cameras"));
}

void ContainerView::OnDelete() {
    QString path;
    if (!tree->SelectedPath(path) || path == kRoot)
        return;
    const QString name = Settings().GetValue(Path::Join(path, "Name")).GetText();
    if (MessageBox(this, FormatText(LoadResText(Str::ConfirmDelete), {name}), LoadResText(Str::AppTitle),
                   MB_YESNO | MB_ICONQUESTION) != IDYES) {
        tree->SelectPath(path);
        return;
    }
    LogTrace(u"ContainerView::OnDelete", "Delete '%S'", Wide(path));
    Settings().Delete(path);
    QString next;
    if (!tree->PreviousSibling(path, next) && !tree->NextSibling(path, next))
        next = Path::GetParent(path).Text();
    ShowAndKeep(next);
}

void ContainerView::ShowAndKeep(const QString& path, const QString& movedFrom) {
    tree->Refill();
    tree->SelectPath(path);
    Settings().SetValue("/Collection/SelectedPath", Data(path));
    const bool moved = !movedFrom.isEmpty() && movedFrom != path;
    if (moved)
        FollowGridOrders(movedFrom, path);
    if (ZelPPCApp* app = ZelPPCApp::Instance()) {
        if (moved && app->Alerts())
            app->Alerts()->Events().FollowMove(movedFrom, path);
        if (Recordings* recordings = app->Recorder())
            recordings->FollowCollection(movedFrom == path ? QString() : movedFrom, path);
        app->SaveSettings();
    } else {
        SaveSettings();
    }
}

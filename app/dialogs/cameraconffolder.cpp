#include "app/dialogs/cameraconffolder.h"

#include "app/dialogs/controlids.h"

#include "collection/camera.h"
#include "collection/collectiontree.h"
#include "collection/validation.h"
#include "platform/ui/dataexchange.h"

#include <QLabel>
#include <QVBoxLayout>

CameraConfFolder::CameraConfFolder(Camera& camera, const Path& currentPath)
    : PropertyPage(QStringLiteral("Folder")), camera(camera), currentPath(currentPath),
      folderTree(WithId(new CollectionTree(this), ControlId::FolderTree)) {
    folderTree->SetFoldersOnly(true);
    auto* label = new QLabel(QStringLiteral("Select folder for this camera:"), this);
    label->setBuddy(folderTree);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(folderTree);
}

void CameraConfFolder::OnSetActive() {
    PropertyPage::OnSetActive();
    folderTree->Refill();
    folderTree->SelectPath(camera.folderPath);
}

void CameraConfFolder::DoDataExchange(DataExchange& dx) {
    if (!dx.SaveAndValidate())
        return;
    // With no folder chosen the item stays in its folder: it never leaves the collection.
    QString chosen = camera.folderPath;
    folderTree->SelectedPath(chosen);
    dx.Check(folderTree, CheckUniqueName(Path(chosen), camera.name, currentPath));
    if (!dx.Failed())
        camera.folderPath = chosen;
}

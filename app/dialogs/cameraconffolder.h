#pragma once
// The folder that holds a camera or live view site. Choosing another folder moves the item
// there when the sheet is confirmed.

#include "platform/ui/propertypage.h"
#include "settings/path.h"

class Camera;
class CollectionTree;

class CameraConfFolder : public PropertyPage {
  public:
    CameraConfFolder(Camera& camera, const Path& currentPath);

    // Lists the folders afresh and selects the item's folder.
    void OnSetActive() override;

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    Camera& camera;
    const Path& currentPath;
    CollectionTree* folderTree;
};

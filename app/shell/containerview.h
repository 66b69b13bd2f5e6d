#pragma once
// The collection view, the main frame's start view: the camera collection as a tree, in which
// the user opens an item, creates new ones, edits an item's properties or deletes it. Every
// change is shown (the tree refilled, the item selected) and saved at once.

#include "app/shell/view.h"

#include <QString>

class CollectionTree;
class MainFrame;

class ContainerView : public View {
  public:
    explicit ContainerView(MainFrame* frame);

    bool OnCommand(int id) override;
    void OnActivateView(bool activate, View* activated, View* deactivated) override;
    // Start-up: checks that the stream control exists, fills the tree, restores the selection.
    void OnUpdate() override;

    CollectionTree* Tree() const { return tree; }

    void OnOpen();
    // The grid of the selected folder or camera switch.
    void OnViewAsGrid();
    void OnProperties();
    void OnDelete();

  private:
    enum class NewItem { Camera, Folder, CameraSwitch, LiveSite };
    void OnNew(NewItem kind);
    // The folder new items go into: the selected folder, or the folder of the selected item.
    QString TargetFolder() const;
    // Refill, select, remember as the selection and save, the recordings following the change
    // (movedFrom: where the item was before, when its edit renamed or moved it).
    void ShowAndKeep(const QString& path, const QString& movedFrom = QString());

    MainFrame* frame;
    CollectionTree* tree;
};

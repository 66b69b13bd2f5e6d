#pragma once
// The camera collection shown as a tree: folders, camera switches, cameras and live view
// sites under the collection root, each sibling group in the sibling order, each item with the
// picture of its kind (and a second one while selected). It maps between tree items and the
// items' paths in the settings tree. The same control serves the collection view (every kind,
// opening items on a double tap), the folder choices of the property pages (folders only) and
// the member picker of a camera switch (no switches, with check boxes).

#include "collection/siblingorder.h"

#include <QIcon>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include <memory>
#include <vector>

class QObject;

// The viewer's "Open" command, posted to the main window when an item is double-tapped.
inline constexpr int kOpenCommand = 32791;

class CollectionTree : public QTreeWidget {
  public:
    explicit CollectionTree(QWidget* parent = nullptr);
    ~CollectionTree() override;

    // Set by the owner before the first fill.
    void SetFoldersOnly(bool on) { foldersOnly = on; }
    void SetNoSwitches(bool on) { noSwitches = on; }
    void SetCheckBoxes(bool on) { checkBoxes = on; }
    // Where a double tap on an item posts kOpenCommand; no one by default.
    void SetOpenTarget(QObject* window) { openTarget = window; }

    // Rebuilds the whole tree from the settings tree; no item is selected or checked afterwards.
    // The collection and every folder that was open and is listed again at the same path are open.
    void Refill();

    // When an item with exactly this path is listed: scrolls it to the top, selects and
    // expands it. Otherwise nothing changes.
    void SelectPath(const QString& path);
    // False when no item is selected.
    bool SelectedPath(QString& path) const;
    // The item after or before the listed item among its siblings, as shown; false when there
    // is none or the path is not listed.
    bool NextSibling(const QString& path, QString& next) const;
    bool PreviousSibling(const QString& path, QString& previous) const;

    // Checks the listed item and every folder above it (its descendants stay as they are).
    void CheckPath(const QString& path);
    // Toggles the check box of the listed item, passing the new state down to everything below
    // it and up to the folders above it.
    void ToggleCheck(const QString& path);
    bool IsChecked(const QString& path) const;
    // Where the listed item's check box is drawn, in viewport coordinates; empty without one.
    QRect CheckBoxRect(const QString& path) const;
    // The paths of the checked items in the order they were added: the depth-first walk of the
    // settings tree in its child order, not the sorted order on screen.
    QStringList CheckedPaths() const;

    // A tap at a point of the viewport: on an item's check box it toggles the box and is
    // handled (true); anywhere else it takes its normal course (false).
    bool OnTap(const QPoint& point);
    // A double tap: on an item's check box, picture or label, posts kOpenCommand to the open
    // target. The tap then takes its normal course.
    void OpenOnTap(const QPoint& point);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct Item;
    struct OpenFolders;
    enum class Spot { None, CheckBox, Picture, Label, Elsewhere };

    int ImageOf(const SiblingKey& key, bool top) const;
    QTreeWidgetItem* Insert(const QString& name, const SiblingKey& key, int image, QTreeWidgetItem* parent);
    void RemoveItems();
    OpenFolders FindOpenFolders() const;
    void ExpandAbove(QTreeWidgetItem* treeItem);
    void ExpandTopDown(const std::vector<QTreeWidgetItem*>& folders);
    Item* Find(const QString& path) const;
    QString PathOf(const QTreeWidgetItem* treeItem) const;
    Item* RecordOf(const QTreeWidgetItem* treeItem) const;
    QRect SpotRect(QTreeWidgetItem* treeItem, Spot spot) const;
    Spot HitTest(const QPoint& point, QTreeWidgetItem** hit) const;
    void SetChecked(QTreeWidgetItem* treeItem, bool checked);
    void SetSubtreeChecked(QTreeWidgetItem* treeItem, bool checked);
    void PropagateUp(QTreeWidgetItem* treeItem, bool checked);
    void Toggle(QTreeWidgetItem* treeItem);
    bool Sibling(const QString& path, int step, QString& sibling) const;

    bool foldersOnly = false;
    bool noSwitches = false;
    bool checkBoxes = false;
    QObject* openTarget = nullptr;
    std::vector<QIcon> images;                // made on the first fill
    std::vector<std::unique_ptr<Item>> items; // in the order added
};

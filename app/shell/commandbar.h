#pragma once
// The main frame's command bar: the menu bar with its popups and the toolbar buttons of one
// resource set (the collection view's or the camera view's). Every item carries its command
// number; choosing it calls the frame's command handler.

#include <QIcon>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

class CommandBar {
  public:
    CommandBar(QMainWindow* window, std::function<void(int command)> onCommand);

    // Empties the bar (while a property sheet is shown).
    void Reset();
    // Builds the menus, buttons and tooltips of resource set 130, 128 or 131.
    void Build(int resourceSet);
    int CurrentSet() const { return currentSet; }
    // Shows or hides the toolbar (full screen hides it with the menu bar).
    void SetVisible(bool visible);
    bool IsVisible() const;

    // The items of the current set: check marks, and removal of items a view does not offer.
    void SetChecked(int command, bool checked);
    bool IsChecked(int command) const;
    void RemoveCommand(int command);
    bool HasCommand(int command) const;
    // The menu item or button of a command (the menu item when both exist); tests trigger it.
    QAction* Action(int command) const;
    // The texts of the first popup's items, separators as "---".
    QStringList FirstPopupTexts() const;

  private:
    QAction* AddItem(QMenu* menu, int command, const QString& text);

    QMainWindow* window;
    QToolBar* toolBar;
    std::function<void(int command)> onCommand;
    int currentSet = 0;
    QMenu* firstPopup = nullptr;
    std::multimap<int, QAction*> actions; // of the current set
    std::vector<QObject*> built;          // menus and buttons of the current set
};

// The images of the toolbar buttons and the program's icon.
QIcon CommandIcon(int command);
QIcon ApplicationIcon();

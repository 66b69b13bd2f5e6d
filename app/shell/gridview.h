#pragma once
// The grid view, the main frame's third view: every camera and live view site of a folder (or
// the members of a camera switch) at once, as tiles placed by the grid's layout (GridLayout: a
// near-square grid of up to 16 a page unless the user chose another), in the order the user
// gave them by dragging one onto another. It is built from the settings tree each time it is
// shown; the layout and the order are kept in the settings of the folder or switch
// (gridsettings.h). The arrow keys and a click choose a tile; Enter or a double click opens it
// in the camera view, from which Enter comes back here; Escape goes back to the collection;
// Page Up and Page Down turn the pages. Tiles that want a password are asked one at a time,
// while the others go on. The tile in a layout's big place decodes its pictures whole.
//
// UI thread only.

#include "app/shell/gridlayout.h"
#include "app/shell/gridtile.h"
#include "app/shell/view.h"

#include <QPointer>
#include <QStringList>

#include <deque>
#include <vector>

class GridView : public View, private GridTileListener {
  public:
    GridView(QWidget* parent, ViewFrame& frame);
    ~GridView() override;

    // The folder or camera switch to show next, from its first page.
    void SetItem(const QString& path);
    bool OnCommand(int id) override;
    void OnActivateView(bool activate, View* activated, View* deactivated) override;

    // The tiles decode their pictures no larger than they show them; on unless a measurement
    // turns it off.
    void SetScaledDecoding(bool on);

    // What the grid shows, for tests.
    const QString& ItemPath() const { return itemPath; }
    const QStringList& Items() const { return items; }
    int Page() const { return page; }
    int PageCount() const;
    const std::vector<GridTile*>& Tiles() const { return tiles; }
    int SelectedTile() const { return selected; }
    // Columns and rows of the current page's cells.
    QSize GridSize() const;
    const GridLayout& Layout() const { return layout; }
    // Places the tiles in the layout from now on, and keeps it for the grid's item.
    void SetLayout(GridLayout::Kind kind);

    void Select(int index);
    void OpenSelected();
    void TurnPage(int step);

  protected:
    void OnMessage(uint32_t message, intptr_t wParam, intptr_t lParam) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void Build();
    void ShowPage();
    void ClearTiles();
    void LayoutTiles();
    void CheckLayoutItem();
    void CheckRecordItem();
    // Starts or stops recording the chosen tile's camera.
    void RecordSelected();
    // The tile at index decodes its pictures no larger than it shows them.
    bool DecodesScaled(int index) const;
    void UpdateTitle();
    void PromptNext();
    void QueuePrompt(GridTile* tile);
    // On a wall display, a tile waiting for a password is asked for it when chosen: true then.
    bool AskIfWaiting(GridTile* tile);

    // GridTileListener
    void OnTileClicked(GridTile* tile) override;
    void OnTileOpened(GridTile* tile) override;
    void OnTileWantsCredentials(GridTile* tile) override;
    void OnTileDropped(GridTile* tile, QPoint globalPosition) override;
    void OnTileMotion(GridTile* tile) override;
    // The tile changes places with the one at place, which is chosen; false when it is there. A
    // change of the user's order (a drag) or for the moment only (motion).
    bool SwapTiles(GridTile* tile, int place, bool userOrder);

    ViewFrame& frame;
    QString itemPath;
    QString itemName;
    QStringList items;        // as shown
    QStringList order;        // as the user ordered them: the order kept
    std::vector<int> orderOf; // items[n] is order[orderOf[n]]
    int page = 0;
    int selected = 0;
    QString chosenPath; // of the tile chosen when the grid was left, chosen again when it is built
    bool scaledDecoding = true;
    GridLayout layout;
    bool active = false;
    std::vector<GridTile*> tiles; // of the current page, owned as children
    std::deque<QPointer<GridTile>> waitingForCredentials;
    GridTile* prompted = nullptr; // the tile whose prompt is open
    bool promptedLeft = false;    // its grid was cleared meanwhile: it goes once its prompt closes
};

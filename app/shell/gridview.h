#pragma once
// The grid view, the main frame's third view: every camera and live view site of a folder (or
// the members of a camera switch) at once, as tiles in a near-square grid, up to
// kTilesPerPage a page. It is built from the settings tree each time it is shown and remembers
// nothing per folder. The arrow keys and a click choose a tile; Enter or a double click opens
// it in the camera view, from which Enter comes back here; Escape goes back to the collection;
// Page Up and Page Down turn the pages. Tiles that want a password are asked one at a time,
// while the others go on.
//
// UI thread only.

#include "app/shell/gridtile.h"
#include "app/shell/view.h"

#include <QPointer>
#include <QStringList>

#include <deque>
#include <vector>

class GridView : public View, private GridTileListener {
  public:
    static constexpr int kTilesPerPage = 16;

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
    // Columns and rows of the current page.
    QSize GridSize() const;

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
    void UpdateTitle();
    void PromptNext();
    void QueuePrompt(GridTile* tile);
    // On a wall display, a tile waiting for a password is asked for it when chosen: true then.
    bool AskIfWaiting(GridTile* tile);

    // GridTileListener
    void OnTileClicked(GridTile* tile) override;
    void OnTileOpened(GridTile* tile) override;
    void OnTileWantsCredentials(GridTile* tile) override;

    ViewFrame& frame;
    QString itemPath;
    QString itemName;
    QStringList items;
    int page = 0;
    int selected = 0;
    bool scaledDecoding = true;
    bool active = false;
    std::vector<GridTile*> tiles; // of the current page, owned as children
    std::deque<QPointer<GridTile>> waitingForCredentials;
    bool prompting = false;
};

#include "app/shell/gridview.h"

#include "app/resources/resource.h"
#include "app/shell/cameraconnection.h"
#include "app/shell/commandbar.h"
#include "app/shell/griditems.h"
#include "app/shell/gridsettings.h"
#include "app/shell/motionalerts.h"
#include "app/shell/recordings.h"
#include "app/shell/zelppcapp.h"

#include "foundation/log.h"
#include "foundation/text.h"
#include "settings/settingsstore.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

GridView::GridView(QWidget* parent, ViewFrame& viewFrame) : View(parent), frame(viewFrame) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::black);
    setPalette(background);
}

GridView::~GridView() {
    ClearTiles();
}

void GridView::SetItem(const QString& path) {
    itemPath = path;
    page = 0;
    selected = 0;
    chosenPath.clear();
}

void GridView::SetScaledDecoding(bool on) {
    scaledDecoding = on;
    for (int i = 0; i < static_cast<int>(tiles.size()); ++i)
        tiles[i]->SetScaledDecoding(DecodesScaled(i));
}

int GridView::PageCount() const {
    const int perPage = layout.TilesPerPage();
    return std::max(1, static_cast<int>((items.size() + perPage - 1) / perPage));
}

QSize GridView::GridSize() const {
    return tiles.empty() ? QSize(0, 0) : layout.Cells(static_cast<int>(tiles.size()));
}

void GridView::SetLayout(GridLayout::Kind kind) {
    if (kind == layout.Which()) { // the tiles go on as they are
        CheckLayoutItem();
        return;
    }
    // The chosen tile stays chosen, on the page that now holds it.
    const int chosen = page * layout.TilesPerPage() + selected;
    layout = GridLayout(kind);
    KeepGridLayout(itemPath, layout);
    page = chosen / layout.TilesPerPage();
    selected = chosen % layout.TilesPerPage();
    CheckLayoutItem();
    if (active)
        ShowPage();
}

void GridView::CheckLayoutItem() {
    for (int k = 0; k < GridLayout::kKinds; ++k)
        frame.Bar().SetChecked(Command::LayoutFirst + k, k == layout.Which());
}

bool GridView::DecodesScaled(int index) const {
    return scaledDecoding && !(index == 0 && layout.HasBigPlace());
}

// ---- activation and building

void GridView::OnActivateView(bool activate, View* activated, View* deactivated) {
    LogTrace(u"GridView::OnActivateView", "active %d, Active 0x%08x, Deactive 0x%08x", activate ? 1 : 0,
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(activated)),
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(deactivated)));
    active = activate;
    if (activate) {
        if (ZelPPCApp* app = ZelPPCApp::Instance())
            app->SetHelpAnchor(QStringLiteral("grid"));
        setFocus();
        PostMessage(this, WM_USER + Message::StartGrid); // after the frame has finished the change
        return;
    }
    // A tile brought to the big place goes back to its own when the grid is built again: the
    // camera chosen stays chosen.
    chosenPath = selected < static_cast<int>(tiles.size()) ? tiles[selected]->ItemPath() : QString();
    ClearTiles();
    frame.MainWindow()->setWindowTitle(LoadResText(Str::AppTitle));
}

void GridView::OnMessage(uint32_t message, intptr_t, intptr_t) {
    switch (static_cast<int>(message) - WM_USER) {
    case Message::StartGrid:
        Build();
        break;
    case Message::NextPrompt:
        PromptNext();
        break;
    default:
        break;
    }
}

void GridView::Build() {
    if (!active)
        return; // left again before it was built
    items = InKeptOrder(itemPath, GridItems(itemPath));
    order = items;
    orderOf.resize(items.size());
    std::iota(orderOf.begin(), orderOf.end(), 0);
    layout = KeptGridLayout(itemPath);
    CheckLayoutItem();
    itemName = Settings().GetValue(Path::Join(Path(itemPath), "Name")).GetText();
    LogTrace(u"GridView::Build", "'%S': %d items", Wide(itemPath), static_cast<int>(items.size()));
    const auto chosen = std::find(items.begin(), items.end(), chosenPath);
    if (chosen != items.end()) {
        const int index = static_cast<int>(chosen - items.begin());
        page = index / layout.TilesPerPage();
        selected = index % layout.TilesPerPage();
    }
    chosenPath.clear();
    page = std::clamp(page, 0, PageCount() - 1);
    ShowPage();
}

void GridView::ShowPage() {
    ClearTiles();
    const int first = page * layout.TilesPerPage();
    const int last = std::min(static_cast<int>(items.size()), first + layout.TilesPerPage());
    for (int i = first; i < last; ++i) {
        auto* tile = new GridTile(this, items[i], *this);
        tiles.push_back(tile);
    }
    LayoutTiles();
    for (int i = 0; i < static_cast<int>(tiles.size()); ++i) {
        tiles[i]->show();
        tiles[i]->Start(DecodesScaled(i));
    }
    Select(std::clamp(selected, 0, std::max(0, static_cast<int>(tiles.size()) - 1)));
    UpdateTitle();
    update();
}

void GridView::ClearTiles() {
    waitingForCredentials.clear();
    for (GridTile* tile : tiles) {
        if (tile == prompted) { // the prompt runs on it: it goes once the prompt closes
            tile->hide();
            promptedLeft = true;
        } else {
            delete tile; // each stops its stream
        }
    }
    tiles.clear();
}

void GridView::UpdateTitle() {
    const QString title = PageCount() > 1
                              ? FormatText(LoadResText(Str::GridPageTitle),
                                           {itemName, IntToText(page + 1), IntToText(PageCount())})
                              : itemName;
    frame.MainWindow()->setWindowTitle(title);
}

void GridView::LayoutTiles() {
    const std::vector<QRect> places = layout.Places(static_cast<int>(tiles.size()), size());
    for (int i = 0; i < static_cast<int>(tiles.size()); ++i) {
        tiles[i]->setGeometry(places[i]);
        tiles[i]->SetScaledDecoding(DecodesScaled(i));
    }
}

void GridView::resizeEvent(QResizeEvent* event) {
    View::resizeEvent(event);
    LayoutTiles();
}

void GridView::paintEvent(QPaintEvent* event) {
    View::paintEvent(event);
    if (!tiles.empty() || itemPath.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     FormatText(LoadResText(Str::GridEmpty), {itemName}));
}

// ---- choosing and opening tiles

void GridView::Select(int index) {
    if (tiles.empty())
        return;
    selected = std::clamp(index, 0, static_cast<int>(tiles.size()) - 1);
    for (int i = 0; i < static_cast<int>(tiles.size()); ++i)
        tiles[i]->SetSelected(i == selected);
    CheckRecordItem();
}

void GridView::CheckRecordItem() {
    if (frame.Bar().CurrentSet() == ResourceSet::GridView)
        frame.Bar().SetChecked(Command::Record,
                               selected < static_cast<int>(tiles.size()) && tiles[selected]->Recorded());
}

void GridView::RecordSelected() {
    Recordings* recordings = ZelPPCApp::Instance() ? ZelPPCApp::Instance()->Recorder() : nullptr;
    if (!recordings || selected >= static_cast<int>(tiles.size())) {
        CheckRecordItem(); // nothing to record: unchecked again
        return;
    }
    recordings->Toggle(tiles[selected]->ItemPath());
    tiles[selected]->update(); // its mark
    CheckRecordItem();
}

void GridView::OpenSelected() {
    if (selected < 0 || selected >= static_cast<int>(tiles.size()) || AskIfWaiting(tiles[selected]))
        return;
    const QString path = tiles[selected]->ItemPath();
    LogTrace(u"GridView::OpenSelected", "'%S'", Wide(path));
    frame.OpenCamera(path);
}

void GridView::TurnPage(int step) {
    const int next = std::clamp(page + step, 0, PageCount() - 1);
    if (next == page)
        return;
    page = next;
    selected = 0;
    ShowPage();
}

bool GridView::OnCommand(int id) {
    switch (id) {
    case Command::Open:
    case Command::Action:
        OpenSelected();
        return true;
    case Command::Back:
        PostCommand(frame.MainWindow(), Command::ViewCameras);
        return true;
    case Command::NextPage:
        TurnPage(1);
        return true;
    case Command::Record:
        RecordSelected();
        return true;
    case Command::PreviousPage:
        TurnPage(-1);
        return true;
    case Command::PictureZoomIn:
    case Command::PictureZoomOut:
    case Command::WholePicture:
        if (selected >= 0 && selected < static_cast<int>(tiles.size()))
            tiles[selected]->ZoomPicture(CameraConnection::ZoomStepsOf(id));
        return true;
    default:
        if (id < Command::LayoutFirst || id > Command::LayoutLast)
            return false;
        SetLayout(static_cast<GridLayout::Kind>(id - Command::LayoutFirst));
        return true;
    }
}

void GridView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        Select(selected - 1);
        break;
    case Qt::Key_Right:
        Select(selected + 1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        Select(NeighbourPlace(layout.Places(static_cast<int>(tiles.size()), size()), selected,
                              event->key() == Qt::Key_Up ? -1 : 1));
        break;
    case Qt::Key_PageDown:
        TurnPage(1);
        break;
    case Qt::Key_PageUp:
        TurnPage(-1);
        break;
    default:
        View::keyPressEvent(event);
        return;
    }
}

void GridView::OnTileClicked(GridTile* tile) {
    const auto found = std::find(tiles.begin(), tiles.end(), tile);
    if (found != tiles.end())
        Select(static_cast<int>(found - tiles.begin()));
    setFocus();
    if (tile->WantsCredentials()) // also one whose prompt was cancelled
        QueuePrompt(tile);
}

void GridView::OnTileDropped(GridTile* tile, QPoint globalPosition) {
    // The tile let go over another changes places with it, and the grid keeps the new order.
    QWidget* over = childAt(mapFromGlobal(globalPosition));
    while (over && over->parentWidget() != this)
        over = over->parentWidget();
    const auto to = std::find(tiles.begin(), tiles.end(), over);
    if (to != tiles.end() && SwapTiles(tile, static_cast<int>(to - tiles.begin()), true))
        KeepGridOrder(itemPath, order);
}

bool GridView::SwapTiles(GridTile* tile, int place, bool userOrder) {
    const auto from = std::find(tiles.begin(), tiles.end(), tile);
    if (from == tiles.end() || place < 0 || place >= static_cast<int>(tiles.size()) ||
        from - tiles.begin() == place)
        return false;
    const int first = page * layout.TilesPerPage();
    const int a = first + static_cast<int>(from - tiles.begin());
    const int b = first + place;
    // items[n] is order[orderOf[n]]: the user's order changes with the items, or the map does.
    if (userOrder)
        order.swapItemsAt(orderOf[a], orderOf[b]);
    else
        std::swap(orderOf[a], orderOf[b]);
    items.swapItemsAt(a, b);
    std::iter_swap(from, tiles.begin() + place);
    LayoutTiles();
    Select(place);
    return true;
}

void GridView::OnTileMotion(GridTile* tile) {
    if (!MotionAlerts::BringsToBigPlace())
        return;
    // Into the big place, for this page only (the order the user gave is kept); without a big
    // place the tile is chosen.
    const auto found = std::find(tiles.begin(), tiles.end(), tile);
    if (found == tiles.end())
        return;
    if (layout.HasBigPlace())
        SwapTiles(tile, 0, false);
    else
        Select(static_cast<int>(found - tiles.begin()));
}

void GridView::OnTileOpened(GridTile* tile) {
    OnTileClicked(tile);
    OpenSelected();
}

// ---- one password prompt at a time

void GridView::OnTileWantsCredentials(GridTile* tile) {
    // A wall display prompts no one at start: the tile says to press Enter or click it.
    if (!ZelPPCApp::RunsUnattended())
        QueuePrompt(tile);
}

bool GridView::AskIfWaiting(GridTile* tile) {
    if (!ZelPPCApp::RunsUnattended() || !tile->WantsCredentials())
        return false;
    QueuePrompt(tile);
    return true;
}

void GridView::QueuePrompt(GridTile* tile) {
    if (std::find(waitingForCredentials.begin(), waitingForCredentials.end(), tile) !=
        waitingForCredentials.end())
        return;
    waitingForCredentials.emplace_back(tile);
    if (!prompted)
        PostMessage(this, WM_USER + Message::NextPrompt);
}

void GridView::PromptNext() {
    if (prompted)
        return;
    while (!waitingForCredentials.empty()) {
        QPointer<GridTile> tile = waitingForCredentials.front();
        waitingForCredentials.pop_front();
        if (!tile)
            continue;
        prompted = tile;
        tile->AskForCredentials(); // the other tiles go on while the dialog waits
        prompted = nullptr;
        if (std::exchange(promptedLeft, false)) {
            delete tile.data();
            return;
        }
        break;
    }
    if (!waitingForCredentials.empty())
        PostMessage(this, WM_USER + Message::NextPrompt);
}

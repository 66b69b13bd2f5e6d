#include "app/shell/commandbar.h"

#include "app/resources/resource.h"

#include "foundation/text.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>

namespace {

struct Item {
    int command; // 0: separator
    const char16_t* text;
    bool checkable;
    int textId = 0; // the text from the string table, when text is null
};

// Menu 130, popup "Camera".
const Item kCameraPopup[] = {
    {Command::Open, u"Open", false},
    {Command::ViewAsGrid, nullptr, false, Str::ViewAsGridItem},
    {0, nullptr, false},
    {Command::NewCamera, u"New Camera...", false},
    {Command::NewFolder, u"New Folder...", false},
    {Command::NewCameraSwitch, u"New Camera Switch...", false},
    {Command::NewLiveSite, u"New Live View Site...", false},
    {0, nullptr, false},
    {Command::Properties, u"Properties", false},
    {0, nullptr, false},
    {Command::Delete, u"Delete", false},
};

// Menu 128, popup "View". The blanks align the key names and are part of the texts.
const Item kViewPopup[] = {
    {Command::ViewCameras, u"Cameras                  (Action)", false},
    {Command::ViewNextCamera, u"Next camera           (Right)", false},
    {Command::ViewPreviousCamera, u"Previous Camera   (Left)", false},
    {Command::ZoomIn, u"Zoom In                   (Up)", false},
    {Command::ZoomOut, u"Zoom Out                (Down)", false},
    {0, nullptr, false},
    {Command::ViewRotate, u"Rotate", false},
    {Command::ViewActualSize, u"Show Actual Size ", true},
    {Command::ViewFitToWindow, u"Fit View to Window", true},
    {Command::ViewAutoSwitch, u"Automatic Switch", true},
    {0, nullptr, false},
    {Command::PictureZoomIn, nullptr, false, Str::PictureZoomInItem},
    {Command::PictureZoomOut, nullptr, false, Str::PictureZoomOutItem},
    {Command::WholePicture, nullptr, false, Str::WholePictureItem},
    {0, nullptr, false},
    {Command::SavePicture, nullptr, false, Str::SavePictureItem},
    {Command::Record, nullptr, true, Str::RecordItem},
    {Command::FullScreen, nullptr, true, Str::FullScreenItem},
    {0, nullptr, false},
    {Command::Pause, nullptr, true, Str::PauseItem},
    {Command::PicturePrevious, nullptr, false, Str::PauseItem + 1},
    {Command::PictureNext, nullptr, false, Str::PauseItem + 2},
    {Command::FiveSecondsBack, nullptr, false, Str::PauseItem + 3},
    {Command::FiveSecondsForward, nullptr, false, Str::PauseItem + 4},
    {Command::Live, nullptr, false, Str::PauseItem + 5},
    {Command::SaveClip, nullptr, false, Str::PauseItem + 6},
};

// Menu 131, popup "View" of the grid.
const Item kGridPopup[] = {
    {Command::Open, nullptr, false, Str::GridOpenItem},
    {Command::ViewCameras, nullptr, false, Str::GridCamerasItem},
    {0, nullptr, false},
    {Command::NextPage, nullptr, false, Str::NextPageItem},
    {Command::PreviousPage, nullptr, false, Str::PreviousPageItem},
    {0, nullptr, false},
    {Command::PictureZoomIn, nullptr, false, Str::PictureZoomInItem},
    {Command::PictureZoomOut, nullptr, false, Str::PictureZoomOutItem},
    {Command::WholePicture, nullptr, false, Str::WholePictureItem},
    {0, nullptr, false},
    {Command::LayoutFirst, nullptr, true, Str::LayoutFirstItem},
    {Command::LayoutFirst + 1, nullptr, true, Str::LayoutFirstItem + 1},
    {Command::LayoutFirst + 2, nullptr, true, Str::LayoutFirstItem + 2},
    {Command::LayoutFirst + 3, nullptr, true, Str::LayoutFirstItem + 3},
    {Command::LayoutFirst + 4, nullptr, true, Str::LayoutFirstItem + 4},
    {Command::LayoutFirst + 5, nullptr, true, Str::LayoutFirstItem + 5},
    {Command::LayoutFirst + 6, nullptr, true, Str::LayoutFirstItem + 6},
    {0, nullptr, false},
    {Command::Record, nullptr, true, Str::RecordItem},
    {Command::FullScreen, nullptr, true, Str::FullScreenItem},
};

// Popup "Tools" of both sets.
const Item kToolsPopup[] = {
    {Command::Recordings, nullptr, false, Str::RecordingsItem},
    {Command::MotionEvents, nullptr, false, Str::MotionEventsItem},
    {Command::MotionToBigPlace, nullptr, true, Str::MotionToBigPlaceItem},
    {Command::MotionBell, nullptr, true, Str::MotionBellItem},
    {Command::AboutLumenfold, u"About Lumenfold...", false},
    {Command::AppExit, u"Exit", false},
};

// Popup "Help" of every set: the help at the topic of the screen in use.
const Item kHelpPopup[] = {
    {Command::Help, nullptr, false, Str::HelpTopicsItem},
};

} // namespace

CommandBar::CommandBar(QMainWindow* mainWindow, std::function<void(int command)> handler)
    : window(mainWindow), toolBar(new QToolBar(mainWindow)), onCommand(std::move(handler)) {
    toolBar->setObjectName(QStringLiteral("CommandBar"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(16, 16));
    window->addToolBar(Qt::TopToolBarArea, toolBar);
}

void CommandBar::SetVisible(bool visible) {
    toolBar->setVisible(visible);
}

bool CommandBar::IsVisible() const {
    return toolBar->isVisible();
}

void CommandBar::Reset() {
    window->menuBar()->clear();
    toolBar->clear();
    // Later: the bar is often rebuilt from the handler of one of its own items.
    for (QObject* object : built)
        object->deleteLater();
    built.clear();
    actions.clear();
    firstPopup = nullptr;
}

QAction* CommandBar::AddItem(QMenu* menu, int command, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setData(command);
    QObject::connect(action, &QAction::triggered, window, [this, command] { onCommand(command); });
    actions.emplace(command, action);
    return action;
}

void CommandBar::Build(int resourceSet) {
    currentSet = resourceSet;
    Reset();
    const bool collection = resourceSet == ResourceSet::CollectionView;
    auto fill = [this](QMenu* menu, const Item* items, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            if (!items[i].command) {
                menu->addSeparator();
                continue;
            }
            const QString text =
                items[i].text ? QString::fromUtf16(items[i].text) : LoadResText(items[i].textId);
            QAction* action = AddItem(menu, items[i].command, text);
            action->setCheckable(items[i].checkable);
            if (items[i].checkable)
                action->setChecked(true); // set in the resource; the view adjusts them
        }
    };
    const bool grid = resourceSet == ResourceSet::GridView;
    QMenu* first = window->menuBar()->addMenu(LoadResText(collection ? Str::MenuCamera : Str::MenuView));
    built.push_back(first);
    if (collection) {
        fill(first, kCameraPopup, std::size(kCameraPopup));
    } else if (grid) {
        fill(first, kGridPopup, std::size(kGridPopup));
    } else {
        fill(first, kViewPopup, std::size(kViewPopup));
    }
    firstPopup = first;
    QMenu* tools = window->menuBar()->addMenu(LoadResText(Str::Tools));
    built.push_back(tools);
    fill(tools, kToolsPopup, std::size(kToolsPopup));
    QMenu* help = window->menuBar()->addMenu(LoadResText(Str::MenuHelp));
    built.push_back(help);
    fill(help, kHelpPopup, std::size(kHelpPopup));

    // Toolbar buttons with their tooltips.
    auto button = [this](int command, int tooltip) {
        QAction* action = toolBar->addAction(CommandIcon(command), LoadResText(tooltip));
        action->setToolTip(LoadResText(tooltip));
        action->setData(command);
        QObject::connect(action, &QAction::triggered, window, [this, command] { onCommand(command); });
        actions.emplace(command, action);
        built.push_back(action);
    };
    if (collection) {
        button(Command::Open, Str::TooltipOpen);
        button(Command::Properties, Str::TooltipProperties);
        button(Command::ViewAsGrid, Str::TooltipViewAsGrid);
    } else {
        button(Command::ViewCameras, Str::TooltipCameras);
        button(Command::FullScreen, Str::TooltipFullScreen);
        button(Command::Record, Str::TooltipRecord);
    }
}

void CommandBar::SetChecked(int command, bool checked) {
    const auto range = actions.equal_range(command);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second->isCheckable())
            it->second->setChecked(checked);
    }
}

bool CommandBar::IsChecked(int command) const {
    const QAction* action = Action(command);
    return action && action->isChecked();
}

void CommandBar::RemoveCommand(int command) {
    const auto range = actions.equal_range(command);
    for (auto it = range.first; it != range.second; ++it) {
        if (firstPopup)
            firstPopup->removeAction(it->second);
        toolBar->removeAction(it->second);
    }
    actions.erase(command);
}

bool CommandBar::HasCommand(int command) const {
    return actions.count(command) > 0;
}

QAction* CommandBar::Action(int command) const {
    const auto found = actions.find(command);
    return found == actions.end() ? nullptr : found->second;
}

QStringList CommandBar::FirstPopupTexts() const {
    QStringList texts;
    if (!firstPopup)
        return texts;
    for (const QAction* action : firstPopup->actions()) {
        texts.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    }
    return texts;
}

// ---- icons, drawn rather than stored: sharp at 16 x 16 and in any theme.

namespace {

QPixmap Canvas(int size = 16) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon CommandIcon(int command) {
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (command == Command::Open) {
        // A play triangle: open the camera.
        QPainterPath triangle;
        triangle.moveTo(4, 2);
        triangle.lineTo(13, 8);
        triangle.lineTo(4, 14);
        triangle.closeSubpath();
        p.fillPath(triangle, QColor(0x2E, 0x7D, 0x32));
    } else if (command == Command::Properties) {
        // A sheet with lines.
        p.setPen(QPen(QColor(0x37, 0x47, 0x4F), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        for (int y = 5; y <= 11; y += 3)
            p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
    } else if (command == Command::ViewAsGrid) {
        // Four pictures in a square.
        for (const QRectF& cell : {QRectF(1.5, 1.5, 6, 6), QRectF(8.5, 1.5, 6, 6), QRectF(1.5, 8.5, 6, 6),
                                   QRectF(8.5, 8.5, 6, 6)}) {
            p.fillRect(cell, QColor(0x15, 0x65, 0xC0));
        }
    } else if (command == Command::FullScreen) {
        // Four corners pointing outwards.
        p.setPen(QPen(QColor(0x37, 0x47, 0x4F), 1.5));
        p.drawPolyline(QPolygonF({QPointF(1.5, 6), QPointF(1.5, 1.5), QPointF(6, 1.5)}));
        p.drawPolyline(QPolygonF({QPointF(10, 1.5), QPointF(14.5, 1.5), QPointF(14.5, 6)}));
        p.drawPolyline(QPolygonF({QPointF(1.5, 10), QPointF(1.5, 14.5), QPointF(6, 14.5)}));
        p.drawPolyline(QPolygonF({QPointF(10, 14.5), QPointF(14.5, 14.5), QPointF(14.5, 10)}));
    } else if (command == Command::Record) {
        // A red dot: record.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xD3, 0x2F, 0x2F));
        p.drawEllipse(QRectF(3, 3, 10, 10));
    } else if (command == Command::ViewCameras) {
        // A small tree of items: back to the collection.
        p.setPen(QPen(QColor(0x37, 0x47, 0x4F), 1));
        p.drawLine(QPointF(3.5, 3), QPointF(3.5, 12.5));
        p.drawLine(QPointF(3.5, 7.5), QPointF(7, 7.5));
        p.drawLine(QPointF(3.5, 12.5), QPointF(7, 12.5));
        p.fillRect(QRectF(1, 1, 5, 4), QColor(0xF9, 0xA8, 0x25));
        p.fillRect(QRectF(8, 5.5, 6, 4), QColor(0x15, 0x65, 0xC0));
        p.fillRect(QRectF(8, 10.5, 6, 4), QColor(0x15, 0x65, 0xC0));
    }
    return QIcon(pixmap);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 64, 128}) {
        QPixmap pixmap = Canvas(size);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size / 64.0;
        // A camera body with a lens.
        p.setBrush(QColor(0x26, 0x32, 0x38));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(4 * s, 16 * s, 56 * s, 36 * s), 6 * s, 6 * s);
        p.drawRect(QRectF(20 * s, 10 * s, 16 * s, 8 * s));
        p.setBrush(QColor(0x4F, 0xC3, 0xF7));
        p.drawEllipse(QPointF(32 * s, 34 * s), 13 * s, 13 * s);
        p.setBrush(QColor(0x01, 0x57, 0x9B));
        p.drawEllipse(QPointF(32 * s, 34 * s), 7 * s, 7 * s);
        p.setBrush(QColor(0xEF, 0x53, 0x50));
        p.drawEllipse(QPointF(50 * s, 23 * s), 3 * s, 3 * s);
        icon.addPixmap(pixmap);
    }
    return icon;
}

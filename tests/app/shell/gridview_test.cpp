// The grid view against simulated cameras: which items it shows and in which order, opening a
// tile in the camera view and coming back, pages, password prompts one at a time while the
// other tiles go on, the state of each tile in words, and one camera shown twice.

#include "tests/app/shell/viewerfixture.h"

#include "tools/camsim/motionscene.h"

#include "app/resources/resource.h"
#include "app/shell/commandbar.h"
#include "app/shell/griditems.h"
#include "app/shell/gridlayout.h"
#include "app/shell/gridsettings.h"
#include "app/shell/gridview.h"
#include "app/shell/motionalerts.h"
#include "control/interface/camimageinterface.h"
#include "platform/com/bstring.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modal.h"
#include "settings/settingsstore.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>

namespace {

class GridTest : public ViewerTest {
  protected:
    GridView& Grid() { return *Frame().Grid(); }

    void AddFolder(const QString& path) {
        Settings().SetValue(path + "/Type", Data("Folder"));
        Settings().SetValue(path + "/Name", Data(Path::GetName(path)));
    }
    void AddSite(const QString& path, const InProcessCamsim& camera) {
        Settings().SetValue(path + "/Type", Data("LiveSite"));
        Settings().SetValue(path + "/Name", Data(Path::GetName(path)));
        Settings().SetValue(path + "/CustomURL",
                            Data(QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi"))));
    }
    // The folder "F" nested levels deep, the cameras "Door" and "Gate" in the deepest; returns its
    // path. Built from the bottom up near the settings root: no call of the building reaches deep.
    QString AddNestedFolders(int levels) {
        AddFolder("/Chain/F");
        for (const QString camera : {"Door", "Gate"}) {
            Settings().SetValue("/Chain/F/" + camera + "/Type", Data("Camera"));
            Settings().SetValue("/Chain/F/" + camera + "/Name", Data(camera));
        }
        for (int level = 1; level < levels; ++level) {
            AddFolder("/F");
            Settings().Move("/Chain/F", "/F/F");
            Settings().Move("/F", "/Chain/F");
        }
        Settings().Move("/Chain/F", "/CameraCollection/F");
        return "/CameraCollection" + QString("/F").repeated(levels);
    }
    // Selects the folder or switch and gives the View as Grid command; waits for its tiles.
    bool OpenGrid(const QString& path, int tiles) {
        Tree().Refill();
        Tree().SelectPath(path);
        Frame().OnCommand(Command::ViewAsGrid);
        return PumpUntil([&] {
            return Frame().ActiveView() == &Grid() && static_cast<int>(Grid().Tiles().size()) == tiles;
        });
    }
    static bool Streaming(const GridTile* tile) {
        return tile->IsConnected() && tile->HostWindow()->isVisible() && tile->HostWindow()->width() > 1;
    }
    static int PicturesShown(const GridTile* tile) {
        int32_t shown = 0;
        tile->Control()->get_PicturesShown(&shown);
        return shown;
    }
};

TEST_F(GridTest, AFoldersGridListsItsCamerasAndSitesInTreeOrderAndASwitchItsMembers) {
    InProcessCamsim camera;
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/Zeta", camera);
    AddCamera("/CameraCollection/Yard/alpha", camera);
    AddSite("/CameraCollection/Yard/Beach", camera);
    AddFolder("/CameraCollection/Yard/Inner");
    AddCamera("/CameraCollection/Yard/Inner/Gate", camera);
    const Node tour = Settings().GetNode("/CameraCollection/Yard/Tour");
    tour.SetValue("Type", Data("CameraSwitch"));
    tour.SetValue("Name", Data("Tour"));
    tour.SetValue("Cameras/Camera_000", Data("/CameraCollection/Yard/Zeta"));
    tour.SetValue("Cameras/Camera_001", Data("/CameraCollection/Gone"));
    tour.SetValue("Cameras/Camera_002", Data("/CameraCollection/Yard/Beach"));

    // Sub-folders first, then the switch (left out), the cameras and the sites, each by name.
    const QStringList folder = {"/CameraCollection/Yard/Inner/Gate", "/CameraCollection/Yard/alpha",
                                "/CameraCollection/Yard/Zeta", "/CameraCollection/Yard/Beach"};
    EXPECT_EQ(GridItems("/CameraCollection/Yard"), folder);
    EXPECT_EQ(GridItems("/CameraCollection/Yard/Tour"),
              QStringList({"/CameraCollection/Yard/Zeta", "/CameraCollection/Yard/Beach"}));
    EXPECT_EQ(GridItems("/CameraCollection/Yard/alpha"), QStringList({"/CameraCollection/Yard/alpha"}));
    EXPECT_TRUE(GridItems("/CameraCollection/Nowhere").isEmpty());

    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 4));
    EXPECT_EQ(Grid().Items(), folder);
    EXPECT_EQ(Grid().GridSize(), QSize(2, 2));
    EXPECT_EQ(Frame().windowTitle(), "Yard");
    ASSERT_TRUE(PumpUntil([&] {
        return std::all_of(Grid().Tiles().begin(), Grid().Tiles().end(),
                           [](GridTile* t) { return Streaming(t); });
    }));
    for (GridTile* tile : Grid().Tiles()) {
        int32_t scaled = 0;
        tile->Control()->get_ScaledDecoding(&scaled);
        EXPECT_EQ(scaled, 1) << tile->ItemPath().toStdString();
        EXPECT_TRUE(tile->StatusText().isEmpty());
        // The picture keeps its aspect inside the tile.
        const QSize picture = tile->HostWindow()->size();
        EXPECT_NEAR(picture.width() * 3.0 / picture.height(), 4.0, 0.1);
    }

    // A camera selected: no grid.
    Frame().OnCommand(Command::Back);
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
    Tree().SelectPath("/CameraCollection/Yard/alpha");
    Frame().OnCommand(Command::ViewAsGrid);
    Pump(50);
    EXPECT_EQ(Frame().ActiveView(), &Collection());
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard/Tour", 2));
    EXPECT_EQ(Grid().Tiles()[1]->CurrentCamera().name, "Beach");

    // The command is in the Camera menu, which is the collection's only menu beside Tools and
    // Help, and Shift+Enter gives it.
    Frame().OnCommand(Command::Back);
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
    QStringList menus;
    for (const QAction* menu : Frame().menuBar()->actions())
        menus.append(menu->text());
    EXPECT_EQ(menus, QStringList({"Camera", "Tools", "Help"}));
    Tree().SelectPath("/CameraCollection/Yard/Inner");
    PressKey(&Tree(), Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Grid() && Grid().Tiles().size() == 1; }));
}

TEST_F(GridTest, EnterOrADoubleClickOpensATileAndEnterComesBackToTheGrid) {
    InProcessCamsim camera;
    Start();
    AddFolder("/CameraCollection/Yard");
    for (const char* name : {"A", "B", "C"})
        AddCamera(QString("/CameraCollection/Yard/") + name, camera);
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 3));
    PressKey(&Grid(), Qt::Key_Right);
    EXPECT_EQ(Grid().SelectedTile(), 1);
    QTest::keyClick(&Grid(), Qt::Key_Return);
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Camera() && Camera().IsConnected(); }));
    EXPECT_EQ(Camera().CurrentCamera().name, "B");
    ASSERT_TRUE(PumpUntil([this] { return Camera().HostWindow()->isVisible(); }));
    EXPECT_TRUE(Grid().Tiles().empty()); // the grid's streams stop while it is not shown

    QTest::keyClick(&Camera(), Qt::Key_Return);
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Grid() && Grid().Tiles().size() == 3; }));
    EXPECT_EQ(Grid().SelectedTile(), 1);
    EXPECT_FALSE(Camera().IsConnected());

    QTest::mouseDClick(Grid().Tiles()[2], Qt::LeftButton, {}, Grid().Tiles()[2]->rect().center());
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Camera() && Camera().IsConnected(); }));
    EXPECT_EQ(Camera().CurrentCamera().name, "C");
    QTest::keyClick(&Camera(), Qt::Key_Escape); // back to the grid, as Enter
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Grid() && Grid().Tiles().size() == 3; }));
    QTest::keyClick(&Grid(), Qt::Key_Escape); // and to the collection
    ASSERT_TRUE(PumpUntil([this] { return Frame().ActiveView() == &Collection(); }));
    EXPECT_TRUE(Grid().Tiles().empty());
    EXPECT_EQ(Frame().windowTitle(), "Lumenfold");
}

TEST_F(GridTest, MoreThanSixteenItemsTurnPages) {
    camsim::CameraConfig config;
    config.fps = 5;
    config.width = 160;
    config.height = 120;
    InProcessCamsim camera(config);
    Start();
    AddFolder("/CameraCollection/Many");
    for (int i = 0; i < 17; ++i)
        AddCamera(QString("/CameraCollection/Many/Camera %1").arg(i, 2, 10, QChar('0')), camera);
    ASSERT_TRUE(OpenGrid("/CameraCollection/Many", 16));
    EXPECT_EQ(Grid().GridSize(), QSize(4, 4));
    EXPECT_EQ(Grid().PageCount(), 2);
    EXPECT_EQ(Frame().windowTitle(), "Many (page 1 of 2)");

    QTest::keyClick(&Grid(), Qt::Key_PageDown);
    ASSERT_EQ(Grid().Tiles().size(), 1u);
    EXPECT_EQ(Grid().Tiles()[0]->CurrentCamera().name, "Camera 16");
    EXPECT_EQ(Frame().windowTitle(), "Many (page 2 of 2)");
    QTest::keyClick(&Grid(), Qt::Key_PageDown); // the last page stays
    EXPECT_EQ(Grid().Page(), 1);
    Frame().OnCommand(Command::PreviousPage);
    EXPECT_EQ(Grid().Tiles().size(), 16u);
    EXPECT_EQ(Grid().Tiles()[0]->CurrentCamera().name, "Camera 00");
}

TEST_F(GridTest, PasswordPromptsComeOneAtATimeWhileTheOtherTilesGoOn) {
    const camsim::CameraConfig locked = PasswordCamera();
    InProcessCamsim open;
    InProcessCamsim gate(locked);
    InProcessCamsim door(locked);
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/Door", door);
    AddCamera("/CameraCollection/Yard/Gate", gate);
    AddCamera("/CameraCollection/Yard/Open", open);

    int prompts = 0;
    bool inPrompt = false;
    bool nested = false;
    bool othersWentOn = false;
    QStringList waiting;
    for (int i = 0; i < 2; ++i) {
        QueueCredentials("viewer", "s3cret", [&](QDialog*) {
            nested = nested || inPrompt;
            inPrompt = true;
            ++prompts;
            GridTile* openTile = Grid().Tiles()[2];
            const int before = PicturesShown(openTile);
            othersWentOn = PumpUntil([&] { return PicturesShown(openTile) >= before + 3; });
            if (prompts == 1)
                waiting = {Grid().Tiles()[0]->StatusText(), Grid().Tiles()[1]->StatusText()};
            inPrompt = false;
        });
    }
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 3));
    ASSERT_TRUE(PumpUntil(
        [&] {
            return std::all_of(Grid().Tiles().begin(), Grid().Tiles().end(),
                               [](GridTile* t) { return Streaming(t); });
        },
        10000));
    EXPECT_EQ(prompts, 2);
    EXPECT_FALSE(nested);
    EXPECT_TRUE(othersWentOn);
    EXPECT_EQ(waiting, QStringList(2, "This device requires a valid user name and password."));
    EXPECT_EQ(ModalSeam::Unexpected(), 0);
    EXPECT_FALSE(Settings().Exists("/CameraCollection/Yard/Gate/Password")); // not asked to keep it
}

// The grid left while a tile asks for its password: the tile goes once the prompt closes. A
// prompt cancelled asks again when its tile is clicked.
TEST_F(GridTest, APromptOutlivesItsGridAndACancelledOneAsksAgainAtAClick) {
    InProcessCamsim gate(PasswordCamera());
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/Gate", gate);
    int prompts = 0;
    ModalSeam::QueueHandler([&](QDialog* dialog) {
        Frame().OnCommand(Command::ViewCameras);
        PumpUntil([&] { return Frame().ActiveView() == &Collection(); });
        dialog->reject();
        ++prompts;
    });
    Tree().Refill();
    Tree().SelectPath("/CameraCollection/Yard");
    Frame().OnCommand(Command::ViewAsGrid); // its prompt may leave the grid before a pump sees it
    ASSERT_TRUE(PumpUntil([&] { return prompts == 1 && Frame().ActiveView() == &Collection(); }));
    ModalSeam::QueueHandler([&](QDialog* dialog) {
        dialog->reject();
        ++prompts;
    });
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 1));
    ASSERT_TRUE(PumpUntil([&] { return prompts == 2; }));
    QueueCredentials("viewer", "s3cret");
    QTest::mouseClick(Grid().Tiles()[0], Qt::LeftButton, {}, Grid().Tiles()[0]->rect().center());
    EXPECT_TRUE(PumpUntil([&] { return Streaming(Grid().Tiles()[0]); }));
    EXPECT_EQ(ModalSeam::Unexpected(), 0);
}

// A wall display's grid asks nobody at start: a tile that wants a password says so and asks when
// clicked, and a camera that went away says so while it is tried again.
TEST_F(GridTest, OnAWallDisplayNoBoxWaitsAndAClickedTileAsksForItsPassword) {
    InProcessCamsim gate(PasswordCamera());
    auto door = std::make_unique<InProcessCamsim>();
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/Door", *door);
    AddCamera("/CameraCollection/Yard/Gate", gate);
    StartUnattended("/CameraCollection/Yard", true);
    ASSERT_TRUE(PumpUntil([&] { return Frame().ActiveView() == &Grid() && Grid().Tiles().size() == 2; }));
    const std::vector<GridTile*> tiles = Grid().Tiles();
    ASSERT_TRUE(PumpUntil([&] {
        return Streaming(tiles[0]) &&
               tiles[1]->StatusText() == "Needs a user name and password: press Enter or click";
    }));
    door.reset();
    EXPECT_TRUE(
        PumpUntil([&] { return tiles[0]->StatusText().startsWith("Connection lost, trying again ("); }));
    EXPECT_EQ(ModalSeam::Unexpected(), 0);
    QueueCredentials("viewer", "s3cret");
    QTest::mouseClick(tiles[1], Qt::LeftButton, {}, tiles[1]->rect().center());
    ASSERT_TRUE(PumpUntil([&] { return Streaming(tiles[1]); }));
    EXPECT_EQ(Frame().ActiveView(), &Grid()); // the click asked; it did not open the camera
    EXPECT_EQ(ModalSeam::Unexpected(), 0);
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty());
}

// The digital zoom: Ctrl+Plus, Ctrl+Minus and Ctrl+0 zoom the selected tile, and the camera view
// they open; the wheel zooms the tile it is turned over.
TEST_F(GridTest, TheZoomKeysZoomTheSelectedTileAndTheCameraViewAndTheWheelTheTileUnderIt) {
    InProcessCamsim camera;
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/Door", camera);
    AddCamera("/CameraCollection/Yard/Gate", camera);
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 2));
    const std::vector<GridTile*> tiles = Grid().Tiles();
    ASSERT_TRUE(PumpUntil([&] { return Streaming(tiles[0]) && Streaming(tiles[1]); }));
    const auto zoom = [](ICamImage* control) {
        int32_t percent = 0;
        control->get_Zoom(&percent);
        return percent;
    };
    const QPointF over = tiles[1]->rect().center();
    QWheelEvent wheel(over, tiles[1]->mapToGlobal(over), QPoint(), QPoint(0, 240), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(tiles[1], &wheel);
    EXPECT_EQ(zoom(tiles[1]->Control()), 200);
    EXPECT_EQ(zoom(tiles[0]->Control()), 100);
    const struct {
        Qt::Key key;
        int tile; // the tile's zoom after it, and the other's
        int other;
    } keys[] = {
        {Qt::Key_Plus, 141, 200}, {Qt::Key_Plus, 200, 200}, {Qt::Key_Minus, 141, 200}, {Qt::Key_0, 100, 200}};
    for (const auto& k : keys) {
        PressKey(&Grid(), k.key, Qt::ControlModifier);
        EXPECT_EQ(zoom(tiles[0]->Control()), k.tile) << k.key;
        EXPECT_EQ(zoom(tiles[1]->Control()), k.other) << k.key;
    }
    Grid().OpenSelected();
    ASSERT_TRUE(PumpUntil([&] { return Frame().ActiveView() == &Camera() && Camera().IsConnected(); }));
    PressKey(&Camera(), Qt::Key_Equal, Qt::ControlModifier); // Plus without Shift
    EXPECT_EQ(zoom(Camera().Control()), 141);
    PressKey(&Camera(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(zoom(Camera().Control()), 100);
    // Opened again, the camera is shown whole.
    PressKey(&Camera(), Qt::Key_Equal, Qt::ControlModifier);
    Frame().OnCommand(Command::Back);
    ASSERT_TRUE(PumpUntil([&] { return Frame().ActiveView() == &Grid() && Grid().Tiles().size() == 2; }));
    Grid().OpenSelected();
    ASSERT_TRUE(PumpUntil([&] { return Frame().ActiveView() == &Camera() && Camera().IsConnected(); }));
    EXPECT_EQ(zoom(Camera().Control()), 100);
}

// Each layout places a page's tiles in its cells without overlap, the big place first and as
// large as it says; the arrow keys go to the place above or below.
TEST(GridLayoutTest, EachLayoutPlacesItsTilesAndTheArrowsFindTheNeighbours) {
    const struct {
        GridLayout::Kind kind;
        const char* name;
        int perPage;
        int bigCells; // of the first place, per side
        QSize cells;
    } layouts[] = {
        {GridLayout::Automatic, "auto", 16, 1, QSize(4, 4)},
        {GridLayout::TwoByTwo, "2x2", 4, 1, QSize(2, 2)},
        {GridLayout::ThreeByThree, "3x3", 9, 1, QSize(3, 3)},
        {GridLayout::FourByFour, "4x4", 16, 1, QSize(4, 4)},
        {GridLayout::OneAndFive, "1+5", 6, 2, QSize(3, 3)},
        {GridLayout::OneAndSeven, "1+7", 8, 3, QSize(4, 4)},
        {GridLayout::OneAndTwelve, "1+12", 13, 2, QSize(4, 4)},
    };
    const QSize page(1200, 960);
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.name);
        const GridLayout layout(l.kind);
        EXPECT_EQ(GridLayout::Named(l.name).Which(), l.kind);
        EXPECT_EQ(layout.Name(), l.name);
        EXPECT_EQ(layout.TilesPerPage(), l.perPage);
        EXPECT_EQ(layout.Cells(l.perPage), l.cells);
        const std::vector<QRect> places = layout.Places(l.perPage, page);
        ASSERT_EQ(static_cast<int>(places.size()), l.perPage);
        EXPECT_EQ(places[0], QRect(0, 0, page.width() * l.bigCells / l.cells.width(),
                                   page.height() * l.bigCells / l.cells.height()));
        int area = 0;
        for (size_t i = 0; i < places.size(); ++i) {
            area += places[i].width() * places[i].height();
            EXPECT_TRUE(QRect(QPoint(), page).contains(places[i]));
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(places[i].intersects(places[j])) << i << " " << j;
        }
        EXPECT_EQ(area, page.width() * page.height()); // a full page leaves no cell empty
    }
    EXPECT_EQ(GridLayout::Named("9x9").Which(), GridLayout::Automatic);
    // 1+5: the big place, two small ones right of it, three below.
    const std::vector<QRect> places = GridLayout(GridLayout::OneAndFive).Places(6, page);
    EXPECT_EQ(NeighbourPlace(places, 0, 1), 3);
    EXPECT_EQ(NeighbourPlace(places, 4, -1), 0);
    EXPECT_EQ(NeighbourPlace(places, 2, 1), 5);
    EXPECT_EQ(NeighbourPlace(places, 1, -1), 1); // nothing above
}

// A layout chosen from the menu and an order made by dragging a tile onto another are kept in the
// folder's settings and come back at the next start; the big place decodes its pictures whole.
TEST_F(GridTest, TheLayoutAndTheOrderDraggedAreKeptAndComeBackAtTheNextStart) {
    InProcessCamsim camera;
    Start();
    AddFolder("/CameraCollection/Yard");
    QStringList names;
    for (int i = 0; i < 7; ++i) {
        names.append("Camera " + QString::number(i));
        AddCamera("/CameraCollection/Yard/" + names.back(), camera);
    }
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 7));
    Frame().OnCommand(Command::LayoutFirst + GridLayout::OneAndFive);
    ASSERT_TRUE(PumpUntil([&] { return Grid().Tiles().size() == 6; }));
    EXPECT_EQ(Grid().PageCount(), 2);
    EXPECT_TRUE(Frame().Bar().IsChecked(Command::LayoutFirst + GridLayout::OneAndFive));
    EXPECT_FALSE(Frame().Bar().IsChecked(Command::LayoutFirst));
    const auto scaled = [](const GridTile* tile) {
        int32_t on = -1;
        tile->Control()->get_ScaledDecoding(&on);
        return on;
    };
    std::vector<GridTile*> tiles = Grid().Tiles();
    EXPECT_GT(tiles[0]->width(), 1.9 * tiles[1]->width());
    EXPECT_EQ(scaled(tiles[0]), 0);
    EXPECT_EQ(scaled(tiles[1]), 1);
    // Camera 4 dragged onto the big place changes places with camera 0.
    QTest::mousePress(tiles[4], Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(tiles[4], QPoint(40, 40));
    QTest::mouseRelease(tiles[4], Qt::LeftButton, {},
                        tiles[4]->mapFrom(&Grid(), tiles[0]->geometry().center()));
    EXPECT_EQ(Grid().Tiles()[0]->ItemPath(), "/CameraCollection/Yard/Camera 4");
    EXPECT_EQ(Grid().Tiles()[4]->ItemPath(), "/CameraCollection/Yard/Camera 0");
    EXPECT_EQ(scaled(Grid().Tiles()[0]), 0);
    EXPECT_EQ(scaled(Grid().Tiles()[4]), 1);
    // The layout chosen again changes nothing: the tiles go on, each where it was.
    tiles = Grid().Tiles();
    Frame().Bar().SetChecked(Command::LayoutFirst + GridLayout::OneAndFive, false); // as a click does
    Frame().OnCommand(Command::LayoutFirst + GridLayout::OneAndFive);
    EXPECT_EQ(Grid().Tiles(), tiles);
    EXPECT_TRUE(Frame().Bar().IsChecked(Command::LayoutFirst + GridLayout::OneAndFive));

    StartUnattended("/CameraCollection/Yard", true);
    ASSERT_TRUE(PumpUntil([&] { return Frame().ActiveView() == &Grid() && Grid().Tiles().size() == 6; }));
    EXPECT_EQ(Grid().Layout().Which(), GridLayout::OneAndFive);
    QStringList shown;
    for (const GridTile* tile : Grid().Tiles())
        shown.append(tile->ItemPath().section('/', -1));
    EXPECT_EQ(shown, QStringList({"Camera 4", "Camera 1", "Camera 2", "Camera 3", "Camera 0", "Camera 5"}));

    // Renamed, a camera keeps its place.
    Settings().Move(Path("/CameraCollection/Yard/Camera 4"), Path("/CameraCollection/Yard/Gate"));
    FollowGridOrders("/CameraCollection/Yard/Camera 4", "/CameraCollection/Yard/Gate");
    EXPECT_EQ(InKeptOrder("/CameraCollection/Yard",
                          {"/CameraCollection/Yard/Camera 0", "/CameraCollection/Yard/Gate"}),
              QStringList({"/CameraCollection/Yard/Gate", "/CameraCollection/Yard/Camera 0"}));
}

// A camera whose settings ask for motion detection frames its tile while a box crosses its
// pictures, and not before nor after; with the option on, the tile comes to the big place. The
// motion leaves one event with its picture, which opens the camera paused at its moment from the
// replay memory. A camera that does not ask is never framed.
TEST_F(GridTest, MotionFramesTheTileBringsItToTheBigPlaceAndLeavesAnEventThatOpensItsMoment) {
    camsim::CameraConfig moving;
    moving.scene = *camsim::MotionScene::Parse("box:15:40");
    InProcessCamsim yard(moving);
    InProcessCamsim door(moving);
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/Yard", yard);
    AddCamera("/CameraCollection/Yard/Door", door);
    Settings().SetValue("/CameraCollection/Yard/Yard/MotionDetection", Data(true));
    Settings().SetValue("/CameraCollection/Yard/GridLayout", Data("1+5"));
    Settings().SetValue("/CameraCollection/Yard/GridOrder", Data("Door\nYard"));
    Settings().SetValue("/Motion/BringToBigPlace", Data(true));
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 2));
    Frame().OnCommand(Command::MotionEvents); // follows the events while they come
    GridTile* watched = Grid().Tiles()[1];
    ASSERT_TRUE(watched->ItemPath().endsWith("/Yard"));
    ASSERT_TRUE(PumpUntil([&] { return Streaming(watched); }));
    EXPECT_FALSE(watched->ShowsMotion());
    ASSERT_TRUE(PumpUntil([&] { return watched->ShowsMotion(); }, 5000));
    EXPECT_EQ(Grid().Tiles()[0], watched) << "in the big place";
    EXPECT_TRUE(PumpUntil([&] { return !watched->ShowsMotion(); }, 6000)) << "motion ends after the box";
    EXPECT_FALSE(Grid().Tiles()[1]->ShowsMotion());

    const std::deque<MotionEvents::Event>& events = app->Alerts()->Events().Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].name, "Yard");
    EXPECT_GT(events[0].durationMs, 1000);
    EXPECT_FALSE(app->Alerts()->Events().PictureOf(events[0]).isNull());

    QTreeWidget* list = app->Alerts()->Window()->List();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), events[0].DurationText());
    list->setCurrentItem(list->topLevelItem(0));
    emit list->itemActivated(list->topLevelItem(0), 0);
    int32_t paused = 0;
    ASSERT_TRUE(PumpUntil([&] {
        return Frame().ActiveView() == &Camera() && Camera().Control()->get_Paused(&paused) == S_OK && paused;
    }));
    BString shown;
    Camera().Control()->get_ShownTime(shown.Receive());
    const int64_t shownMs = QDateTime::fromString(shown.ToQString(), Qt::ISODateWithMs).toMSecsSinceEpoch();
    EXPECT_LT(std::abs(shownMs - events[0].id), 1000) << shown.ToQString().toStdString();

    // Opened again from the camera view, the camera is not lost on the way; back, the grid it
    // came from has it chosen, in its own place.
    const int from = Log().size();
    emit list->itemActivated(list->topLevelItem(0), 0);
    emit list->itemActivated(list->topLevelItem(0), 0); // a double-click's second
    Pump(30);
    emit list->itemActivated(list->topLevelItem(0), 0);
    ASSERT_TRUE(PumpUntil([&] { return LogIndex("Stream Started on 'Yard'", from) >= 0; }));
    EXPECT_EQ(LogIndex("OnConnectionBroken on 'Yard', ", from), -1);
    Frame().OnCommand(Command::Back);
    ASSERT_TRUE(PumpUntil([&] { return Frame().ActiveView() == &Grid() && Grid().Tiles().size() == 2; }));
    EXPECT_EQ(Grid().SelectedTile(), 1);
    EXPECT_TRUE(Grid().Tiles()[1]->ItemPath().endsWith("/Yard"));
    // A moment the replay memory no longer holds is shown live, and the title says so.
    Frame().OpenCameraAt(Grid().Tiles()[1]->ItemPath(), events[0].id - 3600 * 1000);
    EXPECT_TRUE(PumpUntil([&] { return Frame().windowTitle().contains("no longer kept: shown live"); }));
    // One of a camera that is gone says so.
    Frame().OpenCameraAt("/CameraCollection/Yard/Shed", events[0].id);
    EXPECT_EQ(MessageBoxSeam::Shown().value(0),
              "'Shed' is no longer in the collection: it was renamed, moved or deleted.");
}

TEST_F(GridTest, EachTileSaysItsStateInWords) {
    camsim::CameraConfig slow;
    slow.faults.delayMs = 1500;
    InProcessCamsim connecting(slow);
    camsim::CameraConfig missing;
    missing.faults.status = 404;
    InProcessCamsim notFound(missing);
    camsim::CameraConfig stalling;
    stalling.faults.stallAfter = 3;
    InProcessCamsim stalled(stalling);
    camsim::CameraConfig freezing;
    freezing.faults.repeatAfter = 3;
    InProcessCamsim frozen(freezing);
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/A Slow", connecting);
    AddCamera("/CameraCollection/Yard/B Missing", notFound);
    AddCamera("/CameraCollection/Yard/C Stalled", stalled);
    AddCamera("/CameraCollection/Yard/D Frozen", frozen);
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 4));
    const std::vector<GridTile*> tiles = Grid().Tiles();
    EXPECT_EQ(tiles[0]->StatusText(), "Connecting");
    ASSERT_TRUE(PumpUntil([&] { return tiles[1]->StatusText().startsWith("Image stream not found"); }));
    EXPECT_EQ(tiles[1]->StatusText(), "Image stream not found for camera 'B Missing' at the network address "
                                      "'127.0.0.1'. The camera firmware version is not supported.");
    ASSERT_TRUE(PumpUntil([&] { return tiles[2]->StatusText().startsWith("No picture for "); }, 8000));
    ASSERT_TRUE(PumpUntil([&] { return Streaming(tiles[0]) && tiles[0]->StatusText().isEmpty(); }));
    ASSERT_TRUE(PumpUntil(
        [&] { return tiles[3]->StatusText().startsWith("The camera sends the same picture since "); }, 9000));
    frozen.Server().Unfreeze();
    EXPECT_TRUE(PumpUntil([&] { return tiles[3]->StatusText().isEmpty(); }));
    EXPECT_TRUE(MessageBoxSeam::Shown().isEmpty()); // a tile never stops the grid with a message
}

// A camera that ends each stream after its first picture is asked again at once, then less and
// less often: a few connections in 4 s, not hundreds.
TEST_F(GridTest, ATileBacksOffFromACameraThatEndsEachStreamAtOnce) {
    camsim::CameraConfig onePicture;
    onePicture.faults.closeAfter = 1;
    InProcessCamsim camera(onePicture);
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/A", camera);
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 1));
    Pump(4000);
    const size_t connections = camera.Server().Requests().All().size();
    EXPECT_GE(connections, 3u); // at once, after 0.5 s, after 1 s, after 2 s
    EXPECT_LE(connections, 6u);
}

// A camera that serves one client at a time, in two tiles and then in the camera view.
TEST_F(GridTest, OneCameraShownTwiceAndOpenedFromTheGridIsReadOnce) {
    camsim::CameraConfig oneClient;
    oneClient.maxStreamClients = 1;
    InProcessCamsim camera(oneClient);
    Start();
    AddFolder("/CameraCollection/Yard");
    AddCamera("/CameraCollection/Yard/A", camera);
    AddCamera("/CameraCollection/Yard/B", camera);
    ASSERT_TRUE(OpenGrid("/CameraCollection/Yard", 2));
    const std::vector<GridTile*> tiles = Grid().Tiles();
    ASSERT_TRUE(PumpUntil([&] { return PicturesShown(tiles[0]) > 3 && PicturesShown(tiles[1]) > 3; }));
    PressKey(&Grid(), Qt::Key_Return);
    ASSERT_TRUE(PumpUntil(
        [this] { return Frame().ActiveView() == &Camera() && Camera().HostWindow()->isVisible(); }));
    int32_t shown = 0;
    ASSERT_TRUE(
        PumpUntil([&] { return Camera().Control()->get_PicturesShown(&shown) == S_OK && shown > 3; }));
    EXPECT_EQ(camera.Server().Requests().CountStreams(camsim::StreamAnswer::Served), 1u);
    EXPECT_EQ(camera.Server().Requests().CountStreams(camsim::StreamAnswer::Refused), 0u);
}

TEST_F(GridTest, ThirtyThousandNestedFoldersStartAndListTheDeepestCameras) {
    Settings().SetValue("/CameraCollection/Type", Data("Folder"));
    const QString deepest = AddNestedFolders(30000);
    ASSERT_TRUE(SaveSettings());
    Start();
    QString next;
    ASSERT_TRUE(Tree().NextSibling(deepest + "/Door", next));
    EXPECT_EQ(next, deepest + "/Gate");
    EXPECT_EQ(GridItems("/CameraCollection"), QStringList({deepest + "/Door", deepest + "/Gate"}));
}

} // namespace

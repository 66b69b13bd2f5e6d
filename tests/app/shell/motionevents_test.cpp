// The motion events the viewer keeps: one event a camera however many views show it, kept across
// a restart, a crash and a clock set back, damaged lines skipped, no more than the newest
// kMaxEvents, and none lost when two viewers share the file; the window that lists them.

#include "app/shell/eventswindow.h"
#include "app/shell/motionevents.h"

#include "tests/support/filesystemfaults.h"
#include "tests/support/temporarydataroot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>

#include <algorithm>
#include <optional>

#include <gtest/gtest.h>

namespace {

TEST(MotionEventsTest, OneEventACameraKeptAcrossARestartACrashAndDamageAndOnlyTheNewest) {
    TemporaryDataRoot root;
    const QString folder = root.File("events");
    {
        MotionEvents events(folder);
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        EXPECT_TRUE(events.Started("/C/Yard", "Yard", picture));
        EXPECT_FALSE(events.Started("/C/Yard", "Yard", QImage()))
            << "its tile and the camera view: one event";
        events.Ended("/C/Yard");
        EXPECT_EQ(events.Events().back().durationMs, -1) << "the other view still sees it";
        events.Ended("/C/Yard");
        EXPECT_GE(events.Events().back().durationMs, 0);
        EXPECT_EQ(events.PictureOf(events.Events().back()).width(), MotionEvents::kPictureWidth);
        events.Started("/C/Gate", "Gate", QImage()); // and the viewer ends without its end
    }
    QFile file(folder + "/motionevents.txt");
    ASSERT_TRUE(file.open(QIODevice::Append));
    // Damage, a start beyond any date, one two hours ahead of a clock set back since, and a line
    // cut short by a crash.
    const QByteArray ahead = QByteArray::number(QDateTime::currentMSecsSinceEpoch() + 2 * 3600 * 1000);
    file.write("garbage\nS\tnot a number\t/C/X\tX\nE\t12\t5\nS\t1\t/C/Short\n"
               "S\t9223372036854775807\t/C/Later\tLater\nS\t" +
               ahead + "\t/C/Early\tEarly\nE\t" + ahead + "\t3000\nE\t" + ahead + "\t12");
    file.close();

    MotionEvents events(folder);
    ASSERT_EQ(events.Events().size(), 3u);
    EXPECT_EQ(events.Events()[0].name, "Yard");
    EXPECT_GE(events.Events()[0].durationMs, 0);
    EXPECT_EQ(events.Events()[1].name, "Gate");
    EXPECT_EQ(events.Events()[1].DurationText(), "\u2014") << "its end was lost";
    EXPECT_EQ(events.Events()[2].DurationText(), "3 s");
    events.Started("/C/Porch", "Porch", QImage());
    const MotionEvents afterTheCut(folder);
    EXPECT_EQ(afterTheCut.Events().back().name, "Porch") << "not taken by the line cut short";
    EXPECT_EQ(afterTheCut.Events()[2].DurationText(), "3 s") << "not the end cut short";
    events.FollowMove("/C/Porch", "/C/Back/Porch"); // its camera moved
    EXPECT_EQ(MotionEvents(folder).Events().back().itemPath, "/C/Back/Porch");
    EXPECT_LT(events.Events().back().Start().secsTo(QDateTime::currentDateTime()), 60) << "the clock's time";

    // Written anew once twice the lines of the events kept are there, with another viewer's.
    MotionEvents other(folder);
    constexpr size_t kDoors = MotionEvents::kLinesAnEvent * MotionEvents::kMaxEvents;
    for (size_t n = 0; n < kDoors; ++n) {
        if (n == kDoors - 1000)
            other.Started("/C/Other", "Other", QImage());
        events.Started("/C/Door", "Door", QImage());
        events.Ended("/C/Door");
    }
    other.Ended("/C/Other"); // into the file written anew
    EXPECT_EQ(events.Events().size(), MotionEvents::kMaxEvents);
    EXPECT_EQ(events.Events().front().name, "Door");
    const MotionEvents reread(folder);
    EXPECT_EQ(reread.Events().size(), MotionEvents::kMaxEvents);
    EXPECT_EQ(reread.Events().back().id, events.Events().back().id);
    const auto others = std::find_if(reread.Events().begin(), reread.Events().end(),
                                     [](const MotionEvents::Event& e) { return e.name == "Other"; });
    ASSERT_NE(others, reread.Events().end());
    EXPECT_GE(others->durationMs, 0);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_LT(file.readAll().count('\n'),
              static_cast<qsizetype>(2 * MotionEvents::kLinesAnEvent * MotionEvents::kMaxEvents));
}

// A folder that cannot be written to, or a FIFO or device in the file's place (never waited on),
// keeps nothing, but the events are still listed.
TEST(MotionEventsTest, EventsThatCannotBeKeptAreStillListed) {
    for (const char* kind : {"read-only folder", "FIFO", "device"}) {
        SCOPED_TRACE(kind);
        TemporaryDataRoot root;
        const QString folder = root.File("shut");
        QDir().mkpath(folder);
        const QString file = folder + "/motionevents.txt";
        std::optional<ReadOnlyFolder> shut;
        if (kind[0] == 'r')
            shut.emplace(folder);
        else
            ASSERT_TRUE(kind[0] == 'F' ? MakeFifo(file) : QFile::link("/dev/zero", file));
        MotionEvents events(folder);
        events.Started("/C/Yard", "Yard", QImage(64, 48, QImage::Format_RGB32));
        events.Ended("/C/Yard");
        ASSERT_EQ(events.Events().size(), 1u);
        EXPECT_GE(events.Events()[0].durationMs, 0);
        EXPECT_EQ(QFileInfo(file).isFile(), false);
    }
}

// The window's rows follow their events: a long event that ends below many newer ones, and one
// whose camera moved, which opens it where it is now.
TEST(MotionEventsTest, TheWindowsRowsFollowEndsAndMoves) {
    TemporaryDataRoot root;
    MotionEvents events(root.File("events"));
    QString opened;
    EventsWindow window(nullptr, events, [&](const QString& path, int64_t) { opened = path; });
    window.show();
    events.Started("/C/Porch", "Porch", QImage());
    for (int n = 0; n < EventsWindow::kPictures; ++n) {
        events.Started("/C/Door", "Door", QImage());
        events.Ended("/C/Door");
    }
    events.Ended("/C/Porch");
    events.FollowMove("/C/Porch", "/C/Back/Porch");
    QTreeWidgetItem* porch = window.List()->topLevelItem(EventsWindow::kPictures);
    ASSERT_EQ(porch->text(0), "Porch");
    EXPECT_EQ(porch->text(2), "0 s");
    window.List()->setCurrentItem(porch);
    emit window.List()->itemActivated(porch, 0);
    EXPECT_EQ(opened, "/C/Back/Porch");
}

} // namespace

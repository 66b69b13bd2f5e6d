#pragma once
// What a camera or live view site does about motion, kept in the item's node beside its other
// values: whether its pictures are looked at for motion, how keenly, which areas count for
// nothing, and whether motion is recorded. Values older readers ignore; an item that never had
// them keeps none (Save writes them only once detection was turned on).

#include <QList>
#include <QRectF>
#include <QString>

class Node;

struct MotionOptions {
    bool detect = false;   // "MotionDetection"
    int sensitivity = 50;  // "MotionSensitivity": 1 (only large changes) .. 100
    int smallestArea = 10; // "MotionArea": the smallest moving area, in tenths of a percent
    QList<QRectF> ignored; // "MotionIgnored": areas in shares of the picture
    bool record = false;   // "MotionRecord": record from before motion to after it
    int recordBefore = 5;  // "MotionRecordBefore": seconds
    int recordAfter = 10;  // "MotionRecordAfter": seconds
    bool stored = false;   // the item has the values
    bool operator==(const MotionOptions&) const = default;

    void Load(const Node& item);
    void Save(const Node& item) const;

    // The ignored areas as the control takes them: "L,T,W,H;..." in ten-thousandths of the
    // picture. A text that says nothing readable gives no area.
    QString IgnoredText() const;
    static QList<QRectF> ParseIgnored(const QString& text);
};

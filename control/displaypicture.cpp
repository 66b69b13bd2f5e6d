#include "control/displaypicture.h"

#include "control/jpegdecoder.h"
#include "control/picturekernels.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <new>

namespace {

// Where the strip's first row starts in its memory: a few bytes past a cache line. libjpeg-turbo
// writes a row that starts on a 16- or 32-byte boundary with stores that bypass the cache, so a
// strip so placed would have to be read back from memory to be turned, which costs more than
// the decoding itself; rows that start elsewhere are written into the cache.
// The bytes the strip's memory needs beyond its rows for that: up to a cache line and a pixel.
constexpr size_t kStripSlack = 64 + kStripPixelBytes;
uint8_t* StripStart(uint8_t* memory) {
    const auto address = reinterpret_cast<uintptr_t>(memory);
    return memory + ((address + 63) / 64 * 64 - address) + kStripPixelBytes;
}

// Drawn over target: the whole image as it is, or a part of it.
void DrawImage(QPainter& painter, const QRect& target, const QImage& image, const QRectF& source) {
    if (source == QRectF(image.rect()))
        painter.drawImage(target, image);
    else
        painter.drawImage(QRectF(target), image, source);
}

} // namespace

// An area of the picture as drawn, in shares of it, as it lies in the decoded picture, and back.
// Turned a quarter right (90), the decoded picture's left column is drawn as the top row.
QRectF DrawnToDecoded(const QRectF& a, int rotate) {
    switch (rotate) {
    case 90:
        return QRectF(a.top(), 1.0 - a.right(), a.height(), a.width());
    case 180:
        return QRectF(1.0 - a.right(), 1.0 - a.bottom(), a.width(), a.height());
    case 270:
        return QRectF(1.0 - a.bottom(), a.left(), a.height(), a.width());
    default:
        return a;
    }
}

QRectF DecodedToDrawn(const QRectF& d, int rotate) {
    switch (rotate) {
    case 90:
        return QRectF(1.0 - d.bottom(), d.left(), d.height(), d.width());
    case 270:
        return QRectF(d.top(), 1.0 - d.right(), d.height(), d.width());
    default:
        return DrawnToDecoded(d, rotate); // unturned and half round, each is its own inverse
    }
}

int DisplayPicture::AsDrawnStride(int width) {
    return (width * static_cast<int>(sizeof(QRgb)) + 31) / 32 * 32;
}

QImage DisplayPicture::AsDrawn() const {
    if (!bitsAsDrawn || bits.empty())
        return QImage();
    return QImage(bits.data() + kAsDrawnOffset, biWidth, biHeight, AsDrawnStride(biWidth),
                  QImage::Format_RGB32);
}

bool DisplayPicture::Prepare(void* context, int width, int height) {
    auto* t = static_cast<DecodeTarget*>(context);
    t->width = width;
    t->height = height;
    t->stride = RowBytes(width);
    DisplayPicture& p = *t->picture;
    try {
        if (t->quarterTurn) {
            // An odd number of cache lines a row, so that the strip's rows fall on different
            // cache sets when a column is read down them.
            t->stripStride = (width * kStripPixelBytes + 63) / 64 * 64;
            if (t->stripStride / 64 % 2 == 0)
                t->stripStride += 64;
            p.converted.resize(static_cast<size_t>(t->stripStride) * kStripRows + kStripSlack);
            t->strip = StripStart(p.converted.data());
            p.spare.resize(static_cast<size_t>(RowBytes(height)) * width);
        } else {
            if (t->asDrawn)
                t->stride = AsDrawnStride(width);
            p.spare.resize(static_cast<size_t>(t->stride) * height + (t->asDrawn ? kAsDrawnOffset : 0));
        }
    } catch (const std::bad_alloc&) {
        return false; // no memory for it: no picture, the shown one stays
    }
    return true;
}

uint8_t* DisplayPicture::Row(void* context, int y) {
    auto* t = static_cast<DecodeTarget*>(context);
    DisplayPicture& p = *t->picture;
    if (!t->quarterTurn) {
        p.MirrorRowsBefore(*t, y); // while they are still in the cache
        return p.spare.data() + (t->asDrawn ? kAsDrawnOffset : 0) +
               static_cast<size_t>(RowOf(*t, y)) * t->stride;
    }
    if (y - t->stripStart == kStripRows) {
        p.TurnStrip(*t, t->stripStart, y);
        t->stripStart = y;
    }
    return t->strip + static_cast<size_t>(y - t->stripStart) * t->stripStride;
}

int DisplayPicture::RowOf(const DecodeTarget& t, int y) {
    return t.reverseRows ? t.height - 1 - y : y;
}

void DisplayPicture::MirrorRowsBefore(DecodeTarget& t, int y) {
    for (; t.mirrorRows && t.mirrored < y; ++t.mirrored) {
        auto* row = reinterpret_cast<QRgb*>(spare.data() + kAsDrawnOffset +
                                            static_cast<size_t>(RowOf(t, t.mirrored)) * t.stride);
        MirrorRow(row, t.width);
    }
}

void DisplayPicture::TurnStrip(const DecodeTarget& t, int start, int end) {
    // Decoded row y (from the top) holds, for rotate 270, the converted picture's row
    // height - 1 - y, else row y. Bitmap row r, column c is the converted picture's row
    // (biWidth - 1 - c), column r, with biWidth = height.
    const int bitsStride = RowBytes(t.height);
    // Columns of consecutive strip rows are neighbours in a bitmap row: write them in runs.
    const int first = t.reverseRows ? t.height - 1 - (end - 1) : start; // converted rows, ascending
    const int count = end - start;
    // The strip rows in the order their pixels stand in a bitmap row.
    const uint8_t* rows[kStripRows];
    for (int k = 0; k < count; ++k) {
        const int convertedRow = first + count - 1 - k;
        const int y = t.reverseRows ? t.height - 1 - convertedRow : convertedRow;
        rows[k] = t.strip + static_cast<size_t>(y - start) * t.stripStride;
    }
    uint8_t* out = spare.data() + static_cast<size_t>(t.height - 1 - (first + count - 1)) * 3;
    TurnStripRows(rows, count, t.width, out, bitsStride);
}

bool DisplayPicture::Convert(const uint8_t* jpeg, size_t length, int rotate, QSize drawn,
                             const QRectF& area) {
    // Unturned or turned half round, the decoded rows are the picture as drawn (for the half turn
    // bottom row first, each row then mirrored); libjpeg-turbo fills the fourth byte of each
    // pixel with 0xFF, which makes them the window surface's 32-bit words.
    const bool asDrawn = rotate == 0 || rotate == 180;
    DecodeTarget target{this, rotate == 270 || rotate == 180, rotate == 90 || rotate == 270, asDrawn,
                        rotate == 180};
    DecodeScale scale;
    if (drawn.isValid() && !area.isEmpty()) {
        // The whole picture's cover size, at which the area covers the drawn size, in the
        // decoder's orientation.
        const int width = static_cast<int>(std::ceil(drawn.width() / area.width()));
        const int height = static_cast<int>(std::ceil(drawn.height() / area.height()));
        scale.coverWidth = target.quarterTurn ? height : width;
        scale.coverHeight = target.quarterTurn ? width : height;
    }
    const QRectF part = DrawnToDecoded(area, rotate);
    scale.partLeft = part.left();
    scale.partTop = part.top();
    scale.partWidth = part.width();
    scale.partHeight = part.height();
    // The shown bitmap stays untouched until the new one is whole. A quarter turn moves whole
    // 32-bit pixels; a rotation that is none of the four keeps the decoded rows as the bitmap.
    const PixelOrder order =
        target.quarterTurn || asDrawn ? PixelOrder::BlueGreenRedPadded : PixelOrder::BlueGreenRed;
    if (!DecodeJpegRows(jpeg, length, order, &target, &Prepare, &Row, &scale))
        return false;
    if (target.quarterTurn)
        TurnStrip(target, target.stripStart, target.height);
    MirrorRowsBefore(target, target.height);

    pictureWidth = scale.pictureWidth;
    pictureHeight = scale.pictureHeight;
    decodedWidth = target.width;
    decodedHeight = target.height;
    biWidth = target.quarterTurn ? decodedHeight : decodedWidth;
    biHeight = target.quarterTurn ? decodedWidth : decodedHeight;
    drawnWidth = target.quarterTurn ? scale.scaledHeight : scale.scaledWidth;
    drawnHeight = target.quarterTurn ? scale.scaledWidth : scale.scaledHeight;
    heldArea = DecodedToDrawn(QRectF(static_cast<double>(scale.partX) / scale.scaledWidth,
                                     static_cast<double>(scale.partY) / scale.scaledHeight,
                                     static_cast<double>(decodedWidth) / scale.scaledWidth,
                                     static_cast<double>(decodedHeight) / scale.scaledHeight),
                              rotate);
    convertedArea = area;
    bits.swap(spare);
    bitmapRotate = rotate;
    bitsAsDrawn = asDrawn;
    shownRotate = -1; // the new bitmap is turned into the shown picture when it is drawn
    if (asDrawn) {
        shown = QImage(); // nothing made from an earlier bitmap is drawn again
        shownBytes = PictureBytes();
    }
    return true;
}

QRectF DisplayPicture::SourceOf(const QRectF& area) const {
    if (area == heldArea)
        return QRectF(0, 0, biWidth, biHeight);
    return QRectF((area.left() - heldArea.left()) / heldArea.width() * biWidth,
                  (area.top() - heldArea.top()) / heldArea.height() * biHeight,
                  area.width() / heldArea.width() * biWidth, area.height() / heldArea.height() * biHeight);
}

void DisplayPicture::Draw(QPainter& painter, const QRect& client, bool stretch, const QRectF& area) {
    if (bits.empty())
        return;
    const QRect target =
        stretch ? QRect(0, 0, client.width(), client.height()) : QRect(0, 0, drawnWidth, drawnHeight);
    const QRectF source = SourceOf(area);
    if (bitsAsDrawn) { // already as it appears, in the window surface's format
        DrawImage(painter, target, AsDrawn(), source);
        return;
    }
    // Drawn much smaller than it is, the picture is sampled straight from the bitmap, mirrored
    // on the way: a large picture then costs no second bitmap. Otherwise it is made once, as it
    // appears, in the format of the window's surface, which draws many times faster than
    // converting and mirroring each pixel while drawing.
    const bool sampled = stretch && 2.0 * target.width() * target.height() < source.width() * source.height();
    if (sampled) {
        shown = QImage();
        shownBytes = PictureBytes();
        shownRotate = -1;
        const bool upsideDown = BitmapUpsideDown();
        const QImage memory(bits.data(), biWidth, biHeight, RowBytes(biWidth), QImage::Format_BGR888);
        painter.save();
        painter.translate(0, upsideDown ? target.bottom() + 1 : 0);
        painter.scale(1, upsideDown ? -1 : 1);
        const QRectF rows =
            upsideDown ? QRectF(source.left(), biHeight - source.bottom(), source.width(), source.height())
                       : source;
        DrawImage(painter, QRect(0, 0, target.width(), target.height()), memory, rows);
        painter.restore();
        return;
    }
    if (MakeShown())
        DrawImage(painter, target, shown, source);
}

bool DisplayPicture::BitmapUpsideDown() const {
    // The bitmap's first row is its bottom row; a source mirrored vertically (rotate 90) cancels
    // that out.
    return bitmapRotate != 90;
}

bool DisplayPicture::MakeShown() {
    const int rotate = bitmapRotate;
    if (shownRotate == rotate)
        return true;
    const size_t shownStride = static_cast<size_t>(biWidth) * sizeof(QRgb);
    if (shown.width() != biWidth || shown.height() != biHeight) {
        // Its memory is picture memory, like the bitmaps', and used again while the size stays.
        shown = QImage();
        try {
            shownBytes.resize(shownStride * static_cast<size_t>(biHeight));
        } catch (const std::bad_alloc&) {
            shownBytes = PictureBytes();
            return false; // nothing drawn; the next paint tries again
        }
        shown = QImage(shownBytes.data(), biWidth, biHeight, static_cast<qsizetype>(shownStride),
                       QImage::Format_RGB32);
    }
    // The mirroring is done here, in the one pass that turns the bitmap into the format of the
    // window's surface, so that drawing it converts nothing and no mirrored copy is made.
    const bool upsideDown = BitmapUpsideDown();
    const size_t stride = static_cast<size_t>(RowBytes(biWidth));
    for (int y = 0; y < biHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(shownBytes.data() + shownStride * static_cast<size_t>(y));
        BlueGreenRedToRgb32(bits.data() + stride * static_cast<size_t>(upsideDown ? biHeight - 1 - y : y),
                            row, biWidth);
    }
    shownRotate = rotate;
    return true;
}

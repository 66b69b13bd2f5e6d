#include "control/displaypicture.h"

#include "control/jpegdecoder.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <new>
#include <cstring>

bool DisplayPicture::Prepare(void* context, int width, int height) {
    auto* t = static_cast<DecodeTarget*>(context);
    t->width = width;
    t->height = height;
    t->stride = RowBytes(width);
    DisplayPicture& p = *t->picture;
    try {
        if (t->quarterTurn) {
            p.converted.resize(static_cast<size_t>(t->stride) * kStripRows);
            p.spare.resize(static_cast<size_t>(RowBytes(height)) * width);
        } else {
            p.spare.resize(static_cast<size_t>(t->stride) * height);
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
        const int row = t->reverseRows ? t->height - 1 - y : y;
        return p.spare.data() + static_cast<size_t>(row) * t->stride;
    }
    if (y - t->stripStart == kStripRows) {
        p.TurnStrip(*t, t->stripStart, y);
        t->stripStart = y;
    }
    return p.converted.data() + static_cast<size_t>(y - t->stripStart) * t->stride;
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
        rows[k] = converted.data() + static_cast<size_t>(y - start) * t.stride;
    }
    uint8_t* out = spare.data() + static_cast<size_t>(t.height - 1 - (first + count - 1)) * 3;
    for (int r = 0; r < t.width; ++r, out += bitsStride) {
        const size_t column = static_cast<size_t>(r) * 3;
        uint8_t* pixel = out;
        for (int k = 0; k < count; ++k, pixel += 3) {
            std::memcpy(pixel, rows[k] + column, 3);
        }
    }
}

bool DisplayPicture::Convert(const uint8_t* jpeg, size_t length, int rotate, QSize drawn) {
    DecodeTarget target{this, rotate == 0 || rotate == 270, rotate == 90 || rotate == 270};
    DecodeScale scale;
    if (drawn.isValid()) {
        // The cover size in the decoder's orientation.
        scale.coverWidth = target.quarterTurn ? drawn.height() : drawn.width();
        scale.coverHeight = target.quarterTurn ? drawn.width() : drawn.height();
    }
    // The shown bitmap stays untouched until the new one is whole.
    if (!DecodeJpegRows(jpeg, length, PixelOrder::BlueGreenRed, &target, &Prepare, &Row, &scale)) return false;
    if (target.quarterTurn) TurnStrip(target, target.stripStart, target.height);

    pictureWidth = scale.pictureWidth;
    pictureHeight = scale.pictureHeight;
    decodedWidth = target.width;
    decodedHeight = target.height;
    biWidth = target.quarterTurn ? decodedHeight : decodedWidth;
    biHeight = target.quarterTurn ? decodedWidth : decodedHeight;
    bits.swap(spare);
    bitmapRotate = rotate;
    return true;
}

void DisplayPicture::Draw(QPainter& painter, const QRect& client, bool stretch) {
    if (bits.empty())
        return;
    const QRect target = stretch ? QRect(0, 0, client.width(), client.height()) : QRect(0, 0, biWidth, biHeight);
    // The bitmap itself is drawn, mirrored on the way, rather than a mirrored copy of it: a large
    // picture then costs no second bitmap. Its first row is its bottom row; a source mirrored
    // vertically (rotate 90) cancels that out, one mirrored horizontally (180) turns it half round.
    const QImage memory(bits.data(), biWidth, biHeight, RowBytes(biWidth), QImage::Format_BGR888);
    const bool upsideDown = bitmapRotate != 90;
    const bool sideways = bitmapRotate == 180;
    painter.save();
    painter.translate(sideways ? target.right() + 1 : 0, upsideDown ? target.bottom() + 1 : 0);
    painter.scale(sideways ? -1 : 1, upsideDown ? -1 : 1);
    painter.drawImage(QRect(0, 0, target.width(), target.height()), memory);
    painter.restore();
}

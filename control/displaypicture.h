#pragma once
// The picture the control shows: the newest decoded JPEG turned into a 24-bit bottom-up bitmap
// (blue, green, red; rows padded to 4 bytes) in the requested rotation, and drawn at its size or
// stretched, mirrored as the rotation needs. A picture not turned a quarter (rotate 0 and 180)
// is decoded straight into the window surface's 32-bit format instead, as it appears on screen,
// and drawn from there. Painting thread only. The pixel loops are control/picturekernels.h's.
//
// Zoomed into, only the part of the picture shown is decoded and converted: the bitmap then
// holds that part (HeldArea), decoded at a scale at which the part covers the drawn size.
//
// Memory: the bitmap shown, the next one made beside it, and for a turned picture the shown
// picture in the window surface's 32-bit format (made once per picture); all picture memory,
// used again while the size stays.

#include "control/picturememory.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

class QPainter;

// An area of the picture as drawn, in shares of it, as it lies in the picture as decoded (before
// the turn, in degrees), and back.
QRectF DrawnToDecoded(const QRectF& drawn, int rotate);
QRectF DecodedToDrawn(const QRectF& decoded, int rotate);

class DisplayPicture {
  public:
    DisplayPicture() = default;
    // Not copied: the shown picture's image refers to this object's memory.
    DisplayPicture(const DisplayPicture&) = delete;
    DisplayPicture& operator=(const DisplayPicture&) = delete;

    // The whole picture, as an area of it.
    static constexpr QRectF kWholePicture{0.0, 0.0, 1.0, 1.0};

    // Converts one JPEG. False when it gives no picture; the previous one then stays. With a
    // drawn size (as it appears on screen, after the rotation), the picture is decoded at the
    // smallest scale at which the area shown still covers it. Only the area (in shares of the
    // picture as drawn) is decoded.
    bool Convert(const uint8_t* jpeg, size_t length, int rotate, QSize drawn = QSize(),
                 const QRectF& area = kWholePicture);

    bool HasBitmap() const { return !bits.empty(); }
    // The picture's own size, and the size it was decoded at (smaller when scaled).
    int PictureWidth() const { return pictureWidth; }
    int PictureHeight() const { return pictureHeight; }
    int DecodedWidth() const { return decodedWidth; }
    int DecodedHeight() const { return decodedHeight; }
    // The bitmap's size: the decoded size, exchanged for a quarter turn.
    int BitmapWidth() const { return biWidth; }
    int BitmapHeight() const { return biHeight; }
    // The whole picture at the scale decoded, as drawn: the bitmap's size unless it holds a part.
    int DrawnWidth() const { return drawnWidth; }
    int DrawnHeight() const { return drawnHeight; }
    // The part of the picture the bitmap holds, in shares of the picture as drawn.
    const QRectF& HeldArea() const { return heldArea; }
    // The area it was converted for.
    const QRectF& ConvertedArea() const { return convertedArea; }
    // And the rotation.
    int ConvertedRotate() const { return bitmapRotate; }
    // The bitmap's pixel memory, bottom row first; for a picture kept as drawn (rotate 0 and
    // 180), its memory in the form AsDrawn describes.
    const PictureBytes& Bits() const { return bits; }
    // A picture kept as drawn, as an image of its memory (rows as they appear, 32-bit words
    // 0xFFRRGGBB); null for any other.
    QImage AsDrawn() const;

    // Copies the area of the picture to the painter at (0, 0): stretched over client when
    // stretch is non-zero, else at the size of the whole picture; mirrored vertically for a
    // picture converted for rotate 90 (one converted for 180 is mirrored as it is decoded). A
    // new rotation applies from the next picture.
    void Draw(QPainter& painter, const QRect& client, bool stretch, const QRectF& area = kWholePicture);

    static int RowBytes(int width) { return ((width * 24 + 31) / 32) * 4; }

  private:
    static constexpr int kStripRows = 32;
    // Rows of a picture kept as drawn start this far past a 32-byte boundary: libjpeg-turbo
    // writes rows that start on one past the cache, and they are read again at once.
    static constexpr size_t kAsDrawnOffset = 4;
    static int AsDrawnStride(int width);

    // Where the decoder puts its rows: for a picture kept as drawn (0, 180) four bytes a pixel,
    // bottom-up for 180. For a quarter turn the rows, four bytes a pixel, go through a strip of
    // kStripRows rows that is turned into the bitmap each time it is full, while it is still in
    // the cache; bottom-up for 270. For any other rotation, blue-green-red rows into the bitmap.
    struct DecodeTarget {
        DisplayPicture* picture;
        bool reverseRows;
        bool quarterTurn;
        bool asDrawn;     // rows of 32-bit words as they appear, top row first
        bool mirrorRows;  // of a picture kept as drawn: each row is mirrored once written
        int mirrored = 0; // decoded rows mirrored so far
        int width = 0;
        int height = 0;
        int stride = 0;           // of the bitmap's rows, unturned
        int stripStride = 0;      // of the strip's rows
        uint8_t* strip = nullptr; // its first row
        int stripStart = 0;       // the decoded row the strip's first row is
    };
    static bool Prepare(void* context, int width, int height);
    static uint8_t* Row(void* context, int y);
    // The row of the memory that decoded row y goes to, for a picture not turned a quarter.
    static int RowOf(const DecodeTarget& target, int y);
    // Mirrors the decoded rows before y that are not yet, when the target asks for it.
    void MirrorRowsBefore(DecodeTarget& target, int y);
    // Turns the strip's rows [start, end) into their bitmap columns.
    void TurnStrip(const DecodeTarget& target, int start, int end);
    // The bitmap is drawn with its first row at the bottom, unless its rotation mirrors it.
    bool BitmapUpsideDown() const;
    // Makes `shown` from the bitmap unless it was made from it. False when there is no memory.
    bool MakeShown();
    // The area of the picture in the bitmap's pixels, as drawn.
    QRectF SourceOf(const QRectF& area) const;

    std::vector<uint8_t> converted; // rows of a picture that is turned a quarter, before the turn
    PictureBytes bits;              // the bitmap
    PictureBytes spare;             // the next bitmap, made beside the shown one
    int pictureWidth = 0;
    int pictureHeight = 0;
    int decodedWidth = 0;
    int decodedHeight = 0;
    int biWidth = 0;
    int biHeight = 0;
    int drawnWidth = 0;
    int drawnHeight = 0;
    QRectF heldArea = kWholePicture;
    QRectF convertedArea = kWholePicture; // the area asked for
    int bitmapRotate = 0;                 // the rotation the bitmap was made for
    bool bitsAsDrawn = false;             // the bitmap is in the window surface's format, as drawn
    // The bitmap as it appears on screen, mirrored, in the window surface's format; `shown`
    // draws from shownBytes (declared first, so that it outlives the image).
    PictureBytes shownBytes;
    QImage shown;
    int shownRotate = -1; // the rotation `shown` was made for; -1 for none
};

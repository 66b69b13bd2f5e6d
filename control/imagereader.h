#pragma once
// Cuts the body of a Motion-JPEG multipart stream into single JPEG pictures. It reads from the
// stream's open request, finds each picture by its boundary ("--myboundary") and the first
// 0xFF byte after it, and hands out a pointer and a length per picture. Part headers are not
// read: a wrong Content-Length does no harm. Read thread only.

#include "control/bytebuffer.h"

#include "platform/http/wininet.h"

#include <cstdint>

// Where the reader's bytes come from: the stream's request, or anything else that reads.
class ByteSource {
public:
    // Reads up to count bytes; false on failure, *read 0 at the end.
    virtual bool Read(void* buffer, uint32_t count, uint32_t* read) = 0;

protected:
    ~ByteSource() = default;
};

class ImageReader {
public:
    static constexpr uint32_t kHeaderWindow = 200;
    static constexpr uint32_t kInitialPrefSize = 5000;
    static constexpr uint32_t kPrefSizeMargin = 1000;
    static constexpr uint32_t kSearchStep = 2000;
    static constexpr uint32_t kSearchLimit = 400000;
    static constexpr uint32_t kTrailer = 4;

    // True when the first 200 bytes of the stream hold a boundary followed by a picture start.
    bool InitStream(HINTERNET request);
    bool InitStream(ByteSource* source);
    // The next whole picture: a pointer into the reader's buffer, valid until the next call.
    bool Read(const uint8_t*& picture, uint32_t& length);

private:
    bool ReadBytes(uint32_t count);
    bool FindBoundary();
    bool FindImageStart();

    class RequestSource final : public ByteSource {
    public:
        HINTERNET request = nullptr;
        bool Read(void* buffer, uint32_t count, uint32_t* read) override {
            return InternetReadFile(request, buffer, count, read);
        }
    };

    ByteBuffer buffer;
    uint32_t prefSize = kInitialPrefSize;
    RequestSource requestSource;
    ByteSource* source = nullptr;
    bool sourceEnded = false; // the source said it has ended: it is not read again
    uint32_t searchPos = 0;
    int boundaryPos = -1;
    uint32_t imageSize = 0;
    uint32_t imageStart = 0;
};

#pragma once
// One Matroska file of a camera's own JPEG pictures, written through libavformat without decoding
// or encoding anything: each picture is a Motion-JPEG frame whose timestamp is its arrival, in
// milliseconds from the file's first picture. Clusters are written as the pictures come (at most a
// second each); Flush ends the one under way (the muxer holds its last picture back until then)
// and hands what was written to the file, so that a file cut short by a crash or a full disk
// plays up to its last whole picture; Close ends it properly.
//
// One thread at a time (the recording's writer thread).

#include <QString>

#include <cstddef>
#include <cstdint>

struct AVFormatContext;
struct AVPacket;

class MatroskaFile {
  public:
    MatroskaFile() = default;
    ~MatroskaFile(); // closes it
    MatroskaFile(const MatroskaFile&) = delete;
    MatroskaFile& operator=(const MatroskaFile&) = delete;

    // Creates the file (replacing one of that name) for pictures of that size. False with Error().
    bool Open(const QString& path, int width, int height);
    bool IsOpen() const { return context != nullptr; }
    // One picture that arrived at arrivalMs (any clock that only moves on). False with Error():
    // the file is closed then, playable up to the last picture written.
    bool Write(const uint8_t* jpeg, size_t length, int64_t arrivalMs);
    // The pictures written so far go to the file now, the last one too. False with Error(), as
    // for Write.
    bool Flush();
    // Ends the file. False with Error() when its end could not be written.
    bool Close();

    // Why the last call failed, in words ("No space left on device").
    const QString& Error() const { return error; }
    int64_t Pictures() const { return pictures; }
    int64_t Bytes() const { return bytes; }

  private:
    bool Fail(const char* what, int code);
    void Release();

    AVFormatContext* context = nullptr;
    AVPacket* packet = nullptr;
    int64_t firstArrival = 0;
    int64_t lastTimestamp = -1;
    int64_t pictures = 0;
    int64_t bytes = 0;
    QString path;
    QString error;
};

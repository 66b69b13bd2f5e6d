#pragma once
// What one picture may cost the thread that decodes it, whatever its bytes. A picture is
// refused when its frame is larger than any camera's or when decoding it needs more memory than
// a camera's picture does, and its decoding is ended when its scans cost more than a real
// picture's: a progressive picture of a few hundred kilobytes can declare a large frame and carry
// tens of thousands of empty scans, each of which walks every block of the frame.
//
// The largest pictures that network cameras stream are 12-megapixel fisheye views
// (4000 x 3000) and 4K views (3840 x 2160, 4096 x 2160); kMaxPixels is a 4096 x 3072 frame, one
// step above them. Cameras stream baseline pictures, which the decoder turns into rows with a
// few rows of blocks in memory; a progressive picture keeps all its coefficients (64 of 2 bytes
// a block), so kMaxDecoderMemory holds progressive pictures to about 5 megapixels.
// bench/control/hostile_picture_bench shows what the limits cost.

#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE

#include <jpeglib.h>

class DecodeLimits {
  public:
    static constexpr int kMaxSide = 8192;
    static constexpr int64_t kMaxPixels = 4096 * 3072;
    // What the decoder may allocate for one picture.
    static constexpr long kMaxDecoderMemory = 16L * 1024 * 1024;
    static constexpr int kCoefficientBlockBytes = 64 * 2;
    // The largest progressive colour picture (sampled 4:2:0, 3 bytes of coefficients a pixel)
    // that fits, with room for the decoder's other buffers.
    static constexpr int64_t kMaxProgressivePixels = kMaxDecoderMemory / 3 * 7 / 8;
    // As libjpeg-turbo's own tools allow.
    static constexpr int kMaxScans = 500;
    // The blocks that the scans of one picture may decode, counted once for every scan that
    // carries them: ten scans of as many blocks as the memory holds. A progressive picture of
    // the usual scan script decodes each of its blocks five or six times.
    static constexpr int64_t kMaxScanBlocks = 10 * (kMaxDecoderMemory / kCoefficientBlockBytes);

    // For the decompressor whose error manager is set; it refuses through that manager.
    explicit DecodeLimits(jpeg_decompress_struct& info);
    DecodeLimits(const DecodeLimits&) = delete;
    DecodeLimits& operator=(const DecodeLimits&) = delete;

    // After the header: false when the frame is too large; else limits the decoder's memory and
    // watches the scans from now on (the decompressor's progress monitor), ending a
    // decompression that goes beyond them.
    bool AcceptFrame();
    // Logs why the picture was refused here, as a warning, unless it is what was logged last
    // (a camera that keeps sending the same picture is named once). Nothing when it was not.
    void LogRefusal() const;

  private:
    struct Monitor {
        jpeg_progress_mgr standard;
        DecodeLimits* owner;
    };
    static void OnProgress(j_common_ptr common);
    // Records the refusal; Stop then ends the decompression through its error exit.
    void Refuse(int code, int first, int second = 0);
    void Stop(int code, int limit);

    jpeg_decompress_struct& info;
    Monitor monitor;
    int refusal = 0;        // the message code, 0 for none
    int parameters[2] = {}; // of its message
    int scan = 0;           // the scan being counted
    JDIMENSION counted = 0; // its rows counted so far
    int64_t blocks = 0;     // blocks decoded by all scans so far
};

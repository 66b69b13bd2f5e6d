#include "control/decodelimits.h"

#include "foundation/log.h"

#include <jerror.h>

#include <cstring>
#include <mutex>

namespace {

// libjpeg's messages of the application, after its own.
enum Message { kTooLarge = 1000, kTooManyScans, kTooMuchWork, kTooMuchMemory };
const char* const kMessages[] = {
    "Picture of %dx%d pixels is larger than any camera's",
    "Picture has more than %d scans",
    "Picture's scans decode more than %d blocks",
    "Picture needs more than %d bytes to decode",
};

std::mutex logLock;
char lastLogged[JMSG_LENGTH_MAX]; // guarded by logLock

} // namespace

DecodeLimits::DecodeLimits(jpeg_decompress_struct& info) : info(info) {
    monitor.standard = {};
    monitor.standard.progress_monitor = &DecodeLimits::OnProgress;
    monitor.owner = this;
    info.err->addon_message_table = kMessages;
    info.err->first_addon_message = kTooLarge;
    info.err->last_addon_message = kTooMuchMemory;
}

bool DecodeLimits::AcceptFrame() {
    const auto width = static_cast<int64_t>(info.image_width);
    const auto height = static_cast<int64_t>(info.image_height);
    if (width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels) {
        // Beyond it libjpeg asks for a backing store, which it has not: a fatal error.
        info.mem->max_memory_to_use = kMaxDecoderMemory;
        info.progress = &monitor.standard; // creating the decompressor cleared it
        return true;
    }
    Refuse(kTooLarge, static_cast<int>(width), static_cast<int>(height));
    return false;
}

void DecodeLimits::OnProgress(j_common_ptr common) {
    auto* self = reinterpret_cast<Monitor*>(common->progress)->owner;
    const jpeg_decompress_struct& info = self->info;
    if (info.input_scan_number > kMaxScans)
        self->Stop(kTooManyScans, kMaxScans);
    if (info.input_scan_number != self->scan) {
        self->scan = info.input_scan_number;
        self->counted = 0;
    }
    if (info.input_iMCU_row <= self->counted || info.comps_in_scan <= 0)
        return;
    // One row of a scan of one component holds as many block rows as its vertical sampling.
    const int64_t rowBlocks = static_cast<int64_t>(info.MCUs_per_row) * info.blocks_in_MCU *
                              (info.comps_in_scan == 1 ? info.cur_comp_info[0]->v_samp_factor : 1);
    self->blocks += rowBlocks * (info.input_iMCU_row - self->counted);
    self->counted = info.input_iMCU_row;
    if (self->blocks > kMaxScanBlocks)
        self->Stop(kTooMuchWork, static_cast<int>(kMaxScanBlocks));
}

void DecodeLimits::Refuse(int code, int first, int second) {
    refusal = code;
    parameters[0] = first;
    parameters[1] = second;
}

void DecodeLimits::Stop(int code, int limit) {
    Refuse(code, limit);
    info.err->msg_code = code;
    info.err->msg_parm.i[0] = limit;
    (*info.err->error_exit)(reinterpret_cast<j_common_ptr>(&info));
}

void DecodeLimits::LogRefusal() const {
    char text[JMSG_LENGTH_MAX];
    if (refusal != 0) {
        std::snprintf(text, sizeof(text), kMessages[refusal - kTooLarge], parameters[0], parameters[1]);
    } else if (info.err->msg_code == JERR_NO_BACKING_STORE) {
        std::snprintf(text, sizeof(text), kMessages[kTooMuchMemory - kTooLarge],
                      static_cast<int>(kMaxDecoderMemory));
    } else {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(logLock);
        if (std::strcmp(text, lastLogged) == 0)
            return;
        std::memcpy(lastLogged, text, sizeof(text));
    }
    LogWarning(u"DecodeJpeg", "%s", text);
}

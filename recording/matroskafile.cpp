#include "recording/matroskafile.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

MatroskaFile::~MatroskaFile() {
    Close();
}

bool MatroskaFile::Fail(const char* what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    error = QStringLiteral("%1 %2: %3").arg(QString::fromLatin1(what), path, QString::fromLocal8Bit(text));
    Release();
    return false;
}

void MatroskaFile::Release() {
    if (context) {
        avio_closep(&context->pb);
        avformat_free_context(context);
        context = nullptr;
    }
    av_packet_free(&packet);
}

bool MatroskaFile::Open(const QString& name, int width, int height) {
    Close();
    path = name;
    error.clear();
    pictures = 0;
    bytes = 0;
    lastTimestamp = -1;
    const QByteArray file = name.toLocal8Bit();
    int code = avformat_alloc_output_context2(&context, nullptr, "matroska", file.constData());
    if (code < 0 || !context)
        return Fail("Cannot prepare", code < 0 ? code : AVERROR(ENOMEM));
    AVStream* stream = avformat_new_stream(context, nullptr);
    packet = av_packet_alloc();
    if (!stream || !packet)
        return Fail("Cannot prepare", AVERROR(ENOMEM));
    stream->time_base = AVRational{1, 1000};
    stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream->codecpar->codec_id = AV_CODEC_ID_MJPEG;
    stream->codecpar->width = width;
    stream->codecpar->height = height;
    if ((code = avio_open(&context->pb, file.constData(), AVIO_FLAG_WRITE)) < 0)
        return Fail("Cannot create", code);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "cluster_time_limit", "1000", 0);
    code = avformat_write_header(context, &options);
    av_dict_free(&options);
    if (code < 0)
        return Fail("Cannot write to", code);
    return true;
}

bool MatroskaFile::Write(const uint8_t* jpeg, size_t length, int64_t arrivalMs) {
    if (!context)
        return false;
    if (pictures == 0)
        firstArrival = arrivalMs;
    // Timestamps only go forward, a millisecond at least, whatever the clock did.
    const int64_t timestamp = std::max(arrivalMs - firstArrival, lastTimestamp + 1);
    packet->data = const_cast<uint8_t*>(jpeg);
    packet->size = static_cast<int>(length);
    packet->stream_index = 0;
    packet->pts = packet->dts = timestamp;
    packet->duration = 0;
    packet->flags = AV_PKT_FLAG_KEY;
    const int code = av_write_frame(context, packet);
    packet->data = nullptr;
    packet->size = 0;
    if (code < 0 || context->pb->error < 0)
        return Fail("Cannot write to", code < 0 ? code : context->pb->error);
    lastTimestamp = timestamp;
    ++pictures;
    bytes += static_cast<int64_t>(length);
    return true;
}

bool MatroskaFile::Flush() {
    if (!context)
        return false;
    const int code = av_write_frame(context, nullptr);
    avio_flush(context->pb);
    if (code < 0 || context->pb->error < 0)
        return Fail("Cannot write to", code < 0 ? code : context->pb->error);
    return true;
}

bool MatroskaFile::Close() {
    if (!context)
        return error.isEmpty();
    int code = av_write_trailer(context);
    if (code >= 0 && context->pb->error < 0)
        code = context->pb->error;
    if (code < 0)
        return Fail("Cannot end", code);
    code = avio_closep(&context->pb);
    if (code < 0)
        return Fail("Cannot close", code);
    Release();
    return true;
}

// Owning handles for FFmpeg objects, so every early return frees what was opened. Shared by
// the readers and writers of video files, so nothing here serves only one of them.
#pragma once

#include <QString>

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace quelmar::ffmpeg {

// For contexts from avformat_open_input only: output contexts are released differently.
struct InputFormatDeleter {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
// For contexts from avformat_alloc_output_context2; their I/O context is owned separately.
struct OutputFormatDeleter {
    void operator()(AVFormatContext *context) const { avformat_free_context(context); }
};
// For I/O contexts from avio_alloc_context: the buffer may have been replaced by FFmpeg, so the
// one the context holds now is freed.
struct IoContextDeleter {
    void operator()(AVIOContext *io) const
    {
        if (io)
            av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct SwsContextDeleter {
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};

using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatDeleter>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatDeleter>;
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;

// FFmpeg's description of a negative return code.
inline QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace quelmar::ffmpeg

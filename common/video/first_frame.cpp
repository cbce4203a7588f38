#include "video/first_frame.h"

#include "video/ffmpeg_handles.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <new>
#include <vector>

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <mutex>

namespace quelmar {
namespace {

// Enough for any real file to reach its first picture; a file that needs more is not worth a
// thumbnail.
constexpr int kMaxPackets = 500;
constexpr auto kTimeLimit = std::chrono::seconds(10);
// Decoders' complaints about damaged data become the returned error, not console output. A
// per-context offset below every printed level leaves FFmpeg's global log level, which the
// whole process shares, to the application; demuxers have no such offset and still log.
constexpr int kQuietLogOffset = AV_LOG_TRACE;
// FFmpeg's ceiling for one allocation, for the whole process (FFmpeg keeps it globally).
// Demuxers size tables from the file's own counts: a MOV sample table that lies can ask for
// over a gigabyte before a byte of it is read. Real tables, and the largest frame buffers the
// programs record (2592 x 1944), stay far below 256 MB.
constexpr std::size_t kMaxFfmpegAllocation = std::size_t(256) << 20;

void limitFfmpegAllocations()
{
    static std::once_flag once;
    std::call_once(once, [] { av_max_alloc(kMaxFfmpegAllocation); });
}

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

// FFmpeg polls the interrupt callback during blocking input; the read loop checks it too, so a
// slow disk or a pathological file ends in an error instead of a hang.
struct Deadline {
    std::chrono::steady_clock::time_point end = std::chrono::steady_clock::now() + kTimeLimit;
    bool passed() const { return std::chrono::steady_clock::now() > end; }
};

int interruptWhenLate(void *deadline)
{
    return static_cast<const Deadline *>(deadline)->passed() ? 1 : 0;
}

QString describe(int status)
{
    return status == AVERROR_EXIT
               ? QStringLiteral("no answer within %1 seconds").arg(kTimeLimit.count())
               : ffmpeg::errorText(status);
}

bool plausibleSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxVideoSide && height <= kMaxVideoSide;
}

// Cover art of audio files arrives as a one-picture video stream; it is not a video.
int firstVideoStream(const AVFormatContext &format)
{
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVStream *stream = format.streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int(i);
    }
    return -1;
}

// swscale warns about the deprecated YUVJ formats on every context; the same planes with the
// full range set explicitly convert identically without the noise.
AVPixelFormat withoutJpegFormat(AVPixelFormat format, bool *fullRange)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        *fullRange = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        *fullRange = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        *fullRange = true;
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        *fullRange = true;
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        *fullRange = true;
        return AV_PIX_FMT_YUV411P;
    default:
        return format;
    }
}

// Pictures the decoder patched up from damaged data would make a misleading thumbnail.
bool intact(const AVFrame &picture)
{
    return !(picture.flags & AV_FRAME_FLAG_CORRUPT) && picture.decode_error_flags == 0;
}

// Converts straight to the reduced size, so no full-size BGR copy ever exists.
std::optional<Frame> shrink(const AVFrame &picture, int maxWidth, int maxHeight, QString *error)
{
    const int width = std::min(picture.width, maxWidth);
    const int height = std::min(picture.height, maxHeight);
    bool fullRange = picture.color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = withoutJpegFormat(AVPixelFormat(picture.format), &fullRange);
    ffmpeg::SwsContextPtr scaler(sws_getContext(picture.width, picture.height, source, width,
                                                height, AV_PIX_FMT_BGR24, SWS_AREA, nullptr,
                                                nullptr, nullptr));
    if (!scaler) {
        const char *name = av_get_pix_fmt_name(source);
        setError(error, QStringLiteral("cannot convert %1 pictures to BGR")
                            .arg(QString::fromLatin1(name ? name : "unknown")));
        return std::nullopt;
    }
    // YUV pictures take the matrix the stream declares (unknown values fall back to BT.601) and
    // its range; otherwise BT.709 and full-range video come out off-colour. RGB output is
    // always full range. RGB and grey sources have no matrix and keep swscale's defaults.
    const AVPixFmtDescriptor *layout = av_pix_fmt_desc_get(source);
    if (layout && layout->nb_components >= 3 && !(layout->flags & AV_PIX_FMT_FLAG_RGB)) {
        sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(picture.colorspace),
                                 fullRange ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                                 1 << 16, 1 << 16);
    }

    std::optional<Frame> result;
    try {
        result.emplace(width, height);
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("out of memory for %1 x %2 pixels").arg(width).arg(height));
        return std::nullopt;
    }
    std::uint8_t *const planes[4] = {result->data(), nullptr, nullptr, nullptr};
    const int strides[4] = {width * 3, 0, 0, 0};
    if (sws_scale(scaler.get(), picture.data, picture.linesize, 0, picture.height, planes,
                  strides) != height) {
        setError(error, QStringLiteral("the picture could not be scaled"));
        return std::nullopt;
    }
    return result;
}

// Takes the next intact picture the decoder has ready, dropping damaged ones.
bool receiveIntact(AVCodecContext &decoder, AVFrame &picture)
{
    while (avcodec_receive_frame(&decoder, &picture) >= 0) {
        if (intact(picture))
            return true;
        av_frame_unref(&picture);
    }
    return false;
}

// Opens the container and probes its streams, local files only.
ffmpeg::InputFormatPtr openInput(const QString &path, Deadline &deadline, QString *error)
{
    limitFfmpegAllocations();
    AVFormatContext *opening = avformat_alloc_context();
    if (!opening) {
        setError(error, QStringLiteral("out of memory"));
        return nullptr;
    }
    opening->interrupt_callback = {interruptWhenLate, &deadline};
    // The demuxer marks packets cut short by the end of a truncated file; drop them.
    opening->flags |= AVFMT_FLAG_DISCARD_CORRUPT;
    // "file:" keeps a colon in the name from selecting a protocol, and the whitelist keeps a
    // playlist disguised as a video from reaching anything but local files.
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const QByteArray url = "file:" + QFile::encodeName(path);
    int status = avformat_open_input(&opening, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (status < 0) { // avformat_open_input has freed the context
        setError(error, QStringLiteral("cannot open %1: %2").arg(path, describe(status)));
        return nullptr;
    }
    ffmpeg::InputFormatPtr format(opening);

    // The probe opens decoders of its own; they get the same quiet as ours.
    std::vector<AVDictionary *> probeOptions(format->nb_streams, nullptr);
    for (AVDictionary *&streamOptions : probeOptions)
        av_dict_set_int(&streamOptions, "log_level_offset", kQuietLogOffset, 0);
    status = avformat_find_stream_info(format.get(), probeOptions.data());
    for (AVDictionary *&streamOptions : probeOptions)
        av_dict_free(&streamOptions);
    if (status < 0) {
        setError(error,
                 QStringLiteral("cannot read the streams of %1: %2").arg(path, describe(status)));
        return nullptr;
    }
    return format;
}

// Refuses absurd sizes before the decoder allocates anything for them.
ffmpeg::CodecContextPtr openDecoder(const AVCodecParameters &parameters, QString *error)
{
    if ((parameters.width != 0 || parameters.height != 0) &&
        !plausibleSize(parameters.width, parameters.height)) {
        setError(error, QStringLiteral("implausible video size %1 x %2")
                            .arg(parameters.width)
                            .arg(parameters.height));
        return nullptr;
    }
    const AVCodec *codec = avcodec_find_decoder(parameters.codec_id);
    if (!codec) {
        setError(error, QStringLiteral("no decoder for %1 video")
                            .arg(QString::fromLatin1(avcodec_get_name(parameters.codec_id))));
        return nullptr;
    }
    ffmpeg::CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder) {
        setError(error, QStringLiteral("out of memory"));
        return nullptr;
    }
    int status = avcodec_parameters_to_context(decoder.get(), &parameters);
    if (status >= 0) {
        // Frame threads would hold the first picture back until several packets are in.
        decoder->thread_count = 1;
        decoder->max_pixels = std::int64_t(kMaxVideoSide) * kMaxVideoSide;
        decoder->log_level_offset = kQuietLogOffset;
        status = avcodec_open2(decoder.get(), codec, nullptr);
    }
    if (status < 0) {
        setError(error, QStringLiteral("cannot open the %1 decoder: %2")
                            .arg(QString::fromLatin1(codec->name), describe(status)));
        return nullptr;
    }
    return decoder;
}

// Feeds the stream's packets to the decoder until an intact picture comes out.
ffmpeg::FramePtr decodeFirstPicture(AVFormatContext &format, int index, AVCodecContext &decoder,
                                    const Deadline &deadline, QString *error)
{
    ffmpeg::PacketPtr packet(av_packet_alloc());
    ffmpeg::FramePtr picture(av_frame_alloc());
    if (!packet || !picture) {
        setError(error, QStringLiteral("out of memory"));
        return nullptr;
    }
    bool found = false;
    QString problem;
    for (int read = 0; read < kMaxPackets && !found && !deadline.passed(); ++read) {
        const int status = av_read_frame(&format, packet.get());
        if (status < 0) {
            if (status != AVERROR_EOF)
                problem = describe(status);
            break;
        }
        if (packet->stream_index == index) {
            // A packet the decoder refuses is damaged; a later one may still decode.
            const int sent = avcodec_send_packet(&decoder, packet.get());
            if (sent < 0)
                problem = describe(sent);
            else
                found = receiveIntact(decoder, *picture);
        }
        av_packet_unref(packet.get());
    }
    if (!found && !deadline.passed()) {
        // Decoders with delay hand out their first picture only when told the input has ended.
        avcodec_send_packet(&decoder, nullptr);
        found = receiveIntact(decoder, *picture);
    }
    if (!found) {
        if (deadline.passed())
            problem = describe(AVERROR_EXIT);
        setError(error, problem.isEmpty() ? QStringLiteral("no intact picture")
                                          : QStringLiteral("no intact picture: %1").arg(problem));
        return nullptr;
    }
    if (!plausibleSize(picture->width, picture->height) || picture->format < 0) {
        setError(
            error,
            QStringLiteral("implausible picture %1 x %2").arg(picture->width).arg(picture->height));
        return nullptr;
    }
    return picture;
}

} // namespace

std::optional<Frame> readFirstVideoFrame(const QString &path, int maxWidth, int maxHeight,
                                         QString *error)
{
    if (maxWidth <= 0 || maxHeight <= 0) {
        setError(error,
                 QStringLiteral("no room for a %1 x %2 thumbnail").arg(maxWidth).arg(maxHeight));
        return std::nullopt;
    }
    Deadline deadline; // outlives the input, whose interrupt callback reads it
    const ffmpeg::InputFormatPtr format = openInput(path, deadline, error);
    if (!format)
        return std::nullopt;
    const int index = firstVideoStream(*format);
    if (index < 0) {
        setError(error, QStringLiteral("%1 has no video stream").arg(path));
        return std::nullopt;
    }
    // The demuxer then skips the other streams' data instead of handing it over.
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (int(i) != index)
            format->streams[i]->discard = AVDISCARD_ALL;
    }
    const ffmpeg::CodecContextPtr decoder = openDecoder(*format->streams[index]->codecpar, error);
    if (!decoder)
        return std::nullopt;
    QString problem;
    const ffmpeg::FramePtr picture =
        decodeFirstPicture(*format, index, *decoder, deadline, &problem);
    if (!picture) {
        setError(error, QStringLiteral("%1: %2").arg(path, problem));
        return std::nullopt;
    }
    return shrink(*picture, maxWidth, maxHeight, error);
}

} // namespace quelmar

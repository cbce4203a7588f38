#include "video/mp4_writer.h"

#include "video/ffmpeg_handles.h"

#include <QFile>

extern "C" {
#include <libavutil/opt.h>
}

namespace quelmar {
namespace {

// The encoder's and muxer's chatter stays out of the console; failures come back as results.
constexpr int kQuietLogOffset = AV_LOG_TRACE;

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

struct OutputFormatDeleter {
    void operator()(AVFormatContext *context) const
    {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatDeleter>;

// The FFmpeg layout of a QImage format that needs no conversion by Qt first.
AVPixelFormat layoutOf(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: // opaque pictures: the same bytes
        return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;
    case QImage::Format_RGB888:
        return AV_PIX_FMT_RGB24;
    case QImage::Format_BGR888:
        return AV_PIX_FMT_BGR24;
    default:
        return AV_PIX_FMT_NONE;
    }
}

} // namespace

struct Mp4Writer::Handles {
    OutputFormatPtr format;
    ffmpeg::CodecContextPtr encoder;
    ffmpeg::FramePtr picture; // yuv420p, reused for every frame
    ffmpeg::PacketPtr packet;
    SwsContext *scaler = nullptr; // cached per source layout; freed below
    AVStream *stream = nullptr;   // owned by `format`

    ~Handles() { sws_freeContext(scaler); }
};

Mp4Writer::Mp4Writer(const Mp4WriterSettings &settings)
    : settings_(settings), handles_(std::make_unique<Handles>())
{}

Mp4Writer::~Mp4Writer()
{
    finish();
}

std::unique_ptr<Mp4Writer> Mp4Writer::create(const QString &path, const Mp4WriterSettings &settings,
                                             QString *error)
{
    // yuv420p needs even sides.
    if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 || settings.height % 2 ||
        settings.timeBase <= 0) {
        setError(error, QStringLiteral("cannot record %1 x %2 pictures at 1/%3 s")
                            .arg(settings.width)
                            .arg(settings.height)
                            .arg(settings.timeBase));
        return nullptr;
    }
    std::unique_ptr<Mp4Writer> writer(new Mp4Writer(settings));
    if (!writer->open(path, error))
        return nullptr;
    return writer;
}

bool Mp4Writer::open(const QString &path, QString *error)
{
    Handles &h = *handles_;
    const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) {
        setError(error, QStringLiteral("FFmpeg has no libx264 encoder"));
        return false;
    }
    // "file:" keeps a colon in the name from selecting a protocol.
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVFormatContext *opening = nullptr;
    int status = avformat_alloc_output_context2(&opening, nullptr, "mp4", url.constData());
    if (status < 0 || !opening) {
        setError(error, QStringLiteral("no MP4 muxer: %1").arg(ffmpeg::errorText(status)));
        return false;
    }
    h.format.reset(opening);

    h.encoder.reset(avcodec_alloc_context3(codec));
    h.picture.reset(av_frame_alloc());
    h.packet.reset(av_packet_alloc());
    if (!h.encoder || !h.picture || !h.packet) {
        setError(error, QStringLiteral("out of memory"));
        return false;
    }
    AVCodecContext &c = *h.encoder;
    c.width = settings_.width;
    c.height = settings_.height;
    // Without this libx264 would take 4:4:4 from RGB input, which most players cannot play.
    c.pix_fmt = AV_PIX_FMT_YUV420P;
    c.time_base = AVRational{1, settings_.timeBase};
    c.framerate = AVRational{settings_.timeBase, 1};
    c.gop_size = settings_.keyFrameInterval;
    c.max_b_frames = 0; // pictures leave the encoder in the order they came
    c.thread_count = settings_.threads;
    c.color_range = AVCOL_RANGE_MPEG;
    c.colorspace = AVCOL_SPC_SMPTE170M; // what swscale's default matrix produces
    c.color_primaries = AVCOL_PRI_SMPTE170M;
    c.color_trc = AVCOL_TRC_SMPTE170M;
    c.log_level_offset = kQuietLogOffset;
    if (h.format->oformat->flags & AVFMT_GLOBALHEADER)
        c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(c.priv_data, "preset", "veryfast", 0);
    av_opt_set_int(c.priv_data, "crf", settings_.crf, 0);
    status = avcodec_open2(&c, codec, nullptr);
    if (status < 0) {
        setError(error, QStringLiteral("cannot open libx264: %1").arg(ffmpeg::errorText(status)));
        return false;
    }

    h.stream = avformat_new_stream(h.format.get(), nullptr);
    if (!h.stream) {
        setError(error, QStringLiteral("out of memory"));
        return false;
    }
    h.stream->time_base = c.time_base;
    h.stream->avg_frame_rate = c.framerate;
    avcodec_parameters_from_context(h.stream->codecpar, &c);

    h.picture->format = c.pix_fmt;
    h.picture->width = c.width;
    h.picture->height = c.height;
    status = av_frame_get_buffer(h.picture.get(), 0);
    if (status < 0) {
        setError(error, QStringLiteral("out of memory"));
        return false;
    }

    status = avio_open(&h.format->pb, url.constData(), AVIO_FLAG_WRITE);
    if (status < 0) {
        setError(error,
                 QStringLiteral("cannot create %1: %2").arg(path, ffmpeg::errorText(status)));
        return false;
    }
    AVDictionary *options = nullptr;
    av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    av_dict_set_int(&options, "video_track_timescale", settings_.timeBase, 0);
    status = avformat_write_header(h.format.get(), &options);
    av_dict_free(&options);
    if (status < 0) {
        setError(error, QStringLiteral("cannot write the header of %1: %2")
                            .arg(path, ffmpeg::errorText(status)));
        return false;
    }
    opened_ = true;
    return true;
}

bool Mp4Writer::write(const QImage &picture, std::int64_t pts, QString *error)
{
    if (finished_ || !opened_) {
        setError(error, QStringLiteral("the recording is finished"));
        return false;
    }
    if (picture.width() != settings_.width || picture.height() != settings_.height) {
        setError(error, QStringLiteral("a %1 x %2 picture in a %3 x %4 recording")
                            .arg(picture.width())
                            .arg(picture.height())
                            .arg(settings_.width)
                            .arg(settings_.height));
        return false;
    }
    if (pts <= lastPts_) {
        setError(error, QStringLiteral("timestamp %1 does not follow %2").arg(pts).arg(lastPts_));
        return false;
    }
    Handles &h = *handles_;
    QImage converted;
    const QImage *source = &picture;
    AVPixelFormat layout = layoutOf(picture.format());
    if (layout == AV_PIX_FMT_NONE) {
        converted = picture.convertToFormat(QImage::Format_RGB32);
        source = &converted;
        layout = layoutOf(converted.format());
    }
    h.scaler = sws_getCachedContext(h.scaler, settings_.width, settings_.height, layout,
                                    settings_.width, settings_.height, AV_PIX_FMT_YUV420P,
                                    SWS_BILINEAR, nullptr, nullptr, nullptr);
    int status = h.scaler ? av_frame_make_writable(h.picture.get()) : AVERROR(ENOMEM);
    if (status < 0) {
        setError(error,
                 QStringLiteral("cannot convert the picture: %1").arg(ffmpeg::errorText(status)));
        return false;
    }
    const std::uint8_t *const planes[4] = {source->constBits(), nullptr, nullptr, nullptr};
    const int strides[4] = {int(source->bytesPerLine()), 0, 0, 0};
    sws_scale(h.scaler, planes, strides, 0, settings_.height, h.picture->data, h.picture->linesize);
    h.picture->pts = pts;
    status = avcodec_send_frame(h.encoder.get(), h.picture.get());
    if (status < 0) {
        setError(
            error,
            QStringLiteral("the encoder refused a picture: %1").arg(ffmpeg::errorText(status)));
        return false;
    }
    lastPts_ = pts;
    ++framesWritten_;
    return drainPackets(error);
}

bool Mp4Writer::drainPackets(QString *error)
{
    Handles &h = *handles_;
    for (;;) {
        int status = avcodec_receive_packet(h.encoder.get(), h.packet.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return true;
        if (status < 0) {
            setError(error, QStringLiteral("encoding failed: %1").arg(ffmpeg::errorText(status)));
            return false;
        }
        av_packet_rescale_ts(h.packet.get(), h.encoder->time_base, h.stream->time_base);
        h.packet->stream_index = h.stream->index;
        status = av_interleaved_write_frame(h.format.get(), h.packet.get());
        if (status < 0) {
            setError(error, QStringLiteral("writing failed: %1").arg(ffmpeg::errorText(status)));
            return false;
        }
    }
}

bool Mp4Writer::finish(QString *error)
{
    if (finished_) {
        setError(error, finishError_);
        return finishResult_;
    }
    finished_ = true;
    if (!opened_) {
        finishError_ = QStringLiteral("the file was never opened");
        setError(error, finishError_);
        return false;
    }
    Handles &h = *handles_;
    QString problem;
    bool ok = avcodec_send_frame(h.encoder.get(), nullptr) >= 0 && drainPackets(&problem);
    const int status = av_write_trailer(h.format.get());
    if (status < 0 && problem.isEmpty())
        problem = QStringLiteral("cannot finish the file: %1").arg(ffmpeg::errorText(status));
    ok = ok && status >= 0;
    const int closed = avio_closep(&h.format->pb);
    if (closed < 0 && problem.isEmpty())
        problem = QStringLiteral("cannot close the file: %1").arg(ffmpeg::errorText(closed));
    finishResult_ = ok && closed >= 0;
    finishError_ = problem;
    setError(error, problem);
    return finishResult_;
}

} // namespace quelmar

#include "video/avi_writer.h"

#include "unique_fd.h"
#include "video/ffmpeg_handles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace quelmar {

namespace {

// The frame rectangle of an AVI stream header holds 16-bit sides.
constexpr int kMaxAviSide = 65535;
constexpr int kIoBufferSize = 1 << 16;
constexpr std::uint32_t fourcc(char a, char b, char c, char d)
{
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}

struct EncoderSpec {
    AviCodec codec;
    const char *name;
    const char *title;
    AVPixelFormat encoderFormat; // what the encoder is told
    AVPixelFormat scalerFormat;  // what swscale writes (the same planes)
    std::uint32_t tag;
    bool lossy;
};

// Uncompressed frames go to the muxer directly; the others through their encoder. XVID and
// H264 are the tags players on every system recognise for these streams in AVI.
constexpr EncoderSpec kEncoders[] = {
    {AviCodec::Uncompressed, "rawvideo", "Uncompressed 24-bit", AV_PIX_FMT_BGR24, AV_PIX_FMT_BGR24,
     0, false},
    {AviCodec::MotionJpeg, "mjpeg", "Motion JPEG", AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV420P,
     fourcc('M', 'J', 'P', 'G'), true},
    {AviCodec::Ffv1, "ffv1", "FFV1", AV_PIX_FMT_BGR0, AV_PIX_FMT_BGR0, fourcc('F', 'F', 'V', '1'),
     false},
    {AviCodec::Mpeg4, "mpeg4", "MPEG-4 Part 2", AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV420P,
     fourcc('X', 'V', 'I', 'D'), true},
    {AviCodec::H264, "libx264", "H.264", AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV420P,
     fourcc('H', '2', '6', '4'), true},
};

const EncoderSpec &specFor(AviCodec codec)
{
    for (const EncoderSpec &spec : kEncoders)
        if (spec.codec == codec)
            return spec;
    return kEncoders[0];
}

bool encoderTakes(const AVCodec &encoder, AVPixelFormat format)
{
    if (!encoder.pix_fmts)
        return true;
    for (const AVPixelFormat *f = encoder.pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == format)
            return true;
    return false;
}

// 1 (smallest) to 100 (best) onto the encoders' own scales.
int qscaleFor(int quality)
{
    return 2 + (100 - std::clamp(quality, 1, 100)) * 29 / 100;
}

int crfFor(int quality)
{
    return 12 + (100 - std::clamp(quality, 1, 100)) * 28 / 100;
}

QString systemError(int code)
{
    return ffmpeg::errorText(code);
}

} // namespace

std::vector<AviEncoderInfo> availableAviEncoders()
{
    std::vector<AviEncoderInfo> result;
    for (const EncoderSpec &spec : kEncoders) {
        if (spec.codec != AviCodec::Uncompressed) {
            const AVCodec *encoder = avcodec_find_encoder_by_name(spec.name);
            if (!encoder || !encoderTakes(*encoder, spec.encoderFormat))
                continue;
        }
        result.push_back({spec.codec, QString::fromLatin1(spec.name),
                          QString::fromLatin1(spec.title), spec.lossy});
    }
    return result;
}

struct AviWriter::Impl {
    UniqueFd fd;
    int ioError = 0; // the first errno of a failed write or seek
    ffmpeg::IoContextPtr io;
    ffmpeg::OutputFormatPtr format;
    AVStream *stream = nullptr;
    ffmpeg::CodecContextPtr encoder;
    ffmpeg::SwsContextPtr scaler;
    ffmpeg::FramePtr picture;
    ffmpeg::PacketPtr packet;
    std::vector<std::uint8_t> rows; // uncompressed: bottom-up rows padded to 4 bytes
    std::size_t rowStride = 0;

    static int writeOut(void *opaque, std::uint8_t *data, int size)
    {
        auto *self = static_cast<Impl *>(opaque);
        const std::uint8_t *p = data;
        std::size_t left = std::size_t(size);
        while (left > 0) {
            const ssize_t n = ::write(self->fd.get(), p, left);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (!self->ioError)
                    self->ioError = errno;
                return AVERROR(errno);
            }
            p += n;
            left -= std::size_t(n);
        }
        return size;
    }

    static std::int64_t seek(void *opaque, std::int64_t offset, int whence)
    {
        auto *self = static_cast<Impl *>(opaque);
        if (whence & AVSEEK_SIZE) {
            struct stat st {};
            return ::fstat(self->fd.get(), &st) == 0 ? std::int64_t(st.st_size) : AVERROR(errno);
        }
        const off_t at = ::lseek(self->fd.get(), off_t(offset), whence & ~AVSEEK_FORCE);
        if (at < 0) {
            if (!self->ioError)
                self->ioError = errno;
            return AVERROR(errno);
        }
        return at;
    }

    // Hands every packet the encoder has ready to the muxer.
    int writeEncoded()
    {
        for (;;) {
            int status = avcodec_receive_packet(encoder.get(), packet.get());
            if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
                return 0;
            if (status < 0)
                return status;
            av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
            packet->stream_index = 0;
            status = av_write_frame(format.get(), packet.get());
            av_packet_unref(packet.get());
            if (status < 0)
                return status;
        }
    }

    // The code of a failed write, which FFmpeg's buffered I/O may only remember.
    int pendingError() const
    {
        if (ioError)
            return AVERROR(ioError);
        return io && io->error < 0 ? io->error : 0;
    }
};

AviWriter::AviWriter(QString path, const AviWriterSettings &settings)
    : path_(std::move(path)), settings_(settings), impl_(std::make_unique<Impl>())
{
    if (settings_.flushEvery <= 0)
        settings_.flushEvery = std::max(1, settings_.rate);
}

AviWriter::~AviWriter()
{
    if (!finished_)
        finish();
}

namespace {

// Removes a file that opening created, when a later step fails.
struct CreatedFile {
    QString path;
    bool keep = false;
    ~CreatedFile()
    {
        if (!keep && !path.isEmpty())
            QFile::remove(path);
    }
};

AviFormatProblem problemOf(int code)
{
    switch (code) {
    case AVERROR(ENOSYS):
    case AVERROR_PATCHWELCOME:
    case AVERROR_ENCODER_NOT_FOUND:
        return AviFormatProblem::Unsupported;
    case AVERROR_INVALIDDATA:
    case AVERROR(EINVAL):
        return AviFormatProblem::Bad;
    default:
        return AviFormatProblem::Other;
    }
}

void fail(AviFailure *failure, AviStage stage, int code, const QString &detail)
{
    if (failure)
        *failure = {stage, code, detail, problemOf(code)};
}

int openEncoder(AviWriter::Impl &impl, const AviWriterSettings &s, QString *detail)
{
    const EncoderSpec &spec = specFor(s.compression.codec);
    const AVCodec *codec = avcodec_find_encoder_by_name(spec.name);
    if (!codec) {
        *detail = QStringLiteral("FFmpeg has no %1 encoder").arg(QString::fromLatin1(spec.name));
        return AVERROR_ENCODER_NOT_FOUND;
    }
    impl.encoder.reset(avcodec_alloc_context3(codec));
    if (!impl.encoder)
        return AVERROR(ENOMEM);
    AVCodecContext &c = *impl.encoder;
    c.width = s.width;
    c.height = s.height;
    c.time_base = {1, s.rate};
    c.framerate = {s.rate, 1};
    c.pix_fmt = spec.encoderFormat;
    c.codec_tag = spec.tag;
    c.gop_size = s.rate;
    c.max_b_frames = 0; // AVI keeps no presentation times: frames must arrive in order
    c.sample_aspect_ratio = {1, 1};
    // Encoders' progress reports (libx264's summary) stay out of the station's output;
    // warnings and errors still show.
    c.log_level_offset = AV_LOG_VERBOSE - AV_LOG_INFO;
    if (spec.encoderFormat == AV_PIX_FMT_YUVJ420P || spec.encoderFormat == AV_PIX_FMT_YUV420P) {
        c.colorspace = AVCOL_SPC_SMPTE170M;
        c.color_range =
            spec.encoderFormat == AV_PIX_FMT_YUVJ420P ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    }
    AVDictionary *options = nullptr;
    switch (s.compression.codec) {
    case AviCodec::MotionJpeg:
    case AviCodec::Mpeg4:
        c.flags |= AV_CODEC_FLAG_QSCALE;
        c.global_quality = qscaleFor(s.compression.quality) * FF_QP2LAMBDA;
        break;
    case AviCodec::H264:
        av_dict_set(&options, "preset", "veryfast", 0);
        av_dict_set(&options, "tune", "zerolatency", 0);
        av_dict_set_int(&options, "crf", crfFor(s.compression.quality), 0);
        break;
    case AviCodec::Ffv1:
        av_dict_set(&options, "level", "3", 0); // slices, so both cores encode
        av_dict_set(&options, "slicecrc", "1", 0);
        c.thread_count = 0;
        break;
    case AviCodec::Uncompressed:
        break;
    }
    int status = avcodec_open2(&c, codec, &options);
    av_dict_free(&options);
    if (status < 0) {
        *detail = systemError(status);
        return status;
    }
    status = avcodec_parameters_from_context(impl.stream->codecpar, &c);
    if (status < 0)
        return status;
    impl.stream->codecpar->codec_tag = spec.tag;

    impl.picture.reset(av_frame_alloc());
    if (!impl.picture)
        return AVERROR(ENOMEM);
    impl.picture->format = spec.encoderFormat;
    impl.picture->width = s.width;
    impl.picture->height = s.height;
    status = av_frame_get_buffer(impl.picture.get(), 0);
    if (status < 0)
        return status;
    // Motion JPEG is full range, the others video range; the matrix is BT.601 for all. The
    // range is an option of the context: set after initialisation it would be ignored.
    SwsContext *scaler = sws_alloc_context();
    impl.scaler.reset(scaler);
    if (!scaler)
        return AVERROR(ENOMEM);
    const bool fullRange = spec.encoderFormat != AV_PIX_FMT_YUV420P;
    av_opt_set_int(scaler, "srcw", s.width, 0);
    av_opt_set_int(scaler, "srch", s.height, 0);
    av_opt_set_int(scaler, "src_format", AV_PIX_FMT_BGR24, 0);
    av_opt_set_int(scaler, "dstw", s.width, 0);
    av_opt_set_int(scaler, "dsth", s.height, 0);
    av_opt_set_int(scaler, "dst_format", spec.scalerFormat, 0);
    av_opt_set_int(scaler, "sws_flags", SWS_BICUBIC, 0);
    av_opt_set_int(scaler, "src_range", 1, 0);
    av_opt_set_int(scaler, "dst_range", fullRange ? 1 : 0, 0);
    return sws_init_context(scaler, nullptr, nullptr);
}

} // namespace

std::unique_ptr<AviWriter> AviWriter::open(const QString &path, const AviWriterSettings &settings,
                                           AviFailure *failure)
{
    std::unique_ptr<AviWriter> writer(new AviWriter(path, settings));
    Impl &impl = *writer->impl_;
    const AviWriterSettings &s = writer->settings_;

    // 1. The file: created here, so a failure later removes exactly what this made.
    impl.fd.reset(
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!impl.fd) {
        const int code = AVERROR(errno);
        fail(failure, AviStage::OpenFile, code, systemError(code));
        return nullptr;
    }
    CreatedFile created{path};
    AVFormatContext *format = nullptr;
    int status = avformat_alloc_output_context2(&format, nullptr, "avi", nullptr);
    impl.format.reset(format);
    auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferSize));
    if (buffer) {
        impl.io.reset(avio_alloc_context(buffer, kIoBufferSize, 1, &impl, nullptr, &Impl::writeOut,
                                         &Impl::seek));
        if (!impl.io)
            av_free(buffer);
    }
    if (status < 0 || !impl.format || !impl.io) {
        const int code = status < 0 ? status : AVERROR(ENOMEM);
        fail(failure, AviStage::OpenFile, code, systemError(code));
        return nullptr;
    }
    impl.format->pb = impl.io.get();
    impl.format->flags |= AVFMT_FLAG_CUSTOM_IO;

    // 2. The stream: one video stream at `rate` frames a second.
    if (s.width <= 0 || s.height <= 0 || s.width > kMaxAviSide || s.height > kMaxAviSide ||
        s.rate <= 0 || s.rate > 1000) {
        fail(failure, AviStage::CreateStream, AVERROR(EINVAL),
             QStringLiteral("no AVI stream of %1 x %2 at %3 frames a second")
                 .arg(s.width)
                 .arg(s.height)
                 .arg(s.rate));
        return nullptr;
    }
    impl.stream = avformat_new_stream(impl.format.get(), nullptr);
    if (!impl.stream) {
        fail(failure, AviStage::CreateStream, AVERROR(ENOMEM), systemError(AVERROR(ENOMEM)));
        return nullptr;
    }
    impl.stream->time_base = {1, s.rate};
    impl.stream->avg_frame_rate = {s.rate, 1};
    AVCodecParameters &par = *impl.stream->codecpar;
    par.codec_type = AVMEDIA_TYPE_VIDEO;
    par.width = s.width;
    par.height = s.height;
    par.sample_aspect_ratio = {1, 1};

    // 3. The compressor; uncompressed frames need none.
    if (s.compression.codec == AviCodec::Uncompressed) {
        par.codec_id = AV_CODEC_ID_RAWVIDEO;
        par.codec_tag = 0;
        par.format = AV_PIX_FMT_BGR24;
        par.bits_per_coded_sample = 24;
        impl.rowStride = (std::size_t(s.width) * 3 + 3) & ~std::size_t(3);
        impl.rows.resize(impl.rowStride * std::size_t(s.height));
    } else {
        QString detail;
        status = openEncoder(impl, s, &detail);
        if (status < 0) {
            fail(failure, AviStage::Compressor, status,
                 detail.isEmpty() ? systemError(status) : detail);
            return nullptr;
        }
    }
    impl.packet.reset(av_packet_alloc());
    if (!impl.packet) {
        fail(failure, AviStage::Compressor, AVERROR(ENOMEM), systemError(AVERROR(ENOMEM)));
        return nullptr;
    }

    // 4. The stream format and the headers, pushed to the disk at once: a file cut short
    // later still says what it holds.
    AVDictionary *options = nullptr;
    if (s.compression.codec == AviCodec::Uncompressed)
        av_dict_set(&options, "flipped_raw_rgb", "1", 0); // bitmaps are bottom-up
    status = avformat_write_header(impl.format.get(), &options);
    av_dict_free(&options);
    if (status >= 0) {
        avio_flush(impl.io.get());
        status = impl.pendingError();
    }
    if (status < 0) {
        fail(failure, AviStage::StreamFormat, status, systemError(status));
        return nullptr;
    }
    created.keep = true;
    writer->finished_ = false;
    return writer;
}

bool AviWriter::write(FrameView frame, std::int64_t position)
{
    Impl &impl = *impl_;
    if (finished_) {
        lastError_ = QStringLiteral("the file is closed");
        return false;
    }
    if (frame.empty() || frame.width != settings_.width || frame.height != settings_.height) {
        lastError_ = QStringLiteral("a frame of %1 x %2 does not belong in a %3 x %4 recording")
                         .arg(frame.width)
                         .arg(frame.height)
                         .arg(settings_.width)
                         .arg(settings_.height);
        return false;
    }
    if (position <= lastPosition_) {
        lastError_ =
            QStringLiteral("frame position %1 is not after %2").arg(position).arg(lastPosition_);
        return false;
    }

    int status = 0;
    if (!impl.encoder) {
        const std::size_t rowBytes = std::size_t(frame.width) * 3;
        for (int y = 0; y < frame.height; ++y)
            std::memcpy(impl.rows.data() + std::size_t(frame.height - 1 - y) * impl.rowStride,
                        frame.row(y), rowBytes);
        av_packet_unref(impl.packet.get());
        impl.packet->data = impl.rows.data();
        impl.packet->size = int(impl.rows.size());
        impl.packet->pts = impl.packet->dts = position;
        impl.packet->duration = 1;
        impl.packet->flags = AV_PKT_FLAG_KEY;
        impl.packet->stream_index = 0;
        status = av_write_frame(impl.format.get(), impl.packet.get());
        impl.packet->data = nullptr;
        impl.packet->size = 0;
    } else {
        status = av_frame_make_writable(impl.picture.get());
        if (status >= 0) {
            const std::uint8_t *const source[4] = {frame.data, nullptr, nullptr, nullptr};
            const int sourceStride[4] = {frame.width * 3, 0, 0, 0};
            sws_scale(impl.scaler.get(), source, sourceStride, 0, frame.height, impl.picture->data,
                      impl.picture->linesize);
            impl.picture->pts = position;
            // Fixed-quality encoders take the quality of each frame, not of the context.
            impl.picture->quality = impl.encoder->global_quality;
            status = avcodec_send_frame(impl.encoder.get(), impl.picture.get());
        }
        if (status >= 0)
            status = impl.writeEncoded();
    }
    lastPosition_ = position; // taken even by a failed write: the muxer may have moved on
    if (status >= 0)
        status = impl.pendingError();
    if (status < 0) {
        lastError_ = systemError(status);
        return false;
    }
    ++framesWritten_;
    if (position - lastFlushPosition_ >= settings_.flushEvery) {
        avio_flush(impl.io.get());
        if (impl.pendingError() < 0) {
            lastError_ = systemError(impl.pendingError());
            return false;
        }
        framesFlushed_ = framesWritten_;
        lastFlushPosition_ = position;
    }
    return true;
}

bool AviWriter::finish()
{
    if (finished_)
        return lastError_.isEmpty();
    finished_ = true;
    Impl &impl = *impl_;
    int status = 0;
    if (impl.encoder) {
        // Encoders that hold frames back hand them out now.
        if (avcodec_send_frame(impl.encoder.get(), nullptr) >= 0)
            status = impl.writeEncoded();
    }
    const int trailer = av_write_trailer(impl.format.get());
    if (status >= 0)
        status = trailer;
    avio_flush(impl.io.get());
    if (status >= 0)
        status = impl.pendingError();
    if (::close(impl.fd.release()) != 0 && status >= 0)
        status = AVERROR(errno);
    if (status < 0) {
        lastError_ = systemError(status);
        return false;
    }
    framesFlushed_ = framesWritten_;
    return true;
}

bool AviWriter::probe(const AviWriterSettings &settings, AviFailure *failure)
{
    const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quelmar-probe-XXXXXX"));
    if (!dir.isValid()) {
        fail(failure, AviStage::OpenFile, AVERROR(EACCES), dir.errorString());
        return false;
    }
    std::unique_ptr<AviWriter> writer =
        open(dir.filePath(QStringLiteral("probe.avi")), settings, failure);
    if (!writer)
        return false;
    Frame grey(settings.width, settings.height);
    std::fill(grey.data(), grey.data() + grey.byteCount(), std::uint8_t(128));
    const bool ok = writer->write(grey.view(), 0) && writer->finish();
    if (!ok)
        fail(failure, AviStage::StreamFormat, AVERROR(EIO), writer->lastError());
    return ok;
}

} // namespace quelmar

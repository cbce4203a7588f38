#include "image/jpeg_codec.h"

#include "atomic_file.h"
#include "image/picture_file.h"

#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>

// jpeglib.h expects FILE and size_t to be declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace quelmar {
namespace {

constexpr qint64 kMaxFileSize = qint64(1) << 30;
constexpr JDIMENSION kRowsPerCall = 16;

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

// libjpeg reports a failure by calling error_exit, which must not return: the handler keeps
// the message and jumps back to the setjmp of the running operation.
struct JpegErrors {
    jpeg_error_mgr manager; // first member, so libjpeg's pointer converts back
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpOnError(j_common_ptr info)
{
    auto *errors = reinterpret_cast<JpegErrors *>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings after which the picture is whole: stray bytes before a marker (skipped), an
// unknown JFIF revision, scan parameters a sequential file does not use (ignored). Every other
// warning means damaged or missing entropy data, which libjpeg would paint grey and carry on.
bool leavesPictureWhole(int code)
{
    return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_NOT_SEQUENTIAL;
}

void failOnLostPixels(j_common_ptr info, int level)
{
    if (level < 0 && !leavesPictureWhole(info->err->msg_code))
        jumpOnError(info);
}

jpeg_error_mgr *installErrors(JpegErrors &errors)
{
    jpeg_error_mgr *manager = jpeg_std_error(&errors.manager);
    manager->error_exit = jumpOnError;
    manager->emit_message = failOnLostPixels;
    errors.message[0] = '\0';
    return manager;
}

[[noreturn]] void failOutOfMemory(j_compress_ptr info)
{
    info->err->msg_code = JERR_OUT_OF_MEMORY;
    jumpOnError(reinterpret_cast<j_common_ptr>(info));
}

bool resizeNoThrow(std::vector<std::uint8_t> &bytes, std::size_t size)
{
    try {
        bytes.resize(size);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

// Compressed bytes go straight into a vector that doubles when full, so a still is encoded
// into one buffer and written to disk in one call.
struct VectorDestination {
    jpeg_destination_mgr manager; // first member, so libjpeg's pointer converts back
    std::vector<std::uint8_t> *out;
    std::size_t initialSize;
};

VectorDestination &destinationOf(j_compress_ptr info)
{
    return *reinterpret_cast<VectorDestination *>(info->dest);
}

void startVector(j_compress_ptr info)
{
    VectorDestination &destination = destinationOf(info);
    if (!resizeNoThrow(*destination.out, destination.initialSize))
        failOutOfMemory(info);
    destination.manager.next_output_byte = destination.out->data();
    destination.manager.free_in_buffer = destination.out->size();
}

boolean growVector(j_compress_ptr info)
{
    VectorDestination &destination = destinationOf(info);
    const std::size_t used = destination.out->size(); // called only when the buffer is full
    if (!resizeNoThrow(*destination.out, used * 2))
        failOutOfMemory(info);
    destination.manager.next_output_byte = destination.out->data() + used;
    destination.manager.free_in_buffer = destination.out->size() - used;
    return TRUE;
}

void finishVector(j_compress_ptr info)
{
    VectorDestination &destination = destinationOf(info);
    destination.out->resize(destination.out->size() - destination.manager.free_in_buffer);
}

// Owns the compress struct for one encode. Destroying a struct that was never created is a
// no-op, so a failure at any point cleans up here.
struct Compression {
    jpeg_compress_struct info{};
    JpegErrors errors{};
    VectorDestination destination{};

    explicit Compression(std::vector<std::uint8_t> &out, std::size_t initialSize)
    {
        info.err = installErrors(errors);
        destination.manager.init_destination = startVector;
        destination.manager.empty_output_buffer = growVector;
        destination.manager.term_destination = finishVector;
        destination.out = &out;
        destination.initialSize = initialSize;
    }
    ~Compression() { jpeg_destroy_compress(&info); }
    Compression(const Compression &) = delete;
    Compression &operator=(const Compression &) = delete;
};

struct Decompression {
    jpeg_decompress_struct info{};
    JpegErrors errors{};

    Decompression() { info.err = installErrors(errors); }
    ~Decompression() { jpeg_destroy_decompress(&info); }
    Decompression(const Decompression &) = delete;
    Decompression &operator=(const Decompression &) = delete;
};

// The only function libjpeg jumps back into while encoding. It holds no object with a
// destructor, so the jump skips no cleanup.
bool runCompression(Compression &job, FrameView frame, int quality)
{
    if (setjmp(job.errors.jump))
        return false;
    jpeg_create_compress(&job.info);
    job.info.dest = &job.destination.manager;
    job.info.image_width = JDIMENSION(frame.width);
    job.info.image_height = JDIMENSION(frame.height);
    job.info.input_components = 3;
    job.info.in_color_space = JCS_EXT_BGR; // libjpeg reads the frame's byte order directly
    jpeg_set_defaults(&job.info);          // sequential Huffman with 4:2:0: baseline
    jpeg_set_quality(&job.info, quality, TRUE);
    jpeg_start_compress(&job.info, TRUE);

    const std::size_t stride = std::size_t(frame.width) * 3;
    while (job.info.next_scanline < job.info.image_height) {
        const JDIMENSION first = job.info.next_scanline;
        const JDIMENSION count = std::min(kRowsPerCall, job.info.image_height - first);
        JSAMPROW rows[kRowsPerCall];
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = frame.data + (first + i) * stride;
        jpeg_write_scanlines(&job.info, rows, count);
    }
    jpeg_finish_compress(&job.info);
    return true;
}

// Whether `size` compressed bytes can hold the picture the header declares. Huffman coding
// spends at least one bit on every 8 x 8 block of the first component (a DC code and an end
// of block), so fewer bytes than blocks / 8 cannot be a whole picture: a flat grey camera
// picture at quality 1 still takes six bits a block. Arithmetic coding squeezes flat blocks
// far more; no camera writes it, and it is held to a byte per 256 blocks.
bool compressedDataCanFill(const jpeg_decompress_struct &info, std::size_t size)
{
    const std::uint64_t blocks =
        (std::uint64_t(info.image_width) + 7) / 8 * ((std::uint64_t(info.image_height) + 7) / 8);
    const std::uint64_t blocksPerByte = info.arith_code ? 256 : 8;
    return std::uint64_t(size) >= blocks / blocksPerByte;
}

// The only function libjpeg jumps back into while decoding (see runCompression). Sizing
// `out` may throw std::bad_alloc, which the caller catches.
bool runDecompression(Decompression &job, const std::uint8_t *data, std::size_t size, QSize largest,
                      Frame &out)
{
    if (setjmp(job.errors.jump))
        return false;
    jpeg_create_decompress(&job.info);
    jpeg_mem_src(&job.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&job.info, TRUE);
    if (job.info.image_width > JDIMENSION(largest.width()) ||
        job.info.image_height > JDIMENSION(largest.height())) {
        std::snprintf(job.errors.message, sizeof job.errors.message, "implausible size %u x %u",
                      job.info.image_width, job.info.image_height);
        return false;
    }
    if (std::int64_t(job.info.image_width) * job.info.image_height > kMaxJpegPixels) {
        std::snprintf(job.errors.message, sizeof job.errors.message,
                      "%u x %u is over the %lld pixels a picture may have", job.info.image_width,
                      job.info.image_height, static_cast<long long>(kMaxJpegPixels));
        return false;
    }
    if (!compressedDataCanFill(job.info, size)) {
        std::snprintf(job.errors.message, sizeof job.errors.message,
                      "%zu bytes cannot hold a %u x %u picture", size, job.info.image_width,
                      job.info.image_height);
        return false;
    }
    job.info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&job.info);

    out.resize(int(job.info.output_width), int(job.info.output_height));
    const std::size_t stride = std::size_t(job.info.output_width) * 3;
    while (job.info.output_scanline < job.info.output_height) {
        const JDIMENSION first = job.info.output_scanline;
        const JDIMENSION count = std::min(kRowsPerCall, job.info.output_height - first);
        JSAMPROW rows[kRowsPerCall];
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = out.data() + (first + i) * stride;
        jpeg_read_scanlines(&job.info, rows, count);
    }
    jpeg_finish_decompress(&job.info);
    return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>> encodeJpeg(FrameView frame, int quality, QString *error)
{
    if (frame.empty() || frame.width > kMaxJpegSide || frame.height > kMaxJpegSide) {
        setError(
            error,
            QStringLiteral("cannot encode a %1 x %2 picture").arg(frame.width).arg(frame.height));
        return std::nullopt;
    }
    if (quality < 1 || quality > 100) {
        setError(error, QStringLiteral("JPEG quality %1 is outside 1..100").arg(quality));
        return std::nullopt;
    }
    std::vector<std::uint8_t> out;
    // Most pictures compress to under half a byte per pixel at quality 90: usually no regrowth.
    Compression job(out, frame.byteCount() / 6 + 4096);
    if (!runCompression(job, frame, quality)) {
        setError(error, QString::fromLatin1(job.errors.message));
        return std::nullopt;
    }
    return out;
}

bool writeJpeg(const QString &path, FrameView frame, int quality, QString *error)
{
    const std::optional<std::vector<std::uint8_t>> bytes = encodeJpeg(frame, quality, error);
    if (!bytes)
        return false;
    QString reason;
    if (replaceFile(path, QByteArrayView(bytes->data(), qsizetype(bytes->size())), &reason))
        return true;
    setError(error, QStringLiteral("cannot write %1: %2").arg(path, reason));
    return false;
}

std::optional<Frame> decodeJpeg(const std::uint8_t *data, std::size_t size, QString *error)
{
    return decodeJpeg(data, size, QSize(kMaxJpegSide, kMaxJpegSide), error);
}

std::optional<Frame> decodeJpeg(const std::uint8_t *data, std::size_t size, QSize largest,
                                QString *error)
{
    largest = largest.boundedTo(QSize(kMaxJpegSide, kMaxJpegSide)).expandedTo(QSize(0, 0));
    if (data == nullptr || size == 0) {
        setError(error, QStringLiteral("no JPEG data"));
        return std::nullopt;
    }
    Decompression job;
    Frame frame;
    try {
        if (runDecompression(job, data, size, largest, frame))
            return frame;
        setError(error, QString::fromLatin1(job.errors.message));
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("out of memory for %1 x %2 pixels")
                            .arg(job.info.output_width)
                            .arg(job.info.output_height));
    }
    return std::nullopt;
}

std::optional<Frame> readJpeg(const QString &path, QString *error)
{
    const auto bytes = readPictureFile(path, kMaxFileSize, error);
    if (!bytes)
        return std::nullopt;
    return decodeJpeg(reinterpret_cast<const std::uint8_t *>(bytes->constData()),
                      std::size_t(bytes->size()), error);
}

} // namespace quelmar

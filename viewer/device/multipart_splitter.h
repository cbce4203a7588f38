// Cuts a multipart HTTP body (the microscope's picture stream) into parts, incrementally and
// without any I/O: bytes go in as they arrive, in chunks of any size, and every finished
// JPEG part comes out once the part after it has begun.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quelmar::viewer {

class MultipartSplitter {
public:
    // Called with the body of a finished part whose type is "image/jpeg" and that holds at
    // least kMinPictureBytes. The bytes are valid only during the call.
    using PictureCallback = std::function<void(std::span<const std::uint8_t> jpeg)>;

    static constexpr std::size_t kMinPictureBytes = 6;
    static constexpr std::size_t kDefaultMaxPartBytes = std::size_t(32) << 20;

    // `boundary` as the response's Content-Type names it, with or without leading dashes.
    explicit MultipartSplitter(QByteArray boundary, PictureCallback onPicture,
                               std::size_t maxPartBytes = kDefaultMaxPartBytes);
    MultipartSplitter(const MultipartSplitter &) = delete;
    MultipartSplitter &operator=(const MultipartSplitter &) = delete;

    // The boundary parameter of a Content-Type value such as
    // `multipart/x-mixed-replace; boundary="frame"`; empty when there is none.
    static QByteArray boundaryFromContentType(const QByteArray &contentType);

    void feed(const std::uint8_t *data, std::size_t size);
    void feed(const QByteArray &bytes)
    {
        feed(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
    }

    std::size_t picturesDelivered() const { return delivered_; }
    // Finished parts that were not pictures: another type, too short, or over the size limit.
    std::size_t partsDropped() const { return dropped_; }
    bool finished() const { return state_ == State::Done; }

private:
    enum class State { Preamble, Headers, Body, DelimiterLine, Done };

    std::size_t consumeLine(const std::uint8_t *data, std::size_t size);
    void handleLine(QByteArray line);
    bool isDelimiterLine(const QByteArray &line);
    void handleHeader(const QByteArray &line);
    std::size_t consumeBody(const std::uint8_t *data, std::size_t size);
    std::size_t findStraddlingDelimiter(const std::uint8_t *data, std::size_t size);
    void appendBody(const std::uint8_t *data, std::size_t size);
    void endBody(std::size_t bodySize);
    void beginPart();
    void finishPart();

    QByteArray boundaryCore_; // the boundary without leading dashes
    QByteArray needle_;       // "\n" + the delimiter as the stream writes it
    PictureCallback onPicture_;
    std::size_t maxPartBytes_;

    State state_ = State::Preamble;
    QByteArray line_; // the header or boundary line being collected
    bool lineTooLong_ = false;
    bool partIsJpeg_ = false;
    bool partTooLarge_ = false;
    bool partOpen_ = false;
    // The open part's bytes; its capacity is kept, so steady streams never reallocate.
    std::vector<std::uint8_t> body_;
    std::size_t delivered_ = 0;
    std::size_t dropped_ = 0;
};

} // namespace quelmar::viewer

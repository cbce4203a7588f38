#include "multipart_splitter.h"

#include <QList>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace quelmar::viewer {

namespace {

// Header and boundary lines longer than this are not real headers; their excess is ignored.
constexpr qsizetype kMaxLineBytes = 8192;
// RFC 2046 allows 70 characters; a little slack for devices that do not care.
constexpr qsizetype kMaxBoundaryBytes = 200;

QByteArray stripLeadingDashes(const QByteArray &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == '-')
        ++i;
    return text.mid(i);
}

QByteArray unquote(QByteArray value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.mid(1, value.size() - 2);
    return value;
}

} // namespace

MultipartSplitter::MultipartSplitter(QByteArray boundary, PictureCallback onPicture,
                                     std::size_t maxPartBytes)
    : boundaryCore_(stripLeadingDashes(unquote(std::move(boundary)).left(kMaxBoundaryBytes))),
      onPicture_(std::move(onPicture)), maxPartBytes_(maxPartBytes)
{}

QByteArray MultipartSplitter::boundaryFromContentType(const QByteArray &contentType)
{
    const QList<QByteArray> params = contentType.split(';');
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QByteArray param = params[i].trimmed();
        const qsizetype eq = param.indexOf('=');
        if (eq > 0 && param.left(eq).trimmed().toLower() == "boundary")
            return unquote(param.mid(eq + 1));
    }
    return {};
}

void MultipartSplitter::feed(const std::uint8_t *data, std::size_t size)
{
    while (size > 0 && state_ != State::Done) {
        const std::size_t used =
            state_ == State::Body ? consumeBody(data, size) : consumeLine(data, size);
        data += used;
        size -= used;
    }
}

std::size_t MultipartSplitter::consumeLine(const std::uint8_t *data, std::size_t size)
{
    const auto *end = static_cast<const std::uint8_t *>(std::memchr(data, '\n', size));
    const std::size_t take = end ? std::size_t(end - data) : size;
    const qsizetype room = kMaxLineBytes - line_.size();
    if (qsizetype(take) > room)
        lineTooLong_ = true;
    line_.append(reinterpret_cast<const char *>(data), std::min<qsizetype>(qsizetype(take), room));
    if (!end)
        return size;
    QByteArray line = std::exchange(line_, {});
    if (line.endsWith('\r'))
        line.chop(1);
    if (!std::exchange(lineTooLong_, false))
        handleLine(std::move(line));
    return take + 1;
}

void MultipartSplitter::handleLine(QByteArray line)
{
    switch (state_) {
    case State::Preamble:
        if (isDelimiterLine(line))
            beginPart();
        break;
    case State::DelimiterLine:
        // Whatever follows the delimiter on its line: "--" closes the body, anything else
        // (nothing, or padding) starts the next part, which completes the previous one.
        if (line.startsWith("--")) {
            // No part follows the last one, so it is never shown.
            if (std::exchange(partOpen_, false))
                ++dropped_;
            state_ = State::Done;
        } else {
            finishPart();
            beginPart();
        }
        break;
    case State::Headers:
        if (line.trimmed().isEmpty()) {
            body_.clear();
            state_ = State::Body;
        } else {
            handleHeader(line);
        }
        break;
    case State::Body:
    case State::Done:
        break;
    }
}

bool MultipartSplitter::isDelimiterLine(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (!text.startsWith("--") || text.size() > kMaxBoundaryBytes + 6)
        return false;
    const QByteArray core = stripLeadingDashes(text);
    if (boundaryCore_.isEmpty()) {
        // No boundary announced: the first dash line of the body names it.
        if (core.isEmpty() || core.size() > kMaxBoundaryBytes)
            return false;
        boundaryCore_ = core;
    } else if (core != boundaryCore_) {
        return false;
    }
    // Devices differ in how many dashes they write; the stream's own first line decides.
    needle_ = '\n' + text;
    return true;
}

void MultipartSplitter::handleHeader(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || line.left(colon).trimmed().toLower() != "content-type")
        return;
    const QByteArray value = line.mid(colon + 1);
    const qsizetype semicolon = value.indexOf(';');
    partIsJpeg_ =
        (semicolon < 0 ? value : value.left(semicolon)).trimmed().toLower() == "image/jpeg";
}

std::size_t MultipartSplitter::consumeBody(const std::uint8_t *data, std::size_t size)
{
    const std::size_t straddle = findStraddlingDelimiter(data, size);
    if (straddle > 0)
        return straddle;
    const void *hit = memmem(data, size, needle_.constData(), std::size_t(needle_.size()));
    if (!hit) {
        appendBody(data, size);
        return size;
    }
    const auto at = std::size_t(static_cast<const std::uint8_t *>(hit) - data);
    appendBody(data, at);
    endBody(body_.size());
    return at + std::size_t(needle_.size());
}

// A delimiter that began in earlier bytes and ends in this chunk. The body is seen as if a
// line feed preceded it, so a delimiter right after the header block counts too. Returns the
// chunk bytes it took, or 0.
std::size_t MultipartSplitter::findStraddlingDelimiter(const std::uint8_t *data, std::size_t size)
{
    const std::size_t needleSize = std::size_t(needle_.size());
    std::array<std::uint8_t, 2 * (kMaxBoundaryBytes + 8)> window{};
    const std::size_t extended = body_.size() + 1; // the virtual line feed, then the body
    const std::size_t tail = std::min(needleSize - 1, extended);
    const std::size_t head = std::min(needleSize - 1, size);
    std::size_t n = 0;
    for (std::size_t i = extended - tail; i < extended; ++i)
        window[n++] = i == 0 ? std::uint8_t('\n') : body_[i - 1];
    std::memcpy(window.data() + n, data, head);
    n += head;

    for (std::size_t p = 0; p < tail && p + needleSize <= n; ++p) {
        if (std::memcmp(window.data() + p, needle_.constData(), needleSize) != 0)
            continue;
        const std::size_t lineFeedAt = extended - tail + p;
        endBody(lineFeedAt == 0 ? 0 : lineFeedAt - 1);
        return p + needleSize - tail;
    }
    return 0;
}

void MultipartSplitter::appendBody(const std::uint8_t *data, std::size_t size)
{
    if (!partTooLarge_ && body_.size() + size <= maxPartBytes_) {
        body_.insert(body_.end(), data, data + size);
        return;
    }
    // Dropped: keep only enough of the end to recognise a delimiter split across chunks.
    if (!partTooLarge_) {
        partTooLarge_ = true;
        std::vector<std::uint8_t>().swap(body_); // give the dropped part's memory back
    }
    const std::size_t keep = std::size_t(needle_.size()) - 1;
    if (size >= keep) {
        body_.assign(data + size - keep, data + size);
        return;
    }
    const std::size_t total = body_.size() + size;
    if (total > keep)
        body_.erase(body_.begin(), body_.begin() + std::ptrdiff_t(total - keep));
    body_.insert(body_.end(), data, data + size);
}

void MultipartSplitter::endBody(std::size_t bodySize)
{
    body_.resize(bodySize);
    if (!body_.empty() && body_.back() == '\r')
        body_.pop_back();
    state_ = State::DelimiterLine;
}

void MultipartSplitter::beginPart()
{
    partOpen_ = true;
    partIsJpeg_ = false;
    partTooLarge_ = false;
    body_.clear();
    state_ = State::Headers;
}

void MultipartSplitter::finishPart()
{
    if (!std::exchange(partOpen_, false))
        return;
    if (partIsJpeg_ && !partTooLarge_ && body_.size() >= kMinPictureBytes) {
        ++delivered_;
        if (onPicture_)
            onPicture_(std::span<const std::uint8_t>(body_.data(), body_.size()));
    } else {
        ++dropped_;
    }
    body_.clear();
}

} // namespace quelmar::viewer

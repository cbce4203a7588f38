// Outside readers and writers for the codec tests: ImageMagick and Python, not the code under
// test, say what a file holds.
#pragma once

#include "image/frame.h"
#include "temp_home.h"

#include <QStringList>

#include <cstdlib>
#include <functional>
#include <optional>

namespace quelmar::test {

inline const QString kConvert = QStringLiteral("/usr/bin/convert");
inline const QString kIdentify = QStringLiteral("/usr/bin/identify");
inline const QString kPython = QStringLiteral("/usr/bin/python3");

inline Frame makeFrame(int width, int height,
                       const std::function<void(int x, int y, std::uint8_t *bgr)> &fill)
{
    Frame frame(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            fill(x, y, frame.view().row(y) + 3 * x);
    }
    return frame;
}

// Different in every channel, so swapped channels or rows show.
inline Frame gradientFrame(int width, int height)
{
    return makeFrame(width, height, [&](int x, int y, std::uint8_t *p) {
        p[0] = std::uint8_t(x * 255 / width);
        p[1] = std::uint8_t(y * 255 / height);
        p[2] = std::uint8_t(255 - (x + y) * 127 / (width + height));
    });
}

// RGB bytes to BGR and back.
inline void swapRedBlue(std::uint8_t *bytes, std::size_t size)
{
    for (std::size_t i = 0; i + 2 < size; i += 3)
        std::swap(bytes[i], bytes[i + 2]);
}

// The picture as ImageMagick decodes it; nothing when it cannot read the file.
inline std::optional<Frame> decodedByImageMagick(const QString &path)
{
    const QList<QByteArray> size = runTool(kIdentify, {"-format", "%w %h", path}).split(' ');
    int exitCode = -1;
    QByteArray rgb = runTool(kConvert, {path, "-depth", "8", "rgb:-"}, &exitCode);
    if (exitCode != 0 || size.size() != 2 || rgb.size() != size[0].toInt() * size[1].toInt() * 3)
        return std::nullopt;
    Frame frame(size[0].toInt(), size[1].toInt());
    swapRedBlue(reinterpret_cast<std::uint8_t *>(rgb.data()), std::size_t(rgb.size()));
    std::copy(rgb.begin(), rgb.end(), frame.data());
    return frame;
}

// ImageMagick writes `frame` to `target` (a path, maybe with a format prefix such as "BMP3:"),
// with `options` between input and output.
inline bool writtenByImageMagick(const Frame &frame, const QString &rawPath,
                                 const QStringList &options, const QString &target)
{
    QByteArray rgb(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.byteCount()));
    swapRedBlue(reinterpret_cast<std::uint8_t *>(rgb.data()), std::size_t(rgb.size()));
    if (!writeAll(rawPath, rgb))
        return false;
    int exitCode = -1;
    const QString size = QStringLiteral("%1x%2").arg(frame.width()).arg(frame.height());
    runTool(kConvert,
            QStringList{"-size", size, "-depth", "8", "rgb:" + rawPath} + options +
                QStringList{target},
            &exitCode);
    return exitCode == 0;
}

inline int maxDifference(const Frame &a, const Frame &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return 256;
    int largest = 0;
    for (std::size_t i = 0; i < a.byteCount(); ++i)
        largest = std::max(largest, std::abs(a.data()[i] - b.data()[i]));
    return largest;
}

inline double meanDifference(const Frame &a, const Frame &b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.byteCount() && i < b.byteCount(); ++i)
        sum += std::abs(a.data()[i] - b.data()[i]);
    return sum / double(a.byteCount());
}

} // namespace quelmar::test

#include "library/photo_file.h"

#include <image/bmp_codec.h>
#include <image/frame_image.h>
#include <image/jpeg_codec.h>

namespace quelmar::station {

PhotoFormat photoFormatOf(const QString &path)
{
    const QString tail = path.right(3);
    if (tail.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
        return PhotoFormat::Bmp;
    if (tail.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0)
        return PhotoFormat::Jpeg;
    return PhotoFormat::Other;
}

QImage decodePhoto(const QString &path)
{
    std::optional<Frame> frame;
    switch (photoFormatOf(path)) {
    case PhotoFormat::Bmp:
        frame = readBmp(path);
        break;
    case PhotoFormat::Jpeg:
        frame = readJpeg(path);
        break;
    case PhotoFormat::Other:
        break;
    }
    if (!frame || frame->empty())
        return {};
    return toQImage(*frame, QImage::Format_RGB32);
}

bool savePhoto(const QImage &picture, const QString &path)
{
    const PhotoFormat format = photoFormatOf(path);
    if (picture.isNull() || format == PhotoFormat::Other)
        return false;
    Frame frame = toFrame(picture);
    return format == PhotoFormat::Bmp ? writeBmp(path, frame.view())
                                      : writeJpeg(path, frame.view(), kDefaultJpegQuality);
}

QString photoFilter()
{
    return QStringLiteral("BMP Files (*.BMP *.bmp);;JPG Files (*.JPG *.jpg)");
}

QString bitmapFilter()
{
    return QStringLiteral("bmp Files (*.bmp *.BMP)");
}

} // namespace quelmar::station

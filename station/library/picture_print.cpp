#include "library/picture_print.h"

#include "base/prompt.h"
#include "base/station_paths.h"
#include "library/printer.h"

#include <image/bmp_codec.h>
#include <image/frame_image.h>
#include <image/jpeg_codec.h>

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

namespace quelmar::station {

PicturePrint::PicturePrint(Context context) : c_(std::move(context)) {}

void PicturePrint::warn(const QString &text)
{
    c_.prompt->message(c_.messageTitle, text, PromptIcon::Warning);
}

QString PicturePrint::bitmapFor(const QString &path) const
{
    // ".BMP", as a save dialog may write it, is a bitmap too and no JPEG.
    if (QFileInfo(path).suffix().compare(QLatin1StringView("bmp"), Qt::CaseInsensitive) == 0)
        return path;
    std::optional<Frame> picture = readJpeg(path);
    if (!picture)
        return {};
    makePrivateDir(c_.workDir);
    const QString copy = QDir(c_.workDir).absoluteFilePath(QStringLiteral("print.bmp"));
    return writeBmp(copy, picture->view()) ? copy : QString();
}

bool PicturePrint::printFile(const QString &path)
{
    const QString bitmap = bitmapFor(path);
    if (bitmap.isEmpty()) {
        warn(QStringLiteral("Error loading bitmap!"));
        return false;
    }
    const std::unique_ptr<QPrinter> printer = c_.printer ? c_.printer->open(path) : nullptr;
    if (!printer) {
        warn(QStringLiteral("No printer found!"));
        return false;
    }
    const std::optional<Frame> picture = readBmp(bitmap);
    if (!picture) {
        warn(QStringLiteral("Error loading bitmap!"));
        return false;
    }
    const QImage image = toQImage(*picture);
    QPainter painter;
    if (!painter.begin(printer.get())) {
        warn(QStringLiteral("No printer found!"));
        return false;
    }
    // The printable area in device pixels, its origin at the painter's origin.
    const QRect page(0, 0, printer->width(), printer->height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(page, image);
    if (painter.end())
        return true;
    warn(QStringLiteral("No printer found!")); // the printer did not take the document
    return false;
}

} // namespace quelmar::station

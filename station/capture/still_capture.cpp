#include "capture/still_capture.h"

#include "base/language.h"
#include "base/prompt.h"
#include "capture/capture_sizes.h"
#include "capture/preview_stretch.h"

#include <image/bmp_codec.h>
#include <image/jpeg_codec.h>
#include <image/resample.h>

#include <QDir>
#include <QPainter>

namespace quelmar::station {

namespace {
constexpr int kThumbnailSize = 60;
constexpr int kStillJpegQuality = 90;
} // namespace

int nextFileNumber(const QString &directory, const QString &pattern,
                   const std::function<void()> &onDirectory)
{
    const QDir dir(directory);
    int largest = 0;
    // Name filters ignore case unless told otherwise: ".AVI" counts as ".avi".
    const QFileInfoList entries = dir.entryInfoList(
        {pattern}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            if (onDirectory)
                onDirectory();
            continue;
        }
        const QString name = entry.fileName();
        const qsizetype n = name.lastIndexOf(u'N');
        if (n < 0)
            continue;
        QString rest = name.mid(n + 1);
        const qsizetype dot = rest.lastIndexOf(u'.');
        if (dot >= 0)
            rest.truncate(dot);
        qsizetype digits = 0;
        while (digits < rest.size() && rest[digits].isDigit() && rest[digits].unicode() < 128)
            ++digits;
        bool ok = false;
        const int number = rest.left(std::min<qsizetype>(digits, 9)).toInt(&ok);
        if (ok && number > largest)
            largest = number;
    }
    return largest + 1;
}

int nextStillNumber(const QString &pictureDir, bool bmp, const std::function<void()> &onDirectory)
{
    return nextFileNumber(pictureDir, bmp ? QStringLiteral("*.bmp") : QStringLiteral("*.jpg"),
                          onDirectory);
}

int nextVideoNumber(const QString &videoDir, const std::function<void()> &onDirectory)
{
    return nextFileNumber(videoDir, QStringLiteral("*.avi"), onDirectory);
}

QString magnificationForFileName(const QString &magnification)
{
    QString text = magnification;
    text.removeIf([](QChar c) { return c == u'/' || c.category() == QChar::Other_Control; });
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c == u'.'; }))
        return {};
    return text;
}

namespace {
// "<prefix>2026-12-08_101530": the date and time part of still and video names.
QString timeStampedName(const char *prefix, const QDateTime &t)
{
    const QDate d = t.date();
    const QTime tm = t.time();
    return QString::fromLatin1(prefix) + QStringLiteral("%1-%2-%3_%4%5%6")
                                             .arg(d.year(), 4)
                                             .arg(d.month(), 2, 10, QChar(u'0'))
                                             .arg(d.day(), 2, 10, QChar(u'0'))
                                             .arg(tm.hour(), 2, 10, QChar(u'0'))
                                             .arg(tm.minute(), 2, 10, QChar(u'0'))
                                             .arg(tm.second(), 2, 10, QChar(u'0'));
}
} // namespace

QString stillFileName(const QDateTime &t, const QString &magnification, int number, bool bmp)
{
    QString name = timeStampedName("Still_", t);
    if (const QString shown = magnificationForFileName(magnification); !shown.isEmpty())
        name += u'_' + shown + QStringLiteral("X");
    name += QStringLiteral("_N%1").arg(number, 4, 10, QChar(u'0'));
    return name + (bmp ? QStringLiteral(".bmp") : QStringLiteral(".jpg"));
}

QString videoFileName(const QDateTime &localTime, int number)
{
    return timeStampedName("Video_", localTime) +
           QStringLiteral("_N%1.avi").arg(number, 4, 10, QChar(u'0'));
}

StillResult saveStill(Frame &frame, const StillRequest &request)
{
    StillResult result;
    if (frame.empty()) {
        result.error = QStringLiteral("no picture arrived from the camera");
        return result;
    }
    const int number = nextStillNumber(request.pictureDir, request.bmp, request.onDirectoryEntry);
    const QString name =
        stillFileName(request.localTime, request.magnification, number, request.bmp);
    result.fullSizePath = request.fullSizeDir + u'/' + name;
    result.thumbnailPath = request.pictureDir + u'/' + name;

    if (request.drawOverlays) {
        // Paint straight into the frame's bytes: no copy of a full-size picture.
        QImage picture(frame.data(), frame.width(), frame.height(), frame.width() * 3,
                       QImage::Format_BGR888);
        request.drawOverlays(picture, overlayScaleFor(frame.width(), frame.height()),
                             previewToFrameZoom(frame.width(), frame.height()));
    }
    // A folder made by hand, or emptied from outside, may lack either directory.
    for (const QString &dir : {request.fullSizeDir, request.pictureDir}) {
        if (!QDir().mkpath(dir)) {
            result.error = QStringLiteral("cannot create the directory %1").arg(dir);
            return result;
        }
    }
    Frame thumb = resizeNearest(frame.view(), kThumbnailSize, kThumbnailSize);
    const auto write = [&](const QString &path, FrameView picture) {
        return request.bmp ? writeBmp(path, picture, &result.error)
                           : writeJpeg(path, picture, kStillJpegQuality, &result.error);
    };
    if (!write(result.fullSizePath, frame.view()))
        return result;
    // A full-size picture without its thumbnail would be a still the strip never shows.
    if (!write(result.thumbnailPath, thumb.view())) {
        QFile::remove(result.fullSizePath);
        return result;
    }
    result.written = true;
    return result;
}

void reportStillFailure(Prompt &prompt, const Language &language, const QString &title,
                        const StillResult &result)
{
    QString text = language.text(QStringLiteral("StillSaveFail"),
                                 QStringLiteral("The picture could not be saved."));
    if (!result.error.isEmpty())
        text += u'\n' + result.error;
    prompt.message(title, text, PromptIcon::Error);
}

} // namespace quelmar::station

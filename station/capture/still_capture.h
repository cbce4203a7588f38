// Stills: numbering by the files already in the picture directory, the file name with the
// date, time and magnification, overlays drawn at the size's scale, and the full-size
// picture plus its 60 x 60 thumbnail under one name.
#pragma once

#include <image/frame.h>

#include <QDateTime>
#include <QImage>
#include <QPointF>
#include <QString>

#include <functional>

namespace quelmar::station {

class Language;
class Prompt;

// One more than the largest number after the last "N" (up to the last ".") among the
// directory's entries that match `pattern` in any case; `onDirectory` is told about matching
// entries that are directories.
int nextFileNumber(const QString &dir, const QString &pattern,
                   const std::function<void()> &onDirectory = {});
// The still number among the picture directory's files of the format.
int nextStillNumber(const QString &pictureDir, bool bmp,
                    const std::function<void()> &onDirectory = {});
// The video number among the video directory's "*.avi" files.
int nextVideoNumber(const QString &videoDir, const std::function<void()> &onDirectory = {});

// The magnification text as it can stand in a file name: "/" and control characters (NUL
// among them) are dropped, and a text of dots only counts as no magnification.
QString magnificationForFileName(const QString &magnification);

// "Still_2026-12-08_101530_60X_N0001.jpg", or "..._101530_N0001.jpg" without magnification.
QString stillFileName(const QDateTime &localTime, const QString &magnification, int number,
                      bool bmp);

// "Video_2026-12-08_101530_N0001.avi".
QString videoFileName(const QDateTime &localTime, int number);

struct StillRequest {
    QString pictureDir;  // thumbnails
    QString fullSizeDir; // full-size pictures
    QString magnification;
    bool bmp = false;
    QDateTime localTime = QDateTime::currentDateTime();
    // Draws the still overlays with the size's overlay scale, then the live shapes with the
    // zooms from preview points to frame points.
    std::function<void(QImage &picture, double overlayScale, QPointF shapeZoom)> drawOverlays;
    std::function<void()> onDirectoryEntry;
};

struct StillResult {
    bool written = false;
    QString fullSizePath;
    QString thumbnailPath;
    QString error; // why nothing was written
};

// Draws the overlays into `frame` (in place) and writes both files, or neither: directories
// that went missing are made again first.
StillResult saveStill(Frame &frame, const StillRequest &request);

// Tells the user that a still could not be written, and why.
void reportStillFailure(Prompt &prompt, const Language &language, const QString &title,
                        const StillResult &result);

} // namespace quelmar::station

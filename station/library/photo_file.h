// The photo window's files: the test decode of the picture it opens and the annotated
// picture it saves, as BMP or JPEG by the file's extension, replaced atomically.
#pragma once

#include <QImage>
#include <QString>

namespace quelmar::station {

// By the last three characters of the path, without regard to case.
enum class PhotoFormat { Bmp, Jpeg, Other };
PhotoFormat photoFormatOf(const QString &path);

// The picture decoded by the codec its extension names; null when it cannot be read.
QImage decodePhoto(const QString &path);

// Writes `picture` as BMP or JPEG (quality 90) by the extension; false for any other
// extension and for a failed write, which leaves the file as it was.
bool savePhoto(const QImage &picture, const QString &path);

// The file dialogs' filters, matching both cases of the extensions.
QString photoFilter();  // BMP and JPG
QString bitmapFilter(); // BMP only

} // namespace quelmar::station

// Printing one picture file on one page: a JPEG goes through a BMP copy, the bitmap is
// stretched over the whole printable area (its aspect ratio is not kept).
#pragma once

#include <QString>

namespace quelmar::station {

class Printer;
class Prompt;

class PicturePrint {
public:
    struct Context {
        Prompt *prompt = nullptr;
        QString messageTitle;
        Printer *printer = nullptr; // null: no printer
        QString workDir;            // private directory for "print.bmp"
    };

    explicit PicturePrint(Context context);

    // Prints the picture file `path` (BMP or JPEG) as a document named by the path; false
    // after telling the user why ("No printer found!", "Error loading bitmap!").
    bool printFile(const QString &path);

private:
    // The BMP file to print for `path`: the file itself, or its copy "print.bmp"; empty when
    // the copy cannot be made.
    QString bitmapFor(const QString &path) const;
    void warn(const QString &text);

    Context c_;
};

} // namespace quelmar::station

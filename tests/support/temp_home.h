// A throw-away per-user directory: points SCOPEDESK_HOME at a fresh temporary directory for
// the lifetime of the object, so no test touches the real home.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quelmar::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    QString path() const { return dir_.path(); }
    QString file(const QString &relative) const { return dir_.filePath(relative); }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_ = false;
};

// Reads a whole file; empty when it cannot be read.
QByteArray readAll(const QString &path);
// Writes bytes to a file, creating parent directories.
bool writeAll(const QString &path, const QByteArray &bytes);
// Runs an outside program and returns its standard output; exit code in *exitCode.
QByteArray runTool(const QString &program, const QStringList &arguments, int *exitCode = nullptr);
// ImageMagick's "format width height" of a picture file (such as "JPEG 640 480"), or an empty
// text when it cannot read the file.
QString identify(const QString &path);
// Directory with the tree's sources (for resources such as language files).
QString sourceDir();

} // namespace quelmar::test

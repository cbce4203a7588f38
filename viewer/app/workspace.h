// The viewer's workspace on disk: the root with the album "default", every user album beside
// it (each with Image/ and Video/), and names for new stills and recordings that never take
// the name of a file already there.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quelmar::viewer {

class Workspace {
public:
    static constexpr const char *kDefaultAlbum = "default";
    static constexpr const char *kCalibrationFile = "calibration.plist";

    enum class AlbumCheck { Ok, Empty, Illegal, Exists };

    explicit Workspace(QString root) : root_(std::move(root)) {}

    const QString &root() const { return root_; }
    QString imageDirectory(const QString &album) const;
    QString videoDirectory(const QString &album) const;
    QString calibrationFile() const { return root_ + u'/' + QLatin1StringView(kCalibrationFile); }

    // The root, the default album and its two directories; false when any cannot be made.
    bool prepare() const;
    // Every directory under the root not starting with "." other than "default", by name.
    QStringList userAlbums() const;

    // Whether `name` may become a new album: not empty, a single plain directory name inside
    // the root (no "/", not "." or "..", no leading "."), and no file or directory of that
    // name under the root.
    AlbumCheck checkAlbumName(const QString &name) const;
    // Makes root/name with Image/ and Video/ after checkAlbumName passed; false on failure.
    bool createAlbum(const QString &name) const;

    // directory + stamp + extension, or with "-1", "-2", ... before the extension when a file
    // of that name exists. `alsoFree` names a companion suffix that must be free as well (the
    // poster ".jpg" beside a recording).
    static QString freeName(const QString &directory, const QString &stamp,
                            const QString &extension, const QString &alsoFree = {});
    static QString timeStamp(const QDateTime &when = QDateTime::currentDateTime());

private:
    QString root_;
};

} // namespace quelmar::viewer

// One grid of the gallery: the ".jpg" files of a directory, sorted by name, each with a
// thumbnail decoded at cell size the first time a cell shows it and kept while the file is
// unchanged, so reloading a tab costs a directory listing, not a decode of every picture.
#pragma once

#include <QAbstractListModel>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>

#include <vector>

namespace quelmar::viewer {

class GalleryModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int kCellSide = 80;
    enum Role { PathRole = Qt::UserRole + 1 };

    explicit GalleryModel(QObject *parent = nullptr);

    // Lists `directory` afresh; files whose picture header cannot be read are left out.
    void load(const QString &directory);
    // A new file of the directory joins at its place by name; false when it is unreadable.
    bool add(const QString &path);
    void removeAt(int row);
    void clear();

    const QString &directory() const { return directory_; }
    QString pathAt(int row) const;
    int indexOfPath(const QString &path) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Pictures decoded so far, for measurements.
    int thumbnailsDecoded() const { return decoded_; }
    // Name order: the time stamp before any "-n" suffix, so a later still of one second
    // follows the earlier one.
    static bool nameLess(const QString &a, const QString &b);

private:
    struct Thumbnail {
        QDateTime modified;
        qint64 size = -1;
        QImage image; // null: the picture could not be decoded
    };
    static bool listable(const QString &fileName);
    QImage thumbnail(const QString &path) const;

    QString directory_;
    std::vector<QString> paths_;
    mutable QHash<QString, Thumbnail> thumbnails_; // by path; outlives reloads
    mutable int decoded_ = 0;
};

} // namespace quelmar::viewer

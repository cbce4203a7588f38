#include "app/gallery.h"

#include "app/viewer_prompt.h"

#include "atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quelmar::viewer {

namespace {

const QString kPosterSuffix = QStringLiteral(".mp4.jpg");

} // namespace

Gallery::Gallery(ViewerPrompt *prompt, DesktopOpener *opener, QObject *parent)
    : QObject(parent), prompt_(prompt), opener_(opener)
{}

std::optional<QString> Gallery::videoOfPoster(const QString &posterPath)
{
    if (!posterPath.endsWith(kPosterSuffix))
        return std::nullopt;
    return posterPath.chopped(4);
}

void Gallery::setDirectories(const QString &imageDirectory, const QString &videoDirectory)
{
    photos_.load(imageDirectory);
    videos_.load(videoDirectory);
    resetSelection();
}

void Gallery::loadPhotoCollection()
{
    photos_.load(photos_.directory());
    resetSelection();
}

void Gallery::loadVideoCollection()
{
    videos_.load(videos_.directory());
    resetSelection();
}

void Gallery::addCollectionItem(int flag, const QString &path)
{
    GalleryModel &model = flag == 0 ? photos_ : videos_;
    // Only files of the album shown belong in its grids.
    if (QDir::cleanPath(QFileInfo(path).absolutePath()) !=
        QDir::cleanPath(QDir(model.directory()).absolutePath()))
        return;
    const QString selected = shownModel() == &model ? model.pathAt(IndexSelect_) : QString();
    if (!model.add(path) || selected.isEmpty())
        return;
    // The selection stays on its item when the new one is placed before it.
    const int row = model.indexOfPath(selected);
    if (row != IndexSelect_) {
        IndexSelect_ = row;
        Q_EMIT selectionChanged(row);
    }
}

void Gallery::setTab(int tab)
{
    bPictureShow_ = tab;
    if (tab == kPhotosTab)
        loadPhotoCollection();
    else if (tab == kVideosTab)
        loadVideoCollection();
    else
        resetSelection();
}

void Gallery::select(int row)
{
    const GalleryModel *model = shownModel();
    IndexSelect_ = model && row >= 0 && row < model->rowCount() ? row : -1;
    Q_EMIT selectionChanged(IndexSelect_);
}

void Gallery::resetSelection()
{
    IndexSelect_ = -1;
    Q_EMIT selectionChanged(-1);
}

GalleryModel *Gallery::shownModel()
{
    if (bPictureShow_ == kPhotosTab)
        return &photos_;
    if (bPictureShow_ == kVideosTab)
        return &videos_;
    return nullptr;
}

std::optional<int> Gallery::validSelection()
{
    const GalleryModel *model = shownModel();
    if (!model || IndexSelect_ < 0 || IndexSelect_ >= model->rowCount())
        return std::nullopt;
    return IndexSelect_;
}

QString Gallery::fileOf(const QString &itemPath) const
{
    if (bPictureShow_ != kVideosTab)
        return itemPath;
    return videoOfPoster(itemPath).value_or(QString());
}

void Gallery::openItem(int row)
{
    select(row);
    openMenuItemAction();
}

void Gallery::openMenuItemAction()
{
    const std::optional<int> row = validSelection();
    if (!row)
        return;
    const QString file = fileOf(shownModel()->pathAt(*row));
    if (!file.isEmpty() && opener_)
        opener_->open(file);
}

void Gallery::saveMenuItemAction()
{
    const std::optional<int> row = validSelection();
    if (!row)
        return;
    const bool video = bPictureShow_ == kVideosTab;
    const QString file = fileOf(shownModel()->pathAt(*row));
    if (file.isEmpty())
        return;
    const std::optional<QString> target = prompt_->saveFile(
        video ? QStringLiteral("Save Video") : QStringLiteral("Save Image"),
        QFileInfo(file).fileName(), video ? QStringLiteral("mp4") : QStringLiteral("jpg"));
    if (!target || target->isEmpty())
        return;
    QString error;
    if (!copyFileReplacing(file, *target, &error))
        prompt_->alert(QStringLiteral("The file cannot be saved: %1").arg(error));
}

void Gallery::deleteSigMenuItemAction()
{
    if (!validSelection())
        return;
    // The item is taken by path: the answer may take a while, and the list may change.
    GalleryModel *model = shownModel();
    const QString item = model->pathAt(IndexSelect_);
    if (!prompt_->confirm(QStringLiteral("Delete"),
                          QStringLiteral("Are you sure delete the file?")))
        return;
    const int row = model->indexOfPath(item);
    if (row < 0)
        return;
    QStringList files{item};
    if (const auto video = videoOfPoster(item); video && bPictureShow_ == kVideosTab)
        files << *video;
    if (beforeDelete_)
        beforeDelete_(files);
    for (const QString &file : std::as_const(files))
        QFile::remove(file);
    if (QFileInfo::exists(item))
        return; // not deleted: it stays listed
    model->removeAt(row);
    resetSelection();
}

void Gallery::deleteMulMenuItemAction()
{
    GalleryModel *model = shownModel();
    if (!model)
        return;
    if (!prompt_->confirm(QStringLiteral("Delete"),
                          QStringLiteral("Are you sure delete all files?")))
        return;
    if (model->rowCount() == 0)
        return;
    QDir directory(model->directory());
    QStringList files;
    for (const QString &name : directory.entryList(QDir::Files | QDir::Hidden | QDir::System))
        files << directory.filePath(name);
    if (beforeDelete_)
        beforeDelete_(files);
    directory.removeRecursively();
    QDir().mkpath(model->directory());
    model->clear();
    resetSelection();
}

} // namespace quelmar::viewer

// The photo and video grids of the current album and what the user does with their files:
// open in the desktop's application, save a copy, delete one, delete all. Every action acts
// on the tab shown and only on a valid selected item; the selection is reset by a reload.
// No widget here: the window shows the two models and routes clicks and menu choices.
#pragma once

#include "app/gallery_model.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

namespace quelmar::viewer {

class DesktopOpener;
class ViewerPrompt;

class Gallery : public QObject {
    Q_OBJECT

public:
    enum Tab { kPhotosTab = 0, kVideosTab = 1, kSettingsTab = 2 };
    // Called with the files about to be deleted, so a recording among them is finished first.
    using BeforeDelete = std::function<void(const QStringList &paths)>;

    Gallery(ViewerPrompt *prompt, DesktopOpener *opener, QObject *parent = nullptr);

    GalleryModel &photos() { return photos_; }
    GalleryModel &videos() { return videos_; }
    void setBeforeDelete(BeforeDelete hook) { beforeDelete_ = std::move(hook); }

    // The album's two directories; both grids are loaded from them.
    void setDirectories(const QString &imageDirectory, const QString &videoDirectory);
    void loadPhotoCollection();
    void loadVideoCollection();
    // flag 0: a new still; 1: a new recording's poster.
    void addCollectionItem(int flag, const QString &path);

    int bPictureShow() const { return bPictureShow_; }
    void setTab(int tab);
    int IndexSelect() const { return IndexSelect_; }
    // A click or right-click on the shown grid; -1 for none.
    void select(int row);

    void openItem(int row); // a double-click
    void openMenuItemAction();
    void saveMenuItemAction();
    void deleteSigMenuItemAction();
    void deleteMulMenuItemAction();

    // The file a grid item stands for: the still itself, or the recording its poster names
    // (nullopt for a picture in the video directory that is no recording's poster).
    static std::optional<QString> videoOfPoster(const QString &posterPath);

Q_SIGNALS:
    void selectionChanged(int row);

private:
    GalleryModel *shownModel();
    std::optional<int> validSelection();
    QString fileOf(const QString &itemPath) const;
    void resetSelection();

    ViewerPrompt *prompt_;
    DesktopOpener *opener_;
    GalleryModel photos_;
    GalleryModel videos_;
    int bPictureShow_ = kVideosTab;
    int IndexSelect_ = -1;
    BeforeDelete beforeDelete_;
};

} // namespace quelmar::viewer

// CSubPicture: the photo canvas widget. It shows one decoded photo with the photo shape list,
// forwards the mouse to PhotoTools, draws the rubber band inverted over its cached working
// picture, scrolls in full-size mode and shows the six rectangle adjustment buttons.
#pragma once

#include "measure/photo_tools.h"

#include <QImage>
#include <QWidget>

#include <array>

class QScrollBar;
class QTimer;
class QToolButton;

namespace quelmar::station {

class CSubPicture : public QWidget {
    Q_OBJECT
public:
    // `photo`: the decoded picture (a null one leaves the canvas empty); fit mode works on a
    // 640 x 480 working picture, full-size mode on the photo itself.
    CSubPicture(PhotoTools::Context tools, const QImage &photo, const QString &path, bool fullSize,
                QWidget *parent = nullptr);
    ~CSubPicture() override;

    PhotoTools &tools() { return *tools_; }
    const PhotoTools &tools() const { return *tools_; }
    const QString &path() const { return path_; }
    bool isFullSize() const { return fullSize_; }
    bool isLoaded() const { return !photo_.isNull(); }
    QSize photoSize() const { return photo_.size(); }
    QPointF outputRatio() const;
    // The photo with its shapes at the photo's own size, for saving; null without a photo.
    QImage renderForSave() const;
    // The measurement list changed the shapes or the selection (message 32781).
    void redraw();

    QToolButton *adjustButton(Adjust which) const { return adjust_[std::size_t(which)]; }
    QScrollBar *horizontalBar() const { return hBar_; }
    QScrollBar *verticalBar() const { return vBar_; }
    // The picture as last painted (the widget's pixels), for tests and screenshots.
    const QImage &shown() const { return frame_; }

Q_SIGNALS:
    // The number of shapes differs from the last paint, or a rectangle's values changed
    // (message 32780): the measurement list rebuilds its rows.
    void shapesChanged();
    // Shapes were added, deleted, moved, adjusted or labelled: the picture is unsaved.
    void shapesEdited();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildAdjustButtons();
    void startAdjusting(Adjust which);
    void stopAdjusting();
    void afterInput();
    void syncView();
    QSize clientSize() const;

    std::unique_ptr<PhotoTools> tools_;
    QString path_;
    bool fullSize_;
    QImage photo_;   // RGB32, the photo's own size
    QImage working_; // what is measured on: the 640 x 480 stretch, or the photo itself
    QString caption_;
    QImage composed_; // picture, shapes and caption, redrawn when the scene changes
    QImage frame_;    // what was painted last: composed_ with the rubber band
    std::uint64_t composedScene_ = ~std::uint64_t(0);
    bool recompose_ = true;
    qsizetype paintedCount_ = 0;
    QScrollBar *hBar_ = nullptr;
    QScrollBar *vBar_ = nullptr;
    std::array<QToolButton *, 6> adjust_{};
    QTimer *adjustTimer_ = nullptr;
    Adjust adjusting_ = Adjust::Left;
};

} // namespace quelmar::station

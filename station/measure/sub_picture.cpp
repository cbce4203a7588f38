#include "measure/sub_picture.h"

#include "measure/photo_paint.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <cstring>

namespace quelmar::station {

namespace {

constexpr int kAdjustButtonSize = 25;
constexpr int kAdjustInterval = 60;        // ms between ticks while a button is held
constexpr int kAdjustBottomInterval = 100; // the bottom edge's button ticks slower
constexpr const char *kAdjustIcons[] = {"adjust_left",   "adjust_top",  "adjust_right",
                                        "adjust_bottom", "rotate_more", "rotate_less"};

} // namespace

CSubPicture::CSubPicture(PhotoTools::Context tools, const QImage &photo, const QString &path,
                         bool fullSize, QWidget *parent)
    : QWidget(parent), path_(path), fullSize_(fullSize)
{
    photo_ = photo.isNull() ? QImage() : photo.convertToFormat(QImage::Format_RGB32);
    working_ = fullSize_ ? photo_ : fitPicture(photo_);
    caption_ = photoCaption(path);

    // Confining the pointer is not possible everywhere (Wayland): the canvas grabs it and
    // the tools hold the points on the picture.
    tools.holdMouse = [this, hold = tools.holdMouse](bool on) {
        if (on && isVisible())
            grabMouse(Qt::CrossCursor);
        else if (!on && QWidget::mouseGrabber() == this)
            releaseMouse();
        if (hold)
            hold(on);
    };
    tools.edited = [this, edited = tools.edited] {
        if (edited)
            edited();
        Q_EMIT shapesEdited();
    };
    tools.valuesChanged = [this, changed = tools.valuesChanged] {
        if (changed)
            changed();
        Q_EMIT shapesChanged();
    };
    tools_ = std::make_unique<PhotoTools>(std::move(tools));

    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    if (fullSize_) {
        hBar_ = new QScrollBar(Qt::Horizontal, this);
        vBar_ = new QScrollBar(Qt::Vertical, this);
        for (QScrollBar *bar : {hBar_, vBar_})
            connect(bar, &QScrollBar::valueChanged, this, [this] {
                syncView();
                update();
            });
    }
    buildAdjustButtons();
    resize(kFitSize);
    syncView();
}

CSubPicture::~CSubPicture()
{
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
}

void CSubPicture::buildAdjustButtons()
{
    adjustTimer_ = new QTimer(this);
    connect(adjustTimer_, &QTimer::timeout, this, [this] {
        tools_->adjust(adjusting_);
        update();
    });
    for (int i = 0; i < 6; ++i) {
        auto *b = new QToolButton(this);
        b->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kAdjustIcons[i]))));
        b->setGeometry(0, i * kAdjustButtonSize, kAdjustButtonSize, kAdjustButtonSize);
        b->setFocusPolicy(Qt::NoFocus);
        b->hide();
        connect(b, &QToolButton::pressed, this, [this, i] { startAdjusting(Adjust(i)); });
        connect(b, &QToolButton::released, this, &CSubPicture::stopAdjusting);
        adjust_[std::size_t(i)] = b;
    }
}

void CSubPicture::startAdjusting(Adjust which)
{
    // A click adjusts once; holding the button repeats.
    adjusting_ = which;
    tools_->adjust(which);
    adjustTimer_->start(which == Adjust::Bottom ? kAdjustBottomInterval : kAdjustInterval);
    update();
}

void CSubPicture::stopAdjusting()
{
    adjustTimer_->stop();
}

QSize CSubPicture::clientSize() const
{
    QSize s = size();
    if (hBar_ && !hBar_->isHidden())
        s.rheight() -= hBar_->height();
    if (vBar_ && !vBar_->isHidden())
        s.rwidth() -= vBar_->width();
    return s.expandedTo(QSize(1, 1));
}

void CSubPicture::resizeEvent(QResizeEvent *)
{
    if (fullSize_) {
        // A bar only when the picture is larger than what is left of the client area.
        const int barH = hBar_->sizeHint().height();
        const int barW = vBar_->sizeHint().width();
        bool needH = working_.width() > width();
        bool needV = working_.height() > height() - (needH ? barH : 0);
        needH = working_.width() > width() - (needV ? barW : 0);
        const QSize client(width() - (needV ? barW : 0), height() - (needH ? barH : 0));
        hBar_->setVisible(needH);
        vBar_->setVisible(needV);
        hBar_->setGeometry(0, client.height(), client.width(), barH);
        vBar_->setGeometry(client.width(), 0, barW, client.height());
        hBar_->setRange(0, std::max(0, working_.width() - client.width()));
        hBar_->setPageStep(client.width());
        vBar_->setRange(0, std::max(0, working_.height() - client.height()));
        vBar_->setPageStep(client.height());
    }
    syncView();
}

void CSubPicture::syncView()
{
    PhotoTools::View v;
    v.working = working_.isNull() ? kFitSize : working_.size();
    v.client = clientSize();
    v.zoom = 1.0;
    if (fullSize_)
        v.origin =
            QPoint(hBar_->isHidden() ? 0 : hBar_->value(), vBar_->isHidden() ? 0 : vBar_->value());
    tools_->setView(v);
    recompose_ = true;
}

QPointF CSubPicture::outputRatio() const
{
    return station::outputRatio(photo_.size(), fullSize_);
}

QImage CSubPicture::renderForSave() const
{
    return renderPhoto(photo_, tools_->list(), outputRatio(), tools_->view().client);
}

void CSubPicture::redraw()
{
    recompose_ = true;
    afterInput();
}

void CSubPicture::paintEvent(QPaintEvent *)
{
    const QSize client = clientSize();
    if (composed_.size() != client) {
        composed_ = QImage(client, QImage::Format_RGB32);
        frame_ = QImage(client, QImage::Format_RGB32);
        recompose_ = true;
    }
    if (recompose_ || composedScene_ != tools_->sceneRevision()) {
        const std::unique_ptr<CGraph> draft = tools_->continuousLineDraft();
        ViewScene scene;
        scene.working = working_.isNull() ? nullptr : &working_;
        scene.origin = tools_->view().origin;
        scene.shapes = &tools_->list();
        scene.draft = draft.get();
        scene.caption = caption_;
        composeView(composed_, scene);
        composedScene_ = tools_->sceneRevision();
        recompose_ = false;
    }
    // The band goes over a copy of the cached picture, so moving it redraws no shape.
    std::memcpy(frame_.bits(), composed_.constBits(), std::size_t(composed_.sizeInBytes()));
    drawBand(frame_, tools_->band());
    QPainter(this).drawImage(0, 0, frame_);

    if (tools_->list().count() != paintedCount_) {
        paintedCount_ = tools_->list().count();
        Q_EMIT shapesChanged();
    }
}

void CSubPicture::afterInput()
{
    const bool adjustable = tools_->adjustable() != nullptr;
    for (QToolButton *b : adjust_)
        b->setVisible(adjustable);
    if (!adjustable)
        adjustTimer_->stop();
    if (tools_->isMoving()) {
        const ShapeKind kind = tools_->movingKind();
        setCursor(kind == ShapeKind::ContinuousLine || kind == ShapeKind::Polygon
                      ? Qt::CrossCursor
                      : Qt::SizeAllCursor);
    } else {
        unsetCursor();
    }
    update();
}

void CSubPicture::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        tools_->press(at);
    else if (event->button() == Qt::RightButton)
        tools_->rightButton();
    afterInput();
}

void CSubPicture::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        tools_->doubleClick(at);
    else if (event->button() == Qt::RightButton)
        tools_->rightButton();
    afterInput();
}

void CSubPicture::mouseMoveEvent(QMouseEvent *event)
{
    const std::uint64_t before = tools_->sceneRevision();
    const bool banded = !tools_->band().isEmpty();
    tools_->move(event->position().toPoint());
    if (banded || tools_->sceneRevision() != before)
        update();
}

void CSubPicture::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    // A question or dialog over the window needs the pointer; the shape in progress takes it
    // back when the window is active again.
    if (!isActiveWindow() && QWidget::mouseGrabber() == this)
        releaseMouse();
    else if (isActiveWindow() && isVisible() && tools_->holdsMouse())
        grabMouse(Qt::CrossCursor);
}

void CSubPicture::wheelEvent(QWheelEvent *event)
{
    if (!vBar_ || vBar_->isHidden())
        return;
    vBar_->setValue(vBar_->value() - event->angleDelta().y() / 120 * vBar_->singleStep() * 3);
}

} // namespace quelmar::station

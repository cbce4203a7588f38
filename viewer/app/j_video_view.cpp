#include "j_video_view.h"

#include "image/frame_image.h"
#include "image/jpeg_codec.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace quelmar::viewer {

namespace {

constexpr int kStillQuality = 100;

MeasureStyle styleOf(int linewidth, int fontsize, int decimal, const QColor &linecolor,
                     const QColor &fontcolor)
{
    return {linewidth, fontsize, decimal, linecolor, fontcolor};
}

} // namespace

JVideoView::JVideoView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    model_.setReports(
        {[this](const UserEntity &value, int type) { Q_EMIT PassValue(value, type); }});
}

void JVideoView::setImage(const QImage &image)
{
    if (image.isNull())
        return;
    image_ = image;
    update();
}

void JVideoView::setWiFiNeedsReDraw(double width, double height)
{
    image_active_width_ = float(width);
    image_active_height_ = float(height);
}

void JVideoView::setUSBNeedsReDraw(double width, double height)
{
    setWiFiNeedsReDraw(width, height);
    update();
}

void JVideoView::setupInitVideoView()
{
    model_.setupInitVideoView();
    if (textField_)
        textField_->hide();
    update();
}

void JVideoView::setMeasureMode(int mode, int linewidth, int fontsize, int decimal,
                                const QColor &linecolor, const QColor &fontcolor,
                                const QString &measurename, const QString &measureunit,
                                float measuremag, float actuallen, bool calibration)
{
    model_.setMeasureMode(mode, styleOf(linewidth, fontsize, decimal, linecolor, fontcolor),
                          measurename, measureunit, measuremag, actuallen, calibration);
    if (mode == kTextTool)
        showTextField();
    else if (textField_)
        textField_->hide();
    update();
}

void JVideoView::showTextField()
{
    if (!textField_) {
        textField_ = new QLineEdit(this);
        textField_->setObjectName(QStringLiteral("textField"));
        textField_->setAlignment(Qt::AlignCenter);
        textField_->setPlaceholderText(QStringLiteral("Please enter text"));
        // At y = view height - 100 counted upwards, which puts its top 68 below the view's.
        textField_->setGeometry(100, 100 - 32, std::max(1, width() - 200), 32);
    }
    textField_->show();
    textField_->setFocus();
}

void JVideoView::resetPoints()
{
    model_.resetPoints();
    update();
}

void JVideoView::deleteshape(int action)
{
    model_.deleteshape(action);
    update();
}

void JVideoView::showGridView(int kind, int linewidth, int fontsize, int decimal,
                              const QColor &linecolor, const QColor &fontcolor,
                              const QString &measureunit, float actuallen, float measuremag,
                              float unitLength)
{
    Q_UNUSED(measureunit) // the overlays carry no labels
    overlay_.showGridView(kind, styleOf(linewidth, fontsize, decimal, linecolor, fontcolor),
                          actuallen, measuremag, unitLength);
    update();
}

QPointF JVideoView::modelPoint(QPointF widgetPoint) const
{
    return {widgetPoint.x(), height() - widgetPoint.y()};
}

void JVideoView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    const QString fieldText = textField_ ? textField_->text() : QString();
    if (model_.press(modelPoint(event->position()), control, fieldText) ==
            MeasureModel::kTextTaken &&
        textField_) {
        textField_->clear();
        textField_->hide();
    }
    update();
}

void JVideoView::mouseMoveEvent(QMouseEvent *event)
{
    // Drags are not the tools' business; only a free mouse moves the next point.
    if (event->buttons() != Qt::NoButton)
        return;
    model_.move(modelPoint(event->position()));
    if (model_.inProgress())
        update();
}

void JVideoView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), image_);
    }
    painter_.paint(painter, model_, overlay_, size(), PaintTarget{1, 1, double(height())});
}

bool JVideoView::saveimg(const QString &path, double width, double height, QString *error)
{
    if (!(width >= 1 && height >= 1 && width <= kMaxJpegSide && height <= kMaxJpegSide) ||
        this->width() < 1 || this->height() < 1) {
        if (error)
            *error = QStringLiteral("no picture size to save at");
        return false;
    }
    const int w = int(std::lround(width));
    const int h = int(std::lround(height));
    QImage still(w, h, QImage::Format_RGB32);
    still.fill(Qt::black);
    {
        QPainter painter(&still);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!image_.isNull())
            painter.drawImage(still.rect(), image_);
        // Point coordinates scale with the picture; pen widths and font sizes stay.
        const PaintTarget target{w / double(this->width()), h / double(this->height()), double(h)};
        MeasurePainter stillPainter;
        stillPainter.paintOverlay(painter, overlay_, size(), target);
        stillPainter.paintShapes(painter, model_, target);
    }
    if (!writeJpeg(path, toFrame(still).view(), kStillQuality, error))
        return false;
    UserEntity saved;
    saved.Param1 = path;
    Q_EMIT PassValue(saved, kReportStillSaved);
    return true;
}

} // namespace quelmar::viewer

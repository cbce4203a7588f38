#include "capture/preview_widget.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QPainter>

namespace quelmar::station {

PreviewWidget::PreviewWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    bufferSize_ = size();
}

QFont PreviewWidget::messageFont()
{
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(20);
    f.setWeight(QFont::Normal);
    return f;
}

void PreviewWidget::setStatusText(const QString &text)
{
    statusText_ = text;
    update();
}

void PreviewWidget::setFullScreenHint(bool on)
{
    fullScreen_ = on;
    update();
}

void PreviewWidget::drawIntoBackBuffer(const std::function<void(QImage &)> &draw)
{
    {
        QMutexLocker lock(&bufferMutex_);
        if (backBuffer_.size() != bufferSize_ && !bufferSize_.isEmpty()) {
            backBuffer_ = QImage(bufferSize_, QImage::Format_RGB32);
            backBuffer_.fill(Qt::black);
        }
        if (backBuffer_.isNull())
            return;
        draw(backBuffer_);
    }
    if (!repaintPending_.exchange(true))
        QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void PreviewWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    QMutexLocker lock(&bufferMutex_);
    bufferSize_ = size();
}

void PreviewWidget::paintEvent(QPaintEvent *)
{
    repaintPending_ = false;
    QPainter p(this);
    {
        QMutexLocker lock(&bufferMutex_);
        if (backBuffer_.isNull())
            p.fillRect(rect(), Qt::black);
        else
            p.drawImage(0, 0, backBuffer_);
    }
    p.setFont(messageFont());
    if (!statusText_.isEmpty()) {
        p.setPen(QColor(0, 255, 0));
        // Reasons for a camera that does not stream are longer than one line.
        p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextWordWrap, statusText_);
    }
    if (fullScreen_ && !escapeHint_.isEmpty()) {
        p.setPen(QColor(255, 0, 0));
        p.drawText(rect().adjusted(0, 2, -4, 0), Qt::AlignRight | Qt::AlignTop, escapeHint_);
    }
}

} // namespace quelmar::station

// The live picture: shows the back buffer that the capture thread draws into, the status
// text centred in green while no camera works, and the escape hint in full screen.
#pragma once

#include <QFont>
#include <QImage>
#include <QMutex>
#include <QWidget>

#include <atomic>
#include <functional>

namespace quelmar::station {

class PreviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWidget(QWidget *parent = nullptr);

    void setStatusText(const QString &text);
    QString statusText() const { return statusText_; }
    void setEscapeHint(const QString &text) { escapeHint_ = text; }
    void setFullScreenHint(bool on);

    // Capture thread: draws into the back buffer under the lock, then asks for a repaint.
    // The back buffer always has the widget's current size.
    void drawIntoBackBuffer(const std::function<void(QImage &)> &draw);

    // The fixed-pitch message font of the status text and the escape hint.
    static QFont messageFont();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    mutable QMutex bufferMutex_; // guards backBuffer_ (capture thread draws, UI thread paints)
    QImage backBuffer_;
    QSize bufferSize_; // written on the UI thread, read by the capture thread under the lock
    QString statusText_;
    QString escapeHint_;
    bool fullScreen_ = false;
    // One repaint request in flight at a time, however fast frames arrive.
    std::atomic<bool> repaintPending_{false};
};

} // namespace quelmar::station

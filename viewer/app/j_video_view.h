// The measurement view: shows the camera's picture stretched over the view. The measurement
// tools and overlays build on it.
#pragma once

#include <QImage>
#include <QWidget>

namespace quelmar::viewer {

class JVideoView : public QWidget {
    Q_OBJECT

public:
    explicit JVideoView(QWidget *parent = nullptr);

    // A null image keeps the last picture on the view.
    void setImage(const QImage &image);
    // The picture size the camera link announces.
    void setWiFiNeedsReDraw(double width, double height);

    const QImage &image() const { return image_; }
    float imageActiveWidth() const { return image_active_width_; }
    float imageActiveHeight() const { return image_active_height_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage image_;
    float image_active_width_ = 0;
    float image_active_height_ = 0;
};

} // namespace quelmar::viewer

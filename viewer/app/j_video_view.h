// The measurement view: shows the camera's picture stretched over the view. The measurement
// tools and overlays build on it.
#pragma once

#include "app/user_entity.h"

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

    // What the controller asks of the view: the tool, style and calibration; undo, delete and
    // redo; a reset; and the still with its shapes at the announced size, reported back with
    // PassValue(kStillSaved, path).
    void setupInitVideoView();
    void setMeasureMode(int mode, int linewidth, int fontsize, int decimal, const QColor &linecolor,
                        const QColor &fontcolor, const QString &measurename,
                        const QString &measureunit, float measuremag, float actuallen,
                        bool calibration);
    void deleteshape(int which);
    void saveimg(const QString &path, double width, double height);
    const MeasureRequest &measureRequest() const { return measureRequest_; }

Q_SIGNALS:
    void PassValue(int type, const quelmar::viewer::UserEntity &entity);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage image_;
    float image_active_width_ = 0;
    float image_active_height_ = 0;
    MeasureRequest measureRequest_;
};

} // namespace quelmar::viewer

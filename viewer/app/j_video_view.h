// The measurement view: shows the camera's picture stretched over the view and lets the user
// measure on it. A thin widget over viewer/measure: it turns mouse events into the model's
// y-up points (the one flip on input), paints through MeasurePainter (the one flip on output),
// shows the text tool's field and saves stills with the marks.
#pragma once

#include "measure/grid_overlay.h"
#include "measure/measure_model.h"
#include "measure/measure_painter.h"
#include "measure/user_entity.h"

#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

namespace quelmar::viewer {

class JVideoView : public QWidget {
    Q_OBJECT

public:
    explicit JVideoView(QWidget *parent = nullptr);

    // A null image keeps the last picture on the view.
    void setImage(const QImage &image);
    // The picture size the camera link announces; the USB form also asks for a redraw.
    void setWiFiNeedsReDraw(double width, double height);
    void setUSBNeedsReDraw(double width, double height);

    // No tool, the default style, magnification 60, unit length 1 "mm".
    void setupInitVideoView();
    void setMeasureMode(int mode, int linewidth, int fontsize, int decimal, const QColor &linecolor,
                        const QColor &fontcolor, const QString &measurename,
                        const QString &measureunit, float measuremag, float actuallen,
                        bool calibration);
    void resetPoints();
    // 0 undo, 1 delete all, 2 redo.
    void deleteshape(int action);
    // Kind 0 switches the overlay off; 1 grid, 2 circle grid, 3 crosshair, 4 scale.
    void showGridView(int kind, int linewidth, int fontsize, int decimal, const QColor &linecolor,
                      const QColor &fontcolor, const QString &measureunit, float actuallen,
                      float measuremag, float unitLength);

    // The picture stretched to width x height with the finished shapes and the overlay, as a
    // JPEG of quality 100 that replaces `path` atomically; then PassValue type 2 with the
    // path. A size below 1 x 1 (nothing announced yet) writes nothing. False, with the reason,
    // when nothing was written.
    bool saveimg(const QString &path, double width, double height, QString *error = nullptr);

    const QImage &image() const { return image_; }
    float imageActiveWidth() const { return image_active_width_; }
    float imageActiveHeight() const { return image_active_height_; }
    const MeasureModel &model() const { return model_; }
    const GridOverlay &overlay() const { return overlay_; }
    // The text tool's field; null until the text tool is first chosen.
    QLineEdit *textField() const { return textField_; }

Q_SIGNALS:
    // The report to the controller: 2 a still was saved (Param1 its path), 3 a calibration
    // run measured its line (the controller stores it), 4 the status text may be emptied.
    void PassValue(const quelmar::viewer::UserEntity &value, int type);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPointF modelPoint(QPointF widgetPoint) const;
    void showTextField();

    QImage image_;
    float image_active_width_ = 0;
    float image_active_height_ = 0;
    MeasureModel model_;
    GridOverlay overlay_;
    MeasurePainter painter_;
    QPointer<QLineEdit> textField_;
};

} // namespace quelmar::viewer

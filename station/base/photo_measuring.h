// The measuring side of the photo window as the window sees it: the canvas it hosts, the
// measuring commands of its row and its scale boxes. The measure folder implements it and the
// main window hands one to each photo window, so the window itself knows no measuring code.
#pragma once

#include <QImage>
#include <QString>

#include <functional>

class QWidget;

namespace quelmar::station {

class PhotoMeasuring {
public:
    // What the measuring side tells the window.
    struct Notices {
        std::function<void()> shapesEdited;    // the picture has changes not saved
        std::function<void()> toolChanged;     // tool name and pressed buttons
        std::function<void()> scaleCalibrated; // the scale box shows scaleText()
    };

    virtual ~PhotoMeasuring() = default;

    // The window that owns the dialogs (pen, text, calibration, measurement list).
    virtual void attach(QWidget *window, Notices notices) = 0;

    // Shows `photo`, decoded from `path`, in a new canvas filling `area`, fit (640 x 480) or
    // full size; the previous canvas and its shapes are destroyed first.
    virtual void showPhoto(const QString &path, const QImage &photo, bool fullSize,
                           QWidget *area) = 0;
    // Destroys the canvas and its shapes.
    virtual void closePhoto() = 0;
    virtual bool hasPhoto() const = 0;
    virtual int shapeCount() const = 0;
    // The photo with its shapes at its own size, for saving; null without a canvas.
    virtual QImage render() const = 0;

    // The measuring commands of the row: the two tool menus' items, Select, Text, Delete,
    // Move, Calibration, Pen Setting and the measurement list. False for any other one.
    virtual bool command(int id) = 0;
    // No tool (after Save and Open).
    virtual void resetTool() = 0;
    // The tool-name label's text, and the row button shown pressed (0 for none).
    virtual QString toolName() const = 0;
    virtual int pressedButton() const = 0;

    // The magnification box changed: returns what the scale box shows (its calibrated scale,
    // or empty).
    virtual QString magnificationChanged(const QString &text) = 0;
    virtual void scaleTyped(const QString &text) = 0;
    virtual QString magnificationText() const = 0;
    virtual QString scaleText() const = 0;
};

} // namespace quelmar::station

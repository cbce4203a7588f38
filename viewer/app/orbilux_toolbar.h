// Orbilux's toolbar: the six segment controls (camera, still and recording, undo / delete /
// redo, the ten measuring tools, the four overlays, calibration), the calibration pop-up, the
// snapshot-button switch and the workspace share switch. Each sends its action to the
// ViewController; the segments are momentary, so none stays pressed.
#pragma once

#include <QToolBar>

#include <vector>

class QComboBox;
class QToolButton;

namespace quelmar::viewer {

class ViewController;

class OrbiluxToolbar : public QToolBar {
    Q_OBJECT

public:
    enum Segment { kCamera, kCapture, kEdit, kTools, kOverlays, kCalibration, kSegmentCount };

    explicit OrbiluxToolbar(ViewController &controller, QWidget *parent = nullptr);

    // One segment of one control, by the control's place (0 to 5) and the segment's.
    QToolButton &segment(int control, int index) { return *segments_.at(control).at(index); }
    QComboBox &calibrationPopUp() { return *CalComboBox_; }
    QToolButton &ledButton() { return *ledButton_; }
    QToolButton &shareButton() { return *shareButton_; }

    void showLed(bool on);
    void showSharing(bool on);
    // The pop-up's fixed entries, then the stored calibrations; `title` is shown.
    void showCalibrations(const QStringList &entries, const QString &title);

private:
    void addSegments(int control, const std::vector<std::pair<const char *, const char *>> &icons);
    void segmentClicked(int control, int index);

    ViewController &controller_;
    std::vector<std::vector<QToolButton *>> segments_;
    QComboBox *CalComboBox_ = nullptr;
    QToolButton *ledButton_ = nullptr;
    QToolButton *shareButton_ = nullptr;
};

} // namespace quelmar::viewer

// The camera button of sensor-class-4 cameras: the snapshot switch turns the chip library on
// (arming the button with one register write) or off, and while on, the button register is
// polled every 500 ms; a press (3) and its release (2) ask for one still.
#pragma once

#include "capture/camera_chip.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace quelmar::station {

class ChipSnapshotButton : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 500;
    static constexpr std::uint8_t kPressed = 3;
    static constexpr std::uint8_t kReleased = 2;

    // What the main window lends.
    struct Host {
        std::function<bool()> inPreviewState; // stills are taken only while the preview runs
        std::function<void()> requestStill;
        std::function<void()> recheckDevices; // after arming: the capture graph is rebuilt
    };

    ChipSnapshotButton(CameraChip &chip, Host host, QObject *parent = nullptr);

    // The class-4 snapshot flag: not stored, off at every start.
    bool isOn() const { return on_; }
    bool isArmed() const { return armed_; }
    bool isPolling() const { return timer_.isActive(); }

    // The snapshot item on a class-4 camera. A library that does not load or find its camera
    // leaves the switch off.
    void toggle();
    // Closing the station: no more polling, the flag off, the library uninitialised.
    void turnOff();
    // One tick of the poll timer.
    void poll();

private:
    CameraChip &chip_;
    Host host_;
    QTimer timer_;
    bool on_ = false;
    bool armed_ = false; // the button register read "pressed" since the last still
};

} // namespace quelmar::station

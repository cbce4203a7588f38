#include "capture/chip_snapshot_button.h"

namespace quelmar::station {

ChipSnapshotButton::ChipSnapshotButton(CameraChip &chip, Host host, QObject *parent)
    : QObject(parent), chip_(chip), host_(std::move(host))
{
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &ChipSnapshotButton::poll);
}

void ChipSnapshotButton::toggle()
{
    // A press half made before the switch moved is no press.
    armed_ = false;
    if (on_) {
        on_ = false;
        timer_.stop();
        chip_.uninitialise();
        return;
    }
    // Nothing would poll a library that did not come up: the switch stays off.
    if (!chip_.loadAndInitialise())
        return;
    on_ = true;
    chip_.writeRegister(QStringLiteral("2041"), QStringLiteral("1"));
    if (host_.recheckDevices)
        host_.recheckDevices();
    timer_.start();
}

void ChipSnapshotButton::turnOff()
{
    timer_.stop();
    on_ = false;
    armed_ = false;
    chip_.uninitialise();
}

void ChipSnapshotButton::poll()
{
    // A library without the read function is reported once, not on every tick under the
    // message box of the last.
    if (!chip_.isInitialised())
        timer_.stop();
    const std::optional<std::uint8_t> state = chip_.readRegister(QStringLiteral("2058"));
    if (!state)
        return;
    if (*state == kPressed) {
        armed_ = true;
    } else if (*state == kReleased && armed_) {
        armed_ = false;
        if (host_.inPreviewState && host_.inPreviewState() && host_.requestStill)
            host_.requestStill();
    }
}

} // namespace quelmar::station

// The controller's USB camera: connecting, the settings tab's camera, format and rate
// pop-ups, the camera going away, and the picture adjustments of both kinds of camera.
#include "view_controller.h"

#include "viewer_prompt.h"

#include "device/usb_link.h"

namespace quelmar::viewer {

bool ViewController::usbLinkActive() const
{
    return usb_ && usb_->isActive();
}

bool ViewController::wifiLinkActive() const
{
    // A stream running or opening, a probe that will open one, or a reconnection pending.
    return !stream_.isNull() || connectAfterProbe_ || reconnectTimer_.isActive();
}

void ViewController::ConnectUSBCamera()
{
    // One link at a time: a camera already opening has not delivered yet, and a second press
    // must not open it twice.
    if (!usb_ || usbLinkActive() || wifiLinkActive())
        return;
    QString why;
    if (!usb_->connectFirst(&why)) {
        // No camera at all is silently nothing.
        if (!why.isEmpty())
            services_.prompt->alert(why);
        return;
    }
    usb_->setAdjustments(adjustments_.usbAdjustments());
    announceUsbSize();
    setStatusText({});
}

void ViewController::announceUsbSize()
{
    const QSize size = usb_->announcedSize();
    m_new_video_width_ = size.width();
    m_new_video_height_ = size.height();
}

void ViewController::handleUsbPicture(const QImage &image)
{
    camera_stype_ = kUsbCamera;
    // Either side changing moves the view.
    if (m_new_video_width_ != m_video_width_ || m_new_video_height_ != m_video_height_) {
        m_video_width_ = m_new_video_width_;
        m_video_height_ = m_new_video_height_;
        viewGeometry_ = videoViewGeometry(m_video_width_, m_video_height_);
        Q_EMIT viewGeometryChanged(viewGeometry_);
    }
    showPicture(image);
}

void ViewController::usbStreamEnded(CameraFault fault)
{
    // The last picture stays on the view; a recording of it ends here with its file complete,
    // and either button may connect again.
    recorder_.finishNow();
    camera_stype_ = kNoCamera;
    setStatusText(QStringLiteral("The USB camera has stopped: %1. Click USB to connect again.")
                      .arg(UsbLink::faultText(fault)));
}

UsbSettingsTab ViewController::usbSettingsTab()
{
    UsbSettingsTab tab;
    if (!usb_)
        return tab;
    usb_->refreshDevices();
    for (const CameraInfo &camera : usb_->videoDevices())
        tab.devices << camera.friendlyName;
    tab.deviceSelected = usb_->selectedDeviceIndex();
    for (const UsbLink::FormatEntry &entry : usb_->formatEntries())
        tab.formats << entry.title;
    tab.formatSelected = usb_->activeFormatIndex();
    for (const UsbLink::RateEntry &entry : usb_->rateEntries())
        tab.rates << entry.title;
    tab.rateSelected = usb_->activeRateIndex();
    return tab;
}

void ViewController::setSelectedVideoDevice(int index)
{
    if (!usb_ || camera_stype_ != kUsbCamera || index < 0 ||
        std::size_t(index) >= usb_->videoDevices().size())
        return;
    const CameraInfo camera = usb_->videoDevices()[std::size_t(index)];
    QString why;
    const bool ok = usb_->selectCamera(camera, &why);
    if (!ok && !why.isEmpty())
        services_.prompt->alert(why);
    if (!usb_->isActive()) {
        usbStreamEnded(CameraFault::Failed);
        return;
    }
    announceUsbSize();
}

void ViewController::setVideoDeviceFormat(int index)
{
    if (!usb_ || camera_stype_ != kUsbCamera)
        return;
    QString why;
    if (!usb_->setVideoDeviceFormat(index, &why) && !why.isEmpty())
        services_.prompt->alert(why);
    // The size of the format that streams now; a refused one changed nothing.
    if (usb_->isActive())
        announceUsbSize();
}

void ViewController::setFrameRateRange(int index)
{
    if (!usb_ || camera_stype_ != kUsbCamera)
        return;
    QString why;
    if (!usb_->setFrameRateRange(index, &why) && !why.isEmpty())
        services_.prompt->alert(why);
}

SliderSetup ViewController::adjustmentSlider(Adjustment adjustment) const
{
    if (camera_stype_ == kWifiCamera)
        return AdjustmentControls::wifiSlider(controls_, adjustment);
    return adjustments_.usbSlider(adjustment);
}

void ViewController::moveAdjustment(Adjustment adjustment, int position)
{
    if (!isavailable())
        return;
    if (camera_stype_ == kWifiCamera) {
        AdjustmentControls::moveWifi(controls_, adjustment, position, [this](int id, int value) {
            http_.sendCameraCommand(id, value);
        });
    } else if (camera_stype_ == kUsbCamera && usb_) {
        adjustments_.moveUsb(adjustment, position);
        usb_->setAdjustments(adjustments_.usbAdjustments());
    }
}

void ViewController::onDefaultAction()
{
    if (!isavailable())
        return;
    if (camera_stype_ == kWifiCamera) {
        AdjustmentControls::resetWifi(
            controls_, [this](int id, int value) { http_.sendCameraCommand(id, value); });
    } else if (camera_stype_ == kUsbCamera && usb_) {
        adjustments_.resetUsb();
        usb_->setAdjustments(adjustments_.usbAdjustments());
    }
}

} // namespace quelmar::viewer

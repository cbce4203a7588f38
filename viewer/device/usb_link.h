// The viewer's link to a USB camera through the shared camera layer: the camera list, one
// open camera streaming at a time, its formats and frame rates for the settings tab, and the
// frames turned into 640 x 480 pictures (adjusted when any adjustment is set) on the camera's
// capture thread and handed to the main thread.
#pragma once

#include "camera/camera.h"
#include "device/usb_picture.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace quelmar::viewer {

class UsbLink : public QObject {
    Q_OBJECT

public:
    struct FormatEntry {
        QString title;
        CaptureFormat format;
    };
    struct RateEntry {
        QString title;
        FrameIntervalRange range;
    };

    // Pictures converted and waiting for the main thread beyond this many are not made: a
    // stalled window then costs neither memory nor the capture thread's time, and the live
    // picture resumes with fresh frames.
    static constexpr int kMaxPicturesInFlight = 3;

    // Borrows `cameras`, which must outlive the link.
    explicit UsbLink(CameraBackend *cameras, QObject *parent = nullptr);
    ~UsbLink() override;
    Q_DISABLE_COPY_MOVE(UsbLink)

    // The cameras offered for choice, as last listed.
    const std::vector<CameraInfo> &videoDevices() const { return videoDevices_; }
    void refreshDevices();

    // Opens and starts the first camera the system lists. False when there is none (`why`
    // stays empty) or it does not start (`why` says why).
    bool connectFirst(QString *why = nullptr);
    // Starts `camera` and then lets the previous one go; on failure the previous one goes on.
    // The camera that runs now is restarted.
    bool selectCamera(const CameraInfo &camera, QString *why = nullptr);
    // Stops and closes the camera.
    void close();

    // A camera is open: starting or streaming.
    bool isActive() const { return camera_ != nullptr; }
    const CameraInfo *selectedVideoDevice() const;
    int selectedDeviceIndex() const;
    // The picture size of the format in force, as announced to the view.
    QSize announcedSize() const { return announced_; }

    // The open camera's formats titled "name, width x height", and the one in force (-1 none).
    std::vector<FormatEntry> formatEntries() const;
    int activeFormatIndex() const;
    // Stops the stream, sets the format and restarts. A format the camera refuses, or cannot
    // stream, leaves the previous one streaming and says why.
    bool setVideoDeviceFormat(int index, QString *why = nullptr);

    // The frame-rate ranges of the format in force, and the one whose fastest interval is the
    // camera's interval now (-1 none).
    std::vector<RateEntry> rateEntries() const;
    int activeRateIndex() const;
    bool setFrameRateRange(int index, QString *why = nullptr);

    // Taken by the capture thread with the next frame.
    void setAdjustments(const PictureAdjustments &adjustments);

    static QString formatTitle(const QString &name, int width, int height);
    static QString rateTitle(double minimumRate, double maximumRate);
    static QString faultText(CameraFault fault);

Q_SIGNALS:
    // Each picture of the open camera, on the main thread.
    void pictureArrived(const QImage &picture);
    // The stream ended by itself (camera pulled out, stalled, failing); the link is closed.
    void ended(quelmar::CameraFault fault);

private:
    bool startStream();
    void stopStream();
    void streamEnded(int generation);

    CameraBackend *cameras_;
    std::vector<CameraInfo> videoDevices_;
    std::unique_ptr<Camera> camera_; // main thread only, as announced_ and videoDevices_
    // Used by the open camera's capture thread only; replaced only while nothing streams.
    std::unique_ptr<UsbPictureMaker> maker_;
    QSize announced_{UsbPictureMaker::kWidth, UsbPictureMaker::kHeight};
    // Pictures of a stream that has since been stopped are dropped on arrival: the capture
    // thread tags each with its stream's number, the main thread compares.
    std::atomic<int> generation_{0};
    // Pictures posted to the main thread and not yet taken there.
    std::atomic<int> picturesInFlight_{0};

    // Guards adjustments_: the main thread writes it, each frame on the capture thread takes
    // one copy, so a frame never sees half of a change.
    mutable std::mutex adjustmentsMutex_;
    PictureAdjustments adjustments_;
};

} // namespace quelmar::viewer

// The microscope's picture stream: one long GET on the picture server, read by libcurl on a
// thread of its own, cut into JPEG parts, decoded there and handed to the owner's thread.
#pragma once

#include "device_address.h"

#include <QImage>
#include <QMutex>
#include <QObject>

#include <deque>
#include <thread>

namespace quelmar::viewer {

class WifiStream : public QObject {
    Q_OBJECT

public:
    enum class End { Finished, Failed, LoginRefused, Stopped };
    Q_ENUM(End)

    // Pictures waiting for the owner's thread beyond this are dropped, oldest first, so a
    // stalled window cannot make the stream buffer without end.
    static constexpr std::size_t kMaxQueuedPictures = 8;
    static constexpr long kTimeoutSeconds = 10;

    explicit WifiStream(DeviceAddress address, QObject *parent = nullptr);
    ~WifiStream() override; // stops the transfer and waits for its thread
    Q_DISABLE_COPY_MOVE(WifiStream)

    // Opens the stream; a second call does nothing.
    void start();
    void stop();

Q_SIGNALS:
    // One finished JPEG part, on the owner's thread. The image is null when the part did not
    // decode; the part still counts as a picture of the device.
    void pictureArrived(const QImage &image);
    void ended(quelmar::viewer::WifiStream::End how);

private:
    void run(std::stop_token stop);
    void queuePicture(QImage image);
    void deliverQueued();

    const DeviceAddress address_;
    QMutex queueMutex_; // guards queue_ (stream thread writes, owner's thread drains)
    std::deque<QImage> queue_;
    std::jthread thread_; // last member: it stops and joins before the rest goes away
};

} // namespace quelmar::viewer

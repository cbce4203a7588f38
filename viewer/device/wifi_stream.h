// The microscope's picture stream: one long GET on the picture server, read by libcurl on a
// thread of its own, cut into JPEG parts, decoded there and handed to the owner's thread.
#pragma once

#include "device_address.h"

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSize>

#include <deque>
#include <thread>

namespace quelmar::viewer {

class WifiStream : public QObject {
    Q_OBJECT

public:
    enum class End { Finished, Failed, LoginRefused, Stopped };
    Q_ENUM(End)

    // Pictures waiting for the owner's thread beyond these are dropped, oldest first, so a
    // stalled window cannot make the stream buffer without end.
    static constexpr std::size_t kMaxQueuedPictures = 8;
    static constexpr qsizetype kMaxQueuedBytes = qsizetype(48) << 20;
    static constexpr long kTimeoutSeconds = 10;
    // The largest picture taken when the device's own list of sizes is not known.
    static constexpr QSize kDefaultLargestPicture{4096, 4096};

    // Pictures wider or taller than `largestPicture` are refused from their JPEG header,
    // before any memory is taken for their pixels.
    explicit WifiStream(DeviceAddress address, QSize largestPicture = kDefaultLargestPicture,
                        QObject *parent = nullptr);
    ~WifiStream() override; // stops the transfer and waits for its thread
    Q_DISABLE_COPY_MOVE(WifiStream)

    // Opens the stream; a second call does nothing.
    void start();
    void stop();

    // Pictures decoded and waiting for the owner's thread, and their size in bytes.
    std::size_t queuedPictures() const;
    qsizetype queuedBytes() const;

Q_SIGNALS:
    // One finished JPEG part, on the owner's thread. The image is null when the part did not
    // decode or was refused for its size; the part still counts as a picture of the device.
    void pictureArrived(const QImage &image);
    void ended(quelmar::viewer::WifiStream::End how);

private:
    void run(std::stop_token stop);
    void queuePicture(QImage image);
    void deliverQueued();

    const DeviceAddress address_;
    const QSize largestPicture_;
    mutable QMutex
        queueMutex_; // guards queue_ and queuedBytes_ (stream thread writes, owner drains)
    std::deque<QImage> queue_;
    qsizetype queuedBytes_ = 0;
    std::jthread thread_; // last member: it stops and joins before the rest goes away
};

} // namespace quelmar::viewer

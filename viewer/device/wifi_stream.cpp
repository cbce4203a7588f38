#include "wifi_stream.h"

#include "curl_handle.h"
#include "device_http.h"
#include "multipart_splitter.h"

#include "image/frame_image.h"
#include "image/jpeg_codec.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <cstring>
#include <memory>

namespace quelmar::viewer {

namespace {

Q_LOGGING_CATEGORY(lcStream, "quelmar.viewer.stream", QtWarningMsg)

QImage decodePicture(std::span<const std::uint8_t> jpeg, QSize largest)
{
    QString error;
    const auto frame = decodeJpeg(jpeg.data(), jpeg.size(), largest, &error);
    if (!frame)
        qCDebug(lcStream) << "picture dropped:" << error;
    // Converted here, on the stream thread, to the format the view paints without converting.
    return frame ? toQImage(*frame, QImage::Format_RGB32) : QImage();
}

// What the libcurl callbacks of one transfer share; lives on the stream thread's stack.
struct Transfer {
    std::stop_token stop;
    QSize largest;
    std::function<void(QImage)> deliver;
    QByteArray contentType;
    std::unique_ptr<MultipartSplitter> splitter;
};

size_t onHeader(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<Transfer *>(user);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    if (line.startsWith("HTTP/"))
        transfer->contentType.clear(); // a new response (after a redirect or a challenge)
    else if (line.toLower().startsWith("content-type:"))
        transfer->contentType = line.mid(int(std::strlen("content-type:"))).trimmed();
    return size * count;
}

size_t onBody(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<Transfer *>(user);
    if (transfer->stop.stop_requested())
        return 0; // aborts the transfer
    if (!transfer->splitter) {
        transfer->splitter = std::make_unique<MultipartSplitter>(
            MultipartSplitter::boundaryFromContentType(transfer->contentType),
            [transfer](std::span<const std::uint8_t> jpeg) {
                transfer->deliver(decodePicture(jpeg, transfer->largest));
            });
    }
    transfer->splitter->feed(reinterpret_cast<const std::uint8_t *>(data), size * count);
    return size * count;
}

int onProgress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Transfer *>(user)->stop.stop_requested() ? 1 : 0;
}

} // namespace

WifiStream::WifiStream(DeviceAddress address, QSize largestPicture, QObject *parent)
    : QObject(parent), address_(std::move(address)),
      largestPicture_(largestPicture.isValid() ? largestPicture : kDefaultLargestPicture)
{}

WifiStream::~WifiStream() = default;

void WifiStream::start()
{
    if (thread_.joinable())
        return;
    thread_ = std::jthread([this](std::stop_token stop) { run(std::move(stop)); });
}

void WifiStream::stop()
{
    thread_.request_stop();
}

std::size_t WifiStream::queuedPictures() const
{
    QMutexLocker lock(&queueMutex_);
    return queue_.size();
}

qsizetype WifiStream::queuedBytes() const
{
    QMutexLocker lock(&queueMutex_);
    return queuedBytes_;
}

void WifiStream::run(std::stop_token stop)
{
    const CurlEasy curl = makeCurlEasy();
    if (!curl) {
        QMetaObject::invokeMethod(this, [this] { Q_EMIT ended(End::Failed); });
        return;
    }
    Transfer transfer{
        stop, largestPicture_, [this](QImage image) { queuePicture(std::move(image)); }, {}, {}};
    const QByteArray url = address_.streamUrl(QStringLiteral("/")).toUtf8();
    CURL *h = curl.get();
    setUpDeviceRequest(h, url);
    // The time-out counts silence, not the stream's length.
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);

    const CURLcode result = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    End how = End::Finished;
    if (stop.stop_requested())
        how = End::Stopped;
    else if (status == 401)
        how = End::LoginRefused;
    else if (result != CURLE_OK)
        how = End::Failed;
    qCDebug(lcStream) << "stream ended:" << curl_easy_strerror(result) << "status" << status;
    QMetaObject::invokeMethod(this, [this, how] { Q_EMIT ended(how); });
}

void WifiStream::queuePicture(QImage image)
{
    bool wasEmpty = false;
    {
        QMutexLocker lock(&queueMutex_);
        wasEmpty = queue_.empty();
        queuedBytes_ += image.sizeInBytes();
        queue_.push_back(std::move(image));
        // The newest picture always stays.
        while (queue_.size() > 1 &&
               (queue_.size() > kMaxQueuedPictures || queuedBytes_ > kMaxQueuedBytes)) {
            queuedBytes_ -= queue_.front().sizeInBytes();
            queue_.pop_front();
        }
    }
    // One posted call drains everything queued until it runs.
    if (wasEmpty)
        QMetaObject::invokeMethod(this, &WifiStream::deliverQueued, Qt::QueuedConnection);
}

void WifiStream::deliverQueued()
{
    std::deque<QImage> pictures;
    {
        QMutexLocker lock(&queueMutex_);
        pictures.swap(queue_);
        queuedBytes_ = 0;
    }
    for (const QImage &image : pictures)
        Q_EMIT pictureArrived(image);
}

} // namespace quelmar::viewer

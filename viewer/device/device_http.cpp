#include "device_http.h"

#include "curl_handle.h"
#include "settings_page.h"

#include <QLoggingCategory>

namespace quelmar::viewer {

Q_LOGGING_CATEGORY(lcDevice, "quelmar.viewer.device", QtWarningMsg)

namespace {

constexpr qsizetype kCounterBodyBytes = 40;
// The device's pages are small; anything larger is not the device.
constexpr qsizetype kMaxBodyBytes = 1 << 20;
// Requests block the caller, so a silent address must not hang it for long.
constexpr long kConnectTimeoutSeconds = 3;
constexpr long kRequestTimeoutSeconds = 10;

// Whether the body read so far holds all the caller needs; reading then stops.
using Enough = bool (*)(const QByteArray &body);

struct Transfer {
    QByteArray body;
    qsizetype maxBody;
    std::stop_token stop;
    Enough enough = nullptr;
    bool complete = false; // stopped early with what was needed
};

size_t collectBody(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<Transfer *>(user);
    const qsizetype room = transfer->maxBody - transfer->body.size();
    transfer->body.append(data, std::min<qsizetype>(qsizetype(size * count), room));
    // Returning less than was handed over ends the transfer: an endless or oversized page is
    // not read to its end (or to the time-out).
    if (transfer->body.size() >= transfer->maxBody ||
        (transfer->enough && transfer->enough(transfer->body))) {
        transfer->complete = true;
        return 0;
    }
    return size * count;
}

int abortOnStop(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Transfer *>(user)->stop.stop_requested() ? 1 : 0;
}

// One authenticated GET of a full URL; the body (cut at maxBody) on a 2xx answer, nullopt
// otherwise.
std::optional<QByteArray> get(const QString &target, qsizetype maxBody = kMaxBodyBytes,
                              bool followRedirects = false, std::stop_token stop = {},
                              Enough enough = nullptr)
{
    const CurlEasy curl = makeCurlEasy();
    if (!curl)
        return std::nullopt;
    Transfer transfer{{}, maxBody, std::move(stop), enough};
    const QByteArray url = target.toUtf8();
    CURL *h = curl.get();
    setUpDeviceRequest(h, url);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, followRedirects ? 1L : 0L);
    // A redirection may only lead to another page of a device, and not round in circles.
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, abortOnStop);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    const CURLcode result = curl_easy_perform(h);
    if (result == CURLE_WRITE_ERROR && transfer.complete)
        return std::move(transfer.body);
    if (result != CURLE_OK) {
        qCDebug(lcDevice) << "GET" << target << "failed:" << curl_easy_strerror(result);
        return std::nullopt;
    }
    return std::move(transfer.body);
}

} // namespace

QString DeviceHttp::readSettingsPage(std::stop_token stop) const
{
    const auto body =
        get(address_.webUrl(settingsTarget()), kMaxBodyBytes, false, std::move(stop),
            [](const QByteArray &page) { return WifiSettingsPage::isComplete(page); });
    return body ? QString::fromUtf8(*body) : QString();
}

std::optional<int> DeviceHttp::readSnapshotCounter(std::stop_token stop) const
{
    const auto body =
        get(address_.webUrl(counterTarget()), kCounterBodyBytes, true, std::move(stop));
    if (!body)
        return std::nullopt;
    return counterValue(*body);
}

void DeviceHttp::applyVideoFormat(int resolutionIndex, int framesPerSecond) const
{
    get(address_.webUrl(applyTarget(resolutionIndex, framesPerSecond)));
}

void DeviceHttp::sendCameraCommand(int id, int value) const
{
    get(address_.streamUrl(commandTarget(id, value)));
}

QString DeviceHttp::applyTarget(int resolutionIndex, int framesPerSecond)
{
    return QString::asprintf("/apply.cgi?submit_button=media&change_action=&action=Apply&"
                             "refresh_ddns=1&video_port=8899&video_idx=%d&video_frame=%d&"
                             "only_stream=0&auth_need=0",
                             resolutionIndex, framesPerSecond);
}

QString DeviceHttp::commandTarget(int id, int value)
{
    return QString::asprintf("/?action=command&dest=0&plugin=0&id=%d&group=01&value=%d", id, value);
}

int DeviceHttp::counterValue(QByteArray body)
{
    body.truncate(kCounterBodyBytes);
    body.replace('\n', QByteArray());
    return WifiSettingsPage::lenientInt(QString::fromLatin1(body));
}

void setUpDeviceRequest(CURL *handle, const QByteArray &url)
{
    curl_easy_setopt(handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(handle, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
    curl_easy_setopt(handle, CURLOPT_USERNAME, kDeviceUser);
    curl_easy_setopt(handle, CURLOPT_PASSWORD, kDevicePassword);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
}

} // namespace quelmar::viewer

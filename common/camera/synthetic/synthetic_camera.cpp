#include "camera/synthetic/synthetic_camera.h"

#include <QMetaObject>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace quelmar {

namespace {

CameraInfo demoInfo(const SyntheticCameraOptions &o)
{
    return {o.friendlyName, QStringLiteral("demo:0 /dev/demo0"), QStringLiteral("demo:0"),
            QStringLiteral("demo:0")};
}

int defaultFramesPerSecond(int width, int height)
{
    // USB 2 cameras slow down with the frame size: about 3.4 megapixels a second.
    const double fps = 3.4e6 / (double(width) * height);
    return std::clamp(int(std::lround(fps)), 1, 30);
}

} // namespace

std::vector<CaptureFormat> SyntheticCameraOptions::defaultFormats()
{
    using PF = PixelFormat;
    return {
        {640, 480, PF::Yuyv},   {640, 480, PF::Mjpg},   {800, 600, PF::Yuyv},
        {1024, 768, PF::Mjpg},  {1280, 960, PF::Yuyv},  {1280, 960, PF::Mjpg},
        {1600, 1200, PF::Mjpg}, {2048, 1536, PF::Mjpg}, {2592, 1944, PF::Yuyv},
        {2592, 1944, PF::Mjpg}, {320, 240, PF::Yuyv},   {160, 120, PF::Yuyv},
    };
}

SyntheticCameraHub::SyntheticCameraHub(SyntheticCameraOptions options)
    : options_(std::move(options))
{
    if (!options_.framesPerSecond)
        options_.framesPerSecond = defaultFramesPerSecond;
}

void SyntheticCameraHub::unplug()
{
    if (plugged_.exchange(false) && onPlugChange)
        onPlugChange();
}

void SyntheticCameraHub::replug()
{
    if (!plugged_.exchange(true) && onPlugChange)
        onPlugChange();
}

QImage renderSpecimen(int width, int height, unsigned seed)
{
    QImage img(width, height, QImage::Format_RGB888);
    QRandomGenerator rng(seed);
    // Bright-field background: warm light with a soft vignette.
    QRadialGradient light(width / 2.0, height / 2.0, std::max(width, height) * 0.75);
    light.setColorAt(0, QColor(236, 228, 205));
    light.setColorAt(1, QColor(196, 180, 150));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), light);

    const double scale = width / 1280.0;
    const int cells = int(60 * (double(width) * height) / (1280.0 * 960.0));
    for (int i = 0; i < cells; ++i) {
        const QPointF c(rng.bounded(width), rng.bounded(height));
        const double r = (25 + rng.bounded(45)) * scale;
        const double squash = 0.6 + rng.bounded(40) / 100.0;
        p.save();
        p.translate(c);
        p.rotate(rng.bounded(180));
        p.scale(1.0, squash);
        p.setPen(QPen(QColor(120, 70, 110, 220), std::max(1.0, 2.5 * scale)));
        p.setBrush(QColor(205, 160, 190, 120));
        p.drawEllipse(QPointF(0, 0), r, r);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(80, 40, 120, 200));
        p.drawEllipse(QPointF(r * 0.2, -r * 0.1), r * 0.32, r * 0.3);
        p.setBrush(QColor(60, 30, 90, 230));
        p.drawEllipse(QPointF(r * 0.25, -r * 0.12), r * 0.08, r * 0.08);
        p.restore();
    }
    // Fine granules: structure at the pixel scale for mirrors and segmentation to show.
    p.setPen(Qt::NoPen);
    const int granules = width * height / 400;
    for (int i = 0; i < granules; ++i) {
        const int shade = 90 + int(rng.bounded(80));
        p.setBrush(QColor(shade, shade - 30, shade + 10, 140));
        const double d = (1 + rng.bounded(3)) * scale;
        p.drawEllipse(QPointF(rng.bounded(width), rng.bounded(height)), d, d);
    }
    // A few fibres crossing the field.
    for (int i = 0; i < 6; ++i) {
        QPainterPath path(QPointF(rng.bounded(width), 0));
        path.cubicTo(rng.bounded(width), height / 3.0, rng.bounded(width), 2 * height / 3.0,
                     rng.bounded(width), height);
        p.setPen(QPen(QColor(150, 110, 60, 160), 3 * scale));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    return img;
}

SyntheticCamera::SyntheticCamera(std::shared_ptr<SyntheticCameraHub> hub)
    : hub_(std::move(hub)), info_(demoInfo(hub_->options()))
{
    const auto &f = hub_->options().formats;
    format_ = f.empty() ? CaptureFormat{640, 480, PixelFormat::Yuyv} : f.front();
    rate_ = hub_->options().framesPerSecond(format_.width, format_.height);
}

std::vector<int> SyntheticCamera::offeredRates(const CaptureFormat &format) const
{
    const SyntheticCameraOptions &o = hub_->options();
    std::vector<int> rates =
        o.frameRates ? o.frameRates(format.width, format.height) : std::vector<int>{};
    std::erase_if(rates, [](int rate) { return rate < 1; });
    if (rates.empty())
        rates.push_back(std::max(1, o.framesPerSecond(format.width, format.height)));
    return rates;
}

std::vector<FrameIntervalRange> SyntheticCamera::frameIntervals(const CaptureFormat &format) const
{
    std::vector<FrameIntervalRange> ranges;
    for (const int rate : offeredRates(format))
        ranges.push_back({{1, rate}, {1, rate}});
    return ranges;
}

std::optional<FrameInterval> SyntheticCamera::setFrameInterval(FrameInterval interval)
{
    if (streaming_ || interval.numerator <= 0 || interval.denominator <= 0)
        return std::nullopt;
    const double wanted = double(interval.denominator) / interval.numerator;
    int nearest = rate_;
    double distance = -1;
    for (const int rate : offeredRates(format_)) {
        if (distance < 0 || std::abs(rate - wanted) < distance) {
            distance = std::abs(rate - wanted);
            nearest = rate;
        }
    }
    rate_ = nearest;
    return FrameInterval{1, rate_};
}

SyntheticCamera::~SyntheticCamera()
{
    stop();
}

bool SyntheticCamera::setFormat(const CaptureFormat &format)
{
    if (streaming_)
        return false;
    for (const CaptureFormat &f : hub_->options().formats) {
        if (f.width == format.width && f.height == format.height) {
            format_ = {format.width, format.height, format.pixelFormat};
            rate_ = std::max(1, hub_->options().framesPerSecond(format.width, format.height));
            return true;
        }
    }
    return false;
}

ButtonAccess SyntheticCamera::buttonAccess() const
{
    if (!hub_->options().hasButton)
        return ButtonAccess::None;
    return hub_->options().buttonReadable ? ButtonAccess::Readable : ButtonAccess::NotPermitted;
}

bool SyntheticCamera::start(FrameCallback onFrame, ButtonCallback onButton, StreamEndCallback onEnd)
{
    if (streaming_)
        return true;
    if (!hub_->isPlugged()) {
        fault_ = CameraFault::Gone;
        return false;
    }
    stop();
    const auto &refuse = hub_->options().refuseStart;
    fault_ = refuse ? refuse(format_) : CameraFault::None;
    if (fault_ != CameraFault::None)
        return false;
    hub_->takeFailure(); // a failure asked for while nothing streamed is not this stream's
    hub_->countStart();
    {
        std::lock_guard lock(stopMutex_);
        stopRequested_ = false;
    }
    streaming_ = true;
    thread_ = std::thread(&SyntheticCamera::run, this, std::move(onFrame), std::move(onButton),
                          std::move(onEnd));
    return true;
}

void SyntheticCamera::stop()
{
    {
        std::lock_guard lock(stopMutex_);
        stopRequested_ = true;
    }
    stopWake_.notify_all();
    if (thread_.joinable())
        thread_.join();
    streaming_ = false;
}

void SyntheticCamera::run(FrameCallback onFrame, ButtonCallback onButton, StreamEndCallback onEnd)
{
    bool endedByItself = false;
    try {
        endedByItself = !produce(onFrame, onButton);
    } catch (...) {
        // What a failing hook does to a real camera's stream: it ends, the program goes on.
        fault_ = CameraFault::Failed;
        endedByItself = true;
    }
    streaming_ = false;
    if (endedByItself && onEnd) {
        try {
            onEnd();
        } catch (...) {
        }
    }
}

bool SyntheticCamera::produce(const FrameCallback &onFrame, const ButtonCallback &onButton)
{
    const int w = format_.width;
    const int h = format_.height;
    // The specimen is rendered once per stream; frames pan across it so nothing allocates
    // per frame.
    const QImage specimen = renderSpecimen(w + w / 2, h + h / 2);
    Frame frame(w, h);
    PictureAdjuster adjuster;
    const auto interval = std::chrono::microseconds(1000000 / std::max(1, rate_));
    auto next = std::chrono::steady_clock::now();
    const auto t0 = next;
    for (std::uint64_t n = 0;; ++n) {
        {
            std::unique_lock lock(stopMutex_);
            if (stopWake_.wait_until(lock, next, [this] { return stopRequested_; }))
                return true;
        }
        if (!hub_->isPlugged()) {
            fault_ = CameraFault::Gone;
            return false;
        }
        if (hub_->takeFailure()) {
            fault_ = CameraFault::Failed;
            return false;
        }
        // Drift on a slow ellipse, as a specimen does on a stage that someone touches.
        const double t = double(n) / 40.0;
        const int ox = int((w / 4) * (1 + std::sin(t)));
        const int oy = int((h / 4) * (1 + std::cos(t * 0.7)));
        for (int y = 0; y < h; ++y) {
            const uchar *src = specimen.constScanLine(y + oy) + ox * 3;
            std::uint8_t *dst = frame.view().row(y);
            // RGB888 to BGR24
            for (int x = 0; x < w; ++x) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                src += 3;
                dst += 3;
            }
        }
        adjuster.apply(hub_->controls().snapshot(), frame.view());
        // A button the user may not read delivers nothing.
        const int presses = hub_->takeButtonPresses();
        for (int press = hasButton() ? presses : 0; press > 0 && onButton; --press)
            onButton();
        const double sampleTime =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        onFrame(frame.view(), sampleTime);
        hub_->countFrame();
        next += interval;
        const auto now = std::chrono::steady_clock::now();
        if (next < now)
            next = now;
    }
}

std::vector<CameraInfo> SyntheticBackend::enumerate()
{
    if (!hub_->isPlugged())
        return {};
    return {demoInfo(hub_->options())};
}

std::unique_ptr<Camera> SyntheticBackend::open(const CameraInfo &camera)
{
    if (!hub_->isPlugged() || camera.identity != demoInfo(hub_->options()).identity)
        return nullptr;
    return std::make_unique<SyntheticCamera>(hub_);
}

SyntheticDeviceMonitor::SyntheticDeviceMonitor(std::shared_ptr<SyntheticCameraHub> hub,
                                               QObject *parent)
    : DeviceMonitor(parent), hub_(std::move(hub))
{
    hub_->onPlugChange = [this] {
        const DeviceChange change =
            hub_->isPlugged() ? DeviceChange::Arrived : DeviceChange::Removed;
        QMetaObject::invokeMethod(
            this, [this, change] { Q_EMIT deviceChanged(change); }, Qt::QueuedConnection);
    };
}

SyntheticDeviceMonitor::~SyntheticDeviceMonitor()
{
    hub_->onPlugChange = nullptr;
}

} // namespace quelmar

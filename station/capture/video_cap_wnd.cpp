#include "capture/video_cap_wnd.h"

#include <QLoggingCategory>

#include <cmath>

Q_LOGGING_CATEGORY(lcCapture, "quelmar.station.capture", QtWarningMsg)

namespace quelmar::station {

namespace {
constexpr std::int64_t kDefaultFrameTime = 333333; // 30 frames a second, in 100 ns units
constexpr std::uint32_t fourcc(char a, char b, char c, char d)
{
    return std::uint32_t(a) | std::uint32_t(b) << 8 | std::uint32_t(c) << 16 |
           std::uint32_t(d) << 24;
}
} // namespace

CVideoCapWnd::CVideoCapWnd(CameraBackend *backend, CaptureState &state, QString capConfigPath)
    : backend_(backend), state_(state), capConfigPath_(std::move(capConfigPath))
{}

CVideoCapWnd::~CVideoCapWnd()
{
    ReleaseAll();
}

int CVideoCapWnd::currentDeviceIndex() const
{
    for (size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i].selected)
            return int(i);
    return -1;
}

bool CVideoCapWnd::EnumerateDevices()
{
    if (!backend_)
        return false;
    std::vector<DeviceRecord> fresh;
    for (const CameraInfo &info : backend_->enumerate()) {
        if (int(fresh.size()) == kMaxDevices)
            break;
        fresh.push_back({false, info.displayName, info.friendlyName, info});
    }
    const int old = currentDeviceIndex();
    if (old >= 0) {
        for (DeviceRecord &r : fresh)
            if (r.handle.identity == devices_[size_t(old)].handle.identity)
                r.selected = true;
    }
    devices_ = std::move(fresh);
    if (devices_.empty())
        return false;
    if (currentDeviceIndex() < 0)
        devices_.front().selected = true;
    return true;
}

bool CVideoCapWnd::BuildGraph()
{
    const int index = currentDeviceIndex();
    if (index < 0 || !backend_)
        return false;
    if (camera_)
        return true;
    camera_ = backend_->open(devices_[size_t(index)].handle);
    if (!camera_) {
        ReleaseAll();
        return false;
    }
    devices_[size_t(index)].friendlyName = camera_->info().friendlyName;
    return true;
}

PixelFormat CVideoCapWnd::subtypeForClass() const
{
    return sensorClassSizes(state_.sensorClass).pixelFormat;
}

void CVideoCapWnd::fillConfigForSize(int width, int height, int bytesPerPixel)
{
    config_.bmi.width = width;
    config_.bmi.height = height;
    config_.bmi.sizeImage =
        std::uint32_t(width) * std::uint32_t(height) * std::uint32_t(bytesPerPixel);
    if (config_.avgTimePerFrame <= 0)
        config_.avgTimePerFrame = kDefaultFrameTime;
    const double fps = std::round(10000000.0 / double(config_.avgTimePerFrame));
    config_.bitRate = std::uint32_t(fps * config_.bmi.sizeImage * 8);
    config_.target = {0, 0, width, height};
    state_.captureWidth = width;
    state_.captureHeight = height;
}

bool CVideoCapWnd::applyFormat()
{
    const PixelFormat subtype = subtypeForClass();
    config_.bmi.compression =
        subtype == PixelFormat::Yuyv ? fourcc('Y', 'U', 'Y', '2') : fourcc('M', 'J', 'P', 'G');
    // A camera that does not offer the size in the class's format may offer it in the other.
    return camera_->setFormat({config_.bmi.width, config_.bmi.height, subtype}) ||
           camera_->setFormat(
               {config_.bmi.width, config_.bmi.height,
                subtype == PixelFormat::Yuyv ? PixelFormat::Mjpg : PixelFormat::Yuyv});
}

bool CVideoCapWnd::ConfigureFormat()
{
    if (configured_)
        return true;
    if (!camera_ || running_)
        return false;

    sizes_ = buildCaptureSizeTable(camera_->formats());
    state_.sensorClass = sensorClassFor(sizes_, state_.sensorClass);
    if (state_.sensorClass == 4)
        state_.stillSwitch = 0;

    const CaptureFormat current = camera_->currentFormat();
    config_.bmi.width = current.width;
    config_.bmi.height = current.height;
    config_.bmi.bitCount = 16;
    if (const auto saved = readCapConfig(capConfigPath_)) {
        config_ = *saved;
        state_.captureWidth = config_.bmi.width;
        state_.captureHeight = config_.bmi.height;
    } else {
        const QSize high = sensorClassSizes(state_.sensorClass).high;
        fillConfigForSize(high.width(), high.height(), 2);
    }

    if (!applyFormat()) {
        qCInfo(lcCapture) << "camera refused" << config_.bmi.width << "x" << config_.bmi.height;
        const QSize high = sensorClassSizes(state_.sensorClass).high;
        fillConfigForSize(high.width(), high.height(), 2);
        if (!applyFormat()) {
            // The camera keeps its own format; the frames say what it is.
            const CaptureFormat own = camera_->currentFormat();
            state_.captureWidth = own.width;
            state_.captureHeight = own.height;
        }
    }
    state_.frameRate = frameRateFor(state_.captureWidth, state_.captureHeight);

    // Every camera gets the continuous branch; the button branch only where a button exists.
    stillBranch_ = state_.stillSwitch == 1 && state_.sensorClass != 4 && camera_->hasButton();
    stillGrabber_ = stillBranch_ ? std::make_unique<CStillGrabberCB>(state_) : nullptr;
    configured_ = true;
    return true;
}

bool CVideoCapWnd::Run()
{
    if (running_)
        return true;
    if (!configured_ || !camera_)
        return false;
    // A still taken now must show this stream, not the last picture of the one before.
    state_.snapshot.clear();
    CSampleGrabberCB *grabber = sampleGrabber_;
    CStillGrabberCB *still = stillGrabber_.get();
    const bool ok = camera_->start(
        [grabber](FrameView frame, double t) {
            if (grabber)
                grabber->onFrame(frame, t);
        },
        [still] {
            if (still)
                still->onButton();
        });
    if (!ok)
        camera_->stop();
    // A refused run still counts as running, so a later stop and run retries it.
    running_ = true;
    return ok;
}

void CVideoCapWnd::Stop()
{
    running_ = false;
    if (camera_)
        camera_->stop();
}

void CVideoCapWnd::ReleaseAll()
{
    Stop();
    configured_ = false;
    stillGrabber_.reset();
    camera_.reset();
}

bool CVideoCapWnd::SetCaptureSize(int width, int height)
{
    state_.captureWidth = width;
    state_.captureHeight = height;
    if (!camera_)
        return false;
    const bool wasRunning = running_;
    Stop();
    RemoveBranches();
    fillConfigForSize(width, height, config_.bmi.bitCount == 24 ? 3 : 2);
    writeCapConfig(capConfigPath_, config_);
    const bool ok = applyFormat();
    state_.frameRate = frameRateFor(width, height);
    ConfigureFormat();
    if (wasRunning)
        Run();
    return ok;
}

void CVideoCapWnd::SetStillSwitch(int on)
{
    state_.stillSwitch = on ? 1 : 0;
    const bool wasRunning = running_;
    Stop();
    RemoveBranches();
    ConfigureFormat();
    if (wasRunning)
        Run();
}

bool CVideoCapWnd::SelectDevice(int index)
{
    if (index < 0 || index >= int(devices_.size()) || index == currentDeviceIndex())
        return false;
    ReleaseAll();
    for (DeviceRecord &r : devices_)
        r.selected = false;
    devices_[size_t(index)].selected = true;
    return BuildGraph() && ConfigureFormat() && Run();
}

void CVideoCapWnd::Restart()
{
    Stop();
    Run();
}

} // namespace quelmar::station

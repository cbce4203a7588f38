#include "capture/video_cap_wnd.h"

#include <QLoggingCategory>

#include <algorithm>
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

PixelFormat otherFormat(PixelFormat format)
{
    return format == PixelFormat::Yuyv ? PixelFormat::Mjpg : PixelFormat::Yuyv;
}

bool offers(const std::vector<CaptureFormat> &formats, const CaptureFormat &format)
{
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// A camera that is busy or short of bandwidth is the right camera at the wrong moment or
// size: it is kept. Anything else makes way for the next camera.
bool keepsCamera(CameraFault fault)
{
    return fault == CameraFault::Busy || fault == CameraFault::NoBandwidth;
}
} // namespace

CVideoCapWnd::CVideoCapWnd(CameraBackend *backend, CaptureState &state, QString capConfigPath)
    : backend_(backend), state_(state), capConfigPath_(std::move(capConfigPath)),
      stillGrabber_(state)
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

CameraControls *CVideoCapWnd::controls() const
{
    return camera_ ? camera_->controls() : nullptr;
}

ButtonAccess CVideoCapWnd::buttonAccess() const
{
    return camera_ ? camera_->buttonAccess() : ButtonAccess::None;
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
    const QString kept = old >= 0 ? devices_[size_t(old)].handle.identity : QString();
    const auto listed = [&](const QString &identity) {
        return std::find_if(fresh.begin(), fresh.end(), [&](const DeviceRecord &r) {
            return !identity.isEmpty() && r.handle.identity == identity;
        });
    };
    auto chosen = listed(preferred_);
    if (chosen == fresh.end())
        chosen = listed(kept);
    if (chosen == fresh.end() && !fresh.empty())
        chosen = fresh.begin();
    if (chosen != fresh.end())
        chosen->selected = true;
    devices_ = std::move(fresh);
    if (devices_.empty()) {
        fault_ = backend_->lastFault();
        return false;
    }
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
        fault_ = backend_->lastFault();
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

bool CVideoCapWnd::setSize(int width, int height)
{
    const PixelFormat subtype = subtypeForClass();
    // A camera that does not offer the size in the class's format may offer it in the other.
    if (camera_->setFormat({width, height, subtype}) ||
        camera_->setFormat({width, height, otherFormat(subtype)}))
        return true;
    // The driver granted another size: take that size in MJPG where the camera offers it,
    // since YUYV at large sizes asks for more USB bandwidth than the bus may have.
    const CaptureFormat granted = camera_->currentFormat();
    const CaptureFormat compressed{granted.width, granted.height, PixelFormat::Mjpg};
    if (granted.pixelFormat != PixelFormat::Mjpg && offers(camera_->formats(), compressed))
        camera_->setFormat(compressed);
    return false;
}

bool CVideoCapWnd::applyFormat()
{
    config_.bmi.compression = subtypeForClass() == PixelFormat::Yuyv ? fourcc('Y', 'U', 'Y', '2')
                                                                     : fourcc('M', 'J', 'P', 'G');
    const bool ok = setSize(config_.bmi.width, config_.bmi.height);
    // The rate the station records at is the rate the camera should deliver.
    const CaptureFormat now = camera_->currentFormat();
    if (now.width > 0 && now.height > 0)
        camera_->setFrameInterval({1, frameRateFor(now.width, now.height)});
    return ok;
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
    configured_ = true;
    return true;
}

bool CVideoCapWnd::startCamera(bool withCallbacks)
{
    if (!withCallbacks)
        return camera_->start([](FrameView, double) {}, [] {});
    CSampleGrabberCB *grabber = sampleGrabber_;
    return camera_->start(
        [grabber](FrameView frame, double t) {
            if (grabber)
                grabber->onFrame(frame, t);
        },
        [this] {
            if (stillBranch_)
                stillGrabber_.onButton();
        },
        onStreamEnd_);
}

bool CVideoCapWnd::Run()
{
    if (running_)
        return true;
    if (!configured_ || !camera_)
        return false;
    // A still taken now must show this stream, not the last picture of the one before.
    state_.snapshot.clear();
    smallerSize_.reset();
    const bool ok = startCamera(true);
    fault_ = ok ? CameraFault::None : camera_->fault();
    if (!ok) {
        camera_->stop();
        if (fault_ == CameraFault::None)
            fault_ = CameraFault::Failed;
        if (fault_ == CameraFault::NoBandwidth)
            smallerSize_ = findWorkingSmallerSize();
    }
    // A refused run still counts as running, so a later stop and run retries it.
    running_ = true;
    return ok;
}

std::optional<QSize> CVideoCapWnd::findWorkingSmallerSize()
{
    const int area = state_.captureWidth * state_.captureHeight;
    std::vector<CaptureSize> smaller;
    for (const CaptureSize &s : sizes_)
        if (s.width * s.height < area)
            smaller.push_back(s);
    std::stable_sort(smaller.begin(), smaller.end(),
                     [](const CaptureSize &a, const CaptureSize &b) {
                         return a.width * a.height > b.width * b.height;
                     });
    std::optional<QSize> found;
    for (const CaptureSize &s : smaller) {
        setSize(s.width, s.height);
        const CaptureFormat now = camera_->currentFormat();
        if (now.width * now.height >= area)
            continue;
        if (startCamera(false)) {
            camera_->stop();
            found = QSize(now.width, now.height);
            break;
        }
        camera_->stop();
        if (camera_->fault() != CameraFault::NoBandwidth)
            break;
    }
    // Back to the size asked for: the user decides.
    applyFormat();
    return found;
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
    // A still asked of a camera that went away is void: it must not fire when a camera comes
    // back minutes later.
    state_.stillRequested = false;
    state_.stillFromButton = false;
    configured_ = false;
    stillBranch_ = false;
    camera_.reset();
}

bool CVideoCapWnd::buildConfigureRun()
{
    if (!BuildGraph())
        return false;
    if (!ConfigureFormat()) {
        fault_ = CameraFault::Failed;
        return false;
    }
    return Run();
}

void CVideoCapWnd::select(int index)
{
    for (DeviceRecord &r : devices_)
        r.selected = false;
    devices_[size_t(index)].selected = true;
}

CVideoCapWnd::StartOutcome CVideoCapWnd::StartCapture()
{
    fault_ = CameraFault::None;
    if (!EnumerateDevices())
        return StartOutcome::NoCamera;
    const int first = currentDeviceIndex();
    std::optional<CameraFault> firstFault;
    for (int tried = 0; tried < int(devices_.size()); ++tried) {
        const int index = (first + tried) % int(devices_.size());
        select(index);
        if (buildConfigureRun())
            return StartOutcome::Running;
        if (camera_ && keepsCamera(fault_))
            return StartOutcome::RunRefused;
        qCInfo(lcCapture) << devices_[size_t(index)].displayName << "is not usable";
        if (!firstFault)
            firstFault = fault_;
        ReleaseAll();
    }
    select(first);
    fault_ = firstFault.value_or(CameraFault::None);
    return StartOutcome::NoCamera;
}

bool CVideoCapWnd::KeepsStreamAcrossRecheck()
{
    const int old = currentDeviceIndex();
    if (!camera_ || old < 0 || camera_->fault() != CameraFault::None ||
        (running_ && !camera_->isStreaming()))
        return false;
    const QString identity = devices_[size_t(old)].handle.identity;
    if (!EnumerateDevices())
        return false;
    const int now = currentDeviceIndex();
    // The selection follows the preferred camera: it differs when that one came back.
    return now >= 0 && devices_[size_t(now)].handle.identity == identity;
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
    select(index);
    return buildConfigureRun();
}

void CVideoCapWnd::Restart()
{
    Stop();
    Run();
}

void CVideoCapWnd::FindButton()
{
    if (!camera_ || camera_->findButton() != ButtonAccess::Readable)
        return;
    stillBranch_ = state_.stillSwitch == 1 && state_.sensorClass != 4 && camera_->hasButton();
}

} // namespace quelmar::station

#include "camera/v4l2/v4l2_backend.h"

#include "camera/v4l2/linux_handles.h"
#include "camera/v4l2/v4l2_camera.h"
#include "camera/v4l2/v4l2_formats.h"
#include "camera/v4l2/v4l2_logging.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <fcntl.h>

namespace quelmar::v4l2 {

std::optional<int> videoNodeNumber(QStringView fileName)
{
    const QLatin1StringView prefix("video");
    if (!fileName.startsWith(prefix) || fileName.size() == prefix.size())
        return std::nullopt;
    const QStringView digits = fileName.mid(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

QStringList sortedVideoNodes(const QStringList &fileNames)
{
    QStringList nodes;
    for (const QString &name : fileNames) {
        if (videoNodeNumber(name))
            nodes.append(name);
    }
    std::sort(nodes.begin(), nodes.end(), [](const QString &a, const QString &b) {
        return *videoNodeNumber(a) < *videoNodeNumber(b);
    });
    return nodes;
}

std::optional<CameraInfo> describeNode(const IoctlFn &ioctl, const QString &node,
                                       const NodePlace &place)
{
    v4l2_capability caps{};
    if (ioctl(VIDIOC_QUERYCAP, &caps) != 0 || !isCaptureDevice(caps))
        return std::nullopt;
    if (enumerateFormats(ioctl).empty()) {
        qCDebug(lcV4l2) << node << "offers neither YUYV nor MJPG";
        return std::nullopt;
    }
    return cameraInfoFor(caps, node, place);
}

} // namespace quelmar::v4l2

namespace quelmar {

using v4l2::lcV4l2;

namespace {

// What a node says about itself; nothing for nodes that are no usable camera. `denied` is set
// when the user may not open the node.
std::optional<CameraInfo> probe(const QString &node, bool &denied)
{
    const v4l2::UniqueFd fd(
        ::open(QFile::encodeName(node).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        const int error = errno;
        qCDebug(lcV4l2) << "cannot open" << node << qt_error_string(error);
        denied = denied || error == EACCES || error == EPERM;
        return std::nullopt;
    }
    const int raw = fd.get();
    return v4l2::describeNode(
        [raw](unsigned long request, void *argument) {
            return v4l2::ioctlRetrying(raw, request, argument);
        },
        node, v4l2::nodePlaceOf(raw));
}

} // namespace

V4l2Backend::V4l2Backend(QString deviceDirectory) : deviceDirectory_(std::move(deviceDirectory)) {}

std::vector<CameraInfo> V4l2Backend::enumerate()
{
    const QDir directory(deviceDirectory_);
    const QStringList names =
        directory.entryList({QStringLiteral("video*")}, QDir::Files | QDir::System);
    std::vector<CameraInfo> cameras;
    bool denied = false;
    for (const QString &name : v4l2::sortedVideoNodes(names)) {
        if (std::optional<CameraInfo> info = probe(directory.filePath(name), denied))
            cameras.push_back(std::move(*info));
    }
    lastFault_ = cameras.empty() && denied ? CameraFault::NoPermission : CameraFault::None;
    qCDebug(lcV4l2) << cameras.size() << "cameras in" << deviceDirectory_;
    return cameras;
}

std::unique_ptr<Camera> V4l2Backend::open(const CameraInfo &camera)
{
    if (camera.identity.isEmpty())
        return nullptr;
    CameraFault fault = CameraFault::None;
    if (!camera.location.isEmpty()) {
        std::unique_ptr<V4l2Camera> opened = V4l2Camera::open(camera.location, &fault);
        if (opened && opened->info().identity == camera.identity) {
            lastFault_ = CameraFault::None;
            return opened;
        }
        if (opened)
            qCDebug(lcV4l2) << camera.location << "now belongs to" << opened->info().displayName;
    }
    // Plugged in again under another node number: look for the identity.
    for (const CameraInfo &now : enumerate()) {
        if (now.identity != camera.identity || now.location == camera.location)
            continue;
        std::unique_ptr<V4l2Camera> opened = V4l2Camera::open(now.location, &fault);
        if (opened && opened->info().identity == camera.identity) {
            lastFault_ = CameraFault::None;
            return opened;
        }
    }
    lastFault_ = fault;
    return nullptr;
}

} // namespace quelmar

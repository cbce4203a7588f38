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

} // namespace quelmar::v4l2

namespace quelmar {

using v4l2::lcV4l2;

namespace {

// What a capture node says about itself; nothing for nodes that do not capture video.
std::optional<CameraInfo> probe(const QString &node)
{
    const v4l2::UniqueFd fd(
        ::open(QFile::encodeName(node).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        qCDebug(lcV4l2) << "cannot open" << node << qt_error_string(errno);
        return std::nullopt;
    }
    v4l2_capability caps{};
    if (v4l2::ioctlRetrying(fd.get(), VIDIOC_QUERYCAP, &caps) != 0 || !v4l2::isCaptureDevice(caps))
        return std::nullopt;
    return v4l2::cameraInfoFor(caps, node);
}

} // namespace

V4l2Backend::V4l2Backend(QString deviceDirectory) : deviceDirectory_(std::move(deviceDirectory)) {}

std::vector<CameraInfo> V4l2Backend::enumerate()
{
    const QDir directory(deviceDirectory_);
    const QStringList names =
        directory.entryList({QStringLiteral("video*")}, QDir::Files | QDir::System);
    std::vector<CameraInfo> cameras;
    for (const QString &name : v4l2::sortedVideoNodes(names)) {
        if (std::optional<CameraInfo> info = probe(directory.filePath(name)))
            cameras.push_back(std::move(*info));
    }
    qCDebug(lcV4l2) << cameras.size() << "cameras in" << deviceDirectory_;
    return cameras;
}

std::unique_ptr<Camera> V4l2Backend::open(const CameraInfo &camera)
{
    const QString node = v4l2::nodeFromIdentity(camera.identity);
    if (node.isEmpty())
        return nullptr;
    std::unique_ptr<V4l2Camera> opened = V4l2Camera::open(node);
    if (opened && opened->info().identity != camera.identity) {
        qCWarning(lcV4l2) << node << "now belongs to" << opened->info().displayName;
        return nullptr;
    }
    return opened;
}

} // namespace quelmar

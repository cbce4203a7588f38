// Lists the V4L2 video capture nodes that can serve as cameras and opens them.
#pragma once

#include "camera/camera.h"
#include "camera/v4l2/camera_identity.h"
#include "camera/v4l2/v4l2_formats.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quelmar::v4l2 {

// The number N of a node name "videoN"; nothing for other names.
std::optional<int> videoNodeNumber(QStringView fileName);

// The "videoN" names among `fileNames`, by ascending N.
QStringList sortedVideoNodes(const QStringList &fileNames);

// The camera behind an open node, asked through `ioctl`: nothing for nodes that do not capture
// video (metadata, output) or offer neither YUYV nor MJPG (infrared, raw sensor and loopback
// nodes often do), which the station could not show.
std::optional<CameraInfo> describeNode(const IoctlFn &ioctl, const QString &node,
                                       const NodePlace &place);

} // namespace quelmar::v4l2

namespace quelmar {

class V4l2Backend final : public CameraBackend {
public:
    // Looks for video nodes in `deviceDirectory`; tests point it at a directory of their own.
    explicit V4l2Backend(QString deviceDirectory = QStringLiteral("/dev"));

    // The usable capture nodes, by node number; empty without cameras.
    std::vector<CameraInfo> enumerate() override;
    // The camera listed as `camera`, found again by its identity when its node number changed;
    // nullptr when it is gone or cannot be opened.
    std::unique_ptr<Camera> open(const CameraInfo &camera) override;
    // NoPermission when video nodes exist that the user may not open and nothing else was
    // found or opened.
    CameraFault lastFault() const override { return lastFault_; }

private:
    const QString deviceDirectory_;
    CameraFault lastFault_ = CameraFault::None;
};

} // namespace quelmar

// Lists the V4L2 video capture nodes as cameras and opens them.
#pragma once

#include "camera/camera.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quelmar::v4l2 {

// The number N of a node name "videoN"; nothing for other names.
std::optional<int> videoNodeNumber(QStringView fileName);

// The "videoN" names among `fileNames`, by ascending N.
QStringList sortedVideoNodes(const QStringList &fileNames);

} // namespace quelmar::v4l2

namespace quelmar {

class V4l2Backend final : public CameraBackend {
public:
    // Looks for video nodes in `deviceDirectory`; tests point it at a directory of their own.
    explicit V4l2Backend(QString deviceDirectory = QStringLiteral("/dev"));

    // The nodes with the video-capture capability, by node number; empty without cameras.
    std::vector<CameraInfo> enumerate() override;
    // The camera listed as `camera`; nullptr when it is gone or another camera took its node.
    std::unique_ptr<Camera> open(const CameraInfo &camera) override;

private:
    const QString deviceDirectory_;
};

} // namespace quelmar

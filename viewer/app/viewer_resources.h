// The program's own resources: the default calibration.plist and the three sounds.
#pragma once

#include <QByteArray>
#include <QString>

namespace quelmar::viewer {

// The resource path of one of the viewer's files ("calibration.plist", "sounds/camera.wav").
QString viewerResource(const QString &name);
QByteArray defaultCalibrationList();

} // namespace quelmar::viewer

// Diagnostics of the V4L2 camera layer, off by default; enable them with
// QT_LOGGING_RULES="quelmar.camera.v4l2.debug=true".
#pragma once

#include <QLoggingCategory>

namespace quelmar::v4l2 {
Q_DECLARE_LOGGING_CATEGORY(lcV4l2)
} // namespace quelmar::v4l2

#include "camera/camera.h"

namespace quelmar {

QString standardFormatName(PixelFormat format)
{
    // The names V4L2 drivers give these formats.
    switch (format) {
    case PixelFormat::Yuyv:
        return QStringLiteral("YUYV 4:2:2");
    case PixelFormat::Mjpg:
        return QStringLiteral("Motion-JPEG");
    }
    return {};
}

} // namespace quelmar

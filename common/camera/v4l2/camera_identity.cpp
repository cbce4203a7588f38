#include "camera/v4l2/camera_identity.h"

#include "camera/v4l2/linux_handles.h"

#include <cstring>

#include <sys/stat.h>

namespace quelmar::v4l2 {

namespace {

QString fixedText(const __u8 *text, std::size_t capacity)
{
    const char *chars = reinterpret_cast<const char *>(text);
    return QString::fromUtf8(chars, qsizetype(strnlen(chars, capacity))).trimmed();
}

QString attribute(udev_device *device, const char *name)
{
    const char *value = udev_device_get_sysattr_value(device, name);
    return value != nullptr ? QString::fromUtf8(value).trimmed() : QString();
}

} // namespace

NodePlace nodePlaceOf(int videoFd)
{
    NodePlace place;
    struct stat status {};
    if (fstat(videoFd, &status) != 0 || !S_ISCHR(status.st_mode))
        return place;
    // libudev reads sysfs directly: this works without the udev daemon.
    const UdevPtr context(udev_new());
    if (!context)
        return place;
    const UdevDevicePtr video(udev_device_new_from_devnum(context.get(), 'c', status.st_rdev));
    if (!video)
        return place;
    place.index = attribute(video.get(), "index").toInt();
    // Parents belong to the child device; they are not released separately.
    udev_device *usb =
        udev_device_get_parent_with_subsystem_devtype(video.get(), "usb", "usb_device");
    if (usb == nullptr)
        return place;
    UsbAttributes attributes{attribute(usb, "idVendor"), attribute(usb, "idProduct"),
                             attribute(usb, "serial")};
    if (!attributes.vendorId.isEmpty() && !attributes.productId.isEmpty())
        place.usb = std::move(attributes);
    return place;
}

QString cameraIdentity(const QString &busInfo, const QString &card, const NodePlace &place)
{
    QString identity;
    if (place.usb) {
        identity = QStringLiteral("usb:%1:%2").arg(place.usb->vendorId, place.usb->productId);
        identity += place.usb->serial.isEmpty() ? u'@' + busInfo : u':' + place.usb->serial;
    } else {
        identity = QStringLiteral("v4l2:%1:%2").arg(busInfo, card);
    }
    if (place.index > 0)
        identity += u'#' + QString::number(place.index);
    return identity;
}

CameraInfo cameraInfoFor(const v4l2_capability &caps, const QString &node, const NodePlace &place)
{
    const QString bus = fixedText(caps.bus_info, sizeof(caps.bus_info));
    CameraInfo info;
    info.friendlyName = fixedText(caps.card, sizeof(caps.card));
    info.displayName = bus.isEmpty() ? node : bus + QLatin1Char(' ') + node;
    info.identity = cameraIdentity(bus.isEmpty() ? node : bus, info.friendlyName, place);
    info.location = node;
    return info;
}

} // namespace quelmar::v4l2

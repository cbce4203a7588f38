// What names a V4L2 camera across re-plugs and restarts: the node number changes whenever the
// camera is plugged in again, so the identity comes from the USB device (vendor, product and
// serial number, or the port it sits in) and the node stays a hint of where it is now.
#pragma once

#include "camera/camera.h"

#include <linux/videodev2.h>

#include <QString>

#include <optional>

namespace quelmar::v4l2 {

struct UsbAttributes {
    QString vendorId;  // "1b3f", as sysfs prints idVendor
    QString productId; // idProduct
    QString serial;    // empty when the camera has no serial number string
};

// Where the open video node `videoFd` sits: its USB device's attributes (nothing when it is not
// on USB or sysfs cannot be read) and its index among the nodes of its device (0 for the first).
struct NodePlace {
    std::optional<UsbAttributes> usb;
    int index = 0;
};
NodePlace nodePlaceOf(int videoFd);

// The identity: the USB vendor, product and serial number; without a serial number (identical
// cameras share it) the USB port path from the bus info as well; off USB the bus info and card.
// A further capture node of the same device adds its index.
QString cameraIdentity(const QString &busInfo, const QString &card, const NodePlace &place);

// How the station names the camera behind `node`: card as friendly name, bus info and node as
// display name, the identity above, the node as location.
CameraInfo cameraInfoFor(const v4l2_capability &caps, const QString &node,
                         const NodePlace &place = {});

} // namespace quelmar::v4l2

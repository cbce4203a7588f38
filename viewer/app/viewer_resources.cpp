#include "app/viewer_resources.h"

#include <QFile>

// The resource sits in a static library: something must name its initialiser, outside any
// namespace.
static void initViewerResources()
{
    Q_INIT_RESOURCE(viewer);
}

namespace quelmar::viewer {

QString viewerResource(const QString &name)
{
    initViewerResources();
    return QStringLiteral(":/viewer/") + name;
}

QByteArray defaultCalibrationList()
{
    QFile file(viewerResource(QStringLiteral("calibration.plist")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace quelmar::viewer

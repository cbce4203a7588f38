#include "viewer_paths.h"

#include <QDir>

namespace quelmar::viewer {

QString ViewerPaths::homeDirectory()
{
    const QString moved = qEnvironmentVariable("ORBILUX_HOME");
    return moved.isEmpty() ? QDir::homePath() : moved;
}

} // namespace quelmar::viewer

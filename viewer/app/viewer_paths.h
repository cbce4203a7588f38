// Where Orbilux keeps its workspace: "Quelmar" in the home directory. ORBILUX_HOME stands in
// for the home directory, so tests and demos never touch the real one.
#pragma once

#include <QString>

namespace quelmar::viewer {

class ViewerPaths {
public:
    static QString homeDirectory();
    static QString rootDirectory() { return homeDirectory() + QStringLiteral("/Quelmar"); }
    static QString albumImageDirectory(const QString &album)
    {
        return rootDirectory() + u'/' + album + QStringLiteral("/Image/");
    }
    static QString albumVideoDirectory(const QString &album)
    {
        return rootDirectory() + u'/' + album + QStringLiteral("/Video/");
    }
};

} // namespace quelmar::viewer

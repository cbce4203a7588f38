// Where the station's files live on Linux: read-only resources beside the program, per-user
// files under the XDG config directory, the workspace under the documents directory.
// SCOPEDESK_HOME moves every per-user path into one directory.
#pragma once

#include <QString>

namespace quelmar::station {

// Creates `dir` when missing and lets only its owner in; false when it is no directory then.
bool makePrivateDir(const QString &dir);

class StationPaths {
public:
    // Read-only resources (language files, the companion player) of the running program.
    static QString shareDir();
    // Per-user directory for the settings store, font files, CapConfig.dat, the
    // calibration file and the hand-over files; created when missing.
    static QString configDir();
    // Directory that holds the workspace root ("Quelmar files2"); created when missing.
    static QString documentsDir();
    // Private per-user directory (owner only) for the station's throw-away copies: the JPEG
    // copies of mailed BMP pictures and the print file. Nothing else is kept there, so the
    // station may clear it; created when missing.
    static QString cacheDir();

    static QString configFile(const QString &name) { return configDir() + u'/' + name; }
    static QString settingsStoreFile() { return configFile(QStringLiteral("settings.reg")); }
    static QString logFontFile() { return configFile(QStringLiteral("logfont.ini")); }
    static QString measureFontFile() { return configFile(QStringLiteral("Measurefont.ini")); }
    static QString capConfigFile() { return configFile(QStringLiteral("CapConfig.dat")); }
    static QString calibrationFile() { return configFile(QStringLiteral("CalibrationIni.ini")); }
    static QString folderPathFile() { return configFile(QStringLiteral("folderpath.txt")); }
};

} // namespace quelmar::station

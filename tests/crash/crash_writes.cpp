#include "crash_writes.h"

#include "app/calibration_store.h"
#include "base/registry_store.h"
#include "image/bmp_codec.h"
#include "image/jpeg_codec.h"
#include "library/folder_files.h"
#include "measure/calibration.h"
#include "spreadsheet/workbook_file.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>

namespace quelmar::test {

namespace {

// Long enough that a write takes many system calls, so a kill lands inside one often.
QString text(int version)
{
    return QStringLiteral("version %1 ").arg(version).repeated(4000 + 1000 * version);
}

int versionOf(const QString &found, const std::function<QString(int)> &expected)
{
    for (int version : {0, 1}) {
        if (found == expected(version))
            return version;
    }
    return -1;
}

Frame flat(int version)
{
    Frame frame(1280, 1024);
    std::fill(frame.data(), frame.data() + frame.byteCount(), std::uint8_t(version ? 200 : 40));
    return frame;
}

// The version of a flat picture: its middle pixel, JPEG's rounding allowed.
int pictureVersion(const std::optional<Frame> &frame)
{
    if (!frame || frame->width() != 1280 || frame->height() != 1024)
        return -1;
    const int value = frame->data()[(std::size_t(512) * 1280 + 640) * 3];
    if (std::abs(value - 40) <= 2)
        return 0;
    return std::abs(value - 200) <= 2 ? 1 : -1;
}

std::vector<spreadsheet::Sheet> sheets(int version)
{
    std::vector<spreadsheet::Sheet> out{{QStringLiteral("Measurements"), {}}};
    for (int row = 0; row < 400 + 100 * version; ++row)
        out[0].rows.push_back(
            {QStringLiteral("Line %1").arg(row), QStringLiteral("%1.%2 mm").arg(row).arg(version)});
    return out;
}

CrashWrite exportTo(const char *name, const char *file)
{
    return {name,
            [file](const QString &dir, int version) {
                const QString path = dir + u'/' + QLatin1String(file);
                QString detail;
                return spreadsheet::workbookFileFor(path)->write(path, sheets(version), &detail) ==
                       spreadsheet::FileStatus::Ok;
            },
            [file](const QString &dir) {
                const QString path = dir + u'/' + QLatin1String(file);
                if (!QFile::exists(path))
                    return -1;
                const spreadsheet::ReadResult read = spreadsheet::workbookFileFor(path)->read(path);
                if (read.status != spreadsheet::FileStatus::Ok || read.sheets.empty())
                    return -1;
                for (int version : {0, 1}) {
                    if (read.sheets[0].rows == sheets(version)[0].rows)
                        return version;
                }
                return -1;
            }};
}

const QString kStoreKey = QStringLiteral("Software\\ScopeDesk\\Settings");

} // namespace

const std::vector<CrashWrite> &crashWrites()
{
    static const std::vector<CrashWrite> writes{
        {"SettingsStore",
         [](const QString &dir, int version) {
             return station::RegistryStore(dir + QStringLiteral("/settings.reg"))
                 .writeString(kStoreKey, QStringLiteral("Folder"), text(version));
         },
         [](const QString &dir) {
             return versionOf(station::RegistryStore(dir + QStringLiteral("/settings.reg"))
                                  .readString(kStoreKey, QStringLiteral("Folder"))
                                  .value_or(QString()),
                              text);
         }},
        {"StationCalibration",
         [](const QString &dir, int version) {
             return station::CalibrationFile(dir + QStringLiteral("/CalibrationIni.ini"))
                 .store(QStringLiteral("60"), text(version));
         },
         [](const QString &dir) {
             return versionOf(station::CalibrationFile(dir + QStringLiteral("/CalibrationIni.ini"))
                                  .lookup(QStringLiteral("60")),
                              text);
         }},
        {"ViewerCalibration",
         [](const QString &dir, int version) {
             const viewer::CalibrationStore store(dir + QStringLiteral("/calibration.plist"));
             for (int i = 0; i < 20; ++i) { // a file of several entries, all rewritten
                 if (!store.store(QStringLiteral("c%1").arg(i),
                                  {float(100 + i), QStringLiteral("mm"), float(version + 1)}))
                     return false;
             }
             return true;
         },
         [](const QString &dir) {
             const viewer::CalibrationStore store(dir + QStringLiteral("/calibration.plist"));
             const auto first = store.find(QStringLiteral("c0"));
             const auto last = store.find(QStringLiteral("c19"));
             // Entries are stored one by one: a whole file has the last one, at one version
             // or the other, and the first at either.
             if (!first || !last)
                 return -1;
             return first->unitLength == 1 || first->unitLength == 2 ? int(last->unitLength) - 1
                                                                     : -1;
         }},
        {"FolderNote",
         [](const QString &dir, int version) {
             return station::writeFolderNote(dir, text(version));
         },
         [](const QString &dir) { return versionOf(station::readFolderNoteLines(dir), text); }},
        {"JpegStill",
         [](const QString &dir, int version) {
             return writeJpeg(dir + QStringLiteral("/still.jpg"), flat(version).view());
         },
         [](const QString &dir) {
             return pictureVersion(readJpeg(dir + QStringLiteral("/still.jpg")));
         }},
        {"BmpStill",
         [](const QString &dir, int version) {
             return writeBmp(dir + QStringLiteral("/still.bmp"), flat(version).view());
         },
         [](const QString &dir) {
             return pictureVersion(readBmp(dir + QStringLiteral("/still.bmp")));
         }},
        exportTo("XlsExport", "export.xls"),
        exportTo("XlsxExport", "export.xlsx"),
        exportTo("CsvExport", "export.csv"),
    };
    return writes;
}

const CrashWrite *crashWriteNamed(const QString &name)
{
    for (const CrashWrite &write : crashWrites()) {
        if (name == QLatin1String(write.name))
            return &write;
    }
    return nullptr;
}

} // namespace quelmar::test

// The media library at sizes users reach: a folder of 10,000 stills scanned, one page of
// twelve thumbnails drawn, and the Folder Manager opened over 100 folders of 100 files.
#include "base/language.h"
#include "image/frame.h"
#include "image/jpeg_codec.h"
#include "library/folder_info.h"
#include "library/manager_folder_dlg.h"
#include "library/small_picture_wnd.h"
#include "library/thumbnail_lists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace quelmar;
using namespace quelmar::station;

QByteArray thumbnailBytes()
{
    Frame frame(60, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 180; ++x)
            frame.view().row(y)[x] = std::uint8_t(x * 3 + y * 7);
    const auto bytes = encodeJpeg(frame.view());
    return QByteArray(reinterpret_cast<const char *>(bytes->data()), qsizetype(bytes->size()));
}

void fillDirectory(const QString &dir, int count, const QByteArray &bytes)
{
    QDir().mkpath(dir);
    for (int i = 1; i <= count; ++i) {
        QFile file(
            dir +
            QStringLiteral("/Still_2026-12-08_101530_60X_N%1.jpg").arg(i, 5, 10, QChar(u'0')));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
}

void BM_ScanTenThousandStills(benchmark::State &state)
{
    QTemporaryDir dir;
    fillDirectory(dir.path(), 10000, thumbnailBytes());
    for (auto _ : state) {
        ThumbnailList list;
        for (const QString &path : scanPictures(dir.path()))
            list.append(path);
        benchmark::DoNotOptimize(list.count());
    }
}

// A page drawn for the first time: every cell decoded from its file.
void BM_DrawThumbnailPage(benchmark::State &state)
{
    QTemporaryDir dir;
    fillDirectory(dir.path(), 12, thumbnailBytes());
    for (auto _ : state) {
        state.PauseTiming();
        CSmallPictureWnd strip;
        strip.resize(162, 430);
        strip.ScanFolder(dir.path(), dir.path());
        state.ResumeTiming();
        strip.Redraw();
        benchmark::DoNotOptimize(strip.page().constBits());
    }
}

void BM_OpenFolderManager(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray bytes = thumbnailBytes();
    for (int f = 0; f < 100; ++f)
        fillDirectory(dir.path() + QStringLiteral("/Folder %1/Picture/tmp").arg(f), 100, bytes);
    const Language language;
    for (auto _ : state) {
        CManagerFolderDlg dialog(language, readFolderInfos(dir.path()), {});
        benchmark::DoNotOptimize(dialog.rows().size());
    }
}

BENCHMARK(BM_ScanTenThousandStills)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawThumbnailPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFolderManager)->Unit(benchmark::kMillisecond);

} // namespace

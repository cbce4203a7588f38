// The gallery at an album of 1,000 stills of 640 x 480: the Photos tab opened (the directory
// listed and the first screen of cells painted, thumbnails decoded at cell size), and opened
// again with the thumbnails already decoded, as on every later tab switch.
#include "app/gallery.h"
#include "app/gallery_view.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace quelmar::viewer;

constexpr int kStills = 1000;

// A detailed picture, so the files have a realistic size (about 60 KB each).
const QString &album()
{
    static QTemporaryDir dir;
    static const QString images = [] {
        const QString path = dir.filePath(QStringLiteral("Image/"));
        QDir().mkpath(path);
        QDir().mkpath(dir.filePath(QStringLiteral("Video/")));
        QImage picture(640, 480, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                const unsigned noise = unsigned(x * 7919 + y * 104729) * 2654435761u;
                line[x] = qRgb(x ^ int(noise >> 27), (y * 3) ^ int(noise >> 26), (x + y) / 4);
            }
        }
        for (int i = 0; i < kStills; ++i) {
            picture.save(path + QStringLiteral("202612081015%1.jpg").arg(i, 4, 10, QChar(u'0')),
                         "JPEG", 90);
        }
        return path;
    }();
    return images;
}

// The Photos tab as the window shows it: 197 x 590 pixels of 80 x 80 cells.
void openPhotos(Gallery &gallery, GalleryView &grid)
{
    gallery.setTab(Gallery::kPhotosTab);
    benchmark::DoNotOptimize(grid.grab());
}

void BM_PhotosTabFirstOpen(benchmark::State &state)
{
    const QString images = album();
    for (auto _ : state) {
        state.PauseTiming();
        Gallery gallery(nullptr, nullptr);
        GalleryView grid(gallery, gallery.photos());
        grid.resize(197, 590);
        gallery.setTab(Gallery::kSettingsTab);
        gallery.photos().load({});
        state.ResumeTiming();
        gallery.photos().load(images);
        openPhotos(gallery, grid);
        state.counters["decoded"] = gallery.photos().thumbnailsDecoded();
    }
}
BENCHMARK(BM_PhotosTabFirstOpen)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_PhotosTabAgain(benchmark::State &state)
{
    Gallery gallery(nullptr, nullptr);
    GalleryView grid(gallery, gallery.photos());
    grid.resize(197, 590);
    gallery.setDirectories(album(), album());
    openPhotos(gallery, grid);
    for (auto _ : state)
        openPhotos(gallery, grid);
    state.counters["decoded"] = gallery.photos().thumbnailsDecoded();
}
BENCHMARK(BM_PhotosTabAgain)->Unit(benchmark::kMillisecond);

} // namespace

// The live marks on the frame path and on stills: 50 live shapes of every kind with the
// crosshair, scale line and circle grid, laid over a 640 x 480 preview frame (to hold against
// BM_FrameMemcpy), rendered anew after a change on the UI thread, and burned into a
// 3264 x 2448 still (to hold against BM_StillSaveJpeg).
#include "base/command_ids.h"
#include "base/language.h"
#include "base/station_settings.h"
#include "image/frame.h"
#include "measure/calibration.h"
#include "measure/live_measure.h"
#include "shell/tool_records.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace quelmar::station;

// A live measurement holding 50 shapes, ten of each kind's tool in turn, and all overlays.
struct Scene {
    QTemporaryDir dir;
    CalibrationFile file{dir.filePath(QStringLiteral("CalibrationIni.ini"))};
    MeasureScale scale{file};
    StationSettings settings;
    LogFont labelFont;
    Language language;
    std::unique_ptr<LiveMeasure> live;

    Scene()
    {
        scale.setMagnificationText(QStringLiteral("60"));
        LiveMeasure::Context c;
        c.scale = &scale;
        c.settings = &settings;
        c.labelFont = &labelFont;
        c.language = &language;
        c.sensorClass = [] { return 4; };
        c.captureSize = [] { return QSize(3264, 2448); };
        c.connected = [] { return true; };
        live = std::make_unique<LiveMeasure>(std::move(c));

        for (int i = 0; i < 50; ++i) {
            live->command(kLiveToolButtons[i % 10]);
            const QPoint o(20 + (i * 53) % 520, 20 + (i * 97) % 380);
            const auto at = [&](int x, int y) { return o + QPoint(x, y); };
            live->press(at(0, 0));
            live->press(at(60, 10));
            switch (i % 10) {
            case 1: // continuous line: a third vertex, then the double click ends it
                live->press(at(70, 50));
                live->doubleClick(at(70, 50));
                continue;
            case 3: // polygon
                live->press(at(30, 60));
                live->doubleClick(at(30, 60));
                break;
            case 2:
            case 6:
            case 7:
            case 8:
                live->press(at(25, 55));
                break;
            case 9:
                live->press(at(10, 40));
                live->press(at(70, 70));
                break;
            default:
                break;
            }
            live->press(at(5, 70)); // the label
        }
        live->command(cmd::Crosshair);
        live->command(cmd::ScaleLine);
        live->command(cmd::CircleGrid);
    }
};

void BM_LiveOverlayDraw(benchmark::State &state)
{
    Scene scene;
    if (scene.live->shapes().count() != 50) {
        state.SkipWithError("the scene did not get its 50 shapes");
        return;
    }
    QImage back(640, 480, QImage::Format_RGB32);
    back.fill(Qt::darkGray);
    for (auto _ : state) {
        scene.live->marks().drawOnto(back);
        benchmark::ClobberMemory();
    }
}

// The UI thread's cost of one change (a pointer move with a shape in progress).
void BM_LiveMarksPublish(benchmark::State &state)
{
    Scene scene;
    scene.live->command(cmd::ToolRadiusCircle);
    scene.live->press({300, 200});
    int x = 0;
    for (auto _ : state)
        scene.live->move({320 + (x++ % 200), 260});
}

void BM_StillBurnMarks(benchmark::State &state)
{
    Scene scene;
    quelmar::Frame frame(3264, 2448);
    QImage picture(frame.data(), frame.width(), frame.height(), frame.width() * 3,
                   QImage::Format_BGR888);
    for (auto _ : state) {
        scene.live->drawStill(picture, 5.1, {5.1, 5.1});
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_LiveOverlayDraw)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_LiveMarksPublish)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_StillBurnMarks)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace

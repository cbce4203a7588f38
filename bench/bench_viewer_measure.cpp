// The measurement view's marks on an 800 x 640 view: 50 finished shapes of every kind with the
// grid, crosshair and scale overlays, against a plain copy of a 3264 x 2448 camera frame in the
// same run. The allocs_per_frame counter counts every malloc, calloc and realloc (Qt's
// included) made while drawing: once the shapes stop changing it should stay at 0.
#include "allocation_counter.h"
#include "frame_memcpy.h"
#include "image/frame.h"
#include "measure/grid_overlay.h"
#include "measure/measure_model.h"
#include "measure/measure_painter.h"

#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

using namespace quelmar::viewer;
using quelmar::bench::allocations;
using quelmar::bench::BM_FrameMemcpy;

// Fifty shapes, the tools in turn, spread over the view.
void addShapes(MeasureModel &model)
{
    for (int i = 0; i < 50; ++i) {
        const int mode = 1 + i % 11;
        MeasureStyle style;
        style.measure_line_width = 1 + i % 3;
        style.measure_font_size = 12 + i % 4 * 2;
        style.measure_line_color = QColor::fromHsv(i * 7 % 360, 255, 255);
        model.setMeasureMode(mode, style, QString(), QStringLiteral("mm"), 60, 1.2f, false);
        const double x = 40 + i % 10 * 75;
        const double y = 40 + i / 10 * 120;
        const QPointF clicks[] = {
            {x, y}, {x + 50, y + 10}, {x + 20, y + 60}, {x + 60, y + 70}, {x + 5, y + 90}};
        const int points = mode == kFourPointAngleTool                               ? 4
                           : mode <= kDiameterCircleTool && mode != kPointToLineTool ? 2
                           : mode == kTextTool                                       ? 1
                                                                                     : 3;
        const bool openEnded = mode == kContinuousLineTool || mode == kPolygonTool;
        const int count = openEnded ? 5 : points;
        for (int p = 0; p < count; ++p)
            model.press(clicks[p], openEnded && p == count - 1, QStringLiteral("cell %1").arg(i));
        model.press({x + 30, y + 100}, false);
    }
}

void BM_ViewerOverlayDraw(benchmark::State &state)
{
    QImage view(800, 640, QImage::Format_RGB32);
    view.fill(QColor(60, 60, 60));
    MeasureModel model;
    addShapes(model);
    const MeasureStyle overlayStyle{1, 16, 3, QColor(Qt::yellow), QColor(Qt::yellow)};
    GridOverlay grid, crosshair, scale;
    grid.showGridView(kGridOverlay, overlayStyle, 1, 50, 1);
    crosshair.showGridView(kCrosshairOverlay, overlayStyle, 0, 50, 1);
    scale.showGridView(kScaleOverlay, overlayStyle, 0.2f, 50, 1);
    MeasurePainter shapesAndGrid, crosshairPainter, scalePainter;
    const PaintTarget target{1, 1, double(view.height())};
    const QSizeF size = view.size();
    QPainter painter(&view);
    const auto draw = [&] {
        shapesAndGrid.paint(painter, model, grid, size, target);
        crosshairPainter.paintOverlay(painter, crosshair, size, target);
        scalePainter.paintOverlay(painter, scale, size, target);
    };
    const long unprepared = allocations.load();
    draw(); // prepares what later frames reuse
    const long before = allocations.load();
    for (auto _ : state) {
        draw();
        benchmark::ClobberMemory();
    }
    state.counters["allocs_per_frame"] =
        double(allocations.load() - before) / double(std::max<std::int64_t>(1, state.iterations()));
    state.counters["allocs_preparing"] = double(before - unprepared);
    state.counters["shapes"] = double(model.OriginalGraphArray().size());
}

BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerOverlayDraw)->Unit(benchmark::kMillisecond);

} // namespace

// The photo canvas with 100 shapes of mixed kinds over a 2592 x 1944 still: a fit-mode
// repaint after a change (to hold against BM_FrameMemcpy), the rubber band alone over the
// cached picture, and the render for saving at the still's size (to hold against
// BM_BareJpegEncode).
#include "measure/sub_picture.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace quelmar::station;

QImage still()
{
    QImage photo(2592, 1944, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x)
            line[x] = qRgb((x * 7 + y) & 255, (y * 3) & 255, 160);
    }
    return photo;
}

// Ten of each measuring tool's kind and the text, spread over the working picture.
std::unique_ptr<CSubPicture> canvasWithShapes(bool fullSize)
{
    PhotoTools::Context c;
    c.units = [] { return MeasureUnits{0.0638, 60, 3, QStringLiteral("mm")}; };
    auto canvas = std::make_unique<CSubPicture>(std::move(c), still(),
                                                QStringLiteral("Still_N0001.jpg"), fullSize);
    PhotoTools &t = canvas->tools();
    PhotoTools::Style style;
    style.shape.penWidth = 2;
    t.setStyle(style);
    const PhotoTool kinds[] = {PhotoTool::Line,           PhotoTool::RadiusCircle,
                               PhotoTool::Rectangle,      PhotoTool::ThreePointAngle,
                               PhotoTool::ContinuousLine, PhotoTool::Polygon,
                               PhotoTool::DiameterCircle, PhotoTool::ThreePointCircle,
                               PhotoTool::FourPointAngle, PhotoTool::Text};
    for (int i = 0; i < 100; ++i) {
        const PhotoTool kind = kinds[i % 10];
        const QPoint o(20 + (i * 53) % 480, 20 + (i * 97) % 360);
        const auto at = [&](int x, int y) { return o + QPoint(x, y); };
        if (kind == PhotoTool::Text) {
            t.setTool(PhotoTool::Select, kNeitherTool);
            t.press(at(0, 0));
            t.setText(QStringLiteral("cell %1").arg(i));
            continue;
        }
        t.setTool(kind, kMeasuringTool);
        t.press(at(0, 0));
        t.press(at(60, 10));
        if (kind == PhotoTool::ContinuousLine) {
            t.press(at(60, 20)); // the first segment's label
            t.press(at(90, 60));
            t.doubleClick(at(90, 60));
            continue;
        }
        if (kind == PhotoTool::Polygon) {
            t.press(at(30, 60));
            t.doubleClick(at(30, 60));
        } else if (kind == PhotoTool::ThreePointAngle || kind == PhotoTool::ThreePointCircle) {
            t.press(at(20, 70));
        } else if (kind == PhotoTool::FourPointAngle) {
            t.press(at(0, 40));
            t.press(at(50, 80));
        }
        t.press(at(70, 30)); // the label
    }
    canvas->resize(640, 480);
    return canvas;
}

void BM_CanvasPaint(benchmark::State &state)
{
    const std::unique_ptr<CSubPicture> canvas = canvasWithShapes(false);
    if (canvas->tools().list().count() != 100) {
        state.SkipWithError("the shapes were not all made");
        return;
    }
    QImage target(640, 480, QImage::Format_RGB32);
    for (auto _ : state) {
        canvas->redraw(); // as after a change: picture, shapes and caption again
        canvas->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    if (canvas->shown().size() != QSize(640, 480))
        state.SkipWithError("the canvas did not paint");
}

// Moving the pointer while a shape is drawn: the band over the cached picture only.
void BM_CanvasRubberBand(benchmark::State &state)
{
    const std::unique_ptr<CSubPicture> canvas = canvasWithShapes(false);
    canvas->tools().setTool(PhotoTool::Rectangle, kDrawingTool);
    canvas->tools().press({100, 100});
    QImage target(640, 480, QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        canvas->tools().move({300 + step % 100, 300});
        ++step;
        canvas->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_RenderForSave(benchmark::State &state)
{
    const std::unique_ptr<CSubPicture> canvas = canvasWithShapes(false);
    for (auto _ : state) {
        const QImage saved = canvas->renderForSave();
        benchmark::DoNotOptimize(saved.constBits());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * 2592 * 1944 * 3);
}

BENCHMARK(BM_CanvasPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CanvasRubberBand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderForSave)->Unit(benchmark::kMillisecond);

} // namespace

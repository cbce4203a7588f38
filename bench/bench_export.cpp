// The measurement export: 10,000 measured shapes into a new .xls and .xlsx, and appended to a
// workbook that already holds 50,000 rows (read back, kept as the backup sheet, rewritten).
#include "base/language.h"
#include "base/prompt.h"
#include "measure/measurement_export.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace quelmar::station;

// Answers every save dialog with one path.
class FixedPathPrompt final : public Prompt {
public:
    QString path;
    PromptAnswer message(const QString &, const QString &, PromptIcon, PromptButtons) override
    {
        return PromptAnswer::Ok;
    }
    std::optional<QString> openFile(const FileDialogRequest &) override { return path; }
    std::optional<QString> saveFile(const FileDialogRequest &) override { return path; }
    std::optional<QColor> chooseColor(const QColor &) override { return std::nullopt; }
    std::optional<FontChoice> chooseFont(const QFont &, const QColor &) override
    {
        return std::nullopt;
    }
    int runDialog(QDialog &) override { return 0; }
};

// Shapes of every photo kind in turn, each with its own values.
void fill(ShapeList &list, int count)
{
    const ShapeKind kinds[] = {ShapeKind::Line,
                               ShapeKind::ContinuousLine,
                               ShapeKind::Rectangle,
                               ShapeKind::Polygon,
                               ShapeKind::RadiusCircle,
                               ShapeKind::DiameterCircle,
                               ShapeKind::ThreePointCircle,
                               ShapeKind::ThreePointAngle,
                               ShapeKind::FourPointAngle};
    for (int i = 0; i < count; ++i) {
        auto shape = std::make_unique<CGraph>();
        const ShapeKind kind = kinds[i % 9];
        shape->kind = int(kind);
        shape->prefix = namePrefix(kind);
        shape->sequenceNumber = i + 1;
        shape->measurement = 1;
        for (qsizetype v = 0; v < labelPrefixes(kind).size(); ++v)
            shape->addValue(QString::number(i * 0.001 + v, 'f', 3), QStringLiteral("mm"));
        list.add(std::move(shape));
    }
}

void exportOnce(benchmark::State &state, const ShapeList &shapes, FixedPathPrompt &prompt)
{
    const Language language;
    if (exportMeasurements(shapes, ShapeNumbering::Photo, prompt, language) !=
        ExportResult::Written)
        state.SkipWithError("export failed");
}

void BM_Export(benchmark::State &state, const char *suffix)
{
    ShapeList shapes;
    fill(shapes, 10000);
    QTemporaryDir dir;
    FixedPathPrompt prompt;
    prompt.path = dir.filePath(QStringLiteral("bench")) + QLatin1String(suffix);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(prompt.path);
        state.ResumeTiming();
        exportOnce(state, shapes, prompt);
    }
}

void BM_Append50k(benchmark::State &state, const char *suffix)
{
    ShapeList old;
    fill(old, 50000);
    ShapeList shapes;
    fill(shapes, 10000);
    QTemporaryDir dir;
    FixedPathPrompt prompt;
    const QString base = dir.filePath(QStringLiteral("base")) + QLatin1String(suffix);
    prompt.path = base;
    exportOnce(state, old, prompt); // about 50,000 rows: the data and the group titles
    prompt.path = dir.filePath(QStringLiteral("bench")) + QLatin1String(suffix);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(prompt.path);
        QFile::copy(base, prompt.path);
        state.ResumeTiming();
        exportOnce(state, shapes, prompt);
    }
}

void BM_ExportXls(benchmark::State &state)
{
    BM_Export(state, ".xls");
}
void BM_ExportXlsx(benchmark::State &state)
{
    BM_Export(state, ".xlsx");
}
void BM_AppendXls50k(benchmark::State &state)
{
    BM_Append50k(state, ".xls");
}
void BM_AppendXlsx50k(benchmark::State &state)
{
    BM_Append50k(state, ".xlsx");
}

BENCHMARK(BM_ExportXls)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendXls50k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendXlsx50k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Measuring on the live picture through the main window with the demo camera: the mouse on
// the preview, the calibration dialog and message 0x8009, and stills that carry the marks
// where the preview showed them (read back with ImageMagick).
#include "base/cap_config.h"
#include "base/command_ids.h"
#include "base/station_paths.h"
#include "capture/preview_widget.h"
#include "measure/calibration.h"
#include "measure/calibration_dlg.h"
#include "measure/live_measure.h"
#include "recording_sound.h"
#include "scripted_prompt.h"
#include "shell/bitmap_check_button.h"
#include "shell/scopedesk_dlg.h"
#include "temp_home.h"

#include <camera/synthetic/synthetic_camera.h>

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quelmar::station;
using namespace quelmar;

namespace {

class LiveWindow : public ::testing::Test {
protected:
    test::TempHome home;
    test::ScriptedPrompt prompt;
    test::RecordingSound sound;
    std::shared_ptr<SyntheticCameraHub> hub;
    std::unique_ptr<SyntheticBackend> backend;
    std::unique_ptr<SyntheticDeviceMonitor> monitor;
    std::unique_ptr<CScopeDeskDlg> window;

    void open(QSize size)
    {
        qputenv("SCOPEDESK_SHARE_DIR", home.path().toLocal8Bit());
        SyntheticCameraOptions options;
        options.formats.push_back({1920, 1080, PixelFormat::Mjpg});
        hub = std::make_shared<SyntheticCameraHub>(std::move(options));
        backend = std::make_unique<SyntheticBackend>(hub);
        monitor = std::make_unique<SyntheticDeviceMonitor>(hub);
        CapConfig c;
        c.avgTimePerFrame = 333333;
        c.bmi.width = size.width();
        c.bmi.height = size.height();
        writeCapConfig(StationPaths::capConfigFile(), c);
        window = std::make_unique<CScopeDeskDlg>(
            StationServices{&prompt, &sound, monitor.get(), backend.get()});
        ASSERT_TRUE(window->isConnected());
        window->show(); // the preview gets its back buffer at its own size
    }

    // A mouse event on the preview at a live point: the preview sits at (193, 34) of the
    // client area, the live area at (193, 33).
    void mouse(QEvent::Type type, QPoint live, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPointF at(live.x(), live.y() - 1);
        QMouseEvent event(type, at, window->preview()->mapToGlobal(at), button,
                          type == QEvent::MouseMove ? Qt::NoButton : button, Qt::NoModifier);
        QApplication::sendEvent(window->preview(), &event);
    }
    void click(QPoint live) { mouse(QEvent::MouseButtonPress, live); }

    QLineEdit *scaleBox() const { return window->findChildren<QLineEdit *>().at(0); }

    // One pixel of a written picture, read by ImageMagick as "r,g,b".
    static QString pixel(const QString &path, QPoint at)
    {
        int rc = -1;
        const QByteArray out = test::runTool(
            QStringLiteral("/usr/bin/convert"),
            {path, QStringLiteral("-crop"), QStringLiteral("1x1+%1+%2").arg(at.x()).arg(at.y()),
             QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("txt:-")},
            &rc);
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("\\((\\d+),(\\d+),(\\d+)"))
                .match(QString::fromLatin1(out));
        return rc == 0 && m.hasMatch() ? m.captured(1) + u',' + m.captured(2) + u',' + m.captured(3)
                                       : QString::fromLatin1(out);
    }
};

TEST_F(LiveWindow, CalibrationThroughTheDialogStoresTheEntryAndFillsTheScaleBox)
{
    open({640, 480}); // sensor class 3: 0.1 mm per pixel at scale 10
    prompt.onDialog = [](QDialog &d) {
        auto *calibration = dynamic_cast<CCabrationDlg *>(&d);
        if (!calibration)
            return int(QDialog::Rejected);
        calibration->distanceEdit()->setText(QStringLiteral("2"));
        calibration->accept();
        return d.result();
    };
    window->onCommand(cmd::Calibration);
    EXPECT_TRUE(window->button(cmd::Calibration)->isCheckedFlag());
    QSignalSpy scaleShown(scaleBox(), &QLineEdit::textChanged);
    click({100, 100});
    mouse(QEvent::MouseMove, {250, 100});
    click({300, 100});
    click({120, 130});
    // Message 0x8009 arrives after the dialog: 200 x 0.1 x 10 / 2 = 100.0.
    ASSERT_TRUE(scaleShown.wait(3000));
    EXPECT_EQ(scaleBox()->text(), QStringLiteral("100.0"));
    EXPECT_EQ(test::readAll(StationPaths::calibrationFile()), QByteArray("[60]\n60=100.0\n"));
    EXPECT_EQ(window->measureScale().scale(), 100.0);
    const CGraph &line = *window->liveMeasure().shapes().at(0);
    EXPECT_EQ(line.values, QVector<QString>{QStringLiteral("2.000")});
    EXPECT_FALSE(window->button(cmd::Calibration)->isCheckedFlag());
    EXPECT_TRUE(window->button(cmd::ToolLine)->isCheckedFlag());

    // The right button ends the tool; the buttons follow.
    mouse(QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
    EXPECT_FALSE(window->button(cmd::ToolLine)->isCheckedFlag());
    EXPECT_EQ(window->liveMeasure().tool(), LiveTool::None);
}

TEST_F(LiveWindow, ExportTheLiveMeasurementsFromTheToolMenu)
{
    open({640, 480});
    window->onCommand(cmd::ToolLine);
    click({100, 100});
    click({300, 100});
    click({120, 130});
    ASSERT_EQ(window->liveMeasure().shapes().count(), 1);
    const QString path = home.file(QStringLiteral("live.csv"));
    prompt.fileAnswers.push_back(path);
    window->onCommand(cmd::ExportToExcel);
    ASSERT_EQ(prompt.fileRequests.size(), 1u);
    // Read by Python's csv module: the title row, then the line with its number and value.
    int rc = -1;
    const QByteArray rows = test::runTool(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import csv,sys\nfor r in csv.reader(open(sys.argv[1], newline='', "
                        "encoding='utf-8')): print('|'.join(c for c in r if c))"),
         path},
        &rc);
    ASSERT_EQ(rc, 0) << rows.toStdString();
    const CGraph &line = *window->liveMeasure().shapes().at(0);
    EXPECT_TRUE(rows.contains(line.values.at(0).toUtf8())) << rows.toStdString();
    EXPECT_TRUE(rows.contains("Length(mm)")) << rows.toStdString();
}

struct StillCase {
    QSize size;
    QPoint lineStart; // where live (100, 100) and (200, 100) land on the frame
    QPoint lineEnd;
};

class LiveStills : public LiveWindow, public ::testing::WithParamInterface<StillCase> {};

TEST_P(LiveStills, CarryTheLineAndTheCrosshairAtTheMappedPositions)
{
    const StillCase c = GetParam();
    open(c.size);
    window->onCommand(cmd::ToolLine);
    click({100, 100});
    click({200, 100});
    click({20, 400}); // the label, out of the way
    window->onCommand(cmd::Crosshair);
    ASSERT_EQ(window->liveMeasure().shapes().count(), 1);
    EXPECT_FALSE(window->button(cmd::ToolLine)->isCheckedFlag()) << "overlay commands release";

    window->settings().imageFormat = 1; // BMP: the pixels come back exactly
    QSignalSpy saved(window.get(), &CScopeDeskDlg::stillSaved);
    window->onCommand(cmd::TakePicture);
    ASSERT_TRUE(saved.wait(10000));
    const QFileInfo thumbnail(saved.at(0).at(0).toString());
    const QString still = thumbnail.path() + QStringLiteral("/tmp/") + thumbnail.fileName();
    const QString red = QStringLiteral("255,0,0");
    const QString white = QStringLiteral("255,255,255");
    EXPECT_EQ(pixel(still, c.lineStart), red);
    EXPECT_EQ(pixel(still, (c.lineStart + c.lineEnd) / 2), red);
    EXPECT_EQ(pixel(still, c.lineEnd), red);
    EXPECT_NE(pixel(still, c.lineEnd + QPoint(3, 0)), red);
    EXPECT_NE(pixel(still, c.lineStart - QPoint(3, 0)), red);
    EXPECT_EQ(pixel(still, {c.size.width() / 2, 7}), white);
    EXPECT_EQ(pixel(still, {c.size.width() - 9, c.size.height() / 2}), white);

    // The moving picture shows them in preview pixels.
    const std::uint64_t produced = hub->framesProduced();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hub->framesProduced() >= produced + 2; }, 5000));
    const QImage preview = window->preview()->grab().toImage();
    EXPECT_EQ(preview.pixel(150, 100), qRgb(255, 0, 0));
    EXPECT_EQ(preview.pixel(320, 10), qRgb(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(Sizes, LiveStills,
                         ::testing::Values(StillCase{{640, 480}, {100, 100}, {200, 100}},
                                           StillCase{{1600, 1200}, {250, 250}, {500, 250}},
                                           // Shown 1120 x 480: x by 1920 / 1120, y by 1080 / 480.
                                           StillCase{{1920, 1080}, {171, 225}, {342, 225}}),
                         [](const auto &info) {
                             return std::to_string(info.param.size.width()) + "x" +
                                    std::to_string(info.param.size.height());
                         });

} // namespace

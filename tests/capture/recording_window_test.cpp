// Recording through the main window with the demo camera: the Record command and F3/F4, the
// recorder settings dialog, the clock and its limit, the start failures, and the recording
// closed properly by Stop, the time limit, a size change, an unplugged camera and closing.
// Every file is checked with ffprobe.
#include "base/command_ids.h"
#include "capture/avi_setting_dlg.h"
#include "capture/compressor_dlg.h"
#include "capture/preview_widget.h"
#include "capture/video_cap_wnd.h"
#include "capture/video_recording.h"
#include "demo_station.h"
#include "file_size_limit.h"
#include "library/media_library.h"
#include "library/small_picture_wnd.h"
#include "recording_sound.h"
#include "scripted_prompt.h"
#include "shell/bitmap_check_button.h"
#include "shell/scopedesk_dlg.h"
#include "temp_home.h"
#include "video_probe.h"

#include <camera/synthetic/synthetic_camera.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace quelmar::station;
using namespace quelmar;

namespace {

constexpr int kDemoRate = 11; // the table's rate at 640 x 480, and the demo camera's pace
constexpr QSize kHighSize(1280, 1024);

// A camera of sensor class 1: its high size is quick for the demo camera to start at.
SyntheticCameraOptions classOneCamera()
{
    SyntheticCameraOptions options;
    options.formats = {{640, 480, PixelFormat::Yuyv},
                       {800, 600, PixelFormat::Mjpg},
                       {1280, 1024, PixelFormat::Mjpg}};
    return options;
}

class RecordingWindowTest : public ::testing::Test {
protected:
    explicit RecordingWindowTest(SyntheticCameraOptions camera = classOneCamera())
        : station(std::move(camera))
    {}

    test::DemoStation station;
    test::ScriptedPrompt &prompt = station.prompt;
    test::RecordingSound &sound = station.sound;
    std::shared_ptr<SyntheticCameraHub> &hub = station.hub;
    std::unique_ptr<CScopeDeskDlg> &window = station.window;
    int settingsDialogs = 0;

    void SetUp() override { ASSERT_TRUE(window->isConnected()); }

    VideoRecording &recording() { return window->recording(); }
    QString videoDir() const { return window->library()->current().videoDir; }
    QStringList videos() const
    {
        return QDir(videoDir()).entryList({QStringLiteral("*.avi")}, QDir::Files, QDir::Name);
    }
    QStringList listedVideos() const
    {
        QStringList paths;
        ThumbnailList &list = window->library()->strip()->list(ListKind::Videos);
        for (const ThumbnailItem &item : list.items())
            paths << item.path;
        return paths;
    }

    // Answers the recorder settings dialog: `adjust` looks at it, then OK when it is enabled.
    void answerSettings(std::function<void(CAVISettingDlg &)> adjust = {}, bool ok = true)
    {
        prompt.onDialog = [this, adjust, ok](QDialog &d) {
            auto *dialog = dynamic_cast<CAVISettingDlg *>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            ++settingsDialogs;
            if (adjust)
                adjust(*dialog);
            if (ok && dialog->okButton()->isEnabled())
                return int(QDialog::Accepted);
            dialog->reject();
            return int(QDialog::Rejected);
        };
    }

    bool waitForWritten(std::int64_t frames)
    {
        return QTest::qWaitFor([&] { return recording().liveCounts().written >= frames; }, 10000);
    }

    bool sendKey(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        return QApplication::sendEvent(window->preview(), &press);
    }

    QSize captureSize() const
    {
        return {window->captureState().captureWidth, window->captureState().captureHeight};
    }
};

TEST_F(RecordingWindowTest, RecordsAClipThatPlaysAtTheSpeedItWasTaken)
{
    QStringList entries;
    QString shownSize;
    answerSettings([&](CAVISettingDlg &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Recorder Setting"));
        for (int i = 0; i < d.sizeList()->count(); ++i)
            entries << d.sizeList()->itemText(i);
        shownSize = d.sizeList()->currentText();
        EXPECT_TRUE(d.okButton()->isEnabled());
        EXPECT_EQ(d.frameRate()->value(), 15);
        EXPECT_EQ(d.seconds()->value(), 10);
        EXPECT_TRUE(d.timeLimit()->isChecked());
    });
    window->onCommand(cmd::TakeVideo);
    QElapsedTimer wall;
    wall.start();
    ASSERT_TRUE(window->isRecording());
    EXPECT_TRUE(entries.contains(QStringLiteral("640X480")));
    EXPECT_EQ(entries, (QStringList{"640X480", "800X600", "1280X1024"}));
    EXPECT_EQ(shownSize, QStringLiteral("640X480"));
    EXPECT_TRUE(window->isRecordDown());
    EXPECT_FALSE(window->isPreviewDown());
    EXPECT_TRUE(recording().clock().isActive());
    EXPECT_EQ(recording().timeLimit(), 10);

    ASSERT_TRUE(waitForWritten(12));
    EXPECT_TRUE(sendKey(Qt::Key_F4));
    const double recordedWall = wall.elapsed() / 1000.0;
    EXPECT_FALSE(window->isRecording());
    EXPECT_TRUE(window->isPreviewDown());
    EXPECT_FALSE(window->isRecordDown());
    EXPECT_FALSE(recording().clock().isActive());
    EXPECT_EQ(captureSize(), kHighSize) << "the class's high size after recording";
    const std::vector<Sound> played = sound.played();
    EXPECT_EQ(std::count(played.begin(), played.end(), Sound::RecordStartStop), 2);

    ASSERT_EQ(videos().size(), 1);
    const QString path = videoDir() + u'/' + videos().front();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Video_\\d{4}-\\d\\d-\\d\\d_\\d{6}_N0001\\.avi$"))
            .match(videos().front())
            .hasMatch())
        << videos().front().toStdString();
    EXPECT_EQ(listedVideos(), QStringList{path});
    EXPECT_EQ(window->library()->strip()->list(ListKind::Videos).firstSelected(), 0);

    const RecordingCounts counts = recording().lastCounts();
    EXPECT_EQ(counts.dropped, 0);
    EXPECT_EQ(counts.refused, 0);
    const std::optional<test::VideoProbe> probe = test::probeVideo(path);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->codec, QStringLiteral("rawvideo"));
    EXPECT_EQ(probe->width, 640);
    EXPECT_EQ(probe->height, 480);
    EXPECT_EQ(probe->readPackets, counts.written);
    EXPECT_EQ(probe->frames, counts.lastPosition + 1);
    // The file lasts as long as the recording did: one frame interval of slack for where the
    // first and the last frame fall, and the camera's own start.
    const double interval = 1.0 / kDemoRate;
    EXPECT_NEAR(probe->duration, counts.lastSeconds + interval, interval);
    EXPECT_NEAR(probe->duration, recordedWall, 2 * interval);

    // The next recording continues the numbering.
    window->onCommand(cmd::TakeVideo);
    ASSERT_TRUE(window->isRecording());
    window->onCommand(cmd::TakeVideo);
    ASSERT_EQ(videos().size(), 2);
    EXPECT_TRUE(videos().at(1).endsWith(QStringLiteral("_N0002.avi")));
}

// A directory named like a video is reported without a title and does not count.
TEST_F(RecordingWindowTest, DirectoryAmongTheVideosIsReportedAndSkipped)
{
    ASSERT_TRUE(QDir(videoDir()).mkdir(QStringLiteral("Video_N0005.avi")));
    answerSettings();
    window->onCommand(cmd::TakeVideo);
    ASSERT_TRUE(window->isRecording());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("AVI Error"));
    EXPECT_TRUE(prompt.messages[0].title.isEmpty());
    window->onCommand(cmd::TakeVideo);
    ASSERT_EQ(listedVideos().size(), 1);
    EXPECT_TRUE(listedVideos().front().endsWith(QStringLiteral("_N0001.avi")));
}

TEST_F(RecordingWindowTest, F3OnlyStartsAndF4OnlyStops)
{
    answerSettings();
    EXPECT_TRUE(sendKey(Qt::Key_F4));
    EXPECT_EQ(settingsDialogs, 0);
    EXPECT_TRUE(sound.played().empty());

    sendKey(Qt::Key_F3);
    EXPECT_EQ(settingsDialogs, 1);
    ASSERT_TRUE(window->isRecording());
    sendKey(Qt::Key_F3);
    EXPECT_EQ(settingsDialogs, 1);
    EXPECT_TRUE(window->isRecording());
    sendKey(Qt::Key_F4);
    EXPECT_FALSE(window->isRecording());
    EXPECT_EQ(videos().size(), 1);
}

TEST_F(RecordingWindowTest, CancelBringsBackTheHighSize)
{
    QSize sizeWhileOpen;
    answerSettings([&](CAVISettingDlg &) { sizeWhileOpen = captureSize(); }, false);
    window->onCommand(cmd::TakeVideo);
    EXPECT_EQ(sizeWhileOpen, QSize(640, 480));
    EXPECT_EQ(captureSize(), kHighSize);
    EXPECT_FALSE(window->isRecording());
    EXPECT_FALSE(recording().clock().isActive());
    EXPECT_TRUE(videos().isEmpty());
}

struct LimitCase {
    bool limited;
    int expectedLimit;
};

class RecordingClock : public RecordingWindowTest,
                       public ::testing::WithParamInterface<LimitCase> {};

// The clock counts seconds in its label and closes the recording when it reaches the limit:
// the chosen time, or 1800 seconds without the time check box; half a second later the end
// sound plays and the label empties.
TEST_P(RecordingClock, StopsTheRecordingAtTheLimit)
{
    const LimitCase c = GetParam();
    answerSettings([&](CAVISettingDlg &d) {
        d.seconds()->setValue(10);
        d.timeLimit()->setChecked(c.limited);
        EXPECT_EQ(d.seconds()->isEnabled(), c.limited);
    });
    window->onCommand(cmd::TakeVideo);
    ASSERT_TRUE(window->isRecording());
    EXPECT_EQ(recording().timeLimit(), c.expectedLimit);
    EXPECT_EQ(recording().clock().interval(), 1000);
    QLabel *clock = nullptr;
    for (QLabel *label : window->findChildren<QLabel *>())
        if (label->geometry() == QRect(737, 516, 100, 25))
            clock = label;
    ASSERT_NE(clock, nullptr);

    for (int second = 1; second < c.expectedLimit; ++second)
        recording().onClockTick();
    EXPECT_TRUE(window->isRecording());
    EXPECT_EQ(clock->text(), recordingClockText(c.expectedLimit - 1, QStringLiteral("Seconds")));

    recording().onClockTick();
    EXPECT_FALSE(window->isRecording());
    EXPECT_TRUE(window->isPreviewDown());
    EXPECT_EQ(captureSize(), kHighSize);
    EXPECT_EQ(clock->text(), recordingClockText(c.expectedLimit, QStringLiteral("Seconds")));
    EXPECT_EQ(recording().clock().interval(), 500);
    EXPECT_TRUE(recording().clock().isActive());
    EXPECT_EQ(listedVideos().size(), 1);

    recording().onClockTick();
    EXPECT_FALSE(recording().clock().isActive());
    EXPECT_TRUE(clock->text().isEmpty());
    EXPECT_EQ(sound.played().back(), Sound::TimedRecordingEnd);
}

INSTANTIATE_TEST_SUITE_P(Limits, RecordingClock,
                         ::testing::Values(LimitCase{true, 10}, LimitCase{false, 1800}));

TEST(RecordingClockText, PadsTheSecondsToTwoPlaces)
{
    EXPECT_EQ(recordingClockText(5, QStringLiteral("Seconds")), QStringLiteral(" 5 Seconds"));
    EXPECT_EQ(recordingClockText(1800, QStringLiteral("Sekunden")),
              QStringLiteral("1800 Sekunden"));
}

struct StartFailureCase {
    const char *name;
    const char *title;
    const char *text;
    std::function<std::unique_ptr<AviWriter>(QString, AviWriterSettings, AviFailure *)> open;
};

void PrintTo(const StartFailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class StartFailures : public RecordingWindowTest,
                      public ::testing::WithParamInterface<StartFailureCase> {};

// Each step of the start that fails shows its message, leaves the station in the preview
// state, and leaves no file on disk and none in the strip.
TEST_P(StartFailures, LeaveNoFileAndNoStripEntry)
{
    const StartFailureCase c = GetParam();
    recording().setWriterFactory(
        [&](const QString &path, const AviWriterSettings &settings, AviFailure *failure) {
            return c.open(path, settings, failure);
        });
    answerSettings();
    window->onCommand(cmd::TakeVideo);
    EXPECT_FALSE(window->isRecording());
    EXPECT_FALSE(window->isRecordDown());
    EXPECT_TRUE(window->isPreviewDown());
    EXPECT_FALSE(recording().clock().isActive());
    ASSERT_FALSE(prompt.messages.empty());
    EXPECT_EQ(prompt.messages.back().title, QString::fromLatin1(c.title));
    EXPECT_EQ(prompt.messages.back().text, QString::fromLatin1(c.text));
    EXPECT_EQ(prompt.messages.back().icon, PromptIcon::Error);
    EXPECT_TRUE(QDir(videoDir()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(listedVideos().isEmpty());
    EXPECT_FALSE(window->captureState().recording);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StartFailures,
    ::testing::Values(
        StartFailureCase{"OpenFile", "AVI Capture", "Open avi file failed(0xFFFFFFFE:0)",
                         [](QString path, AviWriterSettings s, AviFailure *f) {
                             return AviWriter::open(QFileInfo(path).path() + "/gone/x.avi", s, f);
                         }},
        StartFailureCase{"CreateStream", "AVI Capture", "Create stream failed(0xFFFFFFEA:0)",
                         [](QString path, AviWriterSettings s, AviFailure *f) {
                             s.height = 0;
                             return AviWriter::open(path, s, f);
                         }},
        StartFailureCase{"Compressor", "AVI Capture error", "AVI Capture error",
                         [](QString path, AviWriterSettings s, AviFailure *f) {
                             s.width = 8200;
                             s.height = 16;
                             s.compression.codec = AviCodec::Mpeg4;
                             return AviWriter::open(path, s, f);
                         }},
        StartFailureCase{"StreamFormat", "AVI Capture", "Set stream format failed(0xFFFFFFE5:0)",
                         [](QString path, AviWriterSettings s, AviFailure *f) {
                             const test::FileSizeLimit diskFull(512);
                             return AviWriter::open(path, s, f);
                         }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AviStartFailureMessage, NamesTheFormatProblem)
{
    EXPECT_EQ(
        aviStartFailureMessage({AviStage::StreamFormat, -38, {}, AviFormatProblem::Unsupported})
            .text,
        QStringLiteral("Unsupport compressed format"));
    EXPECT_EQ(aviStartFailureMessage({AviStage::StreamFormat, -22, {}, AviFormatProblem::Bad}).text,
              QStringLiteral("Bad compresse format"));
}

// The Preview button while recording closes the file, stops the clock and shows the live
// picture; the clock left running would later toggle the preview off by itself.
TEST_F(RecordingWindowTest, PreviewButtonClosesTheRecordingAndItsClock)
{
    answerSettings();
    window->onCommand(cmd::TakeVideo);
    ASSERT_TRUE(waitForWritten(2));
    recording().onClockTick();
    window->onCommand(cmd::Preview);
    EXPECT_FALSE(window->isRecording());
    EXPECT_TRUE(window->isPreviewDown());
    EXPECT_FALSE(window->isRecordDown());
    EXPECT_FALSE(recording().clock().isActive());
    EXPECT_TRUE(window->capture()->isRunning());
    EXPECT_EQ(listedVideos().size(), 1);
}

// A disk that fills up mid-recording: the recording runs on, and its close says what happened.
TEST_F(RecordingWindowTest, WriteErrorIsReportedWhenTheRecordingCloses)
{
    answerSettings();
    {
        const test::FileSizeLimit diskFull(256 * 1024); // the headers fit, no 640 x 480 frame
        window->onCommand(cmd::TakeVideo);
        ASSERT_TRUE(window->isRecording());
        ASSERT_TRUE(QTest::qWaitFor([&] { return recording().liveCounts().failed >= 2; }, 10000));
        window->onCommand(cmd::TakeVideo);
    }
    EXPECT_FALSE(window->isRecording());
    EXPECT_TRUE(recording().lastCounts().error.contains(QStringLiteral("too large")))
        << recording().lastCounts().error.toStdString();
    EXPECT_TRUE(window->preview()->statusText().startsWith(
        QStringLiteral("The video could not be written completely: ")))
        << window->preview()->statusText().toStdString();
}

// A camera pulled out mid-recording: the device re-check closes the file properly first.
TEST_F(RecordingWindowTest, UnplugMidRecordingLeavesAPlayableFile)
{
    answerSettings();
    window->onCommand(cmd::TakeVideo);
    ASSERT_TRUE(waitForWritten(5));
    hub->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->recheckCount() >= 1; }, 10000));
    EXPECT_FALSE(window->isRecording());
    EXPECT_FALSE(window->isConnected());
    ASSERT_EQ(listedVideos().size(), 1);
    const std::optional<test::VideoProbe> probe = test::probeVideo(listedVideos().front());
    ASSERT_TRUE(probe);
    EXPECT_GE(probe->readPackets, 5);
    EXPECT_EQ(probe->frames, recording().lastCounts().lastPosition + 1)
        << "the index was written: the file was closed, not cut";
}

TEST_F(RecordingWindowTest, ClosingTheStationMidRecordingClosesTheFile)
{
    answerSettings();
    window->onCommand(cmd::TakeVideo);
    ASSERT_TRUE(waitForWritten(5));
    const QString dir = videoDir();
    prompt.answers = {PromptAnswer::Yes};
    window->show();
    EXPECT_TRUE(window->close());
    const QStringList files = QDir(dir).entryList({QStringLiteral("*.avi")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const std::optional<test::VideoProbe> probe = test::probeVideo(dir + u'/' + files.front());
    ASSERT_TRUE(probe);
    EXPECT_GE(probe->readPackets, 5);
    EXPECT_GT(probe->frames, 0) << "the index was written";
}

// F12 mid-recording: the recording is closed before the camera changes size, so no frame of
// the new size enters it.
TEST_F(RecordingWindowTest, SizeChangeClosesTheRecordingFirst)
{
    answerSettings();
    window->onCommand(cmd::TakeVideo);
    ASSERT_TRUE(waitForWritten(3));
    sendKey(Qt::Key_F12);
    EXPECT_FALSE(window->isRecording());
    EXPECT_FALSE(window->isRecordDown());
    EXPECT_EQ(captureSize(), kHighSize);
    EXPECT_EQ(recording().lastCounts().refused, 0);
    ASSERT_EQ(listedVideos().size(), 1);
    const std::optional<test::VideoProbe> probe = test::probeVideo(listedVideos().front());
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->width, 640);
}

// The Compress button offers the encoders; the choice is probed at the recording's size
// outside the workspace and kept for the next recordings; the user's own test.avi in the
// video folder is never touched.
TEST_F(RecordingWindowTest, ChosenCompressorIsProbedAndKept)
{
    ASSERT_TRUE(test::writeAll(videoDir() + QStringLiteral("/test.avi"), "mine"));
    QStringList offered;
    QString title;
    // One answer for both dialogs: the chooser opens inside the settings dialog's own run,
    // so the handler must not be replaced while it runs.
    prompt.onDialog = [&](QDialog &d) {
        if (auto *chooser = dynamic_cast<CompressorDlg *>(&d)) {
            title = chooser->windowTitle();
            for (int i = 0; i < chooser->list()->count(); ++i)
                offered << chooser->list()->item(i)->text();
            EXPECT_FALSE(chooser->quality()->isEnabled()) << "uncompressed has no quality";
            chooser->list()->setCurrentRow(1);
            EXPECT_TRUE(chooser->quality()->isEnabled());
            return int(QDialog::Accepted);
        }
        auto *dialog = dynamic_cast<CAVISettingDlg *>(&d);
        if (!dialog)
            return int(QDialog::Rejected);
        ++settingsDialogs;
        dialog->compressButton()->click();
        if (dialog->okButton()->isEnabled())
            return int(QDialog::Accepted);
        dialog->reject();
        return int(QDialog::Rejected);
    };
    window->onCommand(cmd::TakeVideo);
    EXPECT_EQ(title, QStringLiteral("Compress Format Selection"));
    ASSERT_GE(offered.size(), 4);
    EXPECT_EQ(offered.at(0), QStringLiteral("Uncompressed (24-bit RGB)"));
    EXPECT_EQ(offered.at(1), QStringLiteral("Motion JPEG"));
    EXPECT_EQ(recording().compression().codec, AviCodec::MotionJpeg);
    ASSERT_TRUE(window->isRecording());
    ASSERT_TRUE(waitForWritten(3));
    window->onCommand(cmd::TakeVideo);

    EXPECT_EQ(test::readAll(videoDir() + QStringLiteral("/test.avi")), QByteArray("mine"));
    const QStringList files = videos();
    ASSERT_EQ(files.size(), 2);
    const std::optional<test::VideoProbe> probe = test::probeVideo(videoDir() + u'/' + files.at(0));
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->codec, QStringLiteral("mjpeg"));
    EXPECT_EQ(files.at(0).right(10), QStringLiteral("_N0001.avi"))
        << "test.avi has no number and does not count";
}

// A camera without 640 x 480: OK stays disabled until a size the camera has is picked.
SyntheticCameraOptions cameraWithout640()
{
    SyntheticCameraOptions options;
    options.formats = {{800, 600, PixelFormat::Mjpg}, {1280, 1024, PixelFormat::Mjpg}};
    return options;
}

class CameraWithout640 : public RecordingWindowTest {
protected:
    CameraWithout640() : RecordingWindowTest(cameraWithout640()) {}
};

TEST_F(CameraWithout640, OkFollowsASizeThatCouldBeSet)
{
    bool okAtOpening = true;
    bool okAfterPick = false;
    answerSettings([&](CAVISettingDlg &d) {
        okAtOpening = d.okButton()->isEnabled();
        const int index = d.sizeList()->findText(QStringLiteral("800X600"));
        ASSERT_GE(index, 0);
        d.sizeList()->setCurrentIndex(index);
        Q_EMIT d.sizeList()->activated(index);
        okAfterPick = d.okButton()->isEnabled();
    });
    window->onCommand(cmd::TakeVideo);
    EXPECT_FALSE(okAtOpening);
    EXPECT_TRUE(okAfterPick);
    ASSERT_TRUE(window->isRecording());
    EXPECT_EQ(captureSize(), QSize(800, 600));
    window->onCommand(cmd::TakeVideo);
    ASSERT_EQ(listedVideos().size(), 1);
    const std::optional<test::VideoProbe> probe = test::probeVideo(listedVideos().front());
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->width, 800);
}

} // namespace

// The recorder: its states, the poster, every second frame at ten per second, the clock, the
// 640 x 480 rule, and recordings that are always finished: stopped, cut by finishNow in any
// state, by the stream's end, by closing the window and by SIGTERM. Files are checked with
// ffprobe and ImageMagick.
#include "viewer_test_support.h"
#include "wifiscope_sim.h"

#include "app/orbilux_window.h"
#include "app/video_recorder.h"

#include "file_size_limit.h"
#include "probed_video.h"
#include "temp_home.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;
using quelmar::test::ProbedVideo;
using quelmar::test::probeVideo;
using quelmar::test::WifiscopeSim;

constexpr int kWaitMs = 15000;

QImage frame(QColor colour = Qt::darkGreen, QSize size = {640, 480})
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

void expectPlayable(const QString &path, int frames)
{
    const ProbedVideo video = probeVideo(path);
    ASSERT_TRUE(video.readable) << path.toStdString();
    EXPECT_EQ(video.codec, QStringLiteral("h264"));
    EXPECT_EQ(video.width, 640);
    EXPECT_EQ(video.height, 480);
    EXPECT_EQ(video.pixelFormat, QStringLiteral("yuv420p"));
    EXPECT_EQ(video.timeBase, QStringLiteral("1/10"));
    if (frames >= 0)
        EXPECT_EQ(video.frames, frames);
    else
        EXPECT_GT(video.frames, 0);
}

class Recorder : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QString videos() const { return dir_.path() + u'/'; }
    quelmar::test::RecordingViewerSound sound_;
    VideoRecorder recorder_{&sound_};
};

TEST_F(Recorder, StatesPosterAndEverySecondFrameAtTenPerSecond)
{
    QSignalSpy posters(&recorder_, &VideoRecorder::posterSaved);
    QSignalSpy finished(&recorder_, &VideoRecorder::recordingFinished);
    ASSERT_EQ(recorder_.TakeRecord(videos()), VideoRecorder::Press::Started);
    EXPECT_EQ(recorder_.recordcapture(), VideoRecorder::kStartRequested);
    EXPECT_TRUE(recorder_.recordTimer().isActive());
    EXPECT_EQ(recorder_.TakeRecord(videos()), VideoRecorder::Press::Ignored);
    const QString video = recorder_.videoFileName();
    EXPECT_TRUE(video.startsWith(videos()) && video.endsWith(u".mp4"));

    recorder_.recordingVideo(frame(Qt::red)); // the poster only
    EXPECT_EQ(recorder_.recordcapture(), VideoRecorder::kRecording);
    ASSERT_TRUE(posters.wait(kWaitMs));
    ASSERT_EQ(posters.count(), 1);
    EXPECT_EQ(posters.at(0).at(0).toString(), video + QStringLiteral(".jpg"));
    EXPECT_EQ(quelmar::test::identify(video + QStringLiteral(".jpg")),
              QStringLiteral("JPEG 640 480"));

    // A camera at 30 frames a second for one second: 15 kept, laid out at ten a second.
    for (int i = 0; i < 30; ++i)
        recorder_.recordingVideo(frame(i % 2 ? Qt::blue : Qt::yellow));
    EXPECT_EQ(recorder_.framesKept() + recorder_.framesDropped(), 15);
    EXPECT_EQ(recorder_.frameCount(), 16);

    ASSERT_EQ(recorder_.TakeRecord(videos()), VideoRecorder::Press::Stopped);
    EXPECT_EQ(recorder_.recordcapture(), VideoRecorder::kStopRequested);
    EXPECT_FALSE(recorder_.recordTimer().isActive());
    EXPECT_EQ(recorder_.TakeRecord(videos()), VideoRecorder::Press::Ignored);
    recorder_.recordingVideo(frame());
    EXPECT_EQ(recorder_.recordcapture(), VideoRecorder::kIdle);
    EXPECT_EQ(recorder_.frameCount(), 1);
    ASSERT_TRUE(finished.wait(kWaitMs));
    EXPECT_TRUE(finished.at(0).at(1).toBool());
    expectPlayable(video, int(recorder_.framesKept()));
    EXPECT_EQ(sound_.played,
              (std::vector<ViewerSoundId>{ViewerSoundId::StartAvi, ViewerSoundId::EndAvi}));
}

TEST_F(Recorder, FinishNowLeavesNoFileWithoutPictureAndAPlayableOneWithAPoster)
{
    // Started, but no frame came: nothing is listed, nothing is left.
    ASSERT_EQ(recorder_.TakeRecord(videos()), VideoRecorder::Press::Started);
    recorder_.finishNow();
    EXPECT_EQ(recorder_.recordcapture(), VideoRecorder::kIdle);
    EXPECT_TRUE(QDir(videos()).entryList(QDir::Files).isEmpty());

    // Only the poster's frame came: the video holds that picture.
    ASSERT_EQ(recorder_.TakeRecord(videos()), VideoRecorder::Press::Started);
    const QString posterOnly = recorder_.videoFileName();
    recorder_.recordingVideo(frame(Qt::magenta, {800, 600}));
    recorder_.finishNow();
    expectPlayable(posterOnly, 1);

    // Stopped, but the frame that ends it never came.
    ASSERT_EQ(recorder_.TakeRecord(videos()), VideoRecorder::Press::Started);
    const QString stopped = recorder_.videoFileName();
    EXPECT_NE(stopped, posterOnly);
    for (int i = 0; i < 9; ++i)
        recorder_.recordingVideo(frame());
    recorder_.TakeRecord(videos());
    recorder_.finishNow();
    expectPlayable(stopped, 4);
    EXPECT_FALSE(recorder_.isWriting(stopped));
}

QImage noise(quint32 seed)
{
    QImage picture(640, 480, QImage::Format_RGB32);
    quint32 state = seed * 2654435761u + 1;
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = 0xff000000u | (state >> 8);
        }
    }
    return picture;
}

// Before, the clock ran on over a file nothing reached any more, and the fault was told only
// when the user stopped.
TEST_F(Recorder, AFailedWriteEndsTheRecordingAndSaysWhy)
{
    QSignalSpy finished(&recorder_, &VideoRecorder::recordingFinished);
    const quelmar::test::FileSizeLimit limit(256 * 1024);
    ASSERT_EQ(recorder_.TakeRecord(videos()), VideoRecorder::Press::Started);
    const QString video = recorder_.videoFileName();
    quint32 seed = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            recorder_.recordingVideo(noise(++seed));
            return recorder_.recordcapture() == VideoRecorder::kIdle;
        },
        kWaitMs));
    EXPECT_FALSE(recorder_.recordTimer().isActive());
    ASSERT_TRUE(finished.count() > 0 || finished.wait(kWaitMs));
    EXPECT_EQ(finished.at(0).at(0).toString(), video);
    EXPECT_FALSE(finished.at(0).at(1).toBool());
    EXPECT_FALSE(finished.at(0).at(2).toString().isEmpty());
    EXPECT_FALSE(recorder_.isWriting(video));
}

struct ClockCase {
    int seconds;
    const char *text;
};

void PrintTo(const ClockCase &c, std::ostream *out)
{
    *out << c.seconds << " s";
}

class RecordingClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(RecordingClock, HoursMinutesSeconds)
{
    VideoRecorder recorder(nullptr);
    QSignalSpy shown(&recorder, &VideoRecorder::statusTextChanged);
    for (int i = 0; i < GetParam().seconds; ++i)
        recorder.tick();
    EXPECT_EQ(recorder.clockText(), QString::fromLatin1(GetParam().text));
    EXPECT_EQ(shown.last().at(0).toString(), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Seconds, RecordingClock,
                         ::testing::Values(ClockCase{1, "00:00:01"}, ClockCase{59, "00:00:59"},
                                           ClockCase{60, "00:01:00"}, ClockCase{3599, "00:59:59"},
                                           ClockCase{3600, "01:00:00"},
                                           ClockCase{3661, "01:01:01"}));

class RecordingController : public ::testing::Test {
protected:
    ViewerServices services(const DeviceAddress &device)
    {
        ViewerServices s{&prompt_, &network_, device};
        s.sound = &sound_;
        return s;
    }
    QStringList videoFiles(const ViewController &controller) const
    {
        return QDir(controller.videoDirectory()).entryList({QStringLiteral("*.mp4")}, QDir::Files);
    }

    quelmar::test::ViewerHome home_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    quelmar::test::RecordingViewerSound sound_;
    FixedWifiNetwork network_{QStringLiteral("AIRLOUPE01")};
};

TEST_F(RecordingController, NeedsAStreamAndRefusesAnAnnounced1280x720)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("2")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    controller.viewDidLoad();
    controller.TakeRecord(); // no stream yet
    EXPECT_EQ(controller.recorder().recordcapture(), VideoRecorder::kIdle);
    QSignalSpy probed(&controller, &ViewController::deviceProbed);
    ASSERT_TRUE(probed.wait(kWaitMs));
    controller.handleWifiPicture(frame(Qt::gray, {1280, 720}));
    controller.TakeRecord();
    EXPECT_EQ(prompt_.alerts, QStringList{QStringLiteral("Please set resolution to 640x480")});
    EXPECT_EQ(controller.recorder().recordcapture(), VideoRecorder::kIdle);
    EXPECT_TRUE(videoFiles(controller).isEmpty());
    EXPECT_TRUE(sound_.played.empty());
}

TEST_F(RecordingController, AStreamThatEndsFinishesTheRecording)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0"), QStringLiteral("--fps"),
                      QStringLiteral("30"), QStringLiteral("--stream-parts"),
                      QStringLiteral("60")});
    ASSERT_TRUE(sim.ready());
    ViewController controller(services(sim.address()));
    controller.viewDidLoad();
    controller.ConnectWiFiCamera();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.framesShown() >= 1; }, kWaitMs));
    controller.TakeRecord();
    ASSERT_EQ(controller.recorder().recordcapture(), VideoRecorder::kStartRequested);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.streamRunning(); }, kWaitMs));
    EXPECT_EQ(controller.recorder().recordcapture(), VideoRecorder::kIdle);
    EXPECT_TRUE(controller.statusText().contains(u"ended"));
    const QStringList files = videoFiles(controller);
    ASSERT_EQ(files.size(), 1);
    const QString video = controller.videoDirectory() + files[0];
    expectPlayable(video, int(controller.recorder().framesKept()));
    // The poster is listed and its video plays.
    ASSERT_EQ(controller.gallery().videos().rowCount(), 1);
    EXPECT_EQ(controller.gallery().videos().pathAt(0), video + QStringLiteral(".jpg"));
}

TEST_F(RecordingController, ClosingTheWindowFinishesTheRecording)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0")});
    ASSERT_TRUE(sim.ready());
    QString video;
    {
        OrbiluxWindow window(services(sim.address()));
        window.show();
        ViewController &controller = window.controller();
        controller.ConnectWiFiCamera();
        ASSERT_TRUE(QTest::qWaitFor([&] { return controller.framesShown() >= 1; }, kWaitMs));
        controller.TakeRecord();
        const quint64 started = controller.framesShown();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return controller.framesShown() >= started + 12; }, kWaitMs));
        video = controller.recorder().videoFileName();
        window.close();
        EXPECT_EQ(controller.recorder().recordcapture(), VideoRecorder::kIdle);
        expectPlayable(video, int(controller.recorder().framesKept()));
    }
    expectPlayable(video, -1);
}

TEST_F(RecordingController, SigtermFinishesTheRecordingOfTheProgram)
{
    WifiscopeSim sim({QStringLiteral("--resolution"), QStringLiteral("0")});
    ASSERT_TRUE(sim.ready());
    QProcess orbilux;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORBILUX_HOME"), home_.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    orbilux.setProcessEnvironment(environment);
    orbilux.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    orbilux.start(QStringLiteral(ORBILUX_PROGRAM),
                  {QStringLiteral("--wifi-host"), QStringLiteral("127.0.0.1"),
                   QStringLiteral("--wifi-web-port"), QString::number(sim.address().webPort),
                   QStringLiteral("--wifi-stream-port"), QString::number(sim.address().streamPort),
                   QStringLiteral("--wifi-network-name"), QStringLiteral("AIRLOUPE01"),
                   QStringLiteral("--connect-wifi"), QStringLiteral("--record")});
    ASSERT_TRUE(orbilux.waitForStarted(kWaitMs));
    const QDir videos(home_.workspace(QStringLiteral("default/Video")));
    // Recording once the poster is there; a few frames more go into the file.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !videos.entryList({QStringLiteral("*.mp4.jpg")}, QDir::Files).isEmpty(); },
        kWaitMs));
    const int parts = sim.state()[QStringLiteral("parts_sent")].toInt();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return sim.state()[QStringLiteral("parts_sent")].toInt() >= parts + 10; }, kWaitMs));
    ::kill(pid_t(orbilux.processId()), SIGTERM);
    ASSERT_TRUE(orbilux.waitForFinished(kWaitMs));
    EXPECT_EQ(orbilux.exitStatus(), QProcess::NormalExit);
    const QStringList files = videos.entryList({QStringLiteral("*.mp4")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    expectPlayable(videos.filePath(files[0]), -1);
}

} // namespace

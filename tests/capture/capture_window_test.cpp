#include "base/command_ids.h"
#include "base/station_paths.h"
#include "capture/capture_sizes.h"
#include "capture/preview_widget.h"
#include "demo_station.h"
#include "library/media_library.h"
#include "library/small_picture_wnd.h"
#include "shell/bitmap_check_button.h"
#include "shell/scopedesk_dlg.h"

#include <camera/synthetic/synthetic_camera.h>
#include <image/bmp_codec.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace quelmar::station;
using namespace quelmar;

namespace {

class CaptureWindowTest : public ::testing::Test, protected test::DemoStation {
protected:
    bool waitFor(const std::function<bool()> &condition)
    {
        for (int i = 0; i < 100 && !condition(); ++i) {
            QSignalSpy spy(&monitor, &DeviceMonitor::deviceChanged);
            spy.wait(50);
        }
        return condition();
    }
};

TEST_F(CaptureWindowTest, TakePictureWritesTheStillAndItsThumbnail)
{
    ASSERT_TRUE(window->isConnected());
    EXPECT_TRUE(window->preview()->statusText().isEmpty());
    EXPECT_EQ(window->sensorClass(), 3);
    QSignalSpy saved(window.get(), &CScopeDeskDlg::stillSaved);
    window->onCommand(cmd::TakePicture);
    ASSERT_TRUE(saved.wait(5000));
    const QString thumbnail = saved.at(0).at(0).toString();
    const QString fullSize =
        QFileInfo(thumbnail).path() + QStringLiteral("/tmp/") + QFileInfo(thumbnail).fileName();
    EXPECT_TRUE(QFileInfo(thumbnail).fileName().endsWith(QStringLiteral("_60X_N0001.jpg")));
    EXPECT_EQ(test::identify(fullSize), QStringLiteral("JPEG 640 480"));
    EXPECT_EQ(test::identify(thumbnail), QStringLiteral("JPEG 60 60"));
    // The still lands in the current folder and appears selected in the strip.
    EXPECT_EQ(QFileInfo(thumbnail).path(), window->library()->current().pictureDir);
    EXPECT_EQ(window->library()->strip()->GetSelected(), fullSize);
    ASSERT_FALSE(sound.played().empty());
    EXPECT_EQ(sound.played().front(), Sound::Shutter);

    // BMP stills number on their own.
    window->settings().imageFormat = 1;
    window->onCommand(cmd::TakePicture);
    ASSERT_TRUE(saved.wait(5000));
    EXPECT_TRUE(saved.at(1).at(0).toString().endsWith(QStringLiteral("_N0001.bmp")));
    EXPECT_EQ(test::identify(saved.at(1).at(0).toString()), QStringLiteral("BMP3 60 60"));
}

// A folder that lost its directories gets them back before the still is written; a still
// that cannot be written is reported, never lost without a word.
TEST_F(CaptureWindowTest, StillIntoABrokenFolderIsWrittenOrReported)
{
    ASSERT_TRUE(window->isConnected());
    const CurrentFolder folder = window->library()->current();
    QDir(folder.fullSizeDir).removeRecursively();
    QDir(folder.videoDir).removeRecursively();
    QSignalSpy saved(window.get(), &CScopeDeskDlg::stillSaved);
    window->onCommand(cmd::TakePicture);
    ASSERT_TRUE(saved.wait(5000));
    const QString thumbnail = saved.at(0).at(0).toString();
    EXPECT_EQ(test::identify(folder.fullSizeDir + u'/' + QFileInfo(thumbnail).fileName()),
              QStringLiteral("JPEG 640 480"));
    EXPECT_TRUE(QFileInfo(folder.videoDir).isDir());

    QDir(folder.pictureDir).removeRecursively();
    ASSERT_TRUE(test::writeAll(folder.pictureDir, "not a directory"));
    window->onCommand(cmd::TakePicture);
    ASSERT_TRUE(waitFor([&] { return !prompt.messages.empty(); }));
    EXPECT_TRUE(prompt.lastText().startsWith(QStringLiteral("The picture could not be saved.")))
        << prompt.lastText().toStdString();
    EXPECT_EQ(prompt.messages.back().icon, PromptIcon::Error);
    EXPECT_EQ(saved.size(), 1);
}

TEST_F(CaptureWindowTest, UnplugAndReplugGoThroughOneRecheckEach)
{
    ASSERT_TRUE(window->isConnected());
    hub->unplug();
    ASSERT_TRUE(waitFor([&] { return window->recheckCount() == 1; }));
    EXPECT_FALSE(window->isConnected());
    EXPECT_FALSE(window->preview()->statusText().isEmpty());
    hub->replug();
    ASSERT_TRUE(waitFor([&] { return window->recheckCount() == 2; }));
    EXPECT_TRUE(window->isConnected());
}

TEST_F(CaptureWindowTest, OperationButtonsActOnStillsAndReleaseTheToolButtons)
{
    window->button(cmd::ToolLine)->setCheckedFlag(true);
    window->onCommand(cmd::BinarySegmentation);
    EXPECT_TRUE(window->button(cmd::BinarySegmentation)->isCheckedFlag());
    EXPECT_FALSE(window->button(cmd::ToolLine)->isCheckedFlag());

    // The snapshot must come from a frame processed after the switch went on.
    const std::uint64_t produced = hub->framesProduced();
    ASSERT_TRUE(waitFor([&] { return hub->framesProduced() >= produced + 2; }));
    window->settings().imageFormat = 1;
    QSignalSpy saved(window.get(), &CScopeDeskDlg::stillSaved);
    window->onCommand(cmd::TakePicture);
    ASSERT_TRUE(saved.wait(5000));
    const QString thumbnail = saved.at(0).at(0).toString();
    QString error;
    std::optional<Frame> read = readBmp(QFileInfo(thumbnail).path() + QStringLiteral("/tmp/") +
                                            QFileInfo(thumbnail).fileName(),
                                        &error);
    ASSERT_TRUE(read) << error.toStdString();
    Frame &still = *read;
    int black = 0;
    int white = 0;
    for (int y = 0; y < still.height(); ++y) {
        const std::uint8_t *row = still.view().row(y);
        for (int x = 0; x < still.width() * 3; x += 3) {
            const bool isBlack = row[x] == 0 && row[x + 1] == 0 && row[x + 2] == 0;
            const bool isWhite = row[x] == 255 && row[x + 1] == 255 && row[x + 2] == 255;
            ASSERT_TRUE(isBlack || isWhite) << "pixel " << x / 3 << "," << y;
            black += isBlack;
            white += isWhite;
        }
    }
    EXPECT_GT(black, 0);
    EXPECT_GT(white, 0);
}

TEST_F(CaptureWindowTest, PreviewOffIsTheBrowsingStateAndRefusesStills)
{
    window->onCommand(cmd::Preview);
    EXPECT_FALSE(window->isPreviewDown());
    window->onCommand(cmd::TakePicture);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please return to the preview state"));
    window->onCommand(cmd::Preview);
    EXPECT_TRUE(window->isPreviewDown());
}

} // namespace

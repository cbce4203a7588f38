// The workspace: start-up with its directories, calibration file and pop-ups, album names and
// the new-album sheet, names that never take an existing file's, and stills through the window.
#include "viewer_test_support.h"
#include "wifiscope_sim.h"

#include "app/gallery.h"
#include "app/j_video_view.h"
#include "app/new_folder_controller.h"
#include "app/orbilux_toolbar.h"
#include "app/orbilux_window.h"
#include "app/workspace.h"

#include "temp_home.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;
using quelmar::test::writeAll;

struct NameCase {
    const char *name;
    Workspace::AlbumCheck check;
};

void PrintTo(const NameCase &c, std::ostream *out)
{
    *out << '"' << c.name << '"';
}

class AlbumNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(AlbumNames, OnlyNewPlainNamesInsideTheWorkspace)
{
    QTemporaryDir outer;
    const QDir root(outer.filePath(QStringLiteral("root")));
    const Workspace workspace(root.path());
    ASSERT_TRUE(workspace.prepare());
    ASSERT_TRUE(writeAll(root.filePath(QStringLiteral("calibration.plist")), "x"));
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("Trip"))));
    const QString name = QString::fromUtf8(GetParam().name);
    EXPECT_EQ(workspace.checkAlbumName(name), GetParam().check) << GetParam().name;
    EXPECT_EQ(workspace.createAlbum(name), GetParam().check == Workspace::AlbumCheck::Ok);
    if (GetParam().check == Workspace::AlbumCheck::Ok) {
        EXPECT_TRUE(QDir(workspace.imageDirectory(name)).exists());
        EXPECT_TRUE(QDir(workspace.videoDirectory(name)).exists());
    }
    // Nothing was made outside the root.
    EXPECT_EQ(QDir(outer.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("root")});
}

INSTANTIATE_TEST_SUITE_P(Names, AlbumNames,
                         ::testing::Values(NameCase{"Sample 1", Workspace::AlbumCheck::Ok},
                                           NameCase{"Ünïcode", Workspace::AlbumCheck::Ok},
                                           NameCase{"", Workspace::AlbumCheck::Empty},
                                           NameCase{"   ", Workspace::AlbumCheck::Empty},
                                           NameCase{"a/b", Workspace::AlbumCheck::Illegal},
                                           NameCase{"../x", Workspace::AlbumCheck::Illegal},
                                           NameCase{"..", Workspace::AlbumCheck::Illegal},
                                           NameCase{".", Workspace::AlbumCheck::Illegal},
                                           NameCase{".hidden", Workspace::AlbumCheck::Illegal},
                                           NameCase{"default", Workspace::AlbumCheck::Exists},
                                           NameCase{"calibration.plist",
                                                    Workspace::AlbumCheck::Exists},
                                           NameCase{"Trip", Workspace::AlbumCheck::Exists}));

TEST(FreeNames, SameSecondNamesGetANumberBeforeTheExtension)
{
    QTemporaryDir dir;
    const QString base = dir.path() + u'/';
    const QString stamp = QStringLiteral("20250101120000");
    EXPECT_EQ(Workspace::freeName(base, stamp, QStringLiteral(".jpg")), base + stamp + ".jpg");
    writeAll(base + stamp + ".jpg", "a");
    EXPECT_EQ(Workspace::freeName(base, stamp, QStringLiteral(".jpg")), base + stamp + "-1.jpg");
    writeAll(base + stamp + "-1.jpg", "b");
    EXPECT_EQ(Workspace::freeName(base, stamp, QStringLiteral(".jpg")), base + stamp + "-2.jpg");
    // A recording's name is taken when only its poster is left.
    writeAll(base + stamp + ".mp4.jpg", "poster");
    EXPECT_EQ(Workspace::freeName(base, stamp, QStringLiteral(".mp4"), QStringLiteral(".jpg")),
              base + stamp + "-1.mp4");
    EXPECT_EQ(Workspace::timeStamp(QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7))),
              QStringLiteral("20250304050607"));
}

class StartUp : public ::testing::Test {
protected:
    ViewerServices services()
    {
        ViewerServices s{&prompt_, &network_, quelmar::test::closedAddress()};
        s.sound = &sound_;
        s.opener = &opener_;
        return s;
    }

    quelmar::test::ViewerHome home_;
    quelmar::test::ScriptedViewerPrompt prompt_;
    quelmar::test::RecordingViewerSound sound_;
    quelmar::test::RecordingOpener opener_;
    FixedWifiNetwork network_;
};

TEST_F(StartUp, PreparesTheWorkspaceTheCalibrationFileAndBothPopUps)
{
    ASSERT_TRUE(QDir().mkpath(home_.workspace(QStringLiteral("Zeta"))));
    ASSERT_TRUE(QDir().mkpath(home_.workspace(QStringLiteral("alpha"))));
    ASSERT_TRUE(QDir().mkpath(home_.workspace(QStringLiteral(".cache"))));
    ASSERT_TRUE(writeAll(home_.workspace(QStringLiteral("notes.txt")), "x"));
    ASSERT_TRUE(writeAll(home_.workspace(QStringLiteral("calibration.plist")),
                         "<plist><dict><key>x40</key><string>40.000-mm-1.000</string>"
                         "<key>a10</key><string>10.000-mm-1.000</string></dict></plist>"));
    OrbiluxWindow window(services());
    ViewController &controller = window.controller();
    EXPECT_EQ(controller.pictureDirectory(), home_.workspace(QStringLiteral("default/Image/")));
    EXPECT_EQ(controller.videoDirectory(), home_.workspace(QStringLiteral("default/Video/")));
    EXPECT_TRUE(QDir(controller.pictureDirectory()).exists());
    EXPECT_TRUE(QDir(controller.videoDirectory()).exists());
    EXPECT_EQ(controller.plistCalibrationFile(),
              home_.workspace(QStringLiteral("calibration.plist")));

    const QComboBox &albums = window.albumPopUp();
    ASSERT_EQ(albums.count(), 4);
    EXPECT_EQ(albums.itemText(0), QStringLiteral("default"));
    EXPECT_EQ(albums.itemText(1), ViewController::kNewAlbumTitle);
    EXPECT_EQ(albums.itemText(2), QStringLiteral("Zeta"));
    EXPECT_EQ(albums.itemText(3), QStringLiteral("alpha"));
    EXPECT_EQ(albums.currentIndex(), 0);

    // The stored calibrations in file order behind the three fixed entries.
    const QComboBox &calibrations = window.toolbar().calibrationPopUp();
    ASSERT_EQ(calibrations.count(), 5);
    EXPECT_EQ(calibrations.itemText(0), QStringLiteral("NO CAL"));
    EXPECT_EQ(calibrations.itemText(3), QStringLiteral("x40"));
    EXPECT_EQ(calibrations.itemText(4), QStringLiteral("a10"));

    EXPECT_EQ(window.tabView().currentIndex(), OrbiluxWindow::kVideosTab);
    EXPECT_EQ(controller.measure().measureMag(), 0);
    EXPECT_EQ(controller.measure().measureUnit(), QStringLiteral("mm"));
}

TEST_F(StartUp, TheFirstStartCopiesTheProgramsCalibrationFile)
{
    ViewController controller(services());
    controller.viewDidLoad();
    const QFileInfo file(home_.workspace(QStringLiteral("calibration.plist")));
    EXPECT_TRUE(file.isFile());
    EXPECT_TRUE(file.isWritable());
    EXPECT_TRUE(controller.measure().calibrationEntries().isEmpty());
}

TEST_F(StartUp, ANewAlbumFromTheSheetIsSelectedAndLoaded)
{
    OrbiluxWindow window(services());
    ViewController &controller = window.controller();
    QSignalSpy sheetWanted(&controller, &ViewController::newFolderSheetRequested);
    window.albumPopUp().setCurrentIndex(ViewController::kNewAlbumEntry);
    Q_EMIT window.albumPopUp().activated(ViewController::kNewAlbumEntry);
    ASSERT_EQ(sheetWanted.count(), 1);
    NewFolderController *sheet = window.newFolderSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(window.albumPopUp().currentIndex(), 0); // the pop-up still shows the album

    const auto tryName = [&](const QString &name) {
        sheet->mFolderName().setText(name);
        sheet->ok();
    };
    tryName(QString());
    tryName(QStringLiteral("default"));
    tryName(QStringLiteral("../outside"));
    EXPECT_EQ(prompt_.alerts, QStringList({QStringLiteral("Please enter folder name"),
                                           QStringLiteral("The folder name exist"),
                                           QStringLiteral("The folder name is illegal")}));
    EXPECT_TRUE(sheet->isVisible());

    tryName(QStringLiteral("Field trip"));
    EXPECT_EQ(controller.albumTitle(), QStringLiteral("Field trip"));
    EXPECT_EQ(controller.pictureDirectory(), home_.workspace(QStringLiteral("Field trip/Image/")));
    EXPECT_EQ(controller.videoDirectory(), home_.workspace(QStringLiteral("Field trip/Video/")));
    EXPECT_TRUE(QDir(controller.videoDirectory()).exists());
    EXPECT_EQ(controller.gallery().photos().directory(), controller.pictureDirectory());
    EXPECT_EQ(window.albumPopUp().currentText(), QStringLiteral("Field trip"));

    // Chosen again later from the pop-up, and back to the default.
    Q_EMIT window.albumPopUp().activated(0);
    EXPECT_EQ(controller.albumTitle(), QStringLiteral("default"));
    const int entry = window.albumPopUp().findText(QStringLiteral("Field trip"));
    Q_EMIT window.albumPopUp().activated(entry);
    EXPECT_EQ(controller.pictureDirectory(), home_.workspace(QStringLiteral("Field trip/Image/")));
}

TEST_F(StartUp, StillsNeedAStreamAndSameSecondStillsKeepBothFiles)
{
    OrbiluxWindow window(services());
    ViewController &controller = window.controller();
    controller.SaveImage(1);
    EXPECT_TRUE(sound_.played.empty()); // no stream: nothing at all
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    controller.handleWifiPicture(picture);
    controller.SaveImage(1);
    controller.SaveImage(1);
    const QStringList files =
        QDir(controller.pictureDirectory()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(controller.gallery().photos().rowCount(), 2);
    EXPECT_EQ(sound_.played.size(), 2u);
    // The second of one second carries "-1"; if the clock turned in between, both are plain.
    EXPECT_TRUE(files[0].endsWith(u"-1.jpg") || files[0].left(14) != files[1].left(14));
}

} // namespace

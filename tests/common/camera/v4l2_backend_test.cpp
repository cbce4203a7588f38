// Finding video nodes: naming and order as plain logic, and enumeration on machines without
// cameras.
#include "camera/v4l2/v4l2_backend.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quelmar {
namespace {

TEST(V4l2Backend, ReadsNodeNumbers)
{
    EXPECT_EQ(v4l2::videoNodeNumber(u"video0"), 0);
    EXPECT_EQ(v4l2::videoNodeNumber(u"video12"), 12);
    EXPECT_EQ(v4l2::videoNodeNumber(u"video"), std::nullopt);
    EXPECT_EQ(v4l2::videoNodeNumber(u"video1a"), std::nullopt);
    EXPECT_EQ(v4l2::videoNodeNumber(u"video-1"), std::nullopt);
    EXPECT_EQ(v4l2::videoNodeNumber(u"vbi0"), std::nullopt);
    EXPECT_EQ(v4l2::videoNodeNumber(u"video99999999999999"), std::nullopt);
}

TEST(V4l2Backend, SortsNodesByNumberNotByName)
{
    const QStringList names{QStringLiteral("video10"), QStringLiteral("video2"),
                            QStringLiteral("videoX"), QStringLiteral("video0"),
                            QStringLiteral("media0")};
    EXPECT_EQ(v4l2::sortedVideoNodes(names),
              (QStringList{QStringLiteral("video0"), QStringLiteral("video2"),
                           QStringLiteral("video10")}));
}

TEST(V4l2Backend, FindsNoCameraWhereThereAreNoNodes)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    EXPECT_TRUE(V4l2Backend(empty.path()).enumerate().empty());
    EXPECT_TRUE(V4l2Backend(empty.filePath(QStringLiteral("missing"))).enumerate().empty());
}

TEST(V4l2Backend, FilesNamedLikeNodesAreNoCameras)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    for (const char *name : {"video0", "video10", "video2"}) {
        QFile file(QDir(directory.path()).filePath(QLatin1StringView(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(V4l2Backend(directory.path()).enumerate().empty());
}

TEST(V4l2Backend, EnumeratesTheMachinesNodesWithoutTrouble)
{
    const std::vector<CameraInfo> cameras = V4l2Backend().enumerate();
    if (QDir(QStringLiteral("/dev"))
            .entryList({QStringLiteral("video*")}, QDir::System)
            .isEmpty()) {
        EXPECT_TRUE(cameras.empty());
    }
    for (const CameraInfo &camera : cameras) {
        EXPECT_FALSE(camera.identity.isEmpty());
        EXPECT_TRUE(camera.displayName.contains(QStringLiteral("/dev/video")));
    }
}

TEST(V4l2Backend, OpensNothingForAnUnknownCamera)
{
    V4l2Backend backend;
    EXPECT_EQ(backend.open(CameraInfo{}), nullptr);
    EXPECT_EQ(backend.open(CameraInfo{QStringLiteral("Gone"), QStringLiteral("usb-9 /nope"),
                                      QStringLiteral("usb:1b3f:2247:9"),
                                      QStringLiteral("/nonexistent/video7")}),
              nullptr);
}

} // namespace
} // namespace quelmar

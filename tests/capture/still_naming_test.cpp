#include "capture/still_capture.h"
#include "temp_home.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace quelmar::station;

namespace {

class StillNumbering : public ::testing::Test {
protected:
    quelmar::test::TempHome home;
    void touch(const QString &name) { quelmar::test::writeAll(home.file(name), "x"); }
};

TEST_F(StillNumbering, EmptyDirectoryStartsAtOne)
{
    EXPECT_EQ(nextStillNumber(home.path(), false), 1);
    const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
    EXPECT_EQ(stillFileName(t, QString(), 1, false),
              QStringLiteral("Still_2026-03-04_050607_N0001.jpg"));
    EXPECT_EQ(stillFileName(t, QStringLiteral("100"), 12345, true),
              QStringLiteral("Still_2026-03-04_050607_100X_N12345.bmp"));
}

TEST_F(StillNumbering, EachFormatContinuesFromItsLargestNumber)
{
    touch(QStringLiteral("Still_2026-01-01_000000_N0007.jpg"));
    touch(QStringLiteral("Still_2026-01-02_000000_60X_N0012.JPG"));
    touch(QStringLiteral("Still_2026-01-02_000000_N0003.bmp"));
    touch(QStringLiteral("Still_2026-01-02_000000_N0099.png"));
    touch(QStringLiteral("nonumber.jpg"));
    touch(QStringLiteral("Still_2026-01-02_000000_N.jpg"));
    EXPECT_EQ(nextStillNumber(home.path(), false), 13);
    EXPECT_EQ(nextStillNumber(home.path(), true), 4);
}

TEST_F(StillNumbering, TextAfterTheLastNCounts)
{
    touch(QStringLiteral("xN5.jpg"));
    touch(QStringLiteral("abc.jpg"));
    EXPECT_EQ(nextStillNumber(home.path(), false), 6);
}

TEST_F(StillNumbering, DirectoryEntryIsReportedAndSkipped)
{
    QDir(home.path()).mkdir(QStringLiteral("folderN40.jpg"));
    touch(QStringLiteral("aN2.jpg"));
    int reported = 0;
    EXPECT_EQ(nextStillNumber(home.path(), false, [&] { ++reported; }), 3);
    EXPECT_EQ(reported, 1);
}

} // namespace

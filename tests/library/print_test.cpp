// Printing a picture: the page that reaches the printer (a PDF here, rendered back by
// poppler's pdftoppm), the BMP copy of a JPEG, and the messages when it cannot print.
#include "base/command_ids.h"
#include "library/printer.h"
#include "library/workspace.h"
#include "library_fixture.h"

#include <QFile>
#include <QMenu>
#include <QPrinterInfo>

using namespace quelmar;
using namespace quelmar::station;
using namespace quelmar::test;

namespace {

// Quarters of the printed picture, left to right and top to bottom, as RGB.
const QColor kQuarters[4] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(30, 40, 210),
                             QColor(240, 220, 20)};

Frame quarterPicture(int width, int height)
{
    Frame frame(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QColor c = kQuarters[(y >= height / 2) * 2 + (x >= width / 2)];
            std::uint8_t *p = frame.view().row(y) + x * 3;
            p[0] = std::uint8_t(c.blue());
            p[1] = std::uint8_t(c.green());
            p[2] = std::uint8_t(c.red());
        }
    return frame;
}

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) <= 12 && std::abs(a.green() - b.green()) <= 12 &&
           std::abs(a.blue() - b.blue()) <= 12;
}

constexpr double kPointsPerMm = 72.0 / 25.4;

class PrintTest : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        library->LoadFolders(true);
        ASSERT_TRUE(library->current().fullSizeDir.startsWith(home.path()));
    }

    QString picture(const QString &name)
    {
        const QString path = library->current().fullSizeDir + u'/' + name;
        Frame frame = quarterPicture(640, 480);
        const bool bmp = name.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive);
        EXPECT_TRUE(bmp ? writeBmp(path, frame.view()) : writeJpeg(path, frame.view(), 95));
        return path;
    }

    QString pdfInfo()
    {
        int rc = -1;
        const QByteArray out =
            runTool(QStringLiteral("/usr/bin/pdfinfo"), {printer.outputFile}, &rc);
        return rc == 0 ? QString::fromUtf8(out) : QString();
    }

    // The first page at 72 dots per inch: one pixel a point.
    QImage renderedPage()
    {
        const QString stem = home.file(QStringLiteral("page"));
        int rc = -1;
        runTool(QStringLiteral("/usr/bin/pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                 QStringLiteral("-singlefile"), printer.outputFile, stem},
                &rc);
        return rc == 0 ? QImage(stem + QStringLiteral(".png")) : QImage();
    }

    // Checks that the page holds the picture stretched over exactly the printable area.
    void expectStretchedOverPrintableArea()
    {
        const QImage page = renderedPage();
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(page.size(), QSize(595, 842));
        QRect inked;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (page.pixelColor(x, y) != QColor(Qt::white))
                    inked |= QRect(x, y, 1, 1);
        const QMarginsF m = PdfPrinter::kMarginsMm * kPointsPerMm;
        const QRectF area(m.left(), m.top(), 595.276 - m.left() - m.right(),
                          841.89 - m.top() - m.bottom());
        EXPECT_NEAR(inked.left(), area.left(), 1.5);
        EXPECT_NEAR(inked.top(), area.top(), 1.5);
        EXPECT_NEAR(inked.right() + 1, area.right(), 1.5);
        EXPECT_NEAR(inked.bottom() + 1, area.bottom(), 1.5);
        // Portrait: the 4:3 picture is taller than wide now.
        EXPECT_GT(inked.height(), inked.width());
        for (int q = 0; q < 4; ++q) {
            const QPointF at(area.left() + area.width() * (q % 2 ? 0.75 : 0.25),
                             area.top() + area.height() * (q / 2 ? 0.75 : 0.25));
            EXPECT_TRUE(near(page.pixelColor(at.toPoint()), kQuarters[q]))
                << q << ": " << page.pixelColor(at.toPoint()).name().toStdString();
        }
    }
};

struct Kind {
    const char *name;
    bool throughCopy; // a JPEG is printed from its BMP copy
};

class PrintedPage : public PrintTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(PrintedPage, HoldsThePictureStretchedToThePrintableArea)
{
    const QString path = picture(QString::fromLatin1(GetParam().name));
    EXPECT_TRUE(library->printFile(path));
    EXPECT_TRUE(prompt.messages.empty()) << prompt.lastText().toStdString();
    EXPECT_EQ(printer.documentNames, QStringList{path});
    const QString info = pdfInfo();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("\nPages: +1\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("595 x 842 pts (A4)"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Title:           ") + path + u'\n'));
    expectStretchedOverPrintableArea();
    const QString copy = cacheDir() + QStringLiteral("/print.bmp");
    EXPECT_EQ(QFile::exists(copy), GetParam().throughCopy);
    if (GetParam().throughCopy) {
        EXPECT_EQ(identify(copy), QStringLiteral("BMP3 640 480"));
    }
}

// ".BMP", as the photo window's save dialog writes it, is a bitmap and no JPEG.
INSTANTIATE_TEST_SUITE_P(
    Print, PrintedPage,
    ::testing::Values(Kind{"Still_N0001.jpg", true}, Kind{"Still_N0002.bmp", false},
                      Kind{"Saved.BMP", false}),
    [](const ::testing::TestParamInfo<Kind> &info) {
        return QString::fromLatin1(info.param.name).replace(u'.', u'_').toStdString();
    });

TEST_F(PrintTest, TheStripMenuOffersPrintAndEMailOnTheSelectedPicture)
{
    addStill(QStringLiteral("Default"), QStringLiteral("Still_N0001.bmp"));
    library->LoadFolders(true);
    const QString full = picture(QStringLiteral("Still_N0001.bmp"));
    strip().HitTest(thumbnailCell(0, strip().clientSize()).center());
    Q_EMIT strip().contextMenuRequested(QPoint(0, 0));
    QMenu *menu = library->contextMenu();
    menu->close();
    QStringList texts;
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    EXPECT_EQ(texts, (QStringList{"Open...", "save", "Save All", "Delete...", "Delete All", "Print",
                                  "E-Mail"}));
    menu->actions()
        .at(texts.indexOf(QStringLiteral("Print")) + 1)
        ->trigger(); // after the separator
    EXPECT_EQ(printer.documentNames, QStringList{full});
    expectStretchedOverPrintableArea();
    menu->actions().constLast()->trigger(); // the mail window is not run here
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(PrintTest, WhatCannotBePrintedSaysWhy)
{
    const QString jpg = picture(QStringLiteral("Still_N0001.jpg"));
    const QString pdf = printer.outputFile;

    printer.absent = true;
    EXPECT_FALSE(library->printFile(jpg));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("No printer found!"));
    printer.absent = false;

    // A printer that cannot be opened is no printer either.
    printer.outputFile = home.file(QStringLiteral("no/such/dir/out.pdf"));
    EXPECT_FALSE(library->printFile(jpg));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("No printer found!"));
    printer.outputFile = pdf;
    EXPECT_EQ(prompt.messages.size(), 2u);

    // Pictures that do not decode, and a JPEG whose BMP copy cannot be written.
    const int opened = int(printer.documentNames.size());
    const QString badJpg = library->current().fullSizeDir + QStringLiteral("/bad.jpg");
    const QString badBmp = library->current().fullSizeDir + QStringLiteral("/bad.BMP");
    writeAll(badJpg, "no jpeg");
    writeAll(badBmp, "BM no bitmap");
    EXPECT_FALSE(library->printFile(badJpg));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Error loading bitmap!"));
    EXPECT_EQ(printer.documentNames.size(), opened); // no print job for a bad JPEG
    EXPECT_FALSE(library->printFile(badBmp));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Error loading bitmap!"));
    QDir(cacheDir()).removeRecursively();
    writeAll(cacheDir(), "a file in the way");
    EXPECT_FALSE(library->printFile(jpg));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Error loading bitmap!"));
    EXPECT_EQ(prompt.messages.size(), 5u);
    EXPECT_FALSE(QFile::exists(pdf));

    // A video is no picture to print.
    writeAll(library->current().videoDir + QStringLiteral("/Video_0001.avi"), "video");
    library->ReloadThumbnails();
    library->setListKind(ListKind::Videos);
    strip().HitTest(thumbnailCell(0, strip().clientSize()).center());
    library->onCommand(cmd::Print);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please select a picture"));
    EXPECT_FALSE(QFile::exists(pdf));
}

// Without a default printer the real printer is none: never a PDF in its place.
TEST(DefaultPrinter, WithoutAPrinterThereIsNone)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer";
    EXPECT_EQ(DefaultPrinter().open(QStringLiteral("doc")), nullptr);
}

} // namespace

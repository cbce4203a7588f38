// The photo window: opening and the test decode, the questions and filters of Open, Save,
// Close, maximise and restore, the saved flag, the menus and tooltips, print, and the
// measurement list beside it.
#include "measure/calibration_dlg.h"
#include "measure/measurement_property_dlg.h"
#include "measure/pen_dlg.h"
#include "photo_window_fixture.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

const QString kPhotoFilter = QStringLiteral("BMP Files (*.BMP *.bmp);;JPG Files (*.JPG *.jpg)");

TEST_F(PhotoWindowTest, APictureThatDoesNotDecodeOpensWithoutACanvas)
{
    const QString bad = home.file(QStringLiteral("Still_N0001.jpg"));
    ASSERT_TRUE(writeAll(bad, QByteArray("\xFF\xD8 not really a picture", 24)));
    EXPECT_FALSE(window->openPicture(bad));
    EXPECT_FALSE(window->hasCanvas());
    EXPECT_EQ(canvas(), nullptr);
    auto *label = window->canvasArea()->findChild<QLabel *>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Can not Open file")));
    EXPECT_FALSE(window->button(photo::Save)->isEnabled());
    window->onCommand(photo::Save);
    window->onCommand(photo::MeasureLine);
    EXPECT_TRUE(prompt.fileRequests.empty());
    EXPECT_TRUE(prompt.messages.empty());
    // Another extension has no codec: no canvas either.
    EXPECT_FALSE(window->openPicture(picture(QStringLiteral("a.bmp"), {64, 48})
                                         .replace(QLatin1String(".bmp"), QLatin1String(".png"))));
    // A good picture brings the canvas and the buttons back.
    EXPECT_TRUE(window->openPicture(picture(QStringLiteral("Still_N0002.BMP"), {640, 480})));
    ASSERT_NE(canvas(), nullptr);
    EXPECT_FALSE(canvas()->isFullSize());
    EXPECT_EQ(window->canvasArea()->geometry(), QRect(0, 30, 640, 480));
    EXPECT_TRUE(window->button(photo::Save)->isEnabled());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Photo Measure"));
}

TEST_F(PhotoWindowTest, TheRowHasItsTooltipsAndTheMenusTheirTextsAsTheStationWritesThem)
{
    const std::pair<int, const char *> tips[] = {
        {photo::Save, "Save"},       {photo::Select, "Select"},
        {photo::Measure, "Measure"}, {photo::Open, "Open"},
        {photo::Pen, "Pen Setting"}, {photo::Paint, "Paint"},
        {photo::Text, "Text"},       {photo::Delete, "Delete"},
        {photo::Move, "Move"},       {photo::Calibration, "Calibration"},
        {photo::Print, "Print"},     {photo::MeasurementList, "Export2Excel"}};
    for (const auto &[id, tip] : tips)
        EXPECT_EQ(window->button(id)->toolTip(), QString::fromLatin1(tip)) << id;
    QStringList measuring;
    for (QAction *a : window->measureMenu()->actions())
        measuring << a->text();
    EXPECT_EQ(
        measuring,
        (QStringList{"Line Measurement", "Continuous Line Measurement", "Rectangle Measrement",
                     "Polygon measrement", "Radius of Circle Measurement",
                     "Diameter of Circle Measurement", "Three Points Circle Measurement",
                     "Three Points Angle Measurement", "Four Points Angle Measurement"}));
    QStringList drawing;
    for (QAction *a : window->paintMenu()->actions())
        drawing << a->text();
    EXPECT_EQ(drawing, (QStringList{"Line", "Angle", "Retangle", "Radius Circle", "Diameter Circle",
                                    "Three Points Circle"}));
}

struct MenuChoice {
    int command;
    PhotoTool tool;
    int measureFlag;
    const char *label;
    int pressed;
};

class ToolMenu : public PhotoWindowTest, public ::testing::WithParamInterface<MenuChoice> {};

TEST_P(ToolMenu, SelectsTheToolAndShowsItsName)
{
    const MenuChoice &c = GetParam();
    window->openPicture(picture(QStringLiteral("p.bmp"), {640, 480}));
    window->measureMenu()->actions().constFirst()->trigger(); // some tool before
    window->onCommand(c.command);
    EXPECT_EQ(canvas()->tools().tool(), c.tool);
    EXPECT_EQ(canvas()->tools().measureFlag(), c.measureFlag);
    EXPECT_EQ(canvas()->tools().multiSelect(), c.tool == PhotoTool::FourPointAngle);
    EXPECT_EQ(window->toolLabel()->text(), QString::fromLatin1(c.label));
    for (const int id : {photo::Select, photo::Measure, photo::Paint, photo::Text})
        EXPECT_EQ(window->button(id)->isChecked(), id == c.pressed) << id;
}

INSTANTIATE_TEST_SUITE_P(
    Items, ToolMenu,
    ::testing::Values(
        MenuChoice{photo::MeasureLine, PhotoTool::Line, 1, "Line", photo::Measure},
        MenuChoice{photo::MeasureContinuousLine, PhotoTool::ContinuousLine, 1, "Continue Line",
                   photo::Measure},
        MenuChoice{photo::MeasurePolygon, PhotoTool::Polygon, 1, "Ploygon", photo::Measure},
        MenuChoice{photo::MeasureRadiusCircle, PhotoTool::RadiusCircle, 1, "Radius circle",
                   photo::Measure},
        MenuChoice{photo::MeasureThreePointCircle, PhotoTool::ThreePointCircle, 1,
                   "Three Point Circle", photo::Measure},
        MenuChoice{photo::MeasureFourPointAngle, PhotoTool::FourPointAngle, 1, "Four point Angle",
                   photo::Measure},
        MenuChoice{photo::DrawRectangle, PhotoTool::Rectangle, 0, "Rectangle", photo::Paint},
        MenuChoice{photo::DrawRadiusCircle, PhotoTool::RadiusCircle, 0, "Radius Circle",
                   photo::Paint},
        MenuChoice{photo::DrawThreePointCircle, PhotoTool::ThreePointCircle, 0,
                   "Three Points Circle", photo::Paint},
        MenuChoice{photo::Select, PhotoTool::Select, 11, "", photo::Select}));

TEST_F(PhotoWindowTest, AMeasuringToolNeedsAScaleButADrawingToolDoesNot)
{
    window->openPicture(picture(QStringLiteral("p.bmp"), {640, 480}));
    window->magnificationBox()->clear();
    window->scaleBox()->clear();
    window->onCommand(photo::MeasureLine);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please input the zoomIn scale!"));
    EXPECT_EQ(canvas()->tools().tool(), PhotoTool::None);
    window->onCommand(photo::DrawLine);
    EXPECT_EQ(canvas()->tools().tool(), PhotoTool::Line);
    // The scale box wins over the magnification.
    window->magnificationBox()->setText(QStringLiteral("20"));
    window->scaleBox()->setText(QStringLiteral("40"));
    window->onCommand(photo::MeasureLine);
    EXPECT_DOUBLE_EQ(scale.scale(), 40.0);
    EXPECT_EQ(window->toolLabel()->text(), QStringLiteral("Line"));
}

struct OpenCase {
    const char *name;
    bool drawShape;
    bool saveFirst;
    PromptAnswer answer;
    bool asked;
    bool opened;
    const char *filter; // of the open dialog, empty when none is shown
};

class OpenCommand : public PhotoWindowTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenCommand, AsksAboutUnsavedShapesAndOffersTheFilters)
{
    const OpenCase &c = GetParam();
    const QString first = picture(QStringLiteral("Still_N0001.jpg"), {640, 480});
    const QString second = picture(QStringLiteral("Still_N0002.bmp"), {800, 600});
    window->openPicture(first);
    if (c.drawShape)
        measureLine({100, 100}, {200, 100});
    if (c.saveFirst) {
        prompt.fileAnswers = {home.file(QStringLiteral("saved.bmp"))};
        window->onCommand(photo::Save);
        ASSERT_TRUE(window->isSaved());
    }
    prompt.messages.clear();
    prompt.fileRequests.clear();
    prompt.answers = {c.answer};
    prompt.fileAnswers = {second};
    window->onCommand(photo::Open);
    EXPECT_EQ(lastQuestion() == QStringLiteral("Save changes to..."), c.asked);
    ASSERT_FALSE(prompt.fileRequests.empty());
    const FileDialogRequest &r = prompt.fileRequests.front();
    if (c.answer == PromptAnswer::Yes && c.asked) {
        // Yes saves and opens nothing.
        EXPECT_EQ(r.filter, kPhotoFilter);
        EXPECT_EQ(r.defaultSuffix, QStringLiteral("BMP"));
        EXPECT_EQ(r.proposedPath, first);
        EXPECT_EQ(window->path(), first);
        EXPECT_TRUE(QFile::exists(second)); // written over by the save
        return;
    }
    EXPECT_EQ(r.filter, QString::fromLatin1(c.filter));
    EXPECT_EQ(r.defaultSuffix, QStringLiteral("bmp"));
    EXPECT_TRUE(r.proposedPath.endsWith(QLatin1String("/*.bmp")));
    EXPECT_EQ(window->path(), c.opened ? second : first);
    EXPECT_EQ(canvas()->photoSize(), c.opened ? QSize(800, 600) : QSize(640, 480));
    EXPECT_EQ(shapes().count(), 0);
    EXPECT_FALSE(window->isSaved());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenCommand,
    ::testing::Values(OpenCase{"NoShapes", false, false, PromptAnswer::No, false, true,
                               "BMP Files (*.BMP *.bmp);;JPG Files (*.JPG *.jpg)"},
                      OpenCase{"UnsavedAnswerNoOffersOnlyBitmaps", true, false, PromptAnswer::No,
                               true, true, "bmp Files (*.bmp *.BMP)"},
                      OpenCase{"UnsavedAnswerYesSaves", true, false, PromptAnswer::Yes, true, false,
                               ""},
                      OpenCase{"SavedAsksNothing", true, true, PromptAnswer::No, false, true,
                               "BMP Files (*.BMP *.bmp);;JPG Files (*.JPG *.jpg)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PhotoWindowTest, OpeningAPictureThatDoesNotDecodeKeepsThePictureOnShow)
{
    window->openPicture(picture(QStringLiteral("p.jpg"), {640, 480}));
    measureLine({100, 100}, {200, 100});
    const QString bad = home.file(QStringLiteral("bad.bmp"));
    writeAll(bad, QByteArray("BM broken"));
    prompt.answers = {PromptAnswer::No};
    prompt.fileAnswers = {bad};
    window->onCommand(photo::Open);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Can not Open file"));
    EXPECT_EQ(shapes().count(), 1);
    EXPECT_TRUE(window->path().endsWith(QLatin1String("p.jpg")));
}

TEST_F(PhotoWindowTest, SaveWritesByTheExtensionInEitherCaseAndReports)
{
    const QString source = picture(QStringLiteral("Still_N0001.jpg"), {640, 480});
    window->openPicture(source);
    measureLine({100, 100}, {300, 100});
    window->onCommand(photo::MeasureLine); // a tool is chosen: Save releases it
    prompt.fileAnswers = {home.file(QStringLiteral("out.JPG"))};
    window->onCommand(photo::Save);
    const FileDialogRequest &r = prompt.fileRequests.back();
    EXPECT_EQ(r.proposedPath, source);
    EXPECT_EQ(r.filter, kPhotoFilter);
    EXPECT_TRUE(r.confirmOverwrite);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Save successfully!"));
    EXPECT_TRUE(window->isSaved());
    EXPECT_EQ(canvas()->tools().tool(), PhotoTool::None);
    EXPECT_TRUE(window->toolLabel()->text().isEmpty());
    EXPECT_EQ(readWithImageMagick(home.file(QStringLiteral("out.JPG"))).width, 640);
    int rc = -1;
    EXPECT_EQ(runTool(QStringLiteral("/usr/bin/identify"),
                      {QStringLiteral("-format"), QStringLiteral("%m"),
                       home.file(QStringLiteral("out.JPG"))},
                      &rc),
              "JPEG");

    // Another extension, or a place that cannot be written: "Save fail", nothing written.
    measureLine({100, 200}, {300, 200});
    for (const QString &path :
         {home.file(QStringLiteral("out.png")), home.file(QStringLiteral("missing/dir/out.bmp"))}) {
        prompt.fileAnswers = {path};
        window->onCommand(photo::Save);
        EXPECT_EQ(prompt.lastText(), QStringLiteral("Save fail"));
        EXPECT_FALSE(window->isSaved());
        EXPECT_FALSE(QFile::exists(path));
    }
    // A cancelled dialog says nothing.
    const std::size_t shown = prompt.messages.size();
    window->onCommand(photo::Save);
    EXPECT_EQ(prompt.messages.size(), shown);
}

TEST_F(PhotoWindowTest, EveryChangeToTheShapesClearsTheSavedFlag)
{
    window->openPicture(picture(QStringLiteral("p.bmp"), {640, 480}));
    const auto save = [this] {
        prompt.fileAnswers = {home.file(QStringLiteral("saved.bmp"))};
        window->onCommand(photo::Save);
        ASSERT_TRUE(window->isSaved());
    };
    // Added: the line is in the list at its second click, before its label.
    window->onCommand(photo::DrawRectangle);
    clicks({{300, 300}, {400, 400}});
    EXPECT_FALSE(window->isSaved());
    save();
    // Adjusted.
    window->onCommand(photo::Select);
    click({350, 350});
    QTest::mouseClick(canvas()->adjustButton(Adjust::Right), Qt::LeftButton);
    EXPECT_FALSE(window->isSaved());
    save();
    // Rotated.
    window->onCommand(photo::Select);
    click({350, 350});
    QTest::mouseClick(canvas()->adjustButton(Adjust::RotateMore), Qt::LeftButton);
    EXPECT_FALSE(window->isSaved());
    save();
    // Moved.
    window->onCommand(photo::Select);
    click({350, 350});
    window->onCommand(photo::Move);
    click({200, 200});
    EXPECT_EQ(shapes().at(0)->points[0].x(), 150);
    EXPECT_FALSE(window->isSaved());
    save();
    // Added and labelled (Save places a label still waiting where it was clicked).
    window->onCommand(photo::MeasureLine);
    clicks({{10, 10}, {100, 10}, {100, 40}});
    EXPECT_FALSE(window->isSaved());
    save();
    // Deleted.
    window->onCommand(photo::Select);
    click({50, 10});
    prompt.answers = {PromptAnswer::Yes};
    window->onCommand(photo::Delete);
    EXPECT_EQ(shapes().count(), 1);
    EXPECT_FALSE(window->isSaved());
    save();
    // Selecting changes nothing worth saving.
    window->onCommand(photo::Select);
    click({200, 200});
    EXPECT_TRUE(window->isSaved());
}

TEST_F(PhotoWindowTest, CloseAndEscapeAskFirstAndOnlyYesCloses)
{
    window->openPicture(picture(QStringLiteral("p.bmp"), {640, 480}));
    window->show();
    prompt.answers = {PromptAnswer::No};
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(lastQuestion(), QStringLiteral("Are you sure to close?"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_NE(canvas(), nullptr);
    prompt.answers = {PromptAnswer::No};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    prompt.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(canvas(), nullptr); // its shapes went with it
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

TEST_F(PhotoWindowTest, MaximisingAndRestoringSwitchTheModeAndAskAboutUnsavedShapes)
{
    window->openPicture(picture(QStringLiteral("Still_N0001.jpg"), {2592, 1944}));
    window->show();
    measureLine({100, 100}, {200, 100});
    // Maximised: "Save changes to...", No, a full-size canvas without the shapes.
    prompt.answers = {PromptAnswer::No};
    window->setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(window->isFullSize());
    EXPECT_EQ(lastQuestion(), QStringLiteral("Save changes to..."));
    ASSERT_NE(canvas(), nullptr);
    EXPECT_TRUE(canvas()->isFullSize());
    EXPECT_EQ(shapes().count(), 0);
    EXPECT_EQ(canvas()->outputRatio(), QPointF(1, 1));
    EXPECT_EQ(window->canvasArea()->geometry(),
              QRect(0, 30, window->width(), window->height() - 30));
    EXPECT_EQ(window->magnificationBox()->x(), window->width() - 51);
    EXPECT_TRUE(canvas()->horizontalBar()->isVisible());

    // Restoring destroys the shapes too: Yes saves and the window stays maximised.
    measureLine({100, 100}, {200, 100});
    prompt.messages.clear();
    prompt.answers = {PromptAnswer::Yes};
    prompt.fileAnswers = {home.file(QStringLiteral("kept.jpg"))};
    window->setWindowState(Qt::WindowNoState);
    QTRY_COMPARE(lastQuestion(), QStringLiteral("Save changes to..."));
    QTRY_VERIFY(window->windowState().testFlag(Qt::WindowMaximized));
    EXPECT_TRUE(window->isFullSize());
    EXPECT_EQ(shapes().count(), 1);
    EXPECT_TRUE(QFile::exists(home.file(QStringLiteral("kept.jpg"))));

    // Saved now: restoring asks nothing and brings the fit canvas and the boxes back.
    prompt.messages.clear();
    window->setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(!window->isFullSize());
    EXPECT_TRUE(lastQuestion().isEmpty());
    EXPECT_FALSE(canvas()->isFullSize());
    EXPECT_EQ(window->magnificationBox()->pos(), QPoint(590, 4));
    EXPECT_EQ(window->xLabel()->pos(), QPoint(633, 6));
    EXPECT_EQ(window->canvasArea()->geometry(), QRect(0, 30, 640, 480));
}

TEST_F(PhotoWindowTest, PrintPrintsTheFileAsSaved)
{
    const QString path = picture(QStringLiteral("p.jpg"), {640, 480});
    window->openPicture(path);
    measureLine({100, 100}, {200, 100});
    window->onCommand(photo::Print);
    EXPECT_EQ(printed, QStringList{path});
}

TEST_F(PhotoWindowTest, CalibrationFromTheWindowFillsTheScaleBoxAndTheFile)
{
    window->openPicture(picture(QStringLiteral("p.bmp"), {640, 480}));
    window->magnificationBox()->setText(QStringLiteral("60"));
    EXPECT_TRUE(window->scaleBox()->text().isEmpty());
    prompt.onDialog = [](QDialog &d) {
        auto *dialog = dynamic_cast<CCabrationDlg *>(&d);
        dialog->distanceEdit()->setText(QStringLiteral("1"));
        dialog->accept();
        return int(dialog->result());
    };
    window->onCommand(photo::Calibration);
    clicks({{100, 100}, {300, 100}, {300, 130}});
    // 200 pixels x 0.063829787234 x 10 / 1 mm = 127.7
    EXPECT_EQ(window->scaleBox()->text(), QStringLiteral("127.7"));
    EXPECT_EQ(calibration.lookup(QStringLiteral("60")), QStringLiteral("127.7"));
    EXPECT_EQ(shapes().at(0)->values.value(0), QStringLiteral("1.000"));
    // Typing the magnification again brings the stored scale back; another one clears it.
    window->magnificationBox()->setText(QStringLiteral("50"));
    EXPECT_TRUE(window->scaleBox()->text().isEmpty());
    window->magnificationBox()->setText(QStringLiteral("60"));
    EXPECT_EQ(window->scaleBox()->text(), QStringLiteral("127.7"));
}

TEST_F(PhotoWindowTest, PenAndTextDialogsStyleTheNextShapes)
{
    window->openPicture(picture(QStringLiteral("p.bmp"), {640, 480}));
    labelFont.height = -20;
    prompt.onDialog = [this](QDialog &d) {
        if (dynamic_cast<CPenDlg *>(&d))
            settings.lineColor = 0x00FF00FF;
        return int(QDialog::Rejected);
    };
    window->onCommand(photo::Pen);
    EXPECT_EQ(settings.fontSize, 20u); // the label font's height, stored at once
    measureLine({100, 100}, {200, 100});
    EXPECT_EQ(shapes().at(0)->labelLineHeight, 21);
    EXPECT_EQ(shapes().at(0)->lineColor, 0x00FF00FFu);

    window->onCommand(photo::Select);
    click({400, 300});
    answerText(QString());
    window->onCommand(photo::Text);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please input text!"));
    answerText(QStringLiteral("stoma"));
    window->onCommand(photo::Text);
    ASSERT_EQ(shapes().count(), 2);
    EXPECT_EQ(shapes().at(1)->points[0], QPoint(400, 300));
    EXPECT_EQ(shapes().at(1)->values[0], QStringLiteral("stoma"));
    EXPECT_TRUE(window->button(photo::Text)->isChecked());
}

TEST_F(PhotoWindowTest, TheMeasurementListFollowsTheCanvasAndClosesWithTheWindow)
{
    window->openPicture(picture(QStringLiteral("p.bmp"), {640, 480}));
    window->show();
    window->onCommand(photo::MeasurementList);
    CMeasurementPropertyDlg *list = desk->measurementList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->parentWidget(), window.get());
    QPointer<CMeasurementPropertyDlg> watched = list;
    measureLine({100, 100}, {200, 100});
    measureLine({100, 200}, {300, 200});
    // The canvas tells the list at its next paint that the number of shapes changed.
    QTRY_COMPARE(list->table()->rowCount(), 2);
    // A row click selects its shape on the canvas.
    Q_EMIT list->table()->cellClicked(1, 0);
    EXPECT_EQ(shapes().at(1)->selected, 1);
    EXPECT_EQ(shapes().at(0)->selected, 0);
    // Deleting from the list is a change not saved.
    prompt.fileAnswers = {home.file(QStringLiteral("saved.bmp"))};
    window->onCommand(photo::Save);
    ASSERT_TRUE(window->isSaved());
    Q_EMIT list->table()->cellClicked(0, 0);
    list->deleteButton()->click();
    EXPECT_EQ(shapes().count(), 1);
    EXPECT_FALSE(window->isSaved());
    QTRY_COMPARE(list->table()->rowCount(), 1);
    // A new canvas (maximised) hands the list its empty shapes.
    window->setWindowState(Qt::WindowMaximized);
    prompt.answers = {PromptAnswer::No};
    QTRY_VERIFY(window->isFullSize());
    EXPECT_EQ(list->list().state(), &canvas()->tools().shapes());
    EXPECT_EQ(list->table()->rowCount(), 0);
    window.reset();
    EXPECT_TRUE(watched.isNull());
}

} // namespace

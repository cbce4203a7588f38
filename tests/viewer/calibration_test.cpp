// Calibrations: numbers the sheet takes, stored values, calibration.plist read in file order
// and written sorted (checked with Python's plistlib), a file that does not parse left intact,
// the pop-up's entries, and the calibration run adopted only when it completes.
#include "viewer_test_support.h"

#include "app/calibration_store.h"
#include "app/measure_controls.h"
#include "app/new_calibration_controller.h"
#include "app/property_list.h"
#include "measure/grid_overlay.h"

#include "temp_home.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace quelmar::viewer;
using quelmar::test::readAll;
using quelmar::test::writeAll;

// The file as Python's plistlib reads it: [key, value] pairs in file order; empty on failure.
QJsonArray readByPython(const QString &path)
{
    int exitCode = -1;
    const QByteArray json =
        quelmar::test::runTool(QStringLiteral("python3"),
                               {QStringLiteral("-c"),
                                QStringLiteral("import json, plistlib, sys\n"
                                               "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                                               "print(json.dumps([[k, v] for k, v in d.items()]))"),
                                path},
                               &exitCode);
    return exitCode == 0 ? QJsonDocument::fromJson(json).array() : QJsonArray{QStringLiteral("x")};
}

QJsonArray pairs(std::initializer_list<std::pair<const char *, const char *>> entries)
{
    QJsonArray array;
    for (const auto &[key, value] : entries)
        array.append(QJsonArray{QString::fromUtf8(key), QString::fromUtf8(value)});
    return array;
}

QByteArray plist(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body +
           "</dict>\n</plist>\n";
}

struct NumberCase {
    const char *text;
    float value; // 0: refused
};

void PrintTo(const NumberCase &c, std::ostream *out)
{
    *out << '"' << c.text << '"';
}

class PositiveNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(PositiveNumbers, OnlyPositiveFiniteNumbersInTheCLocale)
{
    const std::optional<float> read = positiveNumber(QString::fromUtf8(GetParam().text));
    if (GetParam().value == 0) {
        EXPECT_FALSE(read) << GetParam().text;
    } else {
        EXPECT_FLOAT_EQ(read.value_or(-1), GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PositiveNumbers,
    ::testing::Values(NumberCase{"1.5", 1.5f}, NumberCase{"100", 100}, NumberCase{" 2 ", 2},
                      NumberCase{"+3", 3}, NumberCase{".5", 0.5f}, NumberCase{"1e3", 1000},
                      NumberCase{"1,5", 0}, NumberCase{"abc", 0}, NumberCase{"inf", 0},
                      NumberCase{"nan", 0}, NumberCase{"-5", 0}, NumberCase{"0", 0},
                      NumberCase{"0.0", 0}, NumberCase{"", 0}, NumberCase{"1.5.2", 0},
                      NumberCase{"1e40", 0}, NumberCase{"\xd9\xa3", 0}, NumberCase{"12abc", 0}));

struct ValueCase {
    const char *value;
    bool valid;
    Calibration expected;
};

void PrintTo(const ValueCase &c, std::ostream *out)
{
    *out << '"' << c.value << '"';
}

class StoredValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(StoredValues, ThreeValidPartsOrNoCalibration)
{
    const std::optional<Calibration> read = parseCalibration(QString::fromUtf8(GetParam().value));
    ASSERT_EQ(read.has_value(), GetParam().valid) << GetParam().value;
    if (read) {
        EXPECT_EQ(*read, GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredValues,
    ::testing::Values(ValueCase{"200.000-mm-0.125", true, {200, QStringLiteral("mm"), 0.125f}},
                      ValueCase{"1.500-um-2.000", true, {1.5f, QStringLiteral("um"), 2}},
                      ValueCase{"200-mm", false, {}}, ValueCase{"a-mm-1", false, {}},
                      ValueCase{"200-mm-0.000", false, {}}, ValueCase{"200--1", false, {}},
                      ValueCase{"1-2-3-4", false, {}}, ValueCase{"", false, {}},
                      ValueCase{"-5-mm-1", false, {}}, ValueCase{"inf-mm-1", false, {}}));

TEST(CalibrationFormat, ThreeDecimalsWithAPointInEveryLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(formatCalibration({200, QStringLiteral("mm"), 0.125f}),
              QStringLiteral("200.000-mm-0.125"));
    QLocale::setDefault(previous);
}

class CalibrationFile : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("calibration.plist")); }
    QTemporaryDir dir_;
};

TEST_F(CalibrationFile, ReadInFileOrderAndWrittenSorted)
{
    ASSERT_TRUE(
        writeAll(path(), plist("<key>zoom</key><string>10.000-mm-1.000</string>\n"
                               "<key>alpha &amp; beta</key><string>2.000-um-0.500</string>\n"
                               "<key>m</key><string>3</string>\n")));
    bool readable = false;
    const CalibrationStore store(path());
    EXPECT_EQ(
        store.names(&readable),
        QStringList({QStringLiteral("zoom"), QStringLiteral("alpha & beta"), QStringLiteral("m")}));
    EXPECT_TRUE(readable);
    EXPECT_EQ(store.find(QStringLiteral("m")), std::nullopt); // not a calibration value

    ASSERT_TRUE(store.store(QStringLiteral("Ünïcode"), {40, QStringLiteral("mm"), 0.25f}));
    const QJsonArray expected =
        QJsonArray{QJsonArray{"alpha & beta", "2.000-um-0.500"}, QJsonArray{"m", "3"},
                   QJsonArray{"zoom", "10.000-mm-1.000"}, QJsonArray{"Ünïcode", "40.000-mm-0.250"}};
    EXPECT_EQ(readByPython(path()), expected);
    EXPECT_EQ(store.find(QStringLiteral("Ünïcode")),
              (Calibration{40, QStringLiteral("mm"), 0.25f}));
}

class UnparsableFiles : public CalibrationFile,
                        public ::testing::WithParamInterface<const char *> {};

TEST_P(UnparsableFiles, AreNeverRewrittenWithOnlyTheNewEntry)
{
    const QByteArray before(GetParam());
    ASSERT_TRUE(writeAll(path(), before));
    const CalibrationStore store(path());
    bool readable = true;
    EXPECT_TRUE(store.names(&readable).isEmpty());
    EXPECT_FALSE(readable);
    QString error;
    EXPECT_FALSE(store.store(QStringLiteral("new"), {10, QStringLiteral("mm"), 1}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, UnparsableFiles,
    ::testing::Values("not xml at all",
                      "<?xml version=\"1.0\"?><plist><dict><key>a</key><string>1-mm-1</string>",
                      "<plist version=\"1.0\"><array><string>x</string></array></plist>",
                      "<plist><dict><key>a</key><dict/></dict></plist>",
                      "<plist><dict><key>a</key><string>1-mm-1</string></dict></plist><x",
                      "<plist><dict><key>a</key></dict></plist>"));

TEST_F(CalibrationFile, ADictionaryHoldingMoreThanTextsIsListedButNeverRewritten)
{
    for (const QByteArray &body :
         {QByteArray("<key>a</key><string>2.000-mm-1.000</string><key>n</key><integer>3</integer>"),
          QByteArray("<key>a</key><string>2.000-mm-1.000</string><key>on</key><true/>")}) {
        const QByteArray before = plist(body);
        ASSERT_TRUE(writeAll(path(), before));
        const CalibrationStore store(path());
        bool readable = false;
        EXPECT_EQ(store.names(&readable).size(), 2);
        EXPECT_TRUE(readable);
        EXPECT_EQ(store.find(QStringLiteral("a")), (Calibration{2, QStringLiteral("mm"), 1}));
        QString error;
        EXPECT_FALSE(store.store(QStringLiteral("new"), {10, QStringLiteral("mm"), 1}, &error));
        EXPECT_TRUE(error.contains(u"not calibrations")) << error.toStdString();
        EXPECT_EQ(readAll(path()), before);
    }
}

TEST_F(CalibrationFile, FirstStartCopyIsAWritableFileAndClearLeavesAnEmptyDictionary)
{
    const CalibrationStore store(path());
    ASSERT_TRUE(store.createIfMissing(plist("<key>x</key><string>5.000-mm-1.000</string>\n")));
    EXPECT_TRUE(QFileInfo(path()).isWritable());
    EXPECT_TRUE(store.createIfMissing("ignored: the file exists"));
    EXPECT_EQ(readByPython(path()), pairs({{"x", "5.000-mm-1.000"}}));
    ASSERT_TRUE(store.clear());
    EXPECT_EQ(readByPython(path()), QJsonArray());
}

TEST_F(CalibrationFile, KeysXmlCannotHoldAreNotWritten)
{
    PropertyList list;
    list.setString(QStringLiteral("bad\x01key"), QStringLiteral("1.000-mm-1.000"));
    EXPECT_FALSE(list.write(path()));
    EXPECT_FALSE(QFileInfo::exists(path()));
}

struct SheetCase {
    const char *name, *magnification, *length, *unit;
    const char *alert; // nullptr: accepted
};

void PrintTo(const SheetCase &c, std::ostream *out)
{
    *out << '"' << c.name << "|" << c.magnification << "|" << c.length << "|" << c.unit << '"';
}

class CalibrationSheet : public ::testing::TestWithParam<SheetCase> {};

TEST_P(CalibrationSheet, ChecksInTheSheetsOrder)
{
    const SheetCase &c = GetParam();
    const std::optional<QString> alert = NewCalibrationController::refusal(
        QString::fromUtf8(c.name), QString::fromUtf8(c.magnification), QString::fromUtf8(c.length),
        QString::fromUtf8(c.unit));
    EXPECT_EQ(alert, c.alert ? std::optional<QString>(QString::fromUtf8(c.alert)) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CalibrationSheet,
    ::testing::Values(SheetCase{"x20", "1.5", "100", "mm", nullptr},
                      SheetCase{"x20", "1,5", "100", "mm", "Magnification is illegal"},
                      SheetCase{"x20", "abc", "100", "mm", "Magnification is illegal"},
                      SheetCase{"x20", "inf", "100", "mm", "Magnification is illegal"},
                      SheetCase{"x20", "-5", "100", "mm", "Magnification is illegal"},
                      SheetCase{"x20", "0", "100", "mm", "Magnification is illegal"},
                      SheetCase{"x20", "0.0001", "100", "mm", "Magnification is illegal"},
                      SheetCase{"x20", "", "100", "mm", "Magnification is illegal"},
                      SheetCase{"x20", "20", "1,5", "mm", "Actual Length is illegal"},
                      SheetCase{"x20", "20", "0", "mm", "Actual Length is illegal"},
                      SheetCase{"x20", "20", "-1", "mm", "Actual Length is illegal"},
                      SheetCase{"", "20", "1", "mm", " can't empty"},
                      SheetCase{"  ", "20", "1", "mm", " can't empty"},
                      SheetCase{"x20", "20", "1", "", " can't empty"}));

TEST(CalibrationSheetDialog, StaysOpenAfterAnAlertAndReportsOnceValid)
{
    quelmar::test::ScriptedViewerPrompt prompt;
    NewCalibrationController sheet(&prompt);
    QSignalSpy reports(&sheet, &NewCalibrationController::PassValue);
    sheet.open();
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);
    sheet.CalibrationName().setText(QStringLiteral("x20"));
    sheet.CalibrationMag().setText(QStringLiteral("1,5"));
    sheet.CalibrationLen().setText(QStringLiteral("100"));
    sheet.ok();
    EXPECT_EQ(prompt.alerts, QStringList{QStringLiteral("Magnification is illegal")});
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(reports.count(), 0);

    sheet.CalibrationMag().setText(QStringLiteral("1.5"));
    sheet.CalibrationUnit().setCurrentText(QStringLiteral("um"));
    sheet.ok();
    EXPECT_FALSE(sheet.isVisible());
    ASSERT_EQ(reports.count(), 1);
    EXPECT_EQ(reports.at(0).at(1).toInt(), kReportCalibrationSheet);
    const auto entity = reports.at(0).at(0).value<UserEntity>();
    EXPECT_EQ(entity.Param1, QStringLiteral("x20"));
    EXPECT_EQ(entity.Param2, QStringLiteral("1.5"));
    EXPECT_EQ(entity.Param3, QStringLiteral("100"));
    EXPECT_EQ(entity.Param4, QStringLiteral("um"));

    QSignalSpy cancelled(&sheet, &NewCalibrationController::cancelled);
    sheet.open();
    sheet.reject();
    EXPECT_EQ(cancelled.count(), 1);
}

// The measuring controls with a stream that runs or not, and their own calibration file.
class Measuring : public ::testing::Test {
protected:
    Measuring() : controls_(&prompt_, [this] { return available_; })
    {
        file_ = dir_.filePath(QStringLiteral("calibration.plist"));
    }
    void load(const QByteArray &contents)
    {
        writeAll(file_, contents);
        controls_.loadCalibrations(file_);
    }
    static UserEntity entity(const char *p1, const char *p2, const char *p3, const char *p4,
                             const char *p5 = "")
    {
        UserEntity e;
        e.Param1 = QString::fromUtf8(p1);
        e.Param2 = QString::fromUtf8(p2);
        e.Param3 = QString::fromUtf8(p3);
        e.Param4 = QString::fromUtf8(p4);
        e.Param5 = QString::fromUtf8(p5);
        return e;
    }

    QTemporaryDir dir_;
    QString file_;
    bool available_ = true;
    quelmar::test::ScriptedViewerPrompt prompt_;
    MeasureControls controls_;
};

TEST_F(Measuring, ToolsNeedAStreamAndThenACalibration)
{
    load(plist(""));
    QSignalSpy requests(&controls_, &MeasureControls::measureModeRequested);
    available_ = false;
    controls_.toolAction(1);
    controls_.setLineWidth(5);
    EXPECT_TRUE(prompt_.alerts.isEmpty());
    EXPECT_EQ(controls_.style().measure_line_width, 1);
    available_ = true;
    controls_.toolAction(1);
    EXPECT_EQ(prompt_.alerts, QStringList{QStringLiteral("Please calibrate first")});
    EXPECT_EQ(requests.count(), 0);
}

TEST_F(Measuring, AStoredCalibrationIsSelectedAndADamagedOneMeansNone)
{
    load(plist("<key>good</key><string>200.000-mm-0.125</string>\n"
               "<key>damaged</key><string>200.000-mm</string>\n"));
    EXPECT_EQ(controls_.calibrationEntries(),
              QStringList({QStringLiteral("good"), QStringLiteral("damaged")}));
    QSignalSpy requests(&controls_, &MeasureControls::measureModeRequested);
    controls_.selectCalibration(MeasureControls::kFirstStoredEntry, QStringLiteral("good"));
    EXPECT_EQ(controls_.measureUnit(), QStringLiteral("mm"));
    EXPECT_FLOAT_EQ(controls_.measureLength(), 0.125f);
    EXPECT_FLOAT_EQ(controls_.measureMag(), 200);
    ASSERT_EQ(requests.count(), 1);
    const auto request = requests.at(0).at(0).value<MeasureRequest>();
    EXPECT_EQ(request.mode, 0);
    EXPECT_FALSE(request.calibration);

    controls_.selectCalibration(MeasureControls::kFirstStoredEntry + 1, QStringLiteral("damaged"));
    EXPECT_EQ(controls_.measureMag(), 0);
    EXPECT_EQ(requests.count(), 1);
    controls_.toolAction(1);
    EXPECT_TRUE(prompt_.alerts.contains(QStringLiteral("Please calibrate first")));
}

TEST_F(Measuring, DeleteAllEmptiesTheFileAndLeavesTheFixedEntries)
{
    load(plist("<key>a</key><string>2.000-mm-1.000</string>\n"));
    controls_.selectCalibration(MeasureControls::kFirstStoredEntry, QStringLiteral("a"));
    controls_.selectCalibration(MeasureControls::kDeleteAllEntry, {});
    EXPECT_TRUE(controls_.calibrationEntries().isEmpty());
    EXPECT_EQ(controls_.calibrationTitle(), QStringLiteral("NO CAL"));
    EXPECT_EQ(controls_.measureMag(), 0);
    EXPECT_EQ(readByPython(file_), QJsonArray());
}

TEST_F(Measuring, ARunIsAdoptedOnlyWhenItCompletesAndCancelGivesTheViewItsCalibration)
{
    load(plist("<key>old</key><string>50.000-mm-2.000</string>\n"));
    controls_.selectCalibration(MeasureControls::kFirstStoredEntry, QStringLiteral("old"));
    QSignalSpy requests(&controls_, &MeasureControls::measureModeRequested);

    controls_.beginCalibrationRun(entity("new", "1.5", "100", "um"));
    ASSERT_EQ(requests.count(), 1);
    auto request = requests.at(0).at(0).value<MeasureRequest>();
    EXPECT_EQ(request.mode, 1);
    EXPECT_TRUE(request.calibration);
    EXPECT_EQ(request.name, QStringLiteral("new"));
    EXPECT_FLOAT_EQ(request.magnification, 1.5f);
    EXPECT_FLOAT_EQ(request.length, 100);
    // Unfinished: the controller still measures with the old calibration.
    EXPECT_FLOAT_EQ(controls_.measureMag(), 50);
    EXPECT_EQ(controls_.measureUnit(), QStringLiteral("mm"));

    controls_.calibrationSheetCancelled();
    request = requests.at(1).at(0).value<MeasureRequest>();
    EXPECT_FALSE(request.calibration);
    EXPECT_FLOAT_EQ(request.magnification, 50);
    EXPECT_FLOAT_EQ(request.length, 2);

    controls_.beginCalibrationRun(entity("new", "1.5", "100", "um"));
    controls_.completeCalibrationRun(entity("new", "1.500000", "0.250000", "um", "new"));
    controls_.completeCalibrationRun(entity("new", "1.500000", "0.250000", "um", "new"));
    EXPECT_FLOAT_EQ(controls_.measureMag(), 1.5f);
    EXPECT_FLOAT_EQ(controls_.measureLength(), 0.25f);
    EXPECT_EQ(controls_.calibrationEntries(),
              QStringList({QStringLiteral("old"), QStringLiteral("new")}));
    EXPECT_EQ(controls_.calibrationTitle(), QStringLiteral("new"));
    EXPECT_EQ(readByPython(file_), pairs({{"new", "1.500-um-0.250"}, {"old", "50.000-mm-2.000"}}));
}

TEST_F(Measuring, ACompletedRunWithAFileItMayNotRewriteIsUsedButNotStoredNorListed)
{
    for (const QByteArray &kept :
         {QByteArray("<plist><dict><key>a</key>"),
          plist("<key>a</key><string>2.000-mm-1.000</string><key>n</key><real>1.5</real>")}) {
        load(kept);
        const QStringList entries = controls_.calibrationEntries();
        QSignalSpy status(&controls_, &MeasureControls::statusTextRequested);
        QSignalSpy menu(&controls_, &MeasureControls::calibrationMenuChanged);
        controls_.completeCalibrationRun(entity("new", "2", "0.5", "mm", "new"));
        EXPECT_FLOAT_EQ(controls_.measureMag(), 2);
        EXPECT_FLOAT_EQ(controls_.measureLength(), 0.5f);
        EXPECT_EQ(readAll(file_), kept);
        EXPECT_EQ(controls_.calibrationEntries(), entries);
        EXPECT_EQ(menu.count(), 0);
        ASSERT_EQ(status.count(), 1);
        EXPECT_TRUE(status.at(0).at(0).toString().startsWith(u"The calibration is not stored"));
    }
}

TEST_F(Measuring, ARunWithoutACalibrationFileCalibratesOnlyTheView)
{
    load(plist(""));
    controls_.selectCalibration(MeasureControls::kNoCalibrationEntry, {});
    ASSERT_TRUE(QFile::remove(file_));
    QSignalSpy menu(&controls_, &MeasureControls::calibrationMenuChanged);
    controls_.completeCalibrationRun(entity("new", "2", "0.5", "mm", "new"));
    EXPECT_FALSE(QFileInfo::exists(file_));
    EXPECT_EQ(controls_.measureMag(), 0);
    EXPECT_TRUE(controls_.calibrationEntries().isEmpty());
    EXPECT_EQ(menu.count(), 0);
}

TEST_F(Measuring, OnlyFinitePositiveValuesOfARunAreAdopted)
{
    load(plist(""));
    for (const auto &[magnification, unitLength] :
         {std::pair{"inf", "1"}, std::pair{"2", "nan"}, std::pair{"2", "0.000000"},
          std::pair{"-2", "1"}, std::pair{"2", "1e40"}}) {
        controls_.completeCalibrationRun(entity("bad", magnification, unitLength, "mm", "bad"));
        EXPECT_EQ(controls_.measureMag(), 0) << magnification << " " << unitLength;
    }
    EXPECT_TRUE(controls_.calibrationEntries().isEmpty());
    EXPECT_EQ(readByPython(file_), QJsonArray());
}

} // namespace

// A photo window over its real measuring side, a scripted prompt, the default texts and a
// throw-away home; pictures are written with the station's codecs, saved files are read back
// by ImageMagick.
#pragma once

#include "base/command_ids.h"
#include "base/language.h"
#include "base/registry_store.h"
#include "base/station_settings.h"
#include "library/picture_show.h"
#include "measure/calibration.h"
#include "measure/photo_measure_desk.h"
#include "measure/sub_picture.h"
#include "measure/text_setting_dlg.h"
#include "scripted_prompt.h"
#include "temp_home.h"

#include <image/bmp_codec.h>
#include <image/jpeg_codec.h>

#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace quelmar::test {

// A picture read back by ImageMagick as packed RGB.
struct Readback {
    int width = 0;
    int height = 0;
    QByteArray rgb;

    QColor at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return {};
        const auto *p =
            reinterpret_cast<const uchar *>(rgb.constData()) + (qsizetype(y) * width + x) * 3;
        return QColor(p[0], p[1], p[2]);
    }
    // Whether a pixel within `radius` of (x, y) passes `test`.
    template <typename Test> bool near(double x, double y, int radius, Test test) const
    {
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (test(at(int(x) + dx, int(y) + dy)))
                    return true;
        return false;
    }
};

inline Readback readWithImageMagick(const QString &path)
{
    int exit = -1;
    const QByteArray ppm = runTool(
        QStringLiteral("/usr/bin/convert"),
        {path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("ppm:-")}, &exit);
    Readback r;
    const QList<QByteArray> header = ppm.left(64).split('\n');
    if (exit != 0 || header.size() < 4 || header[0] != "P6")
        return r;
    const QList<QByteArray> size = header[1].split(' ');
    r.width = size.value(0).toInt();
    r.height = size.value(1).toInt();
    r.rgb = ppm.mid(header[0].size() + header[1].size() + header[2].size() + 3);
    return r;
}

inline bool reddish(const QColor &c)
{
    return c.isValid() && c.red() > 150 && c.green() < 110 && c.blue() < 110;
}

class PhotoWindowTest : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompt prompt;
    station::Language language; // no files: every text is its default
    station::RegistryStore store{home.file(QStringLiteral("settings.reg"))};
    station::SettingsIo io{store};
    station::StationSettings settings;
    station::LogFont labelFont;
    station::CalibrationFile calibration{home.file(QStringLiteral("CalibrationIni.ini"))};
    station::MeasureScale scale{calibration};
    QStringList printed;
    std::unique_ptr<station::PhotoMeasureDesk> desk;
    std::unique_ptr<station::CPictureShow> window;

    void SetUp() override
    {
        settings.lineWidth = 3; // marks that survive JPEG in the read-back checks
        scale.setMagnificationText(QStringLiteral("10"));
        station::PhotoMeasureDesk::Context m;
        m.prompt = &prompt;
        m.language = &language;
        m.messageTitle = QStringLiteral("Quelmar");
        m.scale = &scale;
        m.settings = &settings;
        m.io = &io;
        m.labelFont = &labelFont;
        m.labelFontFile = home.file(QStringLiteral("Measurefont.ini"));
        m.textFontFile = home.file(QStringLiteral("logfont.ini"));
        m.sensorClass = [] { return 1; };
        desk = std::make_unique<station::PhotoMeasureDesk>(std::move(m));
        station::CPictureShow::Context w;
        w.prompt = &prompt;
        w.language = &language;
        w.messageTitle = QStringLiteral("Quelmar");
        w.measuring = desk.get();
        w.print = [this](const QString &path) {
            printed << path;
            return true;
        };
        window = std::make_unique<station::CPictureShow>(std::move(w));
    }

    void TearDown() override
    {
        window.reset();
        desk.reset();
    }

    // A grey picture, written by the station's codec by the extension.
    QString picture(const QString &name, QSize size, int grey = 90)
    {
        Frame frame(size.width(), size.height());
        std::fill(frame.data(), frame.data() + frame.byteCount(), std::uint8_t(grey));
        const QString path = home.file(name);
        const bool bmp = name.endsWith(QLatin1String("bmp"), Qt::CaseInsensitive);
        EXPECT_TRUE(bmp ? writeBmp(path, frame.view()) : writeJpeg(path, frame.view()));
        return path;
    }

    station::CSubPicture *canvas() const { return desk->canvas(); }
    const station::ShapeList &shapes() const { return canvas()->tools().list(); }

    void click(QPoint at) { QTest::mouseClick(canvas(), Qt::LeftButton, {}, at); }
    void clicks(std::initializer_list<QPoint> points)
    {
        for (const QPoint &p : points)
            click(p);
    }
    void doubleClick(QPoint at)
    {
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(canvas(), Qt::LeftButton, {}, at);
    }
    // A measured line from the measuring menu, labelled at its end.
    void measureLine(QPoint a, QPoint b)
    {
        window->onCommand(station::photo::MeasureLine);
        clicks({a, b, b});
    }
    // Answers the text dialog with `text`.
    void answerText(const QString &text)
    {
        prompt.onDialog = [text](QDialog &d) {
            auto *dialog = dynamic_cast<station::CTextsetting *>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            dialog->textEdit()->setPlainText(text);
            return int(QDialog::Accepted);
        };
    }
    QString lastQuestion() const
    {
        for (auto it = prompt.messages.rbegin(); it != prompt.messages.rend(); ++it)
            if (it->buttons == station::PromptButtons::YesNo)
                return it->text;
        return {};
    }
};

} // namespace quelmar::test

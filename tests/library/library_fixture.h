// A media library over a throw-away workspace, with scripted prompts and a recording player.
#pragma once

#include "base/language.h"
#include "library/media_library.h"
#include "library/small_picture_wnd.h"
#include "library/video_player.h"
#include "mail_print_doubles.h"
#include "scripted_prompt.h"
#include "temp_home.h"

#include <image/bmp_codec.h>
#include <image/jpeg_codec.h>

#include <QComboBox>
#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace quelmar::test {

class RecordingPlayer final : public station::VideoPlayer {
public:
    QStringList played;
    QString handOverFile;
    QByteArray handOverAtStart; // what the hand-over file held when the player started
    bool play(const QString &videoPath) override
    {
        played << videoPath;
        handOverAtStart = readAll(handOverFile);
        return true;
    }
};

class LibraryTest : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompt prompt;
    station::Language language;
    RecordingPlayer player;
    RecordingMail mail;
    station::MailHandOver *mailSystem = &mail; // null: the station has no mail system
    PdfPrinter printer;
    QWidget canvas;
    station::MediaLibrary *library = nullptr; // owned by canvas

    void SetUp() override { makeLibrary(); }

    void makeLibrary()
    {
        delete library;
        station::MediaLibrary::Context c;
        c.prompt = &prompt;
        c.language = &language;
        c.messageTitle = QStringLiteral("Title");
        c.player = &player;
        c.documentsDir = home.path();
        c.folderPathFile = home.file(QStringLiteral("folderpath.txt"));
        c.mail = mailSystem;
        c.printer = &printer;
        c.workDir = cacheDir();
        printer.outputFile = home.file(QStringLiteral("printed.pdf"));
        player.handOverFile = c.folderPathFile;
        library = new station::MediaLibrary(c, &canvas);
        library->strip()->setGeometry(12, 110, 162, 430);
    }

    station::CSmallPictureWnd &strip() { return *library->strip(); }
    QString root() const { return home.path() + QStringLiteral("/Quelmar files2"); }
    QString folder(const QString &name) const { return root() + u'/' + name; }
    QString cacheDir() const { return home.file(QStringLiteral("cache")); }

    // "FORMAT WIDTH HEIGHT" of a picture file as ImageMagick reads it; empty when it cannot.
    static Frame testPicture(int width, int height)
    {
        Frame frame(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t *p = frame.view().row(y) + x * 3;
                p[0] = std::uint8_t(x * 4);
                p[1] = std::uint8_t(y * 4);
                p[2] = 200;
            }
        return frame;
    }

    // A still as capture leaves it: the full-size file in Picture/tmp and its thumbnail.
    QString addStill(const QString &folderName, const QString &name)
    {
        const QString pictureDir = folder(folderName) + QStringLiteral("/Picture");
        QDir().mkpath(pictureDir + QStringLiteral("/tmp"));
        Frame full = testPicture(64, 48);
        Frame thumb = testPicture(60, 60);
        const bool bmp = name.endsWith(QStringLiteral(".bmp"));
        const QString fullPath = pictureDir + QStringLiteral("/tmp/") + name;
        const QString thumbPath = pictureDir + u'/' + name;
        if (bmp) {
            writeBmp(fullPath, full.view());
            writeBmp(thumbPath, thumb.view());
        } else {
            writeJpeg(fullPath, full.view());
            writeJpeg(thumbPath, thumb.view());
        }
        return thumbPath;
    }

    QStringList folderBoxEntries() const
    {
        QStringList entries;
        for (int i = 0; i < library->folderBox()->count(); ++i)
            entries << library->folderBox()->itemText(i);
        return entries;
    }
};

} // namespace quelmar::test

#include "library/folder_files.h"
#include "library/folder_info.h"
#include "library/folder_property_dlg.h"
#include "library/manager_folder_dlg.h"
#include "library/new_folder_dlg.h"
#include "library/workspace.h"
#include "library_fixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>

using namespace quelmar::station;
using namespace quelmar::test;

namespace {

using WorkspaceFolders = LibraryTest;

TEST_F(WorkspaceFolders, FirstStartCreatesDefaultWithoutANote)
{
    library->LoadFolders(true);
    for (const char *dir : {"Video", "Picture", "Picture/tmp"})
        EXPECT_TRUE(QFileInfo(folder("Default") + u'/' + QLatin1StringView(dir)).isDir()) << dir;
    EXPECT_FALSE(QFile::exists(folder("Default") + QStringLiteral("/note.txt")));
    EXPECT_EQ(library->current().folderPath, folder("Default"));
    EXPECT_EQ(library->current().fullSizeDir, folder("Default") + QStringLiteral("/Picture/tmp"));
    EXPECT_EQ(folderBoxEntries(), QStringList{QStringLiteral("Default")});
}

TEST_F(WorkspaceFolders, TheFirstFolderInSortOrderBecomesCurrent)
{
    QDir().mkpath(folder("zebra"));
    QDir().mkpath(folder("Apple"));
    QDir().mkpath(folder(".thumbnails")); // hidden directories are no folders
    QDir().mkpath(folder(".Trash-1000"));
    library->LoadFolders(true);
    EXPECT_EQ(folderBoxEntries(), (QStringList{QStringLiteral("Apple"), QStringLiteral("Default"),
                                               QStringLiteral("zebra")}));
    EXPECT_EQ(library->current().folderPath, folder("Apple"));
}

TEST_F(WorkspaceFolders, ChoosingTheCurrentFolderAgainReloadsNothing)
{
    QDir().mkpath(folder("Apple"));
    library->LoadFolders(true);
    const int reloads = library->reloadCount();
    Q_EMIT library->folderBox()->activated(0); // Apple, already current
    EXPECT_EQ(library->reloadCount(), reloads);
    Q_EMIT library->folderBox()->activated(1);
    EXPECT_EQ(library->reloadCount(), reloads + 1);
    EXPECT_EQ(library->current().videoDir, folder("Default") + QStringLiteral("/Video"));
}

TEST_F(WorkspaceFolders, NewFolderIsMadeCurrentWithItsNote)
{
    library->LoadFolders(true);
    prompt.onDialog = [](QDialog &d) {
        auto &dialog = dynamic_cast<CNewFolderDlg &>(d);
        dialog.nameEdit()->setText(QStringLiteral("Bees"));
        dialog.noteEdit()->setPlainText(QStringLiteral("wing\nleg"));
        dialog.accept();
        return d.result();
    };
    library->newFolder();
    EXPECT_EQ(library->current().folderPath, folder("Bees"));
    EXPECT_EQ(library->folderBox()->currentText(), QStringLiteral("Bees"));
    EXPECT_TRUE(QFileInfo(folder("Bees") + QStringLiteral("/Picture/tmp")).isDir());
    EXPECT_EQ(readAll(folder("Bees") + QStringLiteral("/note.txt")), QByteArray("wing\r\nleg"));
    EXPECT_EQ(readFolderNote(folder("Bees")), QStringLiteral("wingleg"));
}

TEST_F(WorkspaceFolders, NewFolderWithAnExistingNameReplacesItsNote)
{
    QDir().mkpath(folder("Apple"));
    library->LoadFolders(true);
    const auto create = [&](const QString &name, const QString &note) {
        prompt.onDialog = [&](QDialog &d) {
            auto &dialog = dynamic_cast<CNewFolderDlg &>(d);
            dialog.nameEdit()->setText(name);
            dialog.noteEdit()->setPlainText(note);
            dialog.accept();
            return d.result();
        };
        library->newFolder();
    };
    create(QStringLiteral("Default"), QStringLiteral("again"));
    EXPECT_EQ(library->current().folderPath, folder("Default"));
    EXPECT_EQ(library->folderBox()->currentText(), QStringLiteral("Default"));
    EXPECT_EQ(readFolderNote(folder("Default")), QStringLiteral("again"));
    // A name differing only in case is another folder, and the box shows that one.
    create(QStringLiteral("apple"), QString());
    EXPECT_EQ(library->current().folderPath, folder("apple"));
    EXPECT_EQ(library->folderBox()->currentText(), QStringLiteral("apple"));
    // An empty name creates nothing.
    create(QString(), QStringLiteral("x"));
    EXPECT_EQ(folderBoxEntries().size(), 3);
}

TEST_F(WorkspaceFolders, NewFolderRefusesBadNamesAndStaysOpen)
{
    library->LoadFolders(true);
    for (const QString &name : {QStringLiteral(".."), QStringLiteral("a/b"), QString(128, u'x')}) {
        prompt.onDialog = [&](QDialog &d) {
            auto &dialog = dynamic_cast<CNewFolderDlg &>(d);
            dialog.nameEdit()->setMaxLength(1000); // as if pasted past the limit
            dialog.nameEdit()->setText(name);
            dialog.accept();
            EXPECT_FALSE(d.result() == QDialog::Accepted) << name.toStdString();
            return int(QDialog::Rejected);
        };
        const auto before = prompt.messages.size();
        library->newFolder();
        EXPECT_EQ(prompt.messages.size(), before + 1) << name.toStdString();
    }
    EXPECT_EQ(QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Default")});
    EXPECT_EQ(library->current().folderPath, folder("Default"));
}

TEST(FolderNames, OneLimitAndNoPathCharacters)
{
    EXPECT_FALSE(folderNameProblem(QStringLiteral("Cells 2026")));
    EXPECT_FALSE(folderNameProblem(QString(127, u'x')));
    EXPECT_TRUE(folderNameProblem(QString(128, u'x')));
    // 127 characters, but more bytes than a directory name may have.
    EXPECT_TRUE(folderNameProblem(QString(127, QChar(0x4E2D))));
    EXPECT_TRUE(folderNameProblem(QStringLiteral(".")));
    EXPECT_TRUE(folderNameProblem(QStringLiteral(".hidden")));
    EXPECT_TRUE(folderNameProblem(QStringLiteral("a") + QChar(0) + u'b'));
}

TEST_F(WorkspaceFolders, ManagerRowsCountFullSizeStillsAndVideos)
{
    for (const auto &[name, size] : {std::pair{"a.jpg", 1000}, {"b.BMP", 2000}, {"c.jpg", 3000}})
        writeAll(folder("Apple") + QStringLiteral("/Picture/tmp/") + QLatin1StringView(name),
                 QByteArray(size, 'x'));
    writeAll(folder("Apple") + QStringLiteral("/Picture/a.jpg"), QByteArray(500, 'x'));
    writeAll(folder("Apple") + QStringLiteral("/Picture/tmp/notes.txt"), QByteArray(7, 'x'));
    writeAll(folder("Apple") + QStringLiteral("/Video/v.avi"), QByteArray(10, 'x'));
    writeFolderNote(folder("Apple"), QStringLiteral("one\ntwo"));
    QDir().mkpath(folder("Empty"));
    QDir().mkpath(folder(".stfolder"));

    const QVector<CFolderInfo> rows = readFolderInfos(root());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].name, QStringLiteral("Apple"));
    EXPECT_EQ(rows[0].photo, QStringLiteral("3/6000"));
    EXPECT_EQ(rows[0].video, QStringLiteral("1/10"));
    EXPECT_EQ(rows[0].note, QStringLiteral("onetwo"));
    EXPECT_EQ(rows[0].location, folder("Apple"));
    EXPECT_TRUE(rows[0].created.contains(QRegularExpression(
        QStringLiteral("^\\d{4}/[1-9]\\d?/[1-9]\\d? \\d{1,2}:\\d{1,2}:\\d{1,2}$"))))
        << rows[0].created.toStdString();
    EXPECT_EQ(rows[1].photo, QStringLiteral("0/0"));
    EXPECT_EQ(rows[1].video, QStringLiteral("0/0"));
}

TEST_F(WorkspaceFolders, PropertyCountsTheShownKind)
{
    writeAll(folder("Apple") + QStringLiteral("/Picture/tmp/a.jpg"), QByteArray(1572864, 'x'));
    writeAll(folder("Apple") + QStringLiteral("/Video/v.avi"), QByteArray(100, 'x'));
    writeAll(folder("Apple") + QStringLiteral("/Video/v.mp4"), QByteArray(100, 'x'));
    const FolderProperty pictures = FolderProperty::read(folder("Apple"), ListKind::Pictures);
    EXPECT_EQ(pictures.name, QStringLiteral("Apple"));
    EXPECT_EQ(pictures.size, QStringLiteral("1 MB"));
    EXPECT_EQ(pictures.contains, QStringLiteral("1 files"));
    EXPECT_EQ(pictures.created, QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    const FolderProperty videos = FolderProperty::read(folder("Apple"), ListKind::Videos);
    EXPECT_EQ(videos.size, QStringLiteral("0 MB"));
    EXPECT_EQ(videos.contains, QStringLiteral("1 files"));
    EXPECT_TRUE(FolderProperty::read(folder("None"), ListKind::Videos).created.isEmpty());
}

// The dialog edits the note with its line breaks, so OK writes back what it read.
TEST_F(WorkspaceFolders, PropertyOkKeepsTheNoteAsItWas)
{
    QDir().mkpath(folder("Apple"));
    ASSERT_TRUE(writeFolderNote(folder("Apple"), QStringLiteral("one\ntwo\n\nthree")));
    library->LoadFolders(true);
    QString shown;
    prompt.onDialog = [&](QDialog &d) {
        auto &dialog = dynamic_cast<CFolderPropertyDlg &>(d);
        shown = dialog.noteEdit()->toPlainText();
        dialog.accept();
        return d.result();
    };
    library->showFolderProperty();
    EXPECT_EQ(shown, QStringLiteral("one\ntwo\n\nthree"));
    EXPECT_EQ(readAll(folder("Apple") + QStringLiteral("/note.txt")),
              QByteArray("one\r\ntwo\r\n\r\nthree"));
}

// Deleting never reaches outside the folder: links are removed as links, and a folder that
// keeps other entries stays, listed again.
TEST_F(WorkspaceFolders, DeletingAFolderTouchesOnlyItsListedFiles)
{
    const QString outside = home.file(QStringLiteral("outside"));
    writeAll(outside + QStringLiteral("/precious.jpg"), "keep");
    addStill(QStringLiteral("Apple"), QStringLiteral("s.jpg"));
    writeAll(folder("Apple") + QStringLiteral("/Video/v.avi"), "avi");
    writeAll(folder("Apple") + QStringLiteral("/stray.txt"), "stray");
    QFile::link(outside + QStringLiteral("/precious.jpg"),
                folder("Apple") + QStringLiteral("/Picture/link.jpg"));
    QFile::link(outside, folder("Apple") + QStringLiteral("/Video/linkdir"));
    writeFolderNote(folder("Apple"), QStringLiteral("n"));

    EXPECT_FALSE(deleteFolder(root(), QStringLiteral("Apple")));
    EXPECT_EQ(readAll(outside + QStringLiteral("/precious.jpg")), QByteArray("keep"));
    EXPECT_EQ(
        QDir(folder("Apple")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
        QStringList{QStringLiteral("stray.txt")});

    // A folder that is itself a link to a directory elsewhere goes as a link.
    QFile::link(outside, folder("Linked"));
    EXPECT_TRUE(deleteFolder(root(), QStringLiteral("Linked")));
    EXPECT_EQ(readAll(outside + QStringLiteral("/precious.jpg")), QByteArray("keep"));
    EXPECT_FALSE(deleteFolder(root(), QStringLiteral("..")));
    EXPECT_TRUE(QFileInfo(root()).isDir());
}

TEST_F(WorkspaceFolders, ManagerDeleteKeepsAFolderThatIsNotEmptyAndReloadsTheBox)
{
    addStill(QStringLiteral("Apple"), QStringLiteral("s.jpg"));
    writeAll(folder("Apple") + QStringLiteral("/stray.txt"), "stray");
    addStill(QStringLiteral("Bees"), QStringLiteral("s.jpg"));
    library->LoadFolders(true);
    prompt.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::Yes};
    QStringList rowsAfter;
    prompt.onDialog = [&](QDialog &d) {
        auto &dialog = dynamic_cast<CManagerFolderDlg &>(d);
        dialog.selectRow(0);     // Apple
        dialog.deleteSelected(); // No
        EXPECT_TRUE(dialog.selectedName().isEmpty());
        dialog.selectRow(0);
        dialog.deleteSelected(); // Yes: the stray file keeps it
        dialog.selectRow(1);     // Bees
        dialog.deleteSelected(); // Yes: gone
        for (const CFolderInfo &row : dialog.rows())
            rowsAfter << row.name;
        return int(QDialog::Rejected);
    };
    library->manageFolders();
    EXPECT_EQ(rowsAfter, (QStringList{QStringLiteral("Apple"), QStringLiteral("Default")}));
    EXPECT_FALSE(QFileInfo::exists(folder("Bees")));
    QCoreApplication::processEvents(); // the queued reload after a deletion
    EXPECT_EQ(folderBoxEntries(),
              (QStringList{QStringLiteral("Apple"), QStringLiteral("Default")}));
}

TEST(FolderPathFile, HoldsThePathInUtf16WithoutMarkOrEnd)
{
    TempHome home;
    const QString file = home.file(QStringLiteral("folderpath.txt"));
    ASSERT_TRUE(writeFolderPathFile(file, QStringLiteral("/v/\u00E9.avi")));
    EXPECT_EQ(readAll(file), QByteArray("/\0v\0/\0\xE9\0.\0a\0v\0i\0", 16));
}

TEST(WorkingPaths, TmpIsInsertedAndRemovedBeforeTheFileName)
{
    EXPECT_EQ(insertTmp(QStringLiteral("/w/F/Picture/a.jpg")),
              QStringLiteral("/w/F/Picture/tmp/a.jpg"));
    EXPECT_EQ(removeTmp(QStringLiteral("/w/F/Video/tmp/v.avi")),
              QStringLiteral("/w/F/Video/v.avi"));
    EXPECT_EQ(removeTmp(QStringLiteral("/w/F/Video/v.avi")), QStringLiteral("/w/F/Video/v.avi"));
}

} // namespace

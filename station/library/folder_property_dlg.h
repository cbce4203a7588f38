// CFolderPropertyDlg: a folder's name, location, size, file count and creation date for the
// kind the strip shows, and its note, saved by the save button.
#pragma once

#include "library/folder_info.h"

#include <QDialog>

#include <functional>

class QPlainTextEdit;

namespace quelmar::station {

class Language;

class CFolderPropertyDlg : public QDialog {
    Q_OBJECT
public:
    // Saves the note; false keeps the dialog open.
    using OnSave = std::function<bool(const QString &note)>;

    CFolderPropertyDlg(const Language &language, const FolderProperty &property, OnSave onSave,
                       QWidget *parent = nullptr);

    QPlainTextEdit *noteEdit() const { return note_; }
    void accept() override;

private:
    OnSave onSave_;
    QPlainTextEdit *note_ = nullptr;
};

} // namespace quelmar::station

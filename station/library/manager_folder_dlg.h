// CManagerFolderDlg: the Folder Manager's list of folders with their counts, Delete for the
// selected folder and OK to make it current. Deleting is the caller's.
#pragma once

#include "library/folder_info.h"

#include <QDialog>

#include <functional>
#include <optional>

class QTableWidget;

namespace quelmar::station {

class Language;

class CManagerFolderDlg : public QDialog {
    Q_OBJECT
public:
    // Asks and deletes; the folder's row as it is afterwards, or nothing when it is gone.
    // `declined` is set when the user said No.
    using OnDelete = std::function<std::optional<CFolderInfo>(const QString &name, bool &declined)>;

    CManagerFolderDlg(const Language &language, QVector<CFolderInfo> rows, OnDelete onDelete,
                      QWidget *parent = nullptr);

    const QVector<CFolderInfo> &rows() const { return rows_; }
    QTableWidget *table() const { return table_; }
    // The selected folder's name; empty without a selection.
    QString selectedName() const { return selectedName_; }
    void selectRow(int row);
    void deleteSelected();

private:
    void fillTable();

    QVector<CFolderInfo> rows_;
    OnDelete onDelete_;
    QTableWidget *table_ = nullptr;
    int selectedRow_ = -1;
    QString selectedName_;
};

} // namespace quelmar::station

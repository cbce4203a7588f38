#include "library/manager_folder_dlg.h"

#include "base/language.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quelmar::station {

CManagerFolderDlg::CManagerFolderDlg(const Language &language, QVector<CFolderInfo> rows,
                                     OnDelete onDelete, QWidget *parent)
    : QDialog(parent), rows_(std::move(rows)), onDelete_(std::move(onDelete))
{
    setWindowTitle(QStringLiteral("Folder Manager"));
    table_ = new QTableWidget(this);
    table_->setColumnCount(6);
    QStringList headers;
    for (const char *key : {"Name", "Created", "Note", "Photo", "Video", "Location"})
        headers << language.text(QString::fromLatin1(key), QString::fromLatin1(key));
    table_->setHorizontalHeaderLabels(headers);
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setShowGrid(true);
    // Six columns of one sixth of the width each.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) { selectRow(row); });

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *del =
        buttons->addButton(language.text(QStringLiteral("Delete"), QStringLiteral("Delete")),
                           QDialogButtonBox::ActionRole);
    buttons->addButton(language.text(QStringLiteral("Ok"), QStringLiteral("OK")),
                       QDialogButtonBox::AcceptRole);
    buttons->addButton(language.text(QStringLiteral("Cancel"), QStringLiteral("Cancel")),
                       QDialogButtonBox::RejectRole);
    connect(del, &QPushButton::clicked, this, &CManagerFolderDlg::deleteSelected);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(720, 360);
    fillTable();
}

void CManagerFolderDlg::fillTable()
{
    const QSignalBlocker block(table_);
    table_->clearContents();
    table_->setRowCount(int(rows_.size()));
    for (int r = 0; r < rows_.size(); ++r) {
        const CFolderInfo &info = rows_[r];
        const QString fields[] = {info.name,  info.created, info.note,
                                  info.photo, info.video,   info.location};
        for (int c = 0; c < 6; ++c)
            table_->setItem(r, c, new QTableWidgetItem(fields[c]));
    }
    table_->setCurrentCell(-1, -1);
}

void CManagerFolderDlg::selectRow(int row)
{
    if (row < 0 || row >= rows_.size())
        return;
    selectedRow_ = row;
    selectedName_ = rows_[row].name;
}

void CManagerFolderDlg::deleteSelected()
{
    if (selectedRow_ < 0 || !onDelete_)
        return;
    bool declined = false;
    const std::optional<CFolderInfo> remaining = onDelete_(selectedName_, declined);
    if (!declined) {
        // A folder that kept other entries stays on disk, so it stays listed, as it is now.
        if (remaining)
            rows_[selectedRow_] = *remaining;
        else
            rows_.removeAt(selectedRow_);
    }
    // The selection is forgotten on screen too, so a click on the same row selects it again.
    fillTable();
    selectedRow_ = -1;
    selectedName_.clear();
}

} // namespace quelmar::station

#include "viewer_prompt.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace quelmar::viewer {

void WidgetViewerPrompt::alert(const QString &message)
{
    QMessageBox box(parent_);
    box.setText(message);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

std::optional<int> WidgetViewerPrompt::askNumber(const QString &message, int suggested, int min,
                                                 int max)
{
    bool ok = false;
    const int value = QInputDialog::getInt(parent_, QStringLiteral("Orbilux"), message, suggested,
                                           min, max, 1, &ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool WidgetViewerPrompt::confirm(const QString &title, const QString &text)
{
    QMessageBox box(parent_);
    box.setWindowTitle(title);
    box.setText(title);
    box.setInformativeText(text);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
}

std::optional<QString> WidgetViewerPrompt::saveFile(const QString &title,
                                                    const QString &suggestedName,
                                                    const QString &extension)
{
    QFileDialog dialog(parent_, title, suggestedName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    // Both cases: file names are case-sensitive here.
    dialog.setNameFilter(QStringLiteral("*.%1 *.%2").arg(extension.toLower(), extension.toUpper()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QColor> WidgetViewerPrompt::chooseColor(const QColor &initial)
{
    const QColor chosen = QColorDialog::getColor(initial, parent_);
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

bool SystemDesktopOpener::open(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace quelmar::viewer

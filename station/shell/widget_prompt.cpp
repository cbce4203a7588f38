#include "shell/widget_prompt.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace quelmar::station {

PromptAnswer WidgetPrompt::message(const QString &title, const QString &text, PromptIcon icon,
                                   PromptButtons buttons)
{
    static constexpr QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                                  QMessageBox::Warning, QMessageBox::Critical,
                                                  QMessageBox::Question};
    QMessageBox box(icons[int(icon)], title, text,
                    buttons == PromptButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                    : QMessageBox::Ok,
                    parent_);
    const int r = box.exec();
    if (buttons == PromptButtons::Ok)
        return PromptAnswer::Ok;
    return r == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
}

namespace {
std::optional<QString> runFileDialog(QWidget *parent, const FileDialogRequest &request,
                                     QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(request.proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
} // namespace

std::optional<QString> WidgetPrompt::openFile(const FileDialogRequest &request)
{
    return runFileDialog(parent_, request, QFileDialog::AcceptOpen);
}

std::optional<QString> WidgetPrompt::saveFile(const FileDialogRequest &request)
{
    return runFileDialog(parent_, request, QFileDialog::AcceptSave);
}

std::optional<QColor> WidgetPrompt::chooseColor(const QColor &initial)
{
    const QColor c = QColorDialog::getColor(initial, parent_);
    return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
}

std::optional<FontChoice> WidgetPrompt::chooseFont(const QFont &initial, const QColor &colour)
{
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, parent_);
    if (!ok)
        return std::nullopt;
    // Qt's font chooser has no colour of its own: the colour chooser follows it, and
    // cancelling that one keeps the colour as it was.
    const QColor c = QColorDialog::getColor(colour, parent_);
    return FontChoice{f, c.isValid() ? c : colour};
}

int WidgetPrompt::runDialog(QDialog &dialog)
{
    return dialog.exec();
}

} // namespace quelmar::station

#include "viewer_prompt.h"

#include <QInputDialog>
#include <QMessageBox>

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

} // namespace quelmar::viewer

#include "viewer_prompt.h"

#include <QMessageBox>

namespace quelmar::viewer {

void WidgetViewerPrompt::alert(const QString &message)
{
    QMessageBox box(parent_);
    box.setText(message);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace quelmar::viewer

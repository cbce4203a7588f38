// The new-album sheet: a window-modal dialog with the name field `mFolderName`. OK makes the
// album's directories and reports it (PassValue 0); a refused name is alerted and the sheet
// stays open for another try. Cancel closes.
#pragma once

#include "app/workspace.h"
#include "measure/user_entity.h"

#include <QDialog>

#include <optional>

class QLineEdit;

namespace quelmar::viewer {

class ViewerPrompt;

class NewFolderController : public QDialog {
    Q_OBJECT

public:
    NewFolderController(const Workspace &workspace, ViewerPrompt *prompt,
                        QWidget *parent = nullptr);

    QLineEdit &mFolderName() { return *mFolderName_; }
    // What the alert says about `name`, or nothing when it may become an album.
    static std::optional<QString> refusal(const Workspace &workspace, const QString &name);
    void ok();

Q_SIGNALS:
    void PassValue(const quelmar::viewer::UserEntity &entity, int type);

private:
    Workspace workspace_;
    ViewerPrompt *prompt_;
    QLineEdit *mFolderName_;
};

} // namespace quelmar::viewer

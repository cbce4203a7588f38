// CNewFolderDlg: name, location and note of a new workspace folder. What OK does is the
// caller's; the dialog stays open when that fails.
#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

namespace quelmar::station {

class Language;

class CNewFolderDlg : public QDialog {
    Q_OBJECT
public:
    using OnOk = std::function<bool(const QString &name, const QString &note)>;
    CNewFolderDlg(const Language &language, const QString &location, OnOk onOk,
                  QWidget *parent = nullptr);

    QLineEdit *nameEdit() const { return name_; }
    QPlainTextEdit *noteEdit() const { return note_; }

    void accept() override;

private:
    OnOk onOk_;
    QLineEdit *name_ = nullptr;
    QPlainTextEdit *note_ = nullptr;
};

} // namespace quelmar::station

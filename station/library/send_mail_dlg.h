// CSendMailDlg: the small window that stands while one file is handed to the mail program.
// It shows "StartOutlook" first and starts the steps 50 ms later, so it is on screen before
// the mail program takes over; it closes once the outcome was shown. Closing it earlier
// leaves the hand-over running and shows nothing.
#pragma once

#include <QDialog>

namespace quelmar::station {

class Language;
class MailCommand;

class CSendMailDlg : public QDialog {
    Q_OBJECT
public:
    CSendMailDlg(MailCommand &steps, QString file, const Language &language,
                 QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    MailCommand &steps_;
    QString file_;
    bool started_ = false;
};

} // namespace quelmar::station

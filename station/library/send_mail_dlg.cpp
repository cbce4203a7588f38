#include "library/send_mail_dlg.h"

#include "base/language.h"
#include "library/mail_command.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace quelmar::station {

namespace {
constexpr int kStartTimerMs = 50; // timer 1003
} // namespace

CSendMailDlg::CSendMailDlg(MailCommand &steps, QString file, const Language &language,
                           QWidget *parent)
    : QDialog(parent), steps_(steps), file_(std::move(file))
{
    setWindowTitle(language.text(QStringLiteral("MsgTitle"), QStringLiteral("Quelmar")));
    auto *layout = new QVBoxLayout(this);
    auto *line = new QLabel(language.text(QStringLiteral("StartOutlook"),
                                          QStringLiteral("Start outlook, Please waiting...")),
                            this);
    line->setObjectName(QStringLiteral("line1107"));
    layout->addWidget(line);
    setMinimumWidth(333); // 222 dialog units
}

void CSendMailDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    QTimer::singleShot(kStartTimerMs, this,
                       [this] { steps_.run(file_, this, [this] { accept(); }); });
}

} // namespace quelmar::station

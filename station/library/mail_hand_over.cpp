#include "library/mail_hand_over.h"

#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace quelmar::station {

namespace {

// xdg-email's status when it finds no way to open a mail program.
constexpr int kNoMethodAvailable = 3;

// Reports the first outcome only, and only while the asker is still there.
class OnceReport {
public:
    OnceReport(const QObject *context, std::function<void(MailResult)> done)
        : context_(context), hadContext_(context != nullptr), done_(std::move(done))
    {}

    void operator()(MailResult result)
    {
        if (reported_)
            return;
        reported_ = true;
        if (!hadContext_ || context_)
            done_(result);
    }

private:
    QPointer<const QObject> context_;
    bool hadContext_;
    bool reported_ = false;
    std::function<void(MailResult)> done_;
};

} // namespace

XdgEmailHandOver::XdgEmailHandOver(int settleMs, QObject *parent)
    : QObject(parent), settleMs_(settleMs)
{}

XdgEmailHandOver::~XdgEmailHandOver()
{
    // Only the hand-over tool goes: a mail program it started keeps its own process.
    for (QProcess *process : findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(1000);
    }
}

void XdgEmailHandOver::send(const QString &attachment, const QObject *context,
                            std::function<void(MailResult)> done)
{
    const auto report = std::make_shared<OnceReport>(context, std::move(done));
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty()) {
        (*report)(MailResult::NoMailSystem);
        return;
    }
    auto *process = new QProcess(this);
    process->setProgram(program);
    process->setArguments({QStringLiteral("--attach"), attachment});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto *settle = new QTimer(process);
    settle->setSingleShot(true);
    connect(settle, &QTimer::timeout, this, [report] { (*report)(MailResult::HandedOver); });
    connect(process, &QProcess::errorOccurred, this, [report, process](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        (*report)(MailResult::NoMailSystem);
        process->deleteLater();
    });
    connect(process, &QProcess::finished, this,
            [report, process](int code, QProcess::ExitStatus status) {
                const bool normal = status == QProcess::NormalExit;
                (*report)(normal && code == 0                    ? MailResult::HandedOver
                          : normal && code == kNoMethodAvailable ? MailResult::NoMailSystem
                                                                 : MailResult::Failed);
                process->deleteLater();
            });
    process->start();
    settle->start(settleMs_);
}

} // namespace quelmar::station

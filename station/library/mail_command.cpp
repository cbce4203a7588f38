#include "library/mail_command.h"

#include "base/language.h"
#include "base/prompt.h"
#include "base/station_paths.h"
#include "library/mail_hand_over.h"

#include <image/bmp_codec.h>
#include <image/jpeg_codec.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quelmar::station {

namespace {

// The conversion and completion messages carry the product name as their title in every
// language.
QString productTitle()
{
    return QStringLiteral("Quelmar");
}

void removeEarlierCopies(const QString &dir)
{
    const QDir copies(dir);
    for (const QString &name :
         copies.entryList({QStringLiteral("*.jpg")}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(copies.filePath(name));
}

} // namespace

MailCommand::MailCommand(Context context) : c_(std::move(context)) {}

QString MailCommand::text(const QString &key, const QString &fallback) const
{
    return c_.language ? c_.language->text(key, fallback) : fallback;
}

QString MailCommand::prepareAttachment(const QString &file)
{
    const QFileInfo info(file);
    // ".BMP" from another program is as much a bitmap as ".bmp".
    if (info.suffix().compare(QLatin1StringView("bmp"), Qt::CaseInsensitive) != 0)
        return info.absoluteFilePath();
    makePrivateDir(c_.copyDir);
    removeEarlierCopies(c_.copyDir);
    std::optional<Frame> picture = readBmp(file);
    if (!picture) {
        c_.prompt->message(productTitle(), QStringLiteral("imageEmail Create fail"),
                           PromptIcon::Warning);
        return {};
    }
    const QString name = info.fileName();
    const QString copy =
        QDir(c_.copyDir)
            .absoluteFilePath(name.left(name.lastIndexOf(u'.') + 1) + QStringLiteral("jpg"));
    if (!writeJpeg(copy, picture->view())) {
        c_.prompt->message(productTitle(), QStringLiteral("Compress fail"), PromptIcon::Warning);
        return {};
    }
    return copy;
}

void MailCommand::run(const QString &file, const QObject *context, std::function<void()> finished)
{
    const QString attachment = prepareAttachment(file);
    if (attachment.isEmpty()) {
        finished();
        return;
    }
    if (!c_.mail) {
        report(MailResult::NoMailSystem);
        finished();
        return;
    }
    c_.mail->send(attachment, context, [this, finished = std::move(finished)](MailResult result) {
        report(result);
        finished();
    });
}

void MailCommand::report(MailResult result)
{
    switch (result) {
    case MailResult::HandedOver:
        c_.prompt->message(productTitle(),
                           text(QStringLiteral("SEND_CAMPLETE"), QStringLiteral("Send Completed")),
                           PromptIcon::Warning);
        break;
    case MailResult::NoMailSystem:
        c_.prompt->message(c_.messageTitle,
                           text(QStringLiteral("MailSystemMissing"),
                                QStringLiteral("Unable to load the mail system.")),
                           PromptIcon::Warning);
        break;
    case MailResult::Failed:
        c_.prompt->message(
            c_.messageTitle,
            text(QStringLiteral("MailSendFail"),
                 QStringLiteral("The message could not be handed to the mail program.")),
            PromptIcon::Warning);
        break;
    }
}

} // namespace quelmar::station

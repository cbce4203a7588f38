// The steps of mailing one file of the strip: the attachment (a BMP picture goes as a JPEG
// copy), the hand-over to the mail program and the message that reports the outcome.
#pragma once

#include <QString>

#include <functional>

class QObject;

namespace quelmar::station {

class Language;
class MailHandOver;
class Prompt;
enum class MailResult;

class MailCommand {
public:
    struct Context {
        Prompt *prompt = nullptr;
        const Language *language = nullptr;
        QString messageTitle;
        MailHandOver *mail = nullptr; // null: no mail system
        // The station's private directory for the JPEG copies: every "*.jpg" in it is a copy
        // the station made, so removing them all loses nothing of the user's.
        QString copyDir;
    };

    explicit MailCommand(Context context);

    // The file to attach for `file` (a picture's full-size file or a video): a BMP picture's
    // JPEG copy, made after the earlier copies were removed, or else the file itself. Empty
    // after the reason was shown.
    QString prepareAttachment(const QString &file);
    // Prepares the attachment and hands it over. `finished` runs once the outcome was shown,
    // unless `context` is gone by then (the user closed the waiting window: nothing is shown).
    void run(const QString &file, const QObject *context, std::function<void()> finished);

private:
    void report(MailResult result);
    QString text(const QString &key, const QString &fallback) const;

    Context c_;
};

} // namespace quelmar::station

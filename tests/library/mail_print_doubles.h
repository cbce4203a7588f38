// Stand-ins for the mail hand-over and the printer: a mail program that records what it was
// handed, and a printer that prints into a PDF file (or is not there).
#pragma once

#include "library/mail_hand_over.h"
#include "library/printer.h"
#include "temp_home.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPrinter>

namespace quelmar::test {

class RecordingMail final : public station::MailHandOver {
public:
    station::MailResult result = station::MailResult::HandedOver;
    QStringList attachments;
    QList<QByteArray> attachedBytes; // each attachment's contents when it was handed over
    QStringList waitingTexts;        // the text line of the mail window shown at hand-over

    void send(const QString &attachment, const QObject *,
              std::function<void(station::MailResult)> done) override
    {
        attachments << attachment;
        attachedBytes << readAll(attachment);
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            dialog && dialog->isVisible())
            if (const QLabel *line = dialog->findChild<QLabel *>())
                waitingTexts << line->text();
        done(result);
    }
};

// A4 portrait with margins that differ on every side, so a picture that fills the printable
// area shows where that area is.
class PdfPrinter final : public station::Printer {
public:
    QString outputFile;
    bool absent = false;
    QStringList documentNames;

    static constexpr QMarginsF kMarginsMm{10, 15, 20, 25};

    std::unique_ptr<QPrinter> open(const QString &documentName) override
    {
        documentNames << documentName;
        if (absent)
            return nullptr;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(outputFile);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageOrientation(QPageLayout::Portrait);
        printer->setPageMargins(kMarginsMm, QPageLayout::Millimeter);
        printer->setDocName(documentName);
        return printer;
    }
};

} // namespace quelmar::test

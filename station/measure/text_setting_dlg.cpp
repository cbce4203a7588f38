#include "measure/text_setting_dlg.h"

#include "base/language.h"
#include "base/prompt.h"
#include "base/station_settings.h"
#include "measure/drawing_styles.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelmar::station {

namespace {

class TextPreview : public QWidget {
public:
    TextPreview(const CTextsetting &dialog, const CTextsetting::Context &c, QWidget *parent)
        : QWidget(parent), dialog_(dialog), c_(c)
    {
        setMinimumSize(160, 48);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setFont(toQFont(*c_.font));
        p.setPen(toQColor(c_.settings->fontColor));
        p.drawText(rect().adjusted(4, 4, -4, -4), Qt::TextWordWrap, dialog_.text());
    }

private:
    const CTextsetting &dialog_;
    const CTextsetting::Context &c_;
};

} // namespace

LogFont readTextFont(const QString &textFontFile)
{
    const LogFont stored = readLogFontFile(textFontFile);
    return stored.isZero() ? defaultTextFont() : stored;
}

CTextsetting::CTextsetting(Context context, QWidget *parent)
    : QDialog(parent), c_(std::move(context))
{
    const Language &lang = *c_.language;
    setWindowTitle(lang.text(QStringLiteral("TextSetting"), QStringLiteral("Text")));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        lang.text(QStringLiteral("EnterText"), QStringLiteral("Please enter text:")), this));
    text_ = new QPlainTextEdit(this);
    layout->addWidget(text_);
    auto *previewBox =
        new QGroupBox(lang.text(QStringLiteral("Preview"), QStringLiteral("Preview")), this);
    auto *previewLayout = new QVBoxLayout(previewBox);
    preview_ = new TextPreview(*this, c_, previewBox);
    previewLayout->addWidget(preview_);
    layout->addWidget(previewBox);

    auto *buttons = new QDialogButtonBox(this);
    auto *font = buttons->addButton(lang.text(QStringLiteral("Font"), QStringLiteral("Font")),
                                    QDialogButtonBox::ActionRole);
    buttons->addButton(lang.text(QStringLiteral("OK"), QStringLiteral("OK")),
                       QDialogButtonBox::AcceptRole);
    buttons->addButton(lang.text(QStringLiteral("Cancel"), QStringLiteral("Cancel")),
                       QDialogButtonBox::RejectRole);
    connect(font, &QPushButton::clicked, this, &CTextsetting::chooseFont);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTextsetting::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTextsetting::reject);
    connect(text_, &QPlainTextEdit::textChanged, preview_, qOverload<>(&QWidget::update));
    layout->addWidget(buttons);
}

QString CTextsetting::text() const
{
    return text_->toPlainText();
}

void CTextsetting::chooseFont()
{
    if (!chooseStyleFont(*c_.prompt, *c_.font, c_.settings->fontColor, c_.fontFile))
        return;
    c_.io->writeFontColor(*c_.settings);
    preview_->update();
}

} // namespace quelmar::station

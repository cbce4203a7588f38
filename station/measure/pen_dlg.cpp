#include "measure/pen_dlg.h"

#include "base/language.h"
#include "base/prompt.h"
#include "base/station_settings.h"
#include "measure/drawing_styles.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace quelmar::station {

namespace {

constexpr int kSpinMinimum = 1;
constexpr int kSpinMaximum = 3;
const char *const kUnits[] = {"mm", "cm", "mil", "inch"};

// A line drawn with the pen as it stands.
class PenPreview : public QWidget {
public:
    explicit PenPreview(const StationSettings &settings, QWidget *parent)
        : QWidget(parent), settings_(settings)
    {
        setMinimumSize(120, 24);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(shapePen(int(settings_.lineWidth), int(settings_.lineType), settings_.lineColor));
        p.drawLine(8, height() / 2, width() - 8, height() / 2);
    }

private:
    const StationSettings &settings_;
};

QButtonGroup *radioRow(QWidget *parent, QBoxLayout *layout, const QStringList &texts)
{
    auto *group = new QButtonGroup(parent);
    for (int i = 0; i < texts.size(); ++i) {
        auto *radio = new QRadioButton(texts[i], parent);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    return group;
}

} // namespace

CPenDlg::CPenDlg(Context context, QWidget *parent) : QDialog(parent), c_(std::move(context))
{
    const Language &lang = *c_.language;
    setWindowTitle(lang.text(QStringLiteral("PenSetting"), QStringLiteral("Pen setting")));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildPenBox());
    layout->addWidget(buildUnitsBox());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPenDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPenDlg::reject);
    layout->addWidget(buttons);
}

QWidget *CPenDlg::buildPenBox()
{
    const Language &lang = *c_.language;
    StationSettings &s = *c_.settings;
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);

    auto *widthBox =
        new QGroupBox(lang.text(QStringLiteral("PenWidth"), QStringLiteral("Line Width")), box);
    auto *widthRow = new QHBoxLayout(widthBox);
    width_ = new QLineEdit(QString::number(s.lineWidth), widthBox);
    // The spin stops at 3, but any width typed in is taken.
    width_->setValidator(new QIntValidator(0, 999, width_));
    auto *up = new QToolButton(widthBox);
    up->setArrowType(Qt::UpArrow);
    auto *down = new QToolButton(widthBox);
    down->setArrowType(Qt::DownArrow);
    widthRow->addWidget(width_);
    widthRow->addWidget(up);
    widthRow->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    connect(width_, &QLineEdit::textEdited, this, [this](const QString &text) {
        c_.settings->lineWidth = std::uint32_t(text.toInt());
        preview_->update();
    });
    grid->addWidget(widthBox, 0, 0);

    auto *colourBox = new QGroupBox(
        lang.text(QStringLiteral("PenColorLine"), QStringLiteral("Line Colour")), box);
    auto *colourRow = new QHBoxLayout(colourBox);
    auto *colour =
        new QPushButton(lang.text(QStringLiteral("PenColor"), QStringLiteral("Colour")), colourBox);
    auto *font =
        new QPushButton(lang.text(QStringLiteral("Font"), QStringLiteral("Font")), colourBox);
    colourRow->addWidget(colour);
    colourRow->addWidget(font);
    connect(colour, &QPushButton::clicked, this, &CPenDlg::chooseColour);
    connect(font, &QPushButton::clicked, this, &CPenDlg::chooseFont);
    grid->addWidget(colourBox, 0, 1);

    auto *styleBox =
        new QGroupBox(lang.text(QStringLiteral("PenType"), QStringLiteral("Pen Type")), box);
    auto *styleColumn = new QVBoxLayout(styleBox);
    styles_ =
        radioRow(styleBox, styleColumn,
                 {lang.text(QStringLiteral("SolidLine"), QStringLiteral("Solid Line")),
                  lang.text(QStringLiteral("DashLine"), QStringLiteral("Dash Line")),
                  lang.text(QStringLiteral("DotLine"), QStringLiteral("Dot Line")),
                  lang.text(QStringLiteral("DashDotLine"), QStringLiteral("DashDot Line1")),
                  lang.text(QStringLiteral("DashDotDotLine"), QStringLiteral("DashDot Line2"))});
    // Wider pens draw every style solid, and the dialog says so.
    const int shown = s.lineWidth == 1 && s.lineType <= 4 ? int(s.lineType) : 0;
    styles_->button(shown)->setChecked(true);
    connect(styles_, &QButtonGroup::idClicked, this, [this](int id) {
        c_.settings->lineType = std::uint32_t(id);
        preview_->update();
    });
    grid->addWidget(styleBox, 1, 0);

    auto *previewBox =
        new QGroupBox(lang.text(QStringLiteral("LinePriview"), QStringLiteral("Preview")), box);
    auto *previewRow = new QVBoxLayout(previewBox);
    preview_ = new PenPreview(s, previewBox);
    previewRow->addWidget(preview_);
    grid->addWidget(previewBox, 1, 1);
    return box;
}

QWidget *CPenDlg::buildUnitsBox()
{
    StationSettings &s = *c_.settings;
    auto *box = new QWidget(this);
    auto *column = new QVBoxLayout(box);
    auto *unitRow = new QHBoxLayout;
    units_ = radioRow(box, unitRow,
                      {QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("mil"),
                       QStringLiteral("inch")});
    auto *decimalRow = new QHBoxLayout;
    decimals_ = radioRow(box, decimalRow,
                         {QStringLiteral("0.01"), QStringLiteral("0.001"), QStringLiteral("0.0001"),
                          QStringLiteral("0.00001")});
    auto *formatRow = new QHBoxLayout;
    formats_ = radioRow(box, formatRow, {QStringLiteral("bmp"), QStringLiteral("jpg")});
    column->addLayout(unitRow);
    column->addLayout(decimalRow);
    column->addLayout(formatRow);

    for (int i = 0; i < 4; ++i)
        if (s.unit == QLatin1StringView(kUnits[i]))
            units_->button(i)->setChecked(true);
    if (s.decimal >= 2 && s.decimal <= 5)
        decimals_->button(int(s.decimal) - 2)->setChecked(true);
    formats_->button(s.imageFormat == 1 ? 0 : 1)->setChecked(true);

    connect(units_, &QButtonGroup::idClicked, this, [this](int id) {
        c_.settings->unit = QString::fromLatin1(kUnits[id]);
        c_.io->writeUnits(*c_.settings);
    });
    connect(decimals_, &QButtonGroup::idClicked, this, [this](int id) {
        c_.settings->decimal = std::uint32_t(id + 2);
        c_.io->writeUnits(*c_.settings);
    });
    connect(formats_, &QButtonGroup::idClicked, this, [this](int id) {
        c_.settings->imageFormat = id == 0 ? 1 : 2;
        c_.io->writeImageFormat(*c_.settings);
    });
    return box;
}

void CPenDlg::step(int by)
{
    const int width = std::clamp(width_->text().toInt() + by, kSpinMinimum, kSpinMaximum);
    width_->setText(QString::number(width));
    c_.settings->lineWidth = std::uint32_t(width);
    preview_->update();
}

void CPenDlg::chooseColour()
{
    if (const std::optional<QColor> chosen =
            c_.prompt->chooseColor(toQColor(c_.settings->lineColor))) {
        c_.settings->lineColor = fromQColor(*chosen);
        c_.io->writeLineColor(*c_.settings);
        preview_->update();
    }
}

void CPenDlg::chooseFont()
{
    if (chooseStyleFont(*c_.prompt, *c_.font, c_.settings->measureTxtColor, c_.fontFile))
        c_.io->writeMeasureTxtColor(*c_.settings);
}

void CPenDlg::accept()
{
    c_.io->writeLine(*c_.settings);
    QDialog::accept();
}

void takeLabelFontSize(StationSettings &settings, SettingsIo &io, const LogFont &labelFont)
{
    settings.fontSize = std::uint32_t(std::min<qint64>(std::abs(qint64(labelFont.height)), 4096));
    io.writeFontSize(settings);
}

} // namespace quelmar::station

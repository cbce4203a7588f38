#include "library/picture_show.h"

#include "base/command_ids.h"
#include "base/language.h"
#include "base/photo_measuring.h"
#include "base/prompt.h"
#include "library/photo_file.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace quelmar::station {

namespace {

constexpr int kRowHeight = 30;
constexpr QSize kFitCanvas(640, 480);
constexpr QSize kFitWindow(660, kRowHeight + 480);
constexpr QPoint kMagnificationAt(590, 4);
constexpr QPoint kXAt(633, 6);
constexpr int kMagnificationFromRight = 51; // maximised
constexpr int kButtonSize = 26;

struct RowButton {
    int id;
    const char *tipKey;
    const char *tipDefault;
    const char *icon;
};

// The row, left to right, with the tooltips' keys and English defaults.
constexpr RowButton kRow[] = {
    {photo::Save, "TipSave", "Save", "save"},
    {photo::Select, "TipSelect", "Select", "photo_select"},
    {photo::Measure, "TipMeasure", "Measure", "photo_measure"},
    {photo::Open, "TipOpen", "Open", "photo_open"},
    {photo::Pen, "TipSetPen", "Pen Setting", "photo_pen"},
    {photo::Paint, "TipPaint", "Paint", "photo_paint"},
    {photo::Text, "TipText", "Text", "photo_text"},
    {photo::Delete, "Delete", "Delete", "photo_delete"},
    {photo::Move, "TipMove", "Move", "photo_move"},
    {photo::Calibration, "Calibration", "Calibration", "calibration"},
    {photo::Print, "Print", "Print", "photo_print"},
    {photo::MeasurementList, "TipProperty", "Export2Excel", "photo_export"},
};

struct MenuItem {
    const char *key;
    const char *fallback;
    int command;
};

// The menu texts are the station's own, spelling included.
constexpr MenuItem kMeasureMenu[] = {
    {"TipStraightLine", "Line Measurement", photo::MeasureLine},
    {"TipContinuousLine", "Continuous Line Measurement", photo::MeasureContinuousLine},
    {"TiRectangle", "Rectangle Measrement", photo::MeasureRectangle},
    {"TipPolygon", "Polygon measrement", photo::MeasurePolygon},
    {"TipRCircle", "Radius of Circle Measurement", photo::MeasureRadiusCircle},
    {"TipDCircle", "Diameter of Circle Measurement", photo::MeasureDiameterCircle},
    {"TipTCircle", "Three Points Circle Measurement", photo::MeasureThreePointCircle},
    {"TipTAngle", "Three Points Angle Measurement", photo::MeasureThreePointAngle},
    {"TipFAngle", "Four Points Angle Measurement", photo::MeasureFourPointAngle},
};
constexpr MenuItem kPaintMenu[] = {
    {"Straightline", "Line", photo::DrawLine},
    {"Angle", "Angle", photo::DrawAngle},
    {"Rectangle", "Retangle", photo::DrawRectangle},
    {"RadialCircle", "Radius Circle", photo::DrawRadiusCircle},
    {"Diametercircle", "Diameter Circle", photo::DrawDiameterCircle},
    {"Threepointcircle", "Three Points Circle", photo::DrawThreePointCircle},
};

// The buttons that need a picture in the canvas.
constexpr int kCanvasButtons[] = {photo::Save,  photo::Select,      photo::Measure,
                                  photo::Paint, photo::Text,        photo::Delete,
                                  photo::Move,  photo::Calibration, photo::MeasurementList};
// The buttons shown pressed while their tool is chosen.
constexpr int kToolButtons[] = {photo::Select, photo::Measure, photo::Paint, photo::Text,
                                photo::Calibration};

} // namespace

CPictureShow::CPictureShow(Context context, QWidget *parent)
    : QDialog(parent), c_(std::move(context))
{
    // Resizable with a maximise box: the maximised window measures at full size.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowTitle(text("PhotoMeasure", "Photo Measure"));
    area_ = new QWidget(this);
    area_->setObjectName(QStringLiteral("canvasArea"));
    unreadable_ = new QLabel(area_);
    unreadable_->setAlignment(Qt::AlignCenter);
    unreadable_->setWordWrap(true);
    unreadable_->hide();
    buildRow();
    measureMenu_ = buildMenu(true);
    paintMenu_ = buildMenu(false);

    PhotoMeasuring::Notices notices;
    notices.shapesEdited = [this] { saved_ = false; };
    notices.toolChanged = [this] { syncTool(); };
    notices.scaleCalibrated = [this] { scale_->setText(c_.measuring->scaleText()); };
    c_.measuring->attach(this, std::move(notices));

    // The boxes start as the station's scale stands; typing looks up the calibration.
    magnification_->setText(c_.measuring->magnificationText());
    scale_->setText(c_.measuring->scaleText());
    connect(magnification_, &QLineEdit::textChanged, this, [this](const QString &typed) {
        scale_->setText(c_.measuring->magnificationChanged(typed));
    });
    connect(scale_, &QLineEdit::textChanged, this,
            [this](const QString &typed) { c_.measuring->scaleTyped(typed); });
    resize(kFitWindow);
}

CPictureShow::~CPictureShow()
{
    c_.measuring->closePhoto();
}

QString CPictureShow::text(const char *key, const char *fallback) const
{
    return c_.language->text(QLatin1String(key), QLatin1String(fallback));
}

void CPictureShow::buildRow()
{
    int x = 2;
    for (const RowButton &r : kRow) {
        auto *b = new QToolButton(this);
        b->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(r.icon))));
        b->setIconSize(QSize(kButtonSize - 4, kButtonSize - 4));
        b->setGeometry(x, 2, kButtonSize, kButtonSize);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(c_.language->text(QLatin1String(r.tipKey), 256, QLatin1String(r.tipDefault)));
        for (const int id : kToolButtons)
            if (id == r.id)
                b->setCheckable(true);
        connect(b, &QToolButton::clicked, this, [this, id = r.id] { onCommand(id); });
        buttons_[r.id] = b;
        x += kButtonSize + 2;
    }
    toolLabel_ = new QLabel(this);
    toolLabel_->setObjectName(QStringLiteral("toolName"));
    toolLabel_->setGeometry(x + 4, 6, 110, 20);
    scaleLabel_ = new QLabel(text("Rate", "Scale:"), this);
    scaleLabel_->setGeometry(x + 118, 6, 46, 20);
    scale_ = new QLineEdit(this);
    scale_->setGeometry(x + 166, 4, 60, 22);
    magnification_ = new QLineEdit(this);
    magnification_->setMaxLength(5);
    magnification_->resize(40, 22);
    xLabel_ = new QLabel(QStringLiteral("X"), this);
    xLabel_->resize(12, 20);
    layoutRow();
}

QMenu *CPictureShow::buildMenu(bool measuring)
{
    auto *menu = new QMenu(this);
    const auto add = [this, menu](const MenuItem &item) {
        QAction *a = menu->addAction(text(item.key, item.fallback));
        a->setData(item.command);
        connect(a, &QAction::triggered, this, [this, id = item.command] { onCommand(id); });
    };
    if (measuring)
        for (const MenuItem &item : kMeasureMenu)
            add(item);
    else
        for (const MenuItem &item : kPaintMenu)
            add(item);
    return menu;
}

void CPictureShow::layoutRow()
{
    if (fullSize_) {
        magnification_->move(width() - kMagnificationFromRight, kMagnificationAt.y());
        xLabel_->move(width() - kMagnificationFromRight + (kXAt.x() - kMagnificationAt.x()),
                      kXAt.y());
        area_->setGeometry(0, kRowHeight, width(), std::max(1, height() - kRowHeight));
    } else {
        magnification_->move(kMagnificationAt);
        xLabel_->move(kXAt);
        area_->setGeometry(QRect(QPoint(0, kRowHeight), kFitCanvas));
    }
    unreadable_->setGeometry(area_->rect());
}

void CPictureShow::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutRow();
}

QToolButton *CPictureShow::button(int id) const
{
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

bool CPictureShow::hasCanvas() const
{
    return c_.measuring->hasPhoto();
}

void CPictureShow::showPicture()
{
    const bool readable = !photo_.isNull();
    unreadable_->setVisible(!readable);
    for (const int id : kCanvasButtons)
        button(id)->setEnabled(readable);
    if (readable) {
        c_.measuring->showPhoto(path_, photo_, fullSize_, area_);
    } else {
        c_.measuring->closePhoto();
        unreadable_->setText(QStringLiteral("Can not Open file") + u'\n' +
                             QFileInfo(path_).fileName());
    }
    saved_ = false;
    syncTool();
}

bool CPictureShow::openPicture(const QString &path)
{
    path_ = path;
    photo_ = decodePhoto(path);
    fullSize_ = false;
    layoutRow();
    showPicture();
    if (parentWidget())
        move(parentWidget()->window()->geometry().center() - rect().center());
    return !photo_.isNull();
}

void CPictureShow::onCommand(int id)
{
    switch (id) {
    case photo::Save:
        save();
        return;
    case photo::Open:
        openAnother();
        return;
    case photo::Print:
        print();
        return;
    case photo::Measure:
    case photo::Paint: {
        // Below the button, at its left edge, 2 pixels above its bottom.
        QToolButton *b = button(id);
        (id == photo::Measure ? measureMenu_ : paintMenu_)
            ->popup(b->mapToGlobal(QPoint(0, b->height() - 2)));
        syncTool();
        return;
    }
    default:
        c_.measuring->command(id);
        syncTool();
        return;
    }
}

void CPictureShow::syncTool()
{
    toolLabel_->setText(c_.measuring->toolName());
    const int pressed = c_.measuring->pressedButton();
    for (const int id : kToolButtons)
        button(id)->setChecked(id == pressed);
}

bool CPictureShow::hasUnsavedShapes() const
{
    return c_.measuring->shapeCount() > 0 && !saved_;
}

bool CPictureShow::askSaveChanges()
{
    return c_.prompt->askYesNo(c_.messageTitle, text("SureOpen", "Save changes to..."),
                               PromptIcon::Warning);
}

bool CPictureShow::save()
{
    c_.measuring->resetTool();
    if (!hasCanvas())
        return false;
    FileDialogRequest request;
    request.proposedPath = path_;
    request.filter = photoFilter();
    request.defaultSuffix = QStringLiteral("BMP");
    request.confirmOverwrite = true;
    const std::optional<QString> chosen = c_.prompt->saveFile(request);
    if (!chosen || chosen->isEmpty())
        return false;
    // Only the chosen file is written; the folder's thumbnail stays as it was.
    const bool ok = savePhoto(c_.measuring->render(), *chosen);
    if (ok)
        saved_ = true;
    c_.prompt->message(c_.messageTitle,
                       ok ? text("SaveSuccessfull", "Save successfully!")
                          : text("SaveFail", "Save fail"),
                       ok ? PromptIcon::Information : PromptIcon::Warning);
    return ok;
}

void CPictureShow::openAnother()
{
    c_.measuring->resetTool();
    QString filter = photoFilter();
    if (hasUnsavedShapes()) {
        if (askSaveChanges()) {
            save();
            return;
        }
        filter = bitmapFilter();
    }
    FileDialogRequest request;
    request.proposedPath = QFileInfo(path_).absolutePath() + QStringLiteral("/*.bmp");
    request.filter = filter;
    request.defaultSuffix = QStringLiteral("bmp");
    request.confirmOverwrite = false;
    const std::optional<QString> chosen = c_.prompt->openFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    const QImage photo = decodePhoto(*chosen);
    if (photo.isNull()) {
        // The picture on show, and its shapes, stay.
        c_.prompt->message(c_.messageTitle, QStringLiteral("Can not Open file"),
                           PromptIcon::Warning);
        return;
    }
    path_ = *chosen;
    photo_ = photo;
    showPicture();
}

void CPictureShow::print()
{
    if (c_.print && !path_.isEmpty())
        c_.print(path_);
}

void CPictureShow::reject()
{
    if (!c_.prompt->askYesNo(c_.messageTitle, text("SureClose", "Are you sure to close?"),
                             PromptIcon::Question))
        return;
    c_.measuring->closePhoto();
    QDialog::reject();
}

void CPictureShow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    // The maximise box, the window manager's maximise and a double click on the title all
    // come here; the questions are asked once the state change itself is over.
    if (event->type() == QEvent::WindowStateChange && !switching_)
        QMetaObject::invokeMethod(this, &CPictureShow::onWindowState, Qt::QueuedConnection);
}

void CPictureShow::onWindowState()
{
    const Qt::WindowStates state = windowState();
    const bool maximised = state.testFlag(Qt::WindowMaximized);
    if (state.testFlag(Qt::WindowMinimized) || maximised == fullSize_)
        return;
    // Both directions destroy the shapes: unsaved ones are offered for saving first, and
    // after Yes the window goes back to the state it had.
    if (hasUnsavedShapes() && askSaveChanges()) {
        save();
        switching_ = true;
        setWindowState(maximised ? state & ~Qt::WindowMaximized : state | Qt::WindowMaximized);
        switching_ = false;
        return;
    }
    switchMode(maximised);
}

void CPictureShow::switchMode(bool fullSize)
{
    fullSize_ = fullSize;
    layoutRow();
    showPicture();
}

} // namespace quelmar::station

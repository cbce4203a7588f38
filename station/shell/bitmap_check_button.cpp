#include "shell/bitmap_check_button.h"

#include <QPainter>

namespace quelmar::station {

CBitmapCheckButton::CBitmapCheckButton(int commandId, const QString &svgPath, QWidget *parent)
    : QAbstractButton(parent), commandId_(commandId), picture_(svgPath)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void CBitmapCheckButton::setCheckedFlag(bool on)
{
    if (checked_ == on)
        return;
    checked_ = on;
    update();
}

QSize CBitmapCheckButton::sizeHint() const
{
    return {26, 26};
}

void CBitmapCheckButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r = rect();
    const bool sunken = checked_ || isDown();
    if (sunken) {
        p.setPen(QPen(QColor(0x0C, 0x8C, 0xE0), 2));
        p.setBrush(QColor(0x9F, 0xCB, 0xEF));
        p.drawRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), 4, 4);
    }
    const QRect inner = sunken ? r.adjusted(2, 2, -1, -1) : r;
    picture_.paint(&p, inner, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

} // namespace quelmar::station

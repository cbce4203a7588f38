#include "library/strip_tabs.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace quelmar::station {

StripTabs::StripTabs(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void StripTabs::setKind(ListKind kind)
{
    kind_ = kind;
    update();
}

void StripTabs::paintEvent(QPaintEvent *)
{
    QPixmap &picture = pictures_[int(kind_)];
    if (picture.size() != size()) {
        picture = QPixmap(size());
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        QSvgRenderer(kind_ == ListKind::Pictures ? QStringLiteral(":/icons/tab_pictures.svg")
                                                 : QStringLiteral(":/icons/tab_videos.svg"))
            .render(&painter, QRectF(picture.rect()));
    }
    QPainter(this).drawPixmap(0, 0, picture);
}

void StripTabs::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    Q_EMIT kindChosen(event->position().x() < width() / 2.0 ? ListKind::Pictures
                                                            : ListKind::Videos);
}

} // namespace quelmar::station

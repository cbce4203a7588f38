// The two tab areas above the thumbnail strip: the left one shows the pictures, the right one
// the videos. The picture shows which one is on.
#pragma once

#include "library/thumbnail_lists.h"

#include <QPixmap>
#include <QWidget>

namespace quelmar::station {

class StripTabs : public QWidget {
    Q_OBJECT
public:
    explicit StripTabs(QWidget *parent = nullptr);
    void setKind(ListKind kind);

Q_SIGNALS:
    void kindChosen(ListKind kind);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    ListKind kind_ = ListKind::Pictures;
    QPixmap pictures_[2]; // rendered once per size, indexed by ListKind
};

} // namespace quelmar::station

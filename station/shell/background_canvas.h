// The main window's client area: the background picture, black in full screen.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace quelmar::station {

class BackgroundCanvas : public QWidget {
public:
    BackgroundCanvas(QSize size, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap background_;
};

} // namespace quelmar::station

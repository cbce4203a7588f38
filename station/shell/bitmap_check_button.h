// CBitmapCheckButton: a picture button with a checked flag that only the program sets; the
// checked face is the normal picture on a pressed, accented plate.
#pragma once

#include <QAbstractButton>
#include <QIcon>

namespace quelmar::station {

class CBitmapCheckButton : public QAbstractButton {
    Q_OBJECT
public:
    CBitmapCheckButton(int commandId, const QString &svgPath, QWidget *parent = nullptr);

    int commandId() const { return commandId_; }
    bool isCheckedFlag() const { return checked_; }
    void setCheckedFlag(bool on);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int commandId_;
    QIcon picture_;
    bool checked_ = false;
};

} // namespace quelmar::station

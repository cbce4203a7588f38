// CPenDlg: line style, width and colour, label font and colour, unit, decimals and still
// format. Every control but the width and style stores its setting at once; OK stores those.
#pragma once

#include "measure/drawing_styles.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;

namespace quelmar::station {

class CPenDlg : public QDialog {
    Q_OBJECT
public:
    using Context = StyleDialogContext;

    explicit CPenDlg(Context context, QWidget *parent = nullptr);

    QLineEdit *widthEdit() const { return width_; }
    QButtonGroup *styleGroup() const { return styles_; }
    QButtonGroup *unitGroup() const { return units_; }
    QButtonGroup *decimalsGroup() const { return decimals_; }
    QButtonGroup *formatGroup() const { return formats_; }
    void chooseColour();
    void chooseFont();

    void accept() override;

private:
    QWidget *buildPenBox();
    QWidget *buildUnitsBox();
    void step(int by);

    Context c_;
    QLineEdit *width_ = nullptr;
    QButtonGroup *styles_ = nullptr;
    QButtonGroup *units_ = nullptr;
    QButtonGroup *decimals_ = nullptr;
    QButtonGroup *formats_ = nullptr;
    QWidget *preview_ = nullptr;
};

// After the pen dialog: the label font size becomes the label font's height, stored.
void takeLabelFontSize(StationSettings &settings, SettingsIo &io, const LogFont &labelFont);

} // namespace quelmar::station

// PhotoMeasureDesk: the photo window's measuring side. It owns the canvas and the measurement
// list of one photo window, selects tools after choosing the scale, runs the calibration, the
// pen and the text dialogs, and keeps the list in step with the canvas.
#pragma once

#include "base/log_font.h"
#include "base/photo_measuring.h"
#include "measure/photo_tools.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace quelmar::station {

class CMeasurementPropertyDlg;
class CSubPicture;
class Language;
class MeasureScale;
class Prompt;
class SettingsIo;
struct StationSettings;

class PhotoMeasureDesk final : public QObject, public PhotoMeasuring {
    Q_OBJECT
public:
    struct Context {
        Prompt *prompt = nullptr;
        const Language *language = nullptr;
        QString messageTitle;
        MeasureScale *scale = nullptr; // shared with the live view
        StationSettings *settings = nullptr;
        SettingsIo *io = nullptr;
        LogFont *labelFont = nullptr;
        QString labelFontFile; // "Measurefont.ini"
        QString textFontFile;  // "logfont.ini"
        std::function<int()> sensorClass;
    };

    // The measuring tool and drawing tool menus: the command, the canvas tool, whether it
    // measures, and the text of the tool-name label.
    struct MenuTool {
        int command;
        PhotoTool tool;
        int measureFlag;
        const char *label;
    };
    static const std::vector<MenuTool> &menuTools();

    explicit PhotoMeasureDesk(Context context);
    ~PhotoMeasureDesk() override;

    void attach(QWidget *window, Notices notices) override;
    void showPhoto(const QString &path, const QImage &photo, bool fullSize, QWidget *area) override;
    void closePhoto() override;
    bool hasPhoto() const override;
    int shapeCount() const override;
    QImage render() const override;
    bool command(int id) override;
    void resetTool() override;
    QString toolName() const override { return toolName_; }
    int pressedButton() const override { return pressed_; }
    QString magnificationChanged(const QString &text) override;
    void scaleTyped(const QString &text) override;
    QString magnificationText() const override;
    QString scaleText() const override;

    CSubPicture *canvas() const;
    CMeasurementPropertyDlg *measurementList() const;

private:
    bool chooseScale(bool calibrating);
    void selectTool(const MenuTool &t);
    void setTool(PhotoTool tool, int measureFlag, const QString &name, int pressed);
    void calibrate();
    void showPenDialog();
    void showTextDialog();
    void showMeasurementList();
    void warn(const char *key, const char *fallback);
    MeasureUnits units() const;
    PhotoTools::Style style() const;
    void toolChanged();
    void noteEdit();

    Context c_;
    QPointer<QWidget> window_;
    Notices notices_;
    QPointer<CSubPicture> canvas_;
    QPointer<CMeasurementPropertyDlg> list_;
    LogFont textFont_;
    QString toolName_;
    int pressed_ = 0;
    int countAtEdit_ = 0; // the number of shapes after the last change told to the window
};

} // namespace quelmar::station

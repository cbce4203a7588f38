// CPictureShow: the photo window "Photo Measure". A row of picture buttons with the two tool
// menus, the magnification and scale boxes and the tool name over the canvas area; it opens,
// saves, prints and closes the picture and switches between fit and full-size mode. Measuring
// is routed to the PhotoMeasuring it is given; the window knows no measuring code.
#pragma once

#include <QDialog>
#include <QImage>

#include <functional>
#include <map>

class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace quelmar::station {

class Language;
class PhotoMeasuring;
class Prompt;

class CPictureShow : public QDialog {
    Q_OBJECT
public:
    struct Context {
        Prompt *prompt = nullptr;
        const Language *language = nullptr;
        QString messageTitle;
        PhotoMeasuring *measuring = nullptr;
        // Prints a picture file (the Print button prints the file as it was last saved).
        std::function<bool(const QString &path)> print;
    };

    explicit CPictureShow(Context context, QWidget *parent = nullptr);
    ~CPictureShow() override;

    // Shows the picture in fit mode after a test decode; false when it does not decode: the
    // window then shows no canvas.
    bool openPicture(const QString &path);

    // The buttons of the row and the items of the two menus.
    void onCommand(int id);

    const QString &path() const { return path_; }
    bool isSaved() const { return saved_; }
    bool isFullSize() const { return fullSize_; }
    bool hasCanvas() const;
    QToolButton *button(int id) const;
    QMenu *measureMenu() const { return measureMenu_; }
    QMenu *paintMenu() const { return paintMenu_; }
    QLineEdit *magnificationBox() const { return magnification_; }
    QLineEdit *scaleBox() const { return scale_; }
    QLabel *toolLabel() const { return toolLabel_; }
    QLabel *xLabel() const { return xLabel_; }
    QWidget *canvasArea() const { return area_; }

public Q_SLOTS:
    // Esc and the close box: "SureClose", and only Yes closes.
    void reject() override;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildRow();
    QMenu *buildMenu(bool measuring);
    void layoutRow();
    void syncTool();
    bool hasUnsavedShapes() const;
    bool askSaveChanges();
    bool save();
    void openAnother();
    void print();
    void onWindowState();
    void switchMode(bool fullSize);
    void showPicture();
    QString text(const char *key, const char *fallback) const;

    Context c_;
    QString path_;
    QImage photo_; // the decoded picture, shown again after a switch of mode
    bool saved_ = false;
    bool fullSize_ = false;
    bool switching_ = false; // the window's state is being put back by the window itself
    std::map<int, QToolButton *> buttons_;
    QMenu *measureMenu_ = nullptr;
    QMenu *paintMenu_ = nullptr;
    QLineEdit *magnification_ = nullptr;
    QLineEdit *scale_ = nullptr;
    QLabel *scaleLabel_ = nullptr;
    QLabel *xLabel_ = nullptr;
    QLabel *toolLabel_ = nullptr;
    QWidget *area_ = nullptr;
    QLabel *unreadable_ = nullptr;
};

} // namespace quelmar::station

// Orbilux's single window, fixed at 1020 x 720: the toolbar, the album pop-up above the tab
// view (photos, videos, settings), the measurement view and the status text. Every action
// goes to the ViewController; the window only shows what it says and opens the sheets.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QComboBox;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace quelmar::viewer {

class GalleryView;
class GridlinesPanel;
class JVideoView;
class NewCalibrationController;
class NewFolderController;
class OrbiluxToolbar;
class SettingsTab;
class ViewController;
struct ViewerServices;

class OrbiluxWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kWidth = 1020;
    static constexpr int kHeight = 720;
    enum Tab { kPhotosTab = 0, kVideosTab = 1, kSettingsTab = 2 };

    explicit OrbiluxWindow(const ViewerServices &services, QWidget *parent = nullptr);
    ~OrbiluxWindow() override;

    ViewController &controller() { return *controller_; }
    JVideoView &videoView() { return *view_; }
    OrbiluxToolbar &toolbar() { return *toolbar_; }
    QToolButton &usbSegment();
    QToolButton &wifiSegment();
    QToolButton &ledButton();
    QToolButton &shareButton();
    QLineEdit &statusText() { return *txt_recording_; }
    QTabWidget &tabView() { return *tabs_; }
    QComboBox &albumPopUp() { return *m_folder_ablum_; }
    QComboBox &resolutionPopUp();
    QComboBox &ratePopUp();
    SettingsTab &settingsTab() { return *settings_; }
    GalleryView &photoGrid() { return *PhotoGridView_; }
    GalleryView &videoGrid() { return *VideoGridView_; }
    GridlinesPanel &gridlinesPanel() { return *NSGridlinesView_; }
    // The sheet shown now, if any.
    NewFolderController *newFolderSheet() const;
    NewCalibrationController *calibrationSheet() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildContent(const ViewerServices &services);
    void connectController();
    void tabChanged(int index);
    void showAlbums(const QStringList &albums, const QString &current);
    void showGallerySelection(int row);
    void saveStill(const QString &path);
    void openNewFolderSheet();
    void openCalibrationSheet();

    std::unique_ptr<ViewController> controller_;
    OrbiluxToolbar *toolbar_ = nullptr;
    JVideoView *view_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    QComboBox *m_folder_ablum_ = nullptr;
    SettingsTab *settings_ = nullptr;
    GalleryView *PhotoGridView_ = nullptr;
    GalleryView *VideoGridView_ = nullptr;
    QLineEdit *txt_recording_ = nullptr;
    GridlinesPanel *NSGridlinesView_ = nullptr;
    QPointer<NewFolderController> folderSheet_;
    QPointer<NewCalibrationController> calibrationSheet_;
    class ViewerPrompt *prompt_ = nullptr;
    int bPictureShow_ = kVideosTab;
};

} // namespace quelmar::viewer

// The main window's routing of the photo window: a picture opened from the strip is shown in
// a modal photo window whose measuring side shares the station's scale, pen and fonts; the
// main window's own boxes take the scale back when it closes.
#include "shell/scopedesk_dlg.h"

#include "base/prompt.h"
#include "base/station_paths.h"
#include "library/media_library.h"
#include "library/picture_show.h"
#include "measure/calibration.h"
#include "measure/photo_measure_desk.h"

#include <QLineEdit>

namespace quelmar::station {

void CScopeDeskDlg::setUpPhotoWindow()
{
    // Posted, as the strip's open request always was: the strip's click is over first.
    connect(library_, &MediaLibrary::openPictureRequested, this, &CScopeDeskDlg::showPhotoWindow,
            Qt::QueuedConnection);
}

void CScopeDeskDlg::showPhotoWindow(const QString &path)
{
    PhotoMeasureDesk::Context m;
    m.prompt = services_.prompt;
    m.language = &language_;
    m.messageTitle = messageTitle_;
    m.scale = measureScale_.get();
    m.settings = &settings_;
    m.io = &settingsIo_;
    m.labelFont = &labelFont_;
    m.labelFontFile = StationPaths::measureFontFile();
    m.textFontFile = StationPaths::logFontFile();
    m.sensorClass = [this] { return sensorClass_; };
    PhotoMeasureDesk measuring(std::move(m));

    CPictureShow::Context w;
    w.prompt = services_.prompt;
    w.language = &language_;
    w.messageTitle = messageTitle_;
    w.measuring = &measuring;
    w.print = [this](const QString &file) { return library_->printFile(file); };
    {
        CPictureShow window(std::move(w), this);
        window.openPicture(path);
        services_.prompt->runDialog(window);
    }
    // The process-wide scale stays as the photo window chose it; the boxes are the main
    // window's again.
    measureScale_->setMagnificationText(magnification_->text());
    measureScale_->setScaleText(zoomRate_->text());
}

} // namespace quelmar::station

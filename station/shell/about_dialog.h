// CAboutDlg: program name, description and version in the user's language.
#pragma once

#include <QDialog>

namespace quelmar::station {

class Language;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(const Language &language, QWidget *parent = nullptr);
};

} // namespace quelmar::station

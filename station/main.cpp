// ScopeDesk: the desktop station for a USB microscope camera.
#include "shell/scopedesk_app.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ScopeDesk"));
    QApplication::setOrganizationName(QStringLiteral("Quelmar"));
    QApplication::setDesktopFileName(QStringLiteral("scopedesk"));
    quelmar::station::CScopeDeskApp station;
    return station.run(QApplication::arguments());
}

#include "wifiscope_sim.h"

#include <QTcpServer>

namespace quelmar::test {

viewer::DeviceAddress closedAddress()
{
    // A port the system just handed out and took back; nothing listens there.
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const int port = server.serverPort();
    server.close();
    return {QStringLiteral("127.0.0.1"), port, port};
}

} // namespace quelmar::test

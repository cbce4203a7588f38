// Runs tests/viewer/misbehaving-device.py on 127.0.0.1 for one test: a device whose pages and
// stream go wrong in the ways real devices and servers do.
#pragma once

#include "temp_home.h"
#include "wifiscope_sim.h"

#include "device/device_address.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

namespace quelmar::test {

class MisbehavingDevice {
public:
    explicit MisbehavingDevice(QStringList options)
    {
        process_.setProgram(sourceDir() + QStringLiteral("/tests/viewer/misbehaving-device.py"));
        process_.setArguments(options);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        const auto match =
            waitForReadyLine(process_, QRegularExpression(QStringLiteral("ready port=(\\d+)")));
        if (match.hasMatch()) {
            const int port = match.captured(1).toInt();
            address_ = {QStringLiteral("127.0.0.1"), port, port};
        }
    }
    ~MisbehavingDevice()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }
    MisbehavingDevice(const MisbehavingDevice &) = delete;
    MisbehavingDevice &operator=(const MisbehavingDevice &) = delete;

    bool ready() const { return address_.webPort > 0; }
    const viewer::DeviceAddress &address() const { return address_; }

    // Connections the device has accepted for pages and streams.
    int connections()
    {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(address_.webPort));
        if (!socket.waitForConnected(5000))
            return -1;
        socket.write("GET /sim/connections HTTP/1.0\r\n\r\n");
        QByteArray answer;
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
            answer += socket.readAll();
        answer += socket.readAll();
        return answer.mid(answer.indexOf("\r\n\r\n") + 4).toInt();
    }

private:
    QProcess process_;
    viewer::DeviceAddress address_{QString(), 0, 0};
};

} // namespace quelmar::test

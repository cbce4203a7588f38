// Runs tools/wifiscope-sim on 127.0.0.1 with free ports for one test, and talks to its
// control endpoints.
#pragma once

#include "temp_home.h"

#include "device/device_address.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

namespace quelmar::test {

// Waits (30 s at the most) until the started process prints a line matching `ready`; the
// match, or an empty one when the process ended or stayed silent.
inline QRegularExpressionMatch waitForReadyLine(QProcess &process, const QRegularExpression &ready)
{
    QElapsedTimer waited;
    waited.start();
    QByteArray output;
    while (waited.elapsed() < 30000 && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(500);
        output += process.readAllStandardOutput();
        QRegularExpressionMatch match = ready.match(QString::fromLatin1(output));
        if (match.hasMatch())
            return match;
    }
    return {};
}

class WifiscopeSim {
public:
    explicit WifiscopeSim(QStringList options = {})
    {
        process_.setProgram(sourceDir() + QStringLiteral("/tools/wifiscope-sim"));
        process_.setArguments(QStringList{QStringLiteral("--web-port"), QStringLiteral("0"),
                                          QStringLiteral("--stream-port"), QStringLiteral("0"),
                                          QStringLiteral("--frames"), QStringLiteral("8")} +
                              options);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        const auto match = waitForReadyLine(
            process_, QRegularExpression(QStringLiteral("ready web=(\\d+) stream=(\\d+)")));
        if (match.hasMatch()) {
            address_.host = QStringLiteral("127.0.0.1");
            address_.webPort = match.captured(1).toInt();
            address_.streamPort = match.captured(2).toInt();
        }
    }
    ~WifiscopeSim()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    WifiscopeSim(const WifiscopeSim &) = delete;
    WifiscopeSim &operator=(const WifiscopeSim &) = delete;

    bool ready() const { return address_.webPort > 0; }
    const viewer::DeviceAddress &address() const { return address_; }

    void pressButton() { get(QStringLiteral("/sim/press")); }
    QJsonObject state()
    {
        return QJsonDocument::fromJson(get(QStringLiteral("/sim/state"))).object();
    }

    // A plain GET on the control endpoints; the body, empty on failure.
    QByteArray get(const QString &target)
    {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(address_.webPort));
        if (!socket.waitForConnected(5000))
            return {};
        socket.write("GET " + target.toLatin1() + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
        QByteArray answer;
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
            answer += socket.readAll();
        answer += socket.readAll();
        const qsizetype bodyAt = answer.indexOf("\r\n\r\n");
        return bodyAt < 0 ? QByteArray() : answer.mid(bodyAt + 4);
    }

private:
    QProcess process_;
    viewer::DeviceAddress address_{QString(), 0, 0};
};

// An address on 127.0.0.1 where nothing listens: requests fail at once.
viewer::DeviceAddress closedAddress();

} // namespace quelmar::test

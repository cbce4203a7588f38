#include "ftp_test_support.h"

#include "temp_home.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace quelmar::test {

namespace {
constexpr int kWaitMs = 10000;
}

FtpSite::FtpSite(const QString &commandTable) : server(commandTable)
{
    QDir(tmp.path()).mkpath(QStringLiteral("served"));
    QDir(tmp.path()).mkpath(QStringLiteral("outside"));
    writeAll(outside(QStringLiteral("secret.txt")), "not for clients");
    server.setChangeRoot(true);
    EXPECT_TRUE(server.start(served(), 0, QHostAddress::LocalHost))
        << server.errorString().toStdString();
}

QString FtpSite::served(const QString &relative) const
{
    return tmp.filePath(QStringLiteral("served/") + relative);
}

QString FtpSite::outside(const QString &relative) const
{
    return tmp.filePath(QStringLiteral("outside/") + relative);
}

QString FtpSite::url(const QString &path) const
{
    return QStringLiteral("ftp://127.0.0.1:%1/%2").arg(port()).arg(path);
}

QMap<QString, QByteArray> FtpSite::outsideSnapshot() const
{
    QMap<QString, QByteArray> files;
    QDirIterator it(outside(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readAll(path));
    }
    return files;
}

ControlClient::ControlClient(quint16 port)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    greeting = readLine();
}

QString ControlClient::readLine()
{
    if (!QTest::qWaitFor([this] { return socket.canReadLine(); }, kWaitMs))
        return {};
    QByteArray line = socket.readLine();
    line.chop(line.endsWith("\r\n") ? 2 : 0);
    return QString::fromUtf8(line);
}

QString ControlClient::reply()
{
    QString text = readLine();
    static const QRegularExpression continued(QStringLiteral("^(\\d{3})-"));
    const auto match = continued.match(text);
    if (!match.hasMatch())
        return text;
    const QString last = match.captured(1) + u' ';
    for (QString line = readLine(); !line.isEmpty(); line = readLine()) {
        text += u'\n' + line;
        if (line.startsWith(last))
            break;
    }
    return text;
}

QString ControlClient::send(const QByteArray &line)
{
    socket.write(line + "\r\n");
    return reply();
}

bool ControlClient::waitForDisconnected()
{
    return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::UnconnectedState; },
                           kWaitMs);
}

std::unique_ptr<QTcpSocket> openPassiveData(ControlClient &control)
{
    const quint16 port = control.send("EPSV").section(u'|', 3, 3).toUShort();
    auto data = std::make_unique<QTcpSocket>();
    data->connectToHost(QHostAddress::LocalHost, port);
    const bool connected =
        port != 0 &&
        QTest::qWaitFor([&] { return data->state() == QAbstractSocket::ConnectedState; }, kWaitMs);
    return connected ? std::move(data) : nullptr;
}

QByteArray passiveTransfer(ControlClient &control, const QByteArray &command, QStringList *replies)
{
    const auto data = openPassiveData(control);
    if (!data)
        return {};
    QStringList got{control.send(command)};
    QByteArray bytes;
    const bool ended = QTest::qWaitFor(
        [&] {
            bytes += data->readAll();
            return data->state() == QAbstractSocket::UnconnectedState;
        },
        kWaitMs);
    bytes += data->readAll();
    got.append(ended ? control.reply() : QStringLiteral("data connection never ended"));
    if (replies)
        *replies = got;
    return bytes;
}

ClientRun runClient(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(program, arguments);
    ClientRun run;
    if (!process.waitForStarted(kWaitMs) || !finished.wait(60000)) {
        process.kill();
        process.waitForFinished(kWaitMs);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray patternBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    for (qsizetype i = size / 4 * 4; i < size; ++i)
        bytes[i] = static_cast<char>(generator.generate());
    return bytes;
}

QByteArray sha256Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace quelmar::test

#include "ftp/ftp_command_line.h"

namespace quelmar::viewer {

namespace {

// Port p1 × 256 + p2 from two byte fields; nullopt for anything else.
std::optional<int> portFrom(const QString &high, const QString &low)
{
    bool okHigh = false, okLow = false;
    const int h = high.trimmed().toInt(&okHigh);
    const int l = low.trimmed().toInt(&okLow);
    if (!okHigh || !okLow || h < 0 || h > 255 || l < 0 || l > 255)
        return std::nullopt;
    return h * 256 + l;
}

constexpr int kLowestActivePort = 1024;

} // namespace

QStringList commandWords(const QByteArray &line)
{
    QByteArray raw = line;
    while (raw.endsWith('\n') || raw.endsWith('\r'))
        raw.chop(1);
    return QString::fromUtf8(raw).split(u' ');
}

QString commandArgument(const QStringList &words, int index)
{
    return index >= 0 && index < words.size() ? words.at(index) : QString();
}

std::optional<int> activePort(ActiveRequest request, const QString &argument)
{
    std::optional<int> port;
    switch (request) {
    case ActiveRequest::Port: {
        const QStringList fields = argument.split(u',');
        if (fields.size() == 6)
            port = portFrom(fields[4], fields[5]);
        break;
    }
    case ActiveRequest::Lprt: {
        const QStringList fields = argument.split(u',');
        if (fields.size() > 20)
            port = portFrom(fields[19], fields[20]);
        break;
    }
    case ActiveRequest::Eprt: {
        const QStringList fields = argument.split(u'|');
        bool ok = false;
        const int value = fields.size() > 3 ? fields[3].toInt(&ok) : 0;
        if (ok && value <= 65535)
            port = value;
        break;
    }
    }
    if (!port || *port < kLowestActivePort)
        return std::nullopt;
    return port;
}

} // namespace quelmar::viewer

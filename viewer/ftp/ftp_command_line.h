// The words of an FTP command line and the port of an active-mode request, read without the
// connection so that every client's bytes take one checked path.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace quelmar::viewer {

// A line as the client sent it, less its line ending, split at every single space; the first
// word is the command. Never empty: an empty line gives one empty word.
QStringList commandWords(const QByteArray &line);

// The word at `index`, or an empty text past the end.
QString commandArgument(const QStringList &words, int index);

enum class ActiveRequest { Port, Lprt, Eprt };

// The client's data port of "PORT h1,h2,h3,h4,p1,p2", "LPRT 4,4,h1..h4,2,p1,p2" (or its
// IPv6 form) or "EPRT |proto|address|port|": nullopt for anything malformed and for ports
// below 1024, which an active connection may not be asked to reach.
std::optional<int> activePort(ActiveRequest request, const QString &argument);

} // namespace quelmar::viewer

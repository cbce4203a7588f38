// Decoding 8-bit text of a Windows code page (the language files carry theirs in the name).
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quelmar::station {

// The iconv name of a Windows code page number; nothing for unknown numbers.
std::optional<QByteArray> iconvNameForCodePage(int codePage);

// Decodes `bytes` from the code page; invalid sequences become U+FFFD, never an error.
QString decodeCodePage(const QByteArray &bytes, int codePage);
QByteArray encodeCodePage(const QString &text, int codePage);

} // namespace quelmar::station

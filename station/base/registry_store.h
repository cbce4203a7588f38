// The per-user registry of the station: keys with typed values (DWORD or string) in one
// small text file. Every call reads or rewrites the file; nothing is cached, so two windows
// never disagree. The file is replaced atomically; lines that do not parse are ignored.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace quelmar::station {

class RegistryStore {
public:
    explicit RegistryStore(QString filePath) : filePath_(std::move(filePath)) {}

    const QString &filePath() const { return filePath_; }

    // A key exists when it or one of its subkeys was created. Key paths ignore case.
    bool keyExists(const QString &keyPath) const;
    bool createKey(const QString &keyPath);

    // Missing values, values of the other type and unreadable files give nothing.
    std::optional<std::uint32_t> readDword(const QString &keyPath, const QString &name) const;
    std::optional<QString> readString(const QString &keyPath, const QString &name) const;

    // Creates the key when needed. False when the file could not be written.
    bool writeDword(const QString &keyPath, const QString &name, std::uint32_t value);
    bool writeString(const QString &keyPath, const QString &name, const QString &value);

private:
    QString filePath_;
};

} // namespace quelmar::station

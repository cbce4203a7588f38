// What the harnesses share: a scratch directory for parsers that read a path, and the input
// as Qt bytes. Every harness defines LLVMFuzzerTestOneInput; it runs under libFuzzer in the
// fuzz build and under replay_main.cpp (every file of its corpus and reproducers) otherwise.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quelmar::fuzz {

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// One directory for the whole run, removed at exit; files in it are rewritten per input.
inline const QTemporaryDir &scratchDir()
{
    static const QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    return dir;
}

// Writes the input to `name` in the scratch directory and gives its path.
inline QString scratchFile(const QString &name, const std::uint8_t *data, std::size_t size)
{
    const QString path = scratchDir().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        std::abort();
    return path;
}

// A harness's own consistency check failed: a finding, like a sanitizer report.
[[noreturn]] inline void finding(const char *what)
{
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

} // namespace quelmar::fuzz

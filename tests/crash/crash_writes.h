// The writes of user data that a crash must not leave half done, each in two versions: a
// child process writes them in turns until killed, and the test reads what it left.
#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace quelmar::test {

struct CrashWrite {
    const char *name;
    // Writes version 0 or 1 into `dir`; false when the write failed.
    std::function<bool(const QString &dir, int version)> write;
    // The version the file in `dir` holds: 0 or 1, -1 when it is missing or matches neither.
    std::function<int(const QString &dir)> read;
};

const std::vector<CrashWrite> &crashWrites();
const CrashWrite *crashWriteNamed(const QString &name);

} // namespace quelmar::test

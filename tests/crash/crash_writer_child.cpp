// Writes one kind of user data in turns of its two versions until killed, printing the number
// of finished writes after each: the killed-writes test reads what it leaves.
#include "crash_writes.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const quelmar::test::CrashWrite *write =
        quelmar::test::crashWriteNamed(QString::fromLocal8Bit(argv[1]));
    if (!write)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[2]);
    // Bounded: the test kills it long before; a forgotten child ends by itself.
    for (int done = 1; done <= 20000; ++done) {
        if (!write->write(dir, done % 2))
            return 1;
        std::printf("%d\n", done);
        std::fflush(stdout);
    }
    return 0;
}

// Writes an AVI without end until killed, printing the number of frames on disk after every
// flush: the killed-writer test reads the file it leaves.
#include "video/avi_writer.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    quelmar::AviWriterSettings settings;
    settings.width = 320;
    settings.height = 240;
    settings.rate = 10;
    settings.compression.codec = quelmar::AviCodec(std::atoi(argv[2]));
    quelmar::AviFailure failure;
    auto writer = quelmar::AviWriter::open(QString::fromLocal8Bit(argv[1]), settings, &failure);
    if (!writer)
        return 1;
    quelmar::Frame frame(settings.width, settings.height);
    std::int64_t reported = 0;
    // Bounded: the test kills it long before; a forgotten child ends by itself.
    for (std::int64_t position = 0; position < 100000; ++position) {
        for (std::size_t i = 0; i < frame.byteCount(); ++i)
            frame.data()[i] = std::uint8_t(i * 7 + std::size_t(position) * 13);
        if (!writer->write(frame.view(), position))
            return 1;
        if (writer->framesFlushed() != reported) {
            reported = writer->framesFlushed();
            std::printf("%lld\n", static_cast<long long>(reported));
            std::fflush(stdout);
        }
    }
    return 0;
}

// FTP command lines as a client sends them: the words, the command table's answer and the
// port of PORT, LPRT and EPRT requests.
#include "ftp/ftp_command_line.h"
#include "ftp/ftp_command_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quelmar::viewer;
    static const FtpCommandTable table = FtpCommandTable::load(FtpCommandTable::builtInPath());
    if (table.isEmpty())
        quelmar::fuzz::finding("the built-in command table did not load");
    for (const QByteArray &line : quelmar::fuzz::bytesOf(data, size).split('\n')) {
        const QStringList words = commandWords(line);
        if (words.isEmpty())
            quelmar::fuzz::finding("a line gave no words");
        table.handlerFor(words.first().toLower());
        const QString argument = commandArgument(words, 1);
        for (ActiveRequest request :
             {ActiveRequest::Port, ActiveRequest::Lprt, ActiveRequest::Eprt}) {
            const auto port = activePort(request, argument);
            if (port && (*port < 1024 || *port > 65535))
                quelmar::fuzz::finding("an active port outside 1024..65535");
        }
    }
    return 0;
}

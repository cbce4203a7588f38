#include "wifiscope_sim.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quelmar::test {

viewer::DeviceAddress closedAddress()
{
    // A socket bound but never listening holds its port for the whole test run, so nothing
    // else can take it, and every connection to it is refused.
    static const int port = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return 1; // nothing listens on the first port either
        return int(ntohs(address.sin_port));
    }();
    return {QStringLiteral("127.0.0.1"), port, port};
}

} // namespace quelmar::test

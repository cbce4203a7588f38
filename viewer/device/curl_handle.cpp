#include "curl_handle.h"

#include <mutex>

namespace quelmar::viewer {

CurlEasy makeCurlEasy()
{
    // libcurl's global state: initialised once for the process and never torn down, because
    // the stream and watcher threads may still hold handles while the program exits. The
    // first call may come from a worker thread; libcurl is built with thread-safe global
    // initialisation (curl-config --features lists "threadsafe").
    static std::once_flag curlGlobalInit;
    std::call_once(curlGlobalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return CurlEasy(curl_easy_init());
}

} // namespace quelmar::viewer

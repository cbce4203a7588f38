// Owning wrappers for libcurl handles, and the one place that sets libcurl up for the process.
#pragma once

#include <curl/curl.h>

#include <memory>

namespace quelmar::viewer {

struct CurlEasyDeleter {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

// A new easy handle; libcurl's process-wide set-up runs once, before the first handle.
CurlEasy makeCurlEasy();

} // namespace quelmar::viewer

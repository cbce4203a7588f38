#include "capture/capture_sizes.h"

#include <algorithm>

namespace quelmar::station {

std::vector<CaptureSize> buildCaptureSizeTable(const std::vector<CaptureFormat> &offered)
{
    std::vector<CaptureSize> table;
    for (const CaptureFormat &f : offered) {
        if (f.width < 320 || f.height < 240)
            continue;
        if (f.pixelFormat != PixelFormat::Yuyv && f.pixelFormat != PixelFormat::Mjpg)
            continue;
        const bool seen = std::any_of(table.begin(), table.end(), [&](const CaptureSize &s) {
            return s.width == f.width && s.height == f.height;
        });
        if (seen)
            continue;
        if (int(table.size()) == kMaxCaptureSizes)
            break;
        table.push_back({f.width, f.height, f.pixelFormat});
    }
    std::stable_sort(table.begin(), table.end(),
                     [](const CaptureSize &a, const CaptureSize &b) { return a.width < b.width; });
    return table;
}

int sensorClassFor(const std::vector<CaptureSize> &table, int previous)
{
    if (table.empty())
        return previous;
    const int widest = table.back().width;
    switch (widest) {
    case 1280:
        // Cameras of the fifth kind list 352x288 third from the top.
        return table.size() >= 3 && table[table.size() - 3].width == 352 ? 5 : 1;
    case 1600:
        return 2;
    case 2592:
        return 3;
    case 3264:
        return 4;
    default:
        return previous;
    }
}

SensorClassSizes sensorClassSizes(int sensorClass)
{
    switch (sensorClass) {
    case 2:
        return {{1600, 1200}, {1280, 960}, PixelFormat::Yuyv};
    case 3:
        return {{2592, 1944}, {2048, 1536}, PixelFormat::Mjpg};
    case 4:
        return {{3264, 2448}, {3264, 2448}, PixelFormat::Mjpg};
    case 5:
        return {{1280, 1024}, {640, 480}, PixelFormat::Yuyv};
    default:
        return {{1280, 1024}, {640, 480}, PixelFormat::Mjpg};
    }
}

int frameRateFor(int width, int height)
{
    if (width == 640)
        return 11;
    struct Entry {
        int w, h, fps;
    };
    static constexpr Entry table[] = {
        {320, 240, 19},  {352, 288, 17},  {800, 600, 9},   {1024, 768, 7},
        {1280, 720, 5},  {1280, 960, 5},  {1280, 1024, 5}, {1600, 1200, 4},
        {1920, 1080, 4}, {2048, 1536, 3}, {2592, 1944, 2}, {3264, 2448, 1},
    };
    for (const Entry &e : table)
        if (e.w == width && e.h == height)
            return e.fps;
    return 11;
}

double overlayScaleFor(int width, int height)
{
    struct Entry {
        int w, h;
        double scale;
    };
    static constexpr Entry table[] = {
        {320, 240, 0.5},    {352, 288, 0.55},  {800, 600, 1.25},   {1024, 768, 1.6},
        {1280, 720, 1.5},   {1280, 960, 2.0},  {1280, 1024, 2.0},  {1600, 1200, 2.5},
        {1920, 1080, 2.25}, {2048, 1536, 3.2}, {2592, 1944, 4.05}, {3264, 2448, 5.1},
    };
    for (const Entry &e : table)
        if (e.w == width && e.h == height)
            return e.scale;
    return 1.0;
}

} // namespace quelmar::station

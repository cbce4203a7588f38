// The capture size table, the sensor class derived from it, and the per-size constants
// (frame rate, overlay scale) that other parts of the station look up.
#pragma once

#include <camera/camera.h>

#include <QSize>

#include <vector>

namespace quelmar::station {

struct CaptureSize {
    int width = 0;
    int height = 0;
    PixelFormat pixelFormat = PixelFormat::Yuyv;
    bool operator==(const CaptureSize &) const = default;
};

constexpr int kMaxCaptureSizes = 16;

// Sizes of at least 320x240 in YUYV or MJPG, each (width, height) once with the format of
// the first offer, stably sorted by width, at most 16 entries.
std::vector<CaptureSize> buildCaptureSizeTable(const std::vector<CaptureFormat> &offered);

// Sensor class 1..5 from the widest entry; `previous` when the widest width is unknown.
int sensorClassFor(const std::vector<CaptureSize> &table, int previous);

struct SensorClassSizes {
    QSize high;
    QSize low;
    PixelFormat pixelFormat;
};
// High and low sizes and the pixel format set on the camera; class 0 behaves as class 1.
SensorClassSizes sensorClassSizes(int sensorClass);

// Frames per second the station assumes for a capture size.
int frameRateFor(int width, int height);

// Factor for overlays drawn into a full-size still: the smaller of width/640 and height/480
// for the sizes cameras offer, 1.0 for anything else.
double overlayScaleFor(int width, int height);

} // namespace quelmar::station

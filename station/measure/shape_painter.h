// Drawing one shape of the photo shape list: its lines in its own pen (green when selected),
// then its labels. A shape with fewer points than its kind needs is skipped, never read past.
#pragma once

#include "measure/graph.h"

#include <QSize>

class QPainter;

namespace quelmar::station {

// `textArea`: the size of the rectangle a Text shape wraps its text in (the client area).
// Returns false when the shape was skipped.
bool drawShape(QPainter &painter, const CGraph &shape, QSize textArea);

} // namespace quelmar::station

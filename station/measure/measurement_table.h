// The rows a measurement export writes: the header row and, group by group, a title row
// followed by one row per measured shape. Photo shapes and live shapes number their kinds
// differently and are grouped differently.
#pragma once

#include "measure/graph.h"

#include <QStringList>

#include <vector>

namespace quelmar::station {

enum class ShapeNumbering {
    Photo, // ShapeKind
    Live,  // LiveTool
};

// "Name", "object1", "object2", "object3".
QStringList exportHeader();

// Title and data rows of every group that holds a measured shape (sequence number above 0),
// shapes in list order within their group. A title names the unit of the values under it;
// when the unit changes inside a group, a new title row says so.
std::vector<QStringList> exportRows(const ShapeList &shapes, ShapeNumbering numbering);

// A continuous line's length in lists and exports: the segment values added, "%f", and
// empty when they add up to 0.
QString continuousLineLength(const CGraph &shape);

} // namespace quelmar::station

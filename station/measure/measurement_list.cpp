#include "measure/measurement_list.h"

#include "measure/measurement_table.h"

#include <algorithm>

namespace quelmar::station {

namespace {

// The kinds each tab lists.
bool listedOn(int tab, ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Line:
    case ShapeKind::ContinuousLine:
        return tab == 0;
    case ShapeKind::Rectangle:
        return tab == 1;
    case ShapeKind::Polygon:
        return tab == 2;
    case ShapeKind::RadiusCircle:
    case ShapeKind::DiameterCircle:
    case ShapeKind::ThreePointCircle:
        return tab == 3;
    case ShapeKind::ThreePointAngle:
    case ShapeKind::FourPointAngle:
        return tab == 4;
    case ShapeKind::Text:
    case ShapeKind::None:
        break;
    }
    return false;
}

} // namespace

MeasurementList::MeasurementList(ShapeState *state) : state_(state)
{
    rebuild();
}

void MeasurementList::setState(ShapeState *state)
{
    state_ = state;
    rebuild();
}

void MeasurementList::setTab(int tab)
{
    tab_ = std::clamp(tab, 0, kTabCount - 1);
    rebuild();
}

std::array<std::pair<const char *, const char *>, MeasurementList::kTabCount>
MeasurementList::tabTexts()
{
    return {{{"straightline", "Line"},
             {"Rectangle", "Rectangle"},
             {"Polygon", "Polygon"},
             {"Circle", "Circle"},
             {"Angle", "Angle"}}};
}

QStringList MeasurementList::columns(int tab)
{
    switch (tab) {
    case 0:
        return {"ID", "Name", "Length", "", ""};
    case 1:
        return {"ID", "Name", "Width", "Height", "Area"};
    case 2:
        return {"ID", "Name", "Area", "", ""};
    case 3:
        return {"ID", "Name", "Radius", "Circumference", "Area"};
    default:
        return {"ID", "Name", "Angle", "", ""};
    }
}

void MeasurementList::rebuild()
{
    rows_.clear();
    remembered_ = -1;
    if (!state_)
        return;
    const ShapeList &shapes = state_->photoShapes;
    const qsizetype valueColumns = columns(tab_).count(QString()) == 2 ? 1 : 3;
    for (qsizetype i = 0; i < shapes.count(); ++i) {
        const CGraph &shape = *shapes.at(i);
        if (shape.sequenceNumber <= 0 || !listedOn(tab_, shape.shapeKind()))
            continue;
        Row row{{QString::number(shape.sequenceNumber), shape.displayName()},
                &shape,
                shape.displayName()};
        if (shape.shapeKind() == ShapeKind::ContinuousLine) {
            row.cells.push_back(continuousLineLength(shape));
        } else {
            // A diameter circle's diameter stands in the Radius column.
            for (qsizetype v = 0; v < valueColumns; ++v)
                row.cells.push_back(shape.values.value(v));
        }
        while (row.cells.size() < 5)
            row.cells.push_back(QString());
        rows_.push_back(std::move(row));
    }
}

qsizetype MeasurementList::indexOf(const Row &row) const
{
    if (!state_)
        return -1;
    const ShapeList &shapes = state_->photoShapes;
    for (qsizetype i = 0; i < shapes.count(); ++i) {
        const CGraph *shape = shapes.at(i);
        if (shape == row.shape)
            return shape->displayName() == row.name && shape->sequenceNumber > 0 ? i : -1;
    }
    return -1;
}

bool MeasurementList::clickRow(int row)
{
    if (row < 0 || std::size_t(row) >= rows_.size())
        return false;
    const qsizetype index = indexOf(rows_[std::size_t(row)]);
    if (index < 0) {
        rebuild();
        return false;
    }
    state_->photoShapes.select(index);
    remembered_ = row;
    return true;
}

bool MeasurementList::deleteRemembered()
{
    if (remembered_ < 0)
        return false;
    const qsizetype index = indexOf(rows_[std::size_t(remembered_)]);
    if (index < 0) {
        rebuild();
        return false;
    }
    state_->photoShapes.remove(index);
    rebuild();
    return true;
}

bool MeasurementList::deleteAll()
{
    if (!state_)
        return false;
    if (remembered_ >= 0 && indexOf(rows_[std::size_t(remembered_)]) >= 0) {
        state_->clearPhotoShapes();
        rebuild();
        return true;
    }
    if (state_->photoShapes.count() == 0)
        state_->counter.reset();
    return false;
}

} // namespace quelmar::station

#include "measure/graph.h"

namespace quelmar::station {

QString namePrefix(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Line:
        return QStringLiteral("DL");
    case ShapeKind::RadiusCircle:
        return QStringLiteral("RC");
    case ShapeKind::Rectangle:
        return QStringLiteral("RE");
    case ShapeKind::Text:
        return QStringLiteral("S");
    case ShapeKind::ThreePointAngle:
        return QStringLiteral("TA");
    case ShapeKind::ContinuousLine:
        return QStringLiteral("ML");
    case ShapeKind::Polygon:
        return QStringLiteral("PG");
    case ShapeKind::DiameterCircle:
        return QStringLiteral("DC");
    case ShapeKind::ThreePointCircle:
        return QStringLiteral("TC");
    case ShapeKind::FourPointAngle:
        return QStringLiteral("FA");
    case ShapeKind::None:
        break;
    }
    return {};
}

QVector<QString> labelPrefixes(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Line:
    case ShapeKind::ContinuousLine:
        return {QStringLiteral("L=")};
    case ShapeKind::RadiusCircle:
    case ShapeKind::ThreePointCircle:
        return {QStringLiteral("R="), QStringLiteral("C="), QStringLiteral("A=")};
    case ShapeKind::DiameterCircle:
        return {QStringLiteral("D="), QStringLiteral("C="), QStringLiteral("A=")};
    case ShapeKind::Rectangle:
        return {QStringLiteral("W="), QStringLiteral("H="), QStringLiteral("A=")};
    case ShapeKind::ThreePointAngle:
    case ShapeKind::FourPointAngle:
        return {QStringLiteral("<=")};
    case ShapeKind::Polygon:
        return {QStringLiteral("A=")};
    case ShapeKind::Text:
    case ShapeKind::None:
        break;
    }
    return {};
}

int minimumPoints(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Line:
        return 7;
    case ShapeKind::RadiusCircle:
        return 3;
    case ShapeKind::Rectangle:
        return 3;
    case ShapeKind::Text:
        return 1;
    case ShapeKind::ThreePointAngle:
        return 4;
    case ShapeKind::ContinuousLine:
        return 2;
    case ShapeKind::Polygon:
        return 3; // two vertices (a polygon double-clicked early still has an area) and the label
    case ShapeKind::DiameterCircle:
        return 4;
    case ShapeKind::ThreePointCircle:
        return 5;
    case ShapeKind::FourPointAngle:
        return 5;
    case ShapeKind::None:
        break;
    }
    return 1;
}

void CGraph::setPoint(qsizetype index, QPoint p)
{
    if (index >= 0 && index < points.size())
        points[index] = p;
}

void CGraph::addValue(const QString &value, const QString &unit)
{
    values.push_back(value);
    units.push_back(unit);
}

CGraph &ShapeList::add(std::unique_ptr<CGraph> shape)
{
    shapes_.push_back(std::move(shape));
    return *shapes_.back();
}

void ShapeList::remove(qsizetype index)
{
    if (index >= 0 && index < count())
        shapes_.erase(shapes_.begin() + index);
}

std::unique_ptr<CGraph> ShapeList::take(qsizetype index)
{
    if (index < 0 || index >= count())
        return nullptr;
    std::unique_ptr<CGraph> shape = std::move(shapes_[std::size_t(index)]);
    shapes_.erase(shapes_.begin() + index);
    return shape;
}

void ShapeList::removeAll()
{
    shapes_.clear();
}

CGraph *ShapeList::at(qsizetype index) const
{
    return index >= 0 && index < count() ? shapes_[std::size_t(index)].get() : nullptr;
}

void ShapeList::select(qsizetype index)
{
    for (qsizetype i = 0; i < count(); ++i)
        shapes_[std::size_t(i)]->selected = i == index ? 1 : 0;
}

} // namespace quelmar::station

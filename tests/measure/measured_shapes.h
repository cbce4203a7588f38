// Measured shapes of every kind, with value texts as the tools store them, for the
// measurement list and export tests.
#pragma once

#include "measure/graph.h"

#include <memory>

namespace quelmar::test {

// A shape with its name prefix, sequence number and values; lengths take `unit`, areas
// `unit` followed by "2", angles "°". Kinds are ShapeKind numbers unless `prefix` is given.
inline std::unique_ptr<station::CGraph> measured(int kind, int sequence, QVector<QString> values,
                                                 const QString &unit = QStringLiteral("mm"),
                                                 const QString &prefix = {})
{
    using station::ShapeKind;
    auto shape = std::make_unique<station::CGraph>();
    shape->kind = kind;
    shape->prefix = prefix.isEmpty() ? station::namePrefix(ShapeKind(kind)) : prefix;
    shape->sequenceNumber = sequence;
    shape->measurement = sequence > 0 ? 1 : 0;
    const bool angle = prefix.isEmpty() && (kind == int(ShapeKind::ThreePointAngle) ||
                                            kind == int(ShapeKind::FourPointAngle));
    for (qsizetype i = 0; i < values.size(); ++i) {
        QString u = unit;
        if (angle)
            u = QStringLiteral("\u00B0");
        else if ((values.size() == 3 && i == 2) ||
                 (prefix.isEmpty() && kind == int(ShapeKind::Polygon)))
            u += QLatin1Char('2');
        shape->addValue(values[i], u);
    }
    return shape;
}

// One shape of every photo kind (numbered 1 to 9), a text, a plain drawing and a continuous
// line whose segments add up to 0 (number 10).
inline void addEveryPhotoKind(station::ShapeState &state,
                              const QString &unit = QStringLiteral("mm"))
{
    using station::ShapeKind;
    auto &list = state.photoShapes;
    list.add(measured(int(ShapeKind::Line), 1, {"1.000"}, unit));
    list.add(measured(int(ShapeKind::ContinuousLine), 2, {"1.500", "2.250"}, unit));
    list.add(measured(int(ShapeKind::Rectangle), 3, {"2.000", "3.000", "6.000"}, unit));
    list.add(measured(int(ShapeKind::Polygon), 4, {"12.500"}, unit));
    list.add(measured(int(ShapeKind::RadiusCircle), 5, {"1.000", "6.283", "3.142"}, unit));
    list.add(measured(int(ShapeKind::DiameterCircle), 6, {"2.000", "6.283", "3.142"}, unit));
    list.add(measured(int(ShapeKind::ThreePointCircle), 7, {"1.500", "9.425", "7.069"}, unit));
    list.add(measured(int(ShapeKind::ThreePointAngle), 8, {"90.00"}, unit));
    list.add(measured(int(ShapeKind::FourPointAngle), 9, {"45.00"}, unit));
    auto text = std::make_unique<station::CGraph>();
    text->kind = int(ShapeKind::Text);
    text->prefix = QStringLiteral("S");
    text->addText(QStringLiteral("note"));
    list.add(std::move(text));
    list.add(measured(int(ShapeKind::Line), 0, {""}, unit)); // a plain drawing
    list.add(measured(int(ShapeKind::ContinuousLine), 10, {"0.000", "0.000"}, unit));
    for (int i = 0; i < 10; ++i)
        state.counter.next();
}

} // namespace quelmar::test

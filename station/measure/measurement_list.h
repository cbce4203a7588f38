// The measurement list's logic: five tabs of measured photo shapes, the row the user picked
// (remembered by the shape it shows, never by its position), deleting it or everything.
#pragma once

#include "measure/graph.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace quelmar::station {

class MeasurementList {
public:
    static constexpr int kTabCount = 5;

    struct Row {
        QStringList cells; // ID, Name and the values; as many as the tab has columns
        const CGraph *shape = nullptr;
        QString name; // what the row showed, to tell a stale row from a live one
    };

    // `state` may be null: no canvas, no rows.
    explicit MeasurementList(ShapeState *state = nullptr);

    // The canvas's shapes changed hands (a new canvas, or none): the rows are rebuilt.
    void setState(ShapeState *state);
    ShapeState *state() const { return state_; }

    int tab() const { return tab_; }
    void setTab(int tab);
    // The language keys and English defaults of the tab texts, and a tab's column titles.
    static std::array<std::pair<const char *, const char *>, kTabCount> tabTexts();
    static QStringList columns(int tab);

    const std::vector<Row> &rows() const { return rows_; }
    // Rows of the current tab from the list as it is now; no row stays remembered.
    void rebuild();

    // Selects the row's shape (and no other) and remembers it. False when the row no longer
    // shows a shape of the list; the rows are then rebuilt.
    bool clickRow(int row);
    // The row clicked last, or -1.
    int rememberedRow() const { return remembered_; }

    // Destroys the remembered shape. False when none is remembered or it is gone.
    bool deleteRemembered();
    // With a row remembered: destroys every shape and restarts the numbering; true. Without
    // one: restarts the numbering only when no shape is left, so numbers in use are never
    // handed out again; false.
    bool deleteAll();

private:
    // The list index of the row's shape, or -1 when the row is stale.
    qsizetype indexOf(const Row &row) const;

    ShapeState *state_ = nullptr;
    int tab_ = 0;
    std::vector<Row> rows_;
    int remembered_ = -1;
};

} // namespace quelmar::station

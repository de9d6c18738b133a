// Column-wise storage of a table's values: each column keeps its values as GB18030 bytes in
// one arena, and each row a reference into it. Loading a large table is one copy per column,
// and a search can run over a column's bytes in one pass.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

struct FieldDef {
    QString name;
    int size = 0;  // in bytes of GB18030 text
    bool required = false;
};

class ColumnData {
public:
    struct Cell {
        std::uint32_t offset = 0;
        std::int32_t length = -1;  // -1: the field has no value
    };

    std::size_t RowCount() const { return cells.size(); }
    bool IsNull(std::size_t row) const { return cells[row].length < 0; }
    QByteArrayView Value(std::size_t row) const {
        const Cell c = cells[row];
        return c.length <= 0 ? QByteArrayView()
                             : QByteArrayView(arena.constData() + c.offset, c.length);
    }
    // An empty view stores no value.
    void Append(QByteArrayView bytes) { cells.push_back(Store(bytes)); }
    void Set(std::size_t row, QByteArrayView bytes) { cells[row] = Store(bytes); }
    void Erase(std::size_t row) { cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(row)); }

    QByteArray arena;
    std::vector<Cell> cells;

private:
    Cell Store(QByteArrayView bytes) {
        if (bytes.isEmpty()) {
            return {};
        }
        Cell c{static_cast<std::uint32_t>(arena.size()), static_cast<std::int32_t>(bytes.size())};
        arena.append(bytes);
        return c;
    }
};

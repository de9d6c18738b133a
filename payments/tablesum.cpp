#include "payments/tablesum.h"

#include "platform/dataset/dataset.h"

namespace payments {

ColumnSum SumColumn(Dataset& table, const QString& field, Money extra,
                    const std::function<bool(int row)>& skip) {
    ColumnSum sum;
    sum.total.Add(extra);
    const auto column = table.Active() ? table.FindField(field) : std::nullopt;
    for (int r = 0; column && r < table.RecordCount(); ++r) {
        if (skip && skip(r)) {
            continue;
        }
        if (const auto amount = Money::Parse(table.Text(r, column->Index()))) {
            sum.total.Add(*amount);
        } else {
            ++sum.unreadable;
        }
    }
    return sum;
}

}  // namespace payments

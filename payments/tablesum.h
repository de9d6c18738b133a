// The sum of a table's amount column, as both pages show, check and ask about it: every row's
// text read as Money, exactly, with a sum that does not fit refused rather than wrapped.
#pragma once

#include <QString>
#include <functional>

#include "payments/money.h"

class Dataset;

namespace payments {

struct ColumnSum {
    Total total;
    int unreadable = 0;  // rows whose text is no amount: shown, never summed
    bool Exact() const { return unreadable == 0 && !total.Overflowed(); }
};

// The sum of the field's amounts with `extra` added, leaving out the rows `skip` names (such
// as the row an edit replaces, or the rows already exported).
ColumnSum SumColumn(Dataset& table, const QString& field, Money extra = Money(),
                    const std::function<bool(int row)>& skip = {});

}  // namespace payments

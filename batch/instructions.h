// The instruction table: its eleven fields, their sizes, required flags and grid titles.
#pragma once

#include <QString>

class Dataset;
class DBGrid;

namespace instructions {

inline constexpr int kMaxEntryRows = 100;   // rows the entry form may add
inline constexpr int kMaxExportRows = 100;  // rows one upload file may hold

inline constexpr char16_t kOwnBank[] = u"星澜聚川银行";
inline constexpr char16_t kGridTitles[] =
    u"公私标志,付款账号,收款账号,收款方,收款方开户行编号,收款方开户行名称,币种,金额,用途,方式,备注";

// Clears the table's definitions, adds the eleven fields and creates the table empty.
void CreateTable(Dataset& cds1);
// Gives the grid's columns the titles above, which become the fields' display labels.
void SetGridTitles(DBGrid& grid);

}  // namespace instructions

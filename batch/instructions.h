// The instruction table: its eleven fields as the payment model defines them, and the grid
// titles that become the fields' display labels.
#pragma once

#include <QString>

class Dataset;
class DBGrid;

namespace instructions {

inline constexpr int kMaxEntryRows = 100;   // rows the entry form may add
inline constexpr int kMaxExportRows = 100;  // rows one upload file may hold

// Clears the table's definitions, adds the eleven fields and creates the table empty.
void CreateTable(Dataset& cds1);
// Gives the grid's columns their titles, which become the fields' display labels.
void SetGridTitles(DBGrid& grid);

}  // namespace instructions

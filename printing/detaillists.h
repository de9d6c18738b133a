// Printing the detail lists of the instruction table and of the salary table: the report
// objects of the main window, the print command and the cross-tab fill.
#pragma once

#include <QString>

#include "platform/report/report.h"

class ConfigDir;
class DataSource;
class Dataset;
class Dialogs;

namespace printing {

// The tables a print command can choose.
inline constexpr int kInstructions = 0;
inline constexpr int kSalaries = 1;

// One blank for exactly "NULL", the salary tables' text for no value; any other text as it is.
QString NullToBlank(const QString& text);

// Adds one value per field of every row of the table to the cross view: the row counter as
// line, the field's display label as column, its text as cell (through NullToBlank when asked).
// The walk leaves the last row current.
void FillCross(TfrxCrossView& cross, Dataset& table, bool nullToBlank);

class DetailLists {
public:
    struct Tables {
        Dataset& cds1;
        Dataset& cds2;
        DataSource& DataSource1;
        DataSource& DataSource2;
    };

    DetailLists(Tables tables, const ConfigDir& config, Dialogs& dialogs);

    // The print command: loads the template anew, prepares the list of the table that source
    // chooses (kInstructions or kSalaries) and shows it in the preview.
    void Print(int source);
    // The same without showing the preview.
    void Prepare(int source);

    // Fills a cross view about to print from the table PrintSource chooses.
    void frxReport1BeforePrint(TfrxReportComponent* component);

    int PrintSource = kInstructions;
    TfrxReport frxReport1;
    TfrxDBDataset frxDBDataset1;
    TfrxCrossObject frxCrossObject1;

private:
    Tables tables_;
    const ConfigDir& config_;
};

}  // namespace printing

// Printing the detail lists of the instruction table and of the salary table: the report
// objects of the main window, the print command and the cross-tab fill, with the list's count,
// total and title for the template.
#pragma once

#include <QString>
#include <cstdint>

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

// The rows a list printed and the sum of their amounts in ten-thousandths (amounts that are no
// number left out).
struct ListTotals {
    int count = 0;
    std::int64_t total = 0;
};

// Adds one value per field of every row of the table to the cross view: the row counter as
// line, the field's display label as column, its text as cell. A salary table's cell prints
// what the upload file carries (the memo "NULL" as "网银代发"), through NullToBlank.
// The field named amountField prints grouped with two decimals (the table keeps its text) and
// is summed. The walk leaves the last row current.
ListTotals FillCross(TfrxCrossView& cross, Dataset& table, bool salaries,
                     const QString& amountField = {});

// The memos of the shipped template that the lists choose between: the batch title, and the
// payroll title that the salary list prints in its place when the template has it.
inline constexpr char16_t kListTitle[] = u"Memo17";
inline constexpr char16_t kSalaryTitle[] = u"SalaryTitle";

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

    // Fills a cross view about to print from the table PrintSource chooses and sets the
    // report's variables Count, Total (grouped, two decimals) and TotalCapitals (大写金额)
    // from it; shows the title of the list PrintSource chooses.
    void frxReport1BeforePrint(TfrxReportComponent* component);

    int PrintSource = kInstructions;
    TfrxReport frxReport1;
    TfrxDBDataset frxDBDataset1;
    TfrxCrossObject frxCrossObject1;

private:
    Tables tables_;
    const ConfigDir& config_;
    bool hasSalaryTitle_ = false;
};

}  // namespace printing

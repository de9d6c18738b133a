#include "printing/detaillists.h"

#include "controls/capitals.h"
#include "payments/money.h"
#include "payments/salaryfile.h"
#include "platform/dataset/dataset.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"
#include "store/configdir.h"
#include "store/listfile.h"

namespace printing {

namespace {

// The amount field of each table.
const QString kInstructionAmount = QStringLiteral("amt");
const QString kSalaryAmount = QStringLiteral("finalincome");

}  // namespace

QString NullToBlank(const QString& text) {
    return text == u"NULL" ? QStringLiteral(" ") : text;
}

ListTotals FillCross(TfrxCrossView& cross, Dataset& table, bool salaries,
                     const QString& amountField) {
    ListTotals totals;
    payments::Total sum;
    int amount = -1;
    for (int i = 0; !amountField.isEmpty() && i < table.FieldCount(); ++i) {
        if (table.Fields(i).FieldName().compare(amountField, Qt::CaseInsensitive) == 0) {
            amount = i;
        }
    }
    table.First();
    int row = 0;
    while (!table.Eof()) {
        for (int i = 0; i < table.FieldCount(); ++i) {
            const Field field = table.Fields(i);
            QString text = field.AsString();
            if (i == amount) {
                // An amount that is no number prints as it is and is not summed; the pages
                // refuse such amounts before any export.
                if (const auto value = payments::Money::Parse(text)) {
                    text = value->Grouped();
                    sum.Add(*value);
                }
            }
            if (salaries) {
                text = NullToBlank(payments::salaryfile::CarriedText(field.FieldName(), text));
            }
            cross.AddValue({row}, {field.DisplayLabel()}, {text});
        }
        table.Next();
        ++row;
    }
    totals.count = row;
    // The pages refuse a sum that does not fit; a list never prints a wrapped total.
    if (sum.Overflowed()) {
        throw AppError(payments::TotalTooLargeText(QStringLiteral("明细")));
    }
    totals.total = sum.Sum().TenThousandths();
    return totals;
}

DetailLists::DetailLists(Tables tables, const ConfigDir& config, Dialogs& dialogs)
    : frxReport1(dialogs, &listfile::WriteWhole), tables_(tables), config_(config) {
    frxReport1.setObjectName(QStringLiteral("frxReport1"));
    frxReport1.OnBeforePrint = [this](TfrxReportComponent* c) { frxReport1BeforePrint(c); };
    // The lists open on the whole width of their first page.
    frxReport1.PreviewOptions.ZoomMode = TfrxReport::zmPageWidth;
    frxDBDataset1.UserName = QStringLiteral("frxDBDataset1");
}

void DetailLists::Prepare(int source) {
    frxReport1.Clear();
    PrintSource = source;
    frxDBDataset1.SetDataSource(source == kSalaries ? &tables_.DataSource2 : &tables_.DataSource1);
    frxReport1.LoadFromFile(config_.Path(QString::fromUtf16(cfg::kCross)), false);
    hasSalaryTitle_ = frxReport1.FindObject(QString::fromUtf16(kSalaryTitle)) != nullptr;
    frxReport1.PrepareReport();
}

void DetailLists::Print(int source) {
    Prepare(source);
    frxReport1.ShowPreparedReport();
}

void DetailLists::frxReport1BeforePrint(TfrxReportComponent* component) {
    const bool salaries = PrintSource == kSalaries;
    if (component->Name == kSalaryTitle) {
        component->Visible = salaries;
    } else if (component->Name == kListTitle) {
        component->Visible = !(salaries && hasSalaryTitle_);
    }
    auto* cross = dynamic_cast<TfrxCrossView*>(component);
    if (!cross || (!salaries && PrintSource != kInstructions)) {
        return;
    }
    const ListTotals totals = salaries ? FillCross(*cross, tables_.cds2, true, kSalaryAmount)
                                       : FillCross(*cross, tables_.cds1, false, kInstructionAmount);
    frxReport1.Variables.insert(QStringLiteral("Count"), QString::number(totals.count));
    frxReport1.Variables.insert(QStringLiteral("Total"),
                                payments::Money::FromTenThousandths(totals.total).Grouped());
    frxReport1.Variables.insert(QStringLiteral("TotalCapitals"),
                                capitals::FromCurrency(totals.total));
}

}  // namespace printing

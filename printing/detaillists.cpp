#include "printing/detaillists.h"

#include "platform/dataset/dataset.h"
#include "store/configdir.h"
#include "store/listfile.h"

namespace printing {

QString NullToBlank(const QString& text) {
    return text == u"NULL" ? QStringLiteral(" ") : text;
}

void FillCross(TfrxCrossView& cross, Dataset& table, bool nullToBlank) {
    table.First();
    int row = 0;
    while (!table.Eof()) {
        for (int i = 0; i < table.FieldCount(); ++i) {
            const Field field = table.Fields(i);
            const QString text = field.AsString();
            cross.AddValue({row}, {field.DisplayLabel()}, {nullToBlank ? NullToBlank(text) : text});
        }
        table.Next();
        ++row;
    }
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
    frxReport1.PrepareReport();
}

void DetailLists::Print(int source) {
    Prepare(source);
    frxReport1.ShowPreparedReport();
}

void DetailLists::frxReport1BeforePrint(TfrxReportComponent* component) {
    auto* cross = dynamic_cast<TfrxCrossView*>(component);
    if (!cross) {
        return;
    }
    if (PrintSource == kSalaries) {
        FillCross(*cross, tables_.cds2, true);
    } else if (PrintSource == kInstructions) {
        FillCross(*cross, tables_.cds1, false);
    }
}

}  // namespace printing

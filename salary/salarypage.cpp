#include "salary/salarypage.h"

#include <QAction>
#include <QShortcut>
#include <QTimer>

#include "printing/detaillists.h"
#include "salary/sheetimport.h"

#include <algorithm>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

#include "controls/capitals.h"
#include "controls/numeditnew.h"
#include "payments/exportflow.h"
#include "payments/salaryfile.h"
#include "payments/tablesum.h"
#include "payments/values.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/guard.h"
#include "platform/sheet/xlsxsave.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "store/record.h"

namespace {

// The items every credit is built from, in the order they are read.
const char16_t* const kEntryFields[] = {u"name", u"acct", u"finalincome", u"memo"};

// What a salary cell shows, in the grid and in a saved workbook: the value as the upload file
// carries it (a memo left "NULL" is "网银代发"), a field without value empty rather than "NULL".
QString ShownValue(const QString& field, const QString& stored) {
    const QString carried = payments::salaryfile::CarriedText(field, stored);
    return carried == u"NULL" ? QString() : carried;
}

}  // namespace

SalaryPage::SalaryPage(Context context, QWidget* parent)
    : QWidget(parent),
      origins(new RowOrigins(context.cds2, this)),
      exported(new RowMarks(context.cds2, this)),
      ctx_(std::move(context)) {
    SetUpForm();
    Wire();
}

void SalaryPage::SetUpForm() {
    setupUi(this);
    for (DBGrid* grid : {DBGrid2, DBGrid3}) {
        grid->SetDialogs(&ctx_.dialogs);
    }
    DBGrid2->SetDataSource(&ctx_.dataSource2);
    DBGrid3->SetDataSource(&ctx_.dataSource3);
    ne_sumamt->SetDialogs(&ctx_.dialogs);
    // The total in capitals follows the total box.
    connect(ne_sumamt, &QLineEdit::textChanged, this, [this] {
        sumCapitals->setText(ne_sumamt->text().isEmpty() ? QString()
                                                         : capitals::FromText(ne_sumamt->ShuZhi()));
    });
    // Work not yet written to a salary upload file; and the count and total, which are always
    // those of the rows in the table, summed as the upload file's header sums them.
    const auto changed = [this](bool) {
        // Every field set while a row is appended reports a change; the figures are summed once
        // the row is posted (or cancelled). An edit in place shows at once.
        if (ctx_.cds2.GetState() != Dataset::State::Insert) {
            ShowSummary();
        }
    };
    connect(&ctx_.cds2, &Dataset::RowInserted, this, [changed] { changed(true); });
    connect(&ctx_.cds2, &Dataset::RowChanged, this, [changed] { changed(true); });
    connect(&ctx_.cds2, &Dataset::Reset, this, [changed] { changed(true); });
    connect(&ctx_.cds2, &Dataset::RowRemoved, this, [changed] { changed(false); });
    // Values edited in place in the salary grid meet the rules of a credit as they enter: refused
    // with the item named, never cut. Values typed into the item grid are checked by the add.
    DBGrid2->Model()->SetEditCheck([this](int column, const QString& text) {
        const payments::FieldRule rule = Rule(column);
        QString value = payments::CheckCreditValue(rule, text, IsKeyField(rule.name));
        if (rule.name.compare(u"finalincome", Qt::CaseInsensitive) == 0) {
            // The new amount takes the old one's place in the total.
            const int edited = ctx_.cds2.RecNo();
            if (payments::SumColumn(ctx_.cds2, QStringLiteral("finalincome"),
                                    payments::CheckAmount(value).money,
                                    [edited](int r) { return r == edited; })
                    .total.Overflowed()) {
                throw AppError(payments::TotalTooLargeText(QStringLiteral("工资记录")));
            }
        }
        return value;
    });
    DBGrid3->horizontalHeader()->setStretchLastSection(true);
    // Whole accounts and amounts in view; what width is left goes to the name.
    DBGrid2->SetFitColumns(0);
    // The credited amount read at a glance: grouped, two decimals, right-aligned (display only).
    DBGrid2->Model()->SetFieldFormat(QStringLiteral("finalincome"),
                                     {payments::GroupedText, Qt::AlignRight | Qt::AlignVCenter});
    // Every other cell shows what the upload file carries (ShownValue); an edit starts from
    // what the cell shows.
    for (const QString& field : {QStringLiteral("memo"), QString()}) {
        DBGrid2->Model()->SetFieldFormat(
            field, {[field](const QString& text) { return ShownValue(field, text); },
                    Qt::AlignLeft | Qt::AlignVCenter, true});
    }
    QPalette items = DBGrid3->palette();
    items.setColor(QPalette::Base, items.color(QPalette::Button));
    DBGrid3->setPalette(items);
    for (QLineEdit* edit : {recordcount, static_cast<QLineEdit*>(ne_sumamt)}) {
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
        edit->setPalette(pal);
    }
}

void SalaryPage::Wire() {
    auto on = [this](QPushButton* b, void (SalaryPage::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { Handle([&] { (this->*handler)(); }); });
    };
    on(Button7, &SalaryPage::Button7Click);
    on(Button8, &SalaryPage::Button8Click);
    on(Button9, &SalaryPage::Button9Click);
    on(Button10, &SalaryPage::Button10Click);
    on(Button11, &SalaryPage::Button11Click);
    on(Button12, &SalaryPage::Button12Click);
    // Keying by keyboard alone: Tab leaves the item grid for the buttons; Enter stores a value
    // and goes to the next item, and in the last item adds the credit; Ctrl+Enter adds it from
    // anywhere on the page.
    DBGrid3->SetTabLeavesGrid(true);
    QWidget::setTabOrder(DBGrid3, Button7);
    connect(DBGrid3, &DBGrid::EnterPressed, this, [this](int row) {
        if (row >= ctx_.cds3.RecordCount() - 1) {
            QTimer::singleShot(0, Button7, [this] { Button7->click(); });
        } else {
            DBGrid3->EditCell(row + 1, 2);
        }
    });
    for (const QKeySequence& keys :
         {QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key_Return)),
          QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter))}) {
        auto* add = new QShortcut(keys, this);
        add->setContext(Qt::WidgetWithChildrenShortcut);
        connect(add, &QShortcut::activated, this, [this] {
            DBGrid3->CommitEdit();
            Button7->click();
        });
    }
    // The grid's context menu saves the credits as a workbook for the company's records.
    auto* saveExcel = new QAction(QStringLiteral("另存为Excel工作簿(&X)…"), DBGrid2);
    saveExcel->setObjectName(QStringLiteral("actSaveXlsx"));
    DBGrid2->addAction(saveExcel);
    DBGrid2->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(saveExcel, &QAction::triggered, this,
            [this] { Handle([this] { SaveGridAsExcel(); }); });
    Button7->setToolTip(QStringLiteral("增加指令（Ctrl+Enter，或在最后一项中按 Enter）"));
}

void SalaryPage::Handle(const std::function<void()>& handler) {
    Guarded(ctx_.dialogs, handler);
}

void SalaryPage::CreateTable() {
    salary::CreateItemTable(ctx_.cds3);
}

void SalaryPage::SetGridTitles() {
    const QStringList titles = QString::fromUtf16(salary::kItemTitles).split(u',');
    for (int i = 0; i < DBGrid3->ColumnCount() && i < titles.size(); ++i) {
        DBGrid3->SetColumnTitle(i, titles[i]);
    }
    // The number is short; the value column takes what the group leaves.
    DBGrid3->setColumnWidth(0, DBGrid3->fontMetrics().horizontalAdvance(titles[0]) + 12);
}

void SalaryPage::LoadSalaryItems() {
    try {
        const QStringList lines =
            listfile::Load(ctx_.config.Path(QString::fromUtf16(cfg::kSalary)));
        QStringList captions;
        Dataset& items = ctx_.cds3;
        for (const QString& line : lines) {
            const QStringList fields = record::Split(line, record::Pipes::Keep);
            if (fields.size() != 3) {
                continue;
            }
            items.Append();
            // The item grid shows the number and caption in the width their fields have; the
            // salary grid's column title keeps the caption whole.
            for (const auto& [name, text] : {std::pair{QStringLiteral("seq"), fields[0]},
                                             std::pair{QStringLiteral("subject"), fields[1]}}) {
                Field field = items.FieldByName(name);
                field.SetAsString(ansi::Decode(ansi::CutBytes(ansi::Encode(text), field.Size())));
            }
            captions.append(fields[1]);
            ctx_.itemFieldNames->append(fields[2]);
            items.Post();
        }
        Dataset& salaries = ctx_.cds2;
        salaries.ClearFieldDefs();
        for (qsizetype i = 0; i < ctx_.itemFieldNames->size(); ++i) {
            salaries.AddFieldDef(ctx_.itemFieldNames->at(i), salary::IsRequiredPosition(i),
                                 salary::FieldSize(i, ctx_.itemFieldNames->at(i)));
        }
        salaries.CreateDataSet();
        for (qsizetype i = 0; i < captions.size(); ++i) {
            DBGrid2->SetColumnTitle(static_cast<int>(i), captions[i]);
        }
    } catch (...) {
        ClearItems();
        throw;
    }
}

void SalaryPage::ClearItems() {
    // Half an item list would feed values into the wrong salary fields: keep none.
    Dataset& items = ctx_.cds3;
    items.Cancel();
    items.First();
    while (!items.IsEmpty()) {
        items.Delete();
    }
    if (ctx_.itemFieldNames) {
        ctx_.itemFieldNames->clear();
    }
    ctx_.cds2.ClearFieldDefs();
    ctx_.cds2.Close();
}

void SalaryPage::ProtectItemColumns() {
    DBGrid3->SetColumnReadOnly(0, true);
    DBGrid3->SetColumnReadOnly(1, true);
}

bool SalaryPage::IsKeyField(const QString& name) {
    for (const char16_t* key : {u"name", u"acct", u"finalincome"}) {
        if (name.compare(QString::fromUtf16(key), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

bool SalaryPage::TotalFits(payments::Money extra) const {
    return !payments::SumColumn(ctx_.cds2, QStringLiteral("finalincome"), extra).total.Overflowed();
}

payments::Money SalaryPage::UnexportedTotal() const {
    return payments::SumColumn(ctx_.cds2, QStringLiteral("finalincome"), payments::Money(),
                               [this](int r) { return exported->Marked(r); })
        .total.Sum();
}

payments::FieldRule SalaryPage::Rule(int field) const {
    const Field f = ctx_.cds2.Fields(field);
    return {f.FieldName(), f.DisplayLabel(), f.Size()};
}

void SalaryPage::ShowSummary() {
    Dataset& salaries = ctx_.cds2;
    const int rows = salaries.Active() ? salaries.RecordCount() : 0;
    // An amount that is no number is refused at export; the total shows the others. Adds and
    // imports refuse a sum that does not fit, so the total always does.
    const payments::Money total =
        payments::SumColumn(salaries, QStringLiteral("finalincome")).total.Sum();
    // The count box stays empty until the table first holds a row.
    if (rows > 0 || !recordcount->text().isEmpty()) {
        recordcount->setText(QString::number(rows));
    }
    ne_sumamt->SetShuZhi(total.Plain());
}

void SalaryPage::Button7Click() {
    if (ctx_.cds2.RecordCount() >= salary::kMaxEntryRows) {
        ctx_.dialogs.Warning(QStringLiteral("达到工资代发指令数量上限！"));
        return;
    }
    AppendSalaryEntry();
}

QString SalaryPage::SalaryItemValue(const QString& name) {
    Dataset& items = ctx_.cds3;
    items.First();
    const auto position =
        ctx_.itemFieldNames ? salary::ItemIndex(*ctx_.itemFieldNames, name) : std::nullopt;
    if (!position) {
        return QStringLiteral("NULL");
    }
    qsizetype i = 0;
    for (; !items.Eof(); items.Next(), ++i) {
        if (i == *position) {
            return items.FieldByName(QStringLiteral("subjectval")).AsString();
        }
    }
    return QString();
}

void SalaryPage::AppendSalaryRow(const salary::FieldValues& values) {
    salary::AppendRow(ctx_.cds2, values);
}

void SalaryPage::AppendSalaryEntry() {
    Dataset& salaries = ctx_.cds2;
    try {
        // A pending edit in the salary grid is posted before the new row is begun.
        salaries.CheckBrowseMode();
        // Every item typed is kept in its field (the upload file writes only name, account,
        // amount and memo); an item left empty keeps "NULL".
        salary::FieldValues values;
        for (const char16_t* name : kEntryFields) {
            const QString field = QString::fromUtf16(name);
            QString value = SalaryItemValue(field);
            if (const auto f = salaries.FindField(field)) {
                value = payments::CheckCreditValue(Rule(f->Index()), value);
            }
            values.append({field, value});
        }
        for (const QString& field : *ctx_.itemFieldNames) {
            const bool entry = std::any_of(
                std::begin(kEntryFields), std::end(kEntryFields), [&](const char16_t* name) {
                    return field.compare(QString::fromUtf16(name), Qt::CaseInsensitive) == 0;
                });
            // Not written to the upload file: stored as typed, refused only when too long.
            const QString value = SalaryItemValue(field);
            if (!entry && !value.isEmpty()) {
                values.append({field, value});
            }
        }
        // A credit whose amount would take the total past what can be summed is not added.
        for (const auto& [field, value] : values) {
            if (field.compare(u"finalincome", Qt::CaseInsensitive) == 0 &&
                !TotalFits(payments::CheckAmount(value).money)) {
                throw AppError(payments::TotalTooLargeText(QStringLiteral("工资记录")));
            }
        }
        AppendSalaryRow(values);
        try {
            salary::RowAmount(salaries);
        } catch (...) {
            salaries.Delete();
            throw;
        }
    } catch (const AppError& e) {
        // Nothing was added; the user is told why instead of seeing no change at all.
        // An empty required item is named in words the cashier acts on.
        if (const auto field = EmptyFieldName(e.Message())) {
            ctx_.dialogs.Warning(
                QStringLiteral("增加失败：“%1”不能为空，请填写后再增加。").arg(*field));
        } else {
            ctx_.dialogs.Warning(QStringLiteral("增加失败：") + e.Message());
        }
        return;
    }
    ctx_.addNotice.Succeeded(salaries.RecordCount());
    // The next employee is typed straight in: the first value cell is in edit, text selected.
    DBGrid3->EditCell(0, 2);
}

void SalaryPage::SaveGridAsExcel() {
    // A value being edited in place goes into the workbook as it goes into the table.
    DBGrid2->CommitEdit();
    Dataset& salaries = ctx_.cds2;
    salaries.CheckBrowseMode();
    if (salaries.IsEmpty()) {
        ctx_.dialogs.Warning(QStringLiteral("表中没有工资记录，请先增加或导入再保存！"));
        return;
    }
    xlsxsave::Sheet sheet = xlsxsave::FromTable(salaries, QStringLiteral("finalincome"));
    // The workbook shows what the grid shows.
    for (QStringList& row : sheet.rows) {
        for (qsizetype f = 0; f < row.size(); ++f) {
            if (!sheet.amountColumns[static_cast<std::size_t>(f)]) {
                row[f] = ShownValue(salaries.Fields(static_cast<int>(f)).FieldName(), row[f]);
            }
        }
    }
    xlsxsave::SaveThroughDialog(ctx_.dialogs, ctx_.saveDialog, uploadFolder_,
                                QStringLiteral("工资代发"), sheet, &listfile::WriteWhole);
}

void SalaryPage::Button8Click() {
    ctx_.printing.Print(printing::kSalaries);
}

void SalaryPage::Button9Click() {
    if (ctx_.cds2.IsEmpty()) {
        ctx_.dialogs.Warning(QStringLiteral("无工资代发记录！"));
        return;
    }
    ctx_.cds2.Delete();
    ctx_.dialogs.Information(QStringLiteral("删除成功！"));
}

void SalaryPage::Button10Click() {
    // A day's keying is not lost to one click: credits not yet in an upload file are asked about.
    if (const int rows = UnexportedRows(); rows > 0) {
        const QString question =
            QStringLiteral(
                "表中有 %1 笔工资记录（合计 %2 元）尚未导出为上传文件，复位将全部删除。\n\n"
                "确定复位吗？")
                .arg(rows)
                .arg(UnexportedTotal().Plain());
        if (!ctx_.dialogs.Question(question)) {
            return;
        }
    }
    ClearRows();
    ctx_.dialogs.Information(QStringLiteral("复位成功！"));
}

void SalaryPage::ClearRows() {
    // One pass, however many rows an import brought.
    ctx_.cds2.EmptyDataSet();
}

void SalaryPage::Button11Click() {
    FileDialogState& dialog = ctx_.openDialog;
    dialog.defaultExt = QStringLiteral("*.XLS");
    dialog.filterIndex = 3;
    // The dialog is shared with the batch import: it offers this page's last sheet, never the
    // other page's file.
    dialog.folder = sheetFolder_;
    dialog.fileName = sheetName_;
    QString summary;
    if (ctx_.dialogs.Open(dialog)) {
        sheetFolder_ = QFileInfo(dialog.fileName).absolutePath();
        sheetName_ = QFileInfo(dialog.fileName).fileName();
        const QString path = dialog.fileName;
        const qsizetype dot = path.lastIndexOf(u'.');
        const QString ext = dot < 0 ? QString() : path.mid(dot).toUpper();
        // The program reads the newer workbooks and CSV itself, as it reads ".xls".
        if (ext == u".XLS" || ext == u".XLSX" || ext == u".CSV") {
            Label34->setText(QStringLiteral("文件名：") + QDir::toNativeSeparators(path));
            try {
                summary = ImportSalarySheet(path);
            } catch (const AppError& e) {
                // Nothing was added: the box says so and what to change, above the reason.
                throw AppError(salary::RefusalText(e.Message()));
            }
        }
    }
    ctx_.dialogs.Information(QStringLiteral("导入完毕！") +
                             (summary.isEmpty() ? QString() : u'\n' + summary));
}

QString SalaryPage::ImportSalarySheet(const QString& path) {
    const QStringList mapping = ctx_.sheetMapping();
    for (int i = 0; i < 3; ++i) {
        if (convert::Trim(mapping.value(i)).isEmpty()) {
            ctx_.dialogs.Error(QStringLiteral("请录入完整的EXCEL导入配置参数"));
            ctx_.showParameters();
            return QString();
        }
    }
    Dataset& salaries = ctx_.cds2;
    salaries.CheckBrowseMode();
    std::vector<salary::SalaryField> fields;
    for (int i = 0; i < salaries.FieldCount(); ++i) {
        const Field f = salaries.Fields(i);
        fields.push_back({f.FieldName(), f.DisplayLabel(), f.Required(), f.Size()});
    }
    const std::unique_ptr<sheet::Application> app = sheet::CreateApplication();
    const salary::SheetImport result = salary::ImportSheetFile(
        *app, path, {mapping.value(0), mapping.value(1), mapping.value(2), mapping.value(3)},
        fields);
    if (result.noData) {
        ctx_.dialogs.Information(QStringLiteral("文件中没有数据！"));
        return QString();
    }
    // Hidden data is not paid unseen: a hidden worksheet or hidden rows are named first.
    if (const QString hidden = salary::HiddenQuestion(result);
        !hidden.isEmpty() && !ctx_.dialogs.Question(hidden)) {
        return QStringLiteral("未导入任何记录。");
    }
    // Rows already in the table: the user says whether the sheet adds to them, takes their
    // place, or adds nothing, once it is read and checked and before anything changes.
    QFile file(path);
    const RowOrigins::Source source =
        RowOrigins::FromBytes(path, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    file.close();
    if (!result.rows.empty()) {
        const payments::Room room = payments::AskRoom(
            ctx_.dialogs, {salaries.RecordCount(), UnexportedRows(), UnexportedTotal()},
            static_cast<qsizetype>(result.rows.size()), QStringLiteral("工资记录"),
            QStringLiteral("记录"), origins->SameFileNotice(source, QStringLiteral("工资记录")));
        if (room == payments::Room::Cancel) {
            return QStringLiteral("未导入任何记录。");
        }
        // The sheet's own sum was checked as it was read; added to the table's it must fit too.
        if (room == payments::Room::Append && !TotalFits(result.total)) {
            throw AppError(payments::TotalTooLargeText(QStringLiteral("工资记录")));
        }
        if (room == payments::Room::Replace) {
            ClearRows();
        }
    }
    {
        // Every row was checked before the first is added; the grid reads the table once.
        const RowOrigins::Scope imported(*origins, source);
        const ControlsDisabled quiet(salaries);
        for (const QStringList& row : result.rows) {
            salary::FieldValues values;
            for (qsizetype i = 0; i < row.size() && i < static_cast<qsizetype>(fields.size());
                 ++i) {
                values.append({fields[static_cast<std::size_t>(i)].name, row[i]});
            }
            AppendSalaryRow(values);
        }
    }
    if (!result.rounded.empty()) {
        ctx_.dialogs.Warning(salary::RoundedWarning(result.rounded));
    }
    return salary::ImportSummary(result);
}

void SalaryPage::Button12Click() {
    Dataset& salaries = ctx_.cds2;
    if (salaries.IsEmpty()) {
        ctx_.dialogs.Error(QStringLiteral("无工资代发记录！"));
        return;
    }
    if (salaries.RecordCount() > salary::kMaxExportRows) {
        ctx_.dialogs.Error(QStringLiteral("超过1000笔，请分批形成文件！"));
        return;
    }
    salaries.CheckBrowseMode();
    // The file writes these four items: an item list without one of them cannot make the file.
    for (const char16_t* name : kEntryFields) {
        salaries.FieldByName(QString::fromUtf16(name));
    }
    // Every credit is checked again as it will be written, whatever way it came in: a "|" or
    // a line break inside a value would shift the fields the bank reads, so such a list is
    // refused before anything is chosen or written.
    payments::UploadExport file;
    file.page = QStringLiteral("工资代发");
    file.what = QStringLiteral("工资记录");
    file.defaultName = payments::salaryfile::DefaultFileName(
        QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QList<payments::Credit> credits;
    for (int row = 0; row < salaries.RecordCount(); ++row) {
        payments::Credit credit;
        // Written as stored, in kEntryFields' order.
        QString* const values[] = {&credit.name, &credit.acct, &credit.finalincome, &credit.memo};
        for (std::size_t i = 0; i < std::size(kEntryFields); ++i) {
            const auto field = salaries.FindField(QString::fromUtf16(kEntryFields[i]));
            if (!field) {
                continue;
            }
            const payments::FieldRule rule = Rule(field->Index());
            const QString text = salaries.Text(row, field->Index());
            try {
                payments::CheckCreditValue(rule, text, IsKeyField(rule.name));
            } catch (const AppError& e) {
                ctx_.dialogs.Error(
                    QStringLiteral("第%1笔工资记录不能导出：%2").arg(row + 1).arg(e.Message()));
                return;
            }
            *values[i] = text;
        }
        credits.append(credit);
        file.rows.append({row + 1, QStringLiteral("私人"), credit.acct,
                          payments::CheckAmount(credit.finalincome).money, exported->Marked(row)});
    }
    file.lines = payments::salaryfile::BuildLines(credits);
    if (payments::WriteUploadFile(ctx_.dialogs, ctx_.saveDialog, uploadFolder_, ctx_.recorder,
                                  file) != payments::ExportResult::Written) {
        return;
    }
    exported->MarkAll();
    ctx_.dialogs.Information(
        QStringLiteral("文件存放于：") +
        QDir::toNativeSeparators(QFileInfo(ctx_.saveDialog.fileName).absoluteFilePath()));
}

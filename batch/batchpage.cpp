#include "batch/batchpage.h"

#include <QShortcut>

#include <QAction>
#include <QDate>
#include <QDir>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include "batch/importpreview.h"
#include "batch/instructions.h"
#include "batch/payees.h"
#include "batch/updown.h"
#include "controls/capitals.h"
#include "controls/numeditnew.h"
#include "payments/tablesum.h"
#include "payments/values.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/guard.h"
#include "platform/sheet/xlsxsave.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"
#include "printing/detaillists.h"
#include "store/configdir.h"
#include "store/listfile.h"

BatchPage::BatchPage(Context context, QWidget* parent)
    : QWidget(parent),
      importPreview(new ImportPreview(this)),
      origins(new RowOrigins(context.cds1, this)),
      exported(new RowMarks(context.cds1, this)),
      ctx_(std::move(context)) {
    SetUpForm();
    Wire();
}

void BatchPage::SetUpForm() {
    setupUi(this);
    // What is typed stays as typed: completing "6222" to a listed "62220001" would pay the
    // wrong account.
    for (QComboBox* box : findChildren<QComboBox*>()) {
        if (box->isEditable()) {
            box->setCompleter(nullptr);
        }
    }
    payacct->lineEdit()->setMaxLength(20);
    use->lineEdit()->setMaxLength(30);
    use->setCurrentIndex(-1);
    // The phone number is kept on the form but never used.
    edphone->setVisible(false);
    entryLayout->itemAtPosition(entryLayout->rowCount() - 1, 0)->widget()->setVisible(false);
    entryLayout->setColumnStretch(1, 1);
    // The flat lookup buttons carry a picture, so that they read as buttons: the desktop theme's
    // when it has one, else the toolkit's own.
    const std::tuple<QToolButton*, const char*, QStyle::StandardPixmap> pictures[] = {
        {SpeedButton1, "x-office-address-book", QStyle::SP_FileDialogDetailedView},
        {SpeedButton2, "x-office-address-book", QStyle::SP_FileDialogDetailedView},
        {SpeedButton3, "system-search", QStyle::SP_FileDialogContentsView},
    };
    for (const auto& [button, themeName, fallback] : pictures) {
        button->setIcon(
            QIcon::fromTheme(QString::fromLatin1(themeName), style()->standardIcon(fallback)));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
    }
    // The read-only sequence box and its arrows stay clickable but out of the Tab chain.
    edseq->setFocusPolicy(Qt::ClickFocus);
    UpDown1->UpButton()->setFocusPolicy(Qt::NoFocus);
    UpDown1->DownButton()->setFocusPolicy(Qt::NoFocus);
    UpDown1->SetRange(0, 100);
    UpDown1->SetPosition(0);
    amt->SetDialogs(&ctx_.dialogs);
    DBGrid1->SetDialogs(&ctx_.dialogs);
    // The amount in capitals follows every change of the amount box.
    connect(amt, &QLineEdit::textChanged, this, [this] {
        amtCapitals->setText(amt->text().isEmpty() ? QString() : capitals::FromText(amt->ShuZhi()));
    });
    // The batch's count and total follow every change of the table (the rows already written
    // to an upload file follow it in `exported`).
    auto changed = [this](bool) {
        // Every field set while a row is appended or edited reports a change; the figures are
        // summed once the row is posted (or cancelled), not once per field.
        if (ctx_.cds1.GetState() == Dataset::State::Browse ||
            ctx_.cds1.GetState() == Dataset::State::Inactive) {
            ShowBatchSummary();
        }
    };
    connect(&ctx_.cds1, &Dataset::RowInserted, this, [changed] { changed(true); });
    connect(&ctx_.cds1, &Dataset::RowChanged, this, [changed] { changed(true); });
    connect(&ctx_.cds1, &Dataset::Reset, this, [changed] { changed(true); });
    connect(&ctx_.cds1, &Dataset::RowRemoved, this, [changed] { changed(false); });
    ShowBatchSummary();
    // Amounts in the grid read at a glance: grouped, two decimals, right-aligned. Display only;
    // an edit starts from the stored text.
    DBGrid1->Model()->SetFieldFormat(QStringLiteral("amt"),
                                     {payments::GroupedText, Qt::AlignRight | Qt::AlignVCenter});
    // Whole accounts and amounts in view; long names and banks are cut at 320 pixels until
    // widened, and what width is left goes to the payee's name.
    DBGrid1->SetFitColumns(3, 320);
    DBGrid1->Model()->SetEditCheck(
        [this](int column, const QString& text) { return CheckGridEdit(column, text); });
    QPalette pal = DBGrid1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    DBGrid1->setPalette(pal);
}

void BatchPage::Wire() {
    auto on = [this](QPushButton* b, void (BatchPage::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { Handle([&] { (this->*handler)(); }); });
    };
    on(Button1, &BatchPage::Button1Click);
    on(Button2, &BatchPage::Button2Click);
    on(Button3, &BatchPage::Button3Click);
    on(Button4, &BatchPage::Button4Click);
    on(Button5, &BatchPage::Button5Click);
    on(Button6, &BatchPage::Button6Click);
    on(Button19, &BatchPage::Button19Click);
    // The grid's context menu saves it as a workbook for the company's records and approvals.
    auto* saveExcel = new QAction(QStringLiteral("另存为Excel工作簿(&X)…"), DBGrid1);
    saveExcel->setObjectName(QStringLiteral("actSaveXlsx"));
    DBGrid1->addAction(saveExcel);
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(saveExcel, &QAction::triggered, this,
            [this] { Handle([this] { SaveGridAsExcel(); }); });
    // Ctrl+Enter adds the instruction from anywhere on the page.
    for (const QKeySequence& keys :
         {QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key_Return)),
          QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter))}) {
        auto* add = new QShortcut(keys, this);
        add->setContext(Qt::WidgetWithChildrenShortcut);
        connect(add, &QShortcut::activated, Button1, &QPushButton::click);
    }
    Button1->setToolTip(QStringLiteral("增加指令（Ctrl+Enter）"));
    connect(cross, &QCheckBox::toggled, this, [this] { Handle([this] { crossClick(); }); });
    connect(DBGrid1, &DBGrid::DblClick, this, [this] { Handle([this] { DBGrid1DblClick(); }); });
    connect(UpDown1, &UpDown::Changing, this,
            [this](int position) { Handle([&] { UpDown1ChangingEx(position); }); });
}

void BatchPage::Handle(const std::function<void()>& handler) {
    Guarded(ctx_.dialogs, handler);
}

void BatchPage::CreateTable() {
    DBGrid1->ClearColumns();
    instructions::CreateTable(ctx_.cds1);
}

void BatchPage::SetGridTitles() {
    instructions::SetGridTitles(*DBGrid1);
}

QString BatchPage::CpFlagText() const {
    return cross->isChecked() ? QStringLiteral("跨行") : recobject->currentText();
}

void BatchPage::SelectText(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    if (index >= 0) {
        box->setCurrentIndex(index);
    }
    if (box->isEditable()) {
        box->setEditText(text);
    }
}

payments::Instruction BatchPage::FormInstruction() const {
    return {CpFlagText(),          payacct->currentText(), recacct->currentText(),
            recver->currentText(), recbankcode->text(),    recbank->currentText(),
            FormAmount(),          use->currentText(),     remittype->currentText(),
            edremark->text()};
}

void BatchPage::SetFields(const payments::Instruction& in) {
    Dataset& t = ctx_.cds1;
    const QStringList row = in.Row();
    for (int f = 0; f < payments::kInstructionFieldCount; ++f) {
        t.FieldByName(payments::InstructionFieldName(f)).SetAsString(row[f]);
    }
}

std::optional<QString> BatchPage::FindRefusedValue() const {
    const std::pair<int, QString> values[] = {
        {payments::kPayAcct, payacct->currentText()}, {payments::kRecAcct, recacct->currentText()},
        {payments::kRecver, recver->currentText()},   {payments::kRecBankCode, recbankcode->text()},
        {payments::kRecBank, recbank->currentText()}, {payments::kUse, use->currentText()},
        {payments::kRemark, edremark->text()},
    };
    for (const auto& [field, value] : values) {
        if (const auto refusal = payments::CheckInstructionValue(field, value)) {
            return *refusal + u'！';
        }
    }
    return std::nullopt;
}

bool BatchPage::TotalFits(payments::Money extra, int without) const {
    return !payments::SumColumn(ctx_.cds1, QStringLiteral("amt"), extra, [without](int r) {
                return r == without;
            }).total.Overflowed();
}

QString BatchPage::FormAmount() const {
    // The box's text may have been pasted rather than typed: it is read exactly and stored in
    // the form a typed amount has, or refused.
    const payments::AmountCheck amount = payments::CheckAmount(amt->ShuZhi());
    if (amount.refusal) {
        throw AppError(QString::fromUtf16(kAmountMessage));
    }
    return amount.normal;
}

bool BatchPage::CheckForm(bool rowLimit) {
    const payments::AmountCheck amount = payments::CheckAmount(amt->ShuZhi());
    if (amount.refusal) {
        ctx_.dialogs.Warning(QString::fromUtf16(kAmountMessage));
        return false;
    }
    if (!IsPlainAccount(recacct->currentText())) {
        ctx_.dialogs.Warning(QString::fromUtf16(kAccountMessage));
        return false;
    }
    if (cross->isChecked() && convert::Trim(recbankcode->text()).isEmpty()) {
        ctx_.dialogs.Warning(QString::fromUtf16(payments::kCrossBankWithoutCode));
        return false;
    }
    if (rowLimit && ctx_.cds1.RecordCount() >= instructions::kMaxEntryRows) {
        ctx_.dialogs.Warning(QStringLiteral("达到批量支付指令数量上限！"));
        return false;
    }
    // A "|" or a line break would shift the fields of the upload file, and a value longer than
    // its field would be cut: either pays someone else.
    if (const auto refusal = FindRefusedValue()) {
        ctx_.dialogs.Warning(*refusal);
        return false;
    }
    // A new row's amount joins the total; a changed row's amount takes its old one's place.
    if (!TotalFits(amount.money, rowLimit ? -1 : ctx_.cds1.RecNo())) {
        ctx_.dialogs.Warning(payments::TotalTooLargeText(QStringLiteral("指令")));
        return false;
    }
    return true;
}

bool BatchPage::IsPlainAccount(const QString& account) {
    return !account.contains(u' ') && !account.contains(u'-');
}

QString BatchPage::CheckGridEdit(int column, const QString& text) const {
    const QString name = ctx_.cds1.Fields(column).FieldName();
    if (name == u"amt") {
        const payments::AmountCheck amount = payments::CheckAmount(text);
        if (amount.refusal) {
            throw AppError(QString::fromUtf16(kAmountMessage));
        }
        if (!TotalFits(amount.money, ctx_.cds1.RecNo())) {
            throw AppError(payments::TotalTooLargeText(QStringLiteral("指令")));
        }
        return amount.normal;
    }
    if (name == u"recacct" && !IsPlainAccount(text)) {
        throw AppError(QString::fromUtf16(kAccountMessage));
    }
    // The row edited is the current one: a cross-bank row keeps its bank number.
    Dataset& t = ctx_.cds1;
    const bool crossRow = name == u"cpflag"
                              ? text == u"跨行"
                              : t.FieldByName(QStringLiteral("cpflag")).AsString() == u"跨行";
    const QString code =
        name == u"recbankcode" ? text : t.FieldByName(QStringLiteral("recbankcode")).AsString();
    if (crossRow && convert::Trim(code).isEmpty()) {
        throw AppError(QString::fromUtf16(payments::kCrossBankWithoutCode));
    }
    if (const auto refusal = payments::CheckInstructionValue(column, text)) {
        throw AppError(*refusal + u'！');
    }
    return text;
}

payments::Money BatchPage::UnexportedTotal() const {
    return payments::SumColumn(ctx_.cds1, QStringLiteral("amt"), payments::Money(),
                               [this](int r) { return exported->Marked(r); })
        .total.Sum();
}

void BatchPage::ShowBatchSummary() {
    Dataset& t = ctx_.cds1;
    const payments::ColumnSum sum = payments::SumColumn(t, QStringLiteral("amt"));
    const bool exact = sum.Exact();
    const payments::Money total = sum.total.Sum();
    const int rows = t.Active() ? t.RecordCount() : 0;
    batchCount->setText(QStringLiteral("共 %1 笔").arg(rows));
    batchTotal->setText(QStringLiteral("合计：") + total.Grouped() +
                        (exact ? QString() : QStringLiteral("（含无法计算的金额）")));
    batchTotalCapitals->setText(capitals::FromCurrency(total.TenThousandths()));
}

int BatchPage::UnexportedRows() const {
    return exported->Unmarked();
}

void BatchPage::Button1Click() {
    if (CheckForm(true)) {
        AppendInstruction(Button1->objectName());
    }
}

bool BatchPage::AppendInstruction(const QString& callerName) {
    try {
        ctx_.cds1.Append();
        SetFields(FormInstruction());
        ctx_.cds1.Post();
    } catch (const AppError& e) {
        // The half-made row goes before the box opens: while it is open the grid, the count
        // and the recovery file show only whole rows.
        ctx_.cds1.Cancel();
        ctx_.dialogs.Information(QStringLiteral("增加记录失败：！") + e.Message());
        return false;
    }
    const bool byAddButton = callerName == u"Button1";
    if (byAddButton) {
        ctx_.addNotice.Succeeded(ctx_.cds1.RecordCount());
    }
    SetGridTitles();
    // The instruction is in the table whatever becomes of the roster: the form is reset as
    // after any add, so a second click cannot add it twice. An import learns its payees at
    // its end, with one rewrite of the roster.
    std::optional<QString> rosterError;
    if (byAddButton) {
        try {
            RememberPayee();
        } catch (const AppError& e) {
            rosterError = e.Message();
        }
    }
    // An import fills every control anew for its next line, and resets the form after its last.
    if (byAddButton) {
        ResetRecipient();
    }
    if (rosterError) {
        WarnRosterNotSaved(*rosterError);
    }
    // Ready for the next payee.
    if (byAddButton) {
        recver->setFocus();
    }
    return true;
}

void BatchPage::WarnRosterNotSaved(const QString& reason) {
    ctx_.dialogs.Warning(QStringLiteral("收款人未能保存到收款人名册：") + reason +
                         QStringLiteral("\n指令不受影响；请检查名册文件是否存在、能否写入。"));
}

payees::Payee BatchPage::FormPayee() const {
    return {recver->currentText(), recacct->currentText(), recbank->currentText(),
            recbankcode->text()};
}

void BatchPage::ResetRecipient() {
    cross->setChecked(false);
    recobject->setCurrentIndex(recobject->findText(QStringLiteral("公司")));
    recver->setEditText(QString());
    recacct->setEditText(QString());
    recbank->setEditText(QString::fromUtf16(payments::kOwnBank));
    // Clearing keeps the box's sign: a plain zero first, so the next amount is not negative.
    amt->SetShuZhi(QStringLiteral("0"));
    amt->Clear();
    // The purpose and the remittance mode stay, like the payer: the next transfer of a batch
    // mostly shares them, and an emptied mode box turned into 加急 at a stray Down key.
    edremark->clear();
    recbankcode->clear();
}

void BatchPage::RememberPayee() {
    LearnIntoRoster({FormPayee()});
}

void BatchPage::LearnIntoRoster(const QList<payees::Payee>& list) {
    payees::LearnIntoFile(ctx_.config.Path(QString::fromUtf16(cfg::kRecvers)), list,
                          payees::LineTest::MoreThanTwoFields);
}

void BatchPage::Button2Click() {
    if (recver->currentText().isEmpty() || recacct->currentText().isEmpty()) {
        return;
    }
    // The row changed is the one loaded into the form, wherever the cursor stands now: a row
    // clicked only to look at it is never overwritten.
    const QPersistentModelIndex loaded = DBGrid1->Model()->MarkedRow();
    if (!loaded.isValid()) {
        ctx_.dialogs.Warning(loadedOnce_
                                 ? QStringLiteral("调入录入区的那笔指令已不在表中，或表已重新载入，"
                                                  "不能修改！请重新双击要修改的指令后再修改。")
                                 : QStringLiteral("请先双击要修改的指令，把它调入录入区"
                                                  "后再修改。"));
        return;
    }
    ctx_.cds1.CheckBrowseMode();
    ctx_.cds1.MoveTo(loaded.row());
    // A changed row passes the checks of a new one (but the row limit), so that nothing the
    // export would refuse gets in this way.
    if (!CheckForm(false)) {
        return;
    }
    UpdateInstruction();
    ctx_.dialogs.Information(QStringLiteral("修改成功！"));
}

void BatchPage::UpdateInstruction() {
    const payments::Instruction in = FormInstruction();
    ctx_.cds1.Edit();
    try {
        SetFields(in);
        ctx_.cds1.Post();
    } catch (...) {
        ctx_.cds1.Cancel();
        throw;
    }
}

void BatchPage::Button3Click() {
    ctx_.cds1.Delete();
    ctx_.dialogs.Information(QStringLiteral("删除成功！"));
}

void BatchPage::Button4Click() {
    // A day's keying is not lost to one click: rows not yet in an upload file are asked about.
    if (const int rows = UnexportedRows(); rows > 0) {
        const QString question =
            QStringLiteral(
                "表中有 %1 笔指令（合计 %2 元）尚未导出为上传文件，复位将全部删除。\n\n"
                "确定复位吗？")
                .arg(rows)
                .arg(UnexportedTotal().Grouped());
        if (!ctx_.dialogs.Question(question)) {
            return;
        }
    }
    ClearRows();
    ctx_.dialogs.Information(QStringLiteral("复位成功！"));
}

void BatchPage::ClearRows() {
    // One pass, however many rows an import brought.
    ctx_.cds1.EmptyDataSet();
}

void BatchPage::DBGrid1DblClick() {
    Dataset& t = ctx_.cds1;
    if (t.RecordCount() < 1) {
        return;
    }
    auto field = [&](const char16_t* name) {
        return t.FieldByName(QString::fromUtf16(name)).AsString();
    };
    // The row stays marked while the form holds it: 修改指令 writes over this row only.
    DBGrid1->Model()->SetMarkedRow(DBGrid1->Model()->index(t.RecNo(), 0),
                                   QStringLiteral("已调入录入区：“修改指令”将改写这一笔"));
    loadedOnce_ = true;
    cross->setChecked(false);
    recobject->setCurrentIndex(-1);
    const QString flag = field(u"cpflag");
    if (flag == QStringLiteral("跨行")) {
        cross->setChecked(true);
    } else if (flag == QStringLiteral("私人")) {
        recobject->setCurrentIndex(recobject->findText(flag));
    } else {
        recobject->setCurrentIndex(recobject->findText(QStringLiteral("公司")));
    }
    payacct->setEditText(field(u"payacct"));
    recacct->setEditText(field(u"recacct"));
    recver->setEditText(field(u"recver"));
    recbank->setEditText(field(u"recbank"));
    recbankcode->setText(field(u"recbankcode"));
    amt->SetShuZhi(field(u"amt"));
    SelectText(use, field(u"use"));
    remittype->setCurrentIndex(remittype->findText(field(u"remittype") == QStringLiteral("加急")
                                                       ? QStringLiteral("加急")
                                                       : QStringLiteral("普通")));
    edremark->setText(field(u"remark"));
}

void BatchPage::crossClick() {
    if (cross->isChecked()) {
        SpeedButton3->setEnabled(true);
        // What 收款对象 showed comes back when 跨行 is unticked again.
        if (recobject->currentIndex() >= 0) {
            recobjectBeforeCross_ = recobject->currentIndex();
        }
        recobject->setCurrentIndex(-1);
        recobject->setEnabled(false);
    } else {
        SpeedButton3->setEnabled(false);
        recbank->setEditText(QString::fromUtf16(payments::kOwnBank));
        recbankcode->clear();
        recobject->setEnabled(true);
        // An empty 收款对象 would fail the next add with a message about a field the user
        // never emptied.
        recobject->setCurrentIndex(recobjectBeforeCross_ >= 0
                                       ? recobjectBeforeCross_
                                       : recobject->findText(QStringLiteral("公司")));
    }
}

void BatchPage::UpDown1ChangingEx(int newPosition) {
    edseq->setText(QString::number(newPosition));
}

void BatchPage::SaveGridAsExcel() {
    // A value being edited in place goes into the workbook as it goes into the table.
    DBGrid1->CommitEdit();
    Dataset& t = ctx_.cds1;
    t.CheckBrowseMode();
    if (t.IsEmpty()) {
        ctx_.dialogs.Warning(QStringLiteral("表中没有指令，请先增加或导入指令再保存！"));
        return;
    }
    const xlsxsave::Sheet sheet = xlsxsave::FromTable(t, QStringLiteral("amt"));
    xlsxsave::SaveThroughDialog(ctx_.dialogs, ctx_.saveDialog, uploadFolder_,
                                QStringLiteral("批量支付"), sheet, &listfile::WriteWhole);
}

void BatchPage::Button19Click() {
    ctx_.printing.Print(printing::kInstructions);
}

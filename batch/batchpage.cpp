#include "batch/batchpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "batch/instructions.h"
#include "batch/updown.h"
#include "batch/uploadfile.h"
#include "controls/numeditnew.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/guard.h"
#include "platform/text/apperror.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "store/record.h"

namespace {

const QStringList kPurposes = {
    QStringLiteral("工资，奖金"),
    QStringLiteral("稿费，演出费等劳务费"),
    QStringLiteral("债券、期货、信托等投资的本金和收益"),
    QStringLiteral("个人债权或产权收益"),
    QStringLiteral("个人贷款转存"),
    QStringLiteral("证券交易结算资金和期货交易保证金"),
    QStringLiteral("继承、赠予款项"),
    QStringLiteral("保险理赔、保费退还等款项"),
    QStringLiteral("纳税退还"),
    QStringLiteral("农、副、矿等产品销售收入"),
    QStringLiteral("其他合法款项"),
};

template <typename T>
T* Named(T* widget, const char16_t* name) {
    widget->setObjectName(QString::fromUtf16(name));
    return widget;
}

QComboBox* Combo(const char16_t* name, bool editable, int maxLength = 0) {
    auto* box = Named(new QComboBox, name);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    if (editable && maxLength > 0) {
        box->lineEdit()->setMaxLength(maxLength);
    }
    return box;
}

QToolButton* SpeedButton(const char16_t* name, const QString& caption) {
    auto* b = Named(new QToolButton, name);
    b->setText(caption);
    b->setAutoRaise(true);
    b->setFixedSize(57, 25);
    return b;
}

}  // namespace

BatchPage::BatchPage(Context context, QWidget* parent) : QWidget(parent), ctx_(std::move(context)) {
    BuildForm();
    Wire();
}

void BatchPage::BuildForm() {
    GroupBox1 = Named(new QGroupBox(QStringLiteral("单笔信息录入：")), u"GroupBox1");
    edseq = Named(new QLineEdit(QStringLiteral("1")), u"edseq");
    edseq->setReadOnly(true);
    UpDown1 = Named(new UpDown, u"UpDown1");
    UpDown1->SetRange(0, 100);
    UpDown1->SetPosition(0);
    payer = Combo(u"payer", true);
    SpeedButton2 = SpeedButton(u"SpeedButton2", QStringLiteral("名册"));
    payacct = Combo(u"payacct", true, 20);
    paybank = Combo(u"paybank", true);
    recobject = Combo(u"recobject", false);
    recobject->addItems({QStringLiteral("公司"), QStringLiteral("私人")});
    recobject->setCurrentIndex(0);
    cross = Named(new QCheckBox(QStringLiteral("跨行")), u"cross");
    recver = Combo(u"recver", true);
    SpeedButton1 = SpeedButton(u"SpeedButton1", QStringLiteral("名册"));
    recacct = Combo(u"recacct", true);
    recbank = Combo(u"recbank", true);
    recbank->setEnabled(false);
    SpeedButton3 = SpeedButton(u"SpeedButton3", QStringLiteral("银行"));
    SpeedButton3->setEnabled(false);
    cbcur = Combo(u"cbcur", false);
    cbcur->addItem(QStringLiteral("人民币"));
    cbcur->setEnabled(false);
    amt = Named(new TNumEditNew, u"amt");
    amt->SetDialogs(&ctx_.dialogs);
    use = Combo(u"use", true, 30);
    use->addItems(kPurposes);
    use->setCurrentIndex(-1);
    recbankcode = Named(new QLineEdit, u"recbankcode");
    recbankcode->setReadOnly(true);
    recbankcode->setEnabled(false);
    remittype = Combo(u"remittype", false);
    remittype->addItems({QStringLiteral("加急"), QStringLiteral("普通")});
    edremark = Named(new QLineEdit, u"edremark");
    edremark->setMaxLength(20);
    edphone = Named(new QLineEdit, u"edphone");
    edphone->setVisible(false);

    auto* grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString& label, QWidget* control, QWidget* extra = nullptr) {
        grid->addWidget(new QLabel(label), row, 0, Qt::AlignRight);
        grid->addWidget(control, row, 1);
        if (extra) {
            grid->addWidget(extra, row, 2);
        }
        ++row;
    };
    auto* seqBox = new QHBoxLayout;
    seqBox->addWidget(edseq);
    seqBox->addWidget(UpDown1);
    seqBox->setSpacing(0);
    auto* seqWidget = new QWidget;
    seqWidget->setLayout(seqBox);
    seqBox->setContentsMargins(0, 0, 0, 0);
    addRow(QStringLiteral("指令序号：1*"), seqWidget);
    addRow(QStringLiteral("付款人名称：*"), payer, SpeedButton2);
    addRow(QStringLiteral("付款人账号：*"), payacct);
    addRow(QStringLiteral("付款账号开户行：*"), paybank);
    addRow(QStringLiteral("收款对象：*"), recobject);
    addRow(QStringLiteral("跨行支付：*"), cross);
    addRow(QStringLiteral("收款人名称：*"), recver, SpeedButton1);
    addRow(QStringLiteral("收款人账号：*"), recacct);
    addRow(QStringLiteral("收款账号开户行：*"), recbank, SpeedButton3);
    auto* amountBox = new QHBoxLayout;
    amountBox->setContentsMargins(0, 0, 0, 0);
    amountBox->addWidget(cbcur);
    amountBox->addWidget(amt, 1);
    auto* amountWidget = new QWidget;
    amountWidget->setLayout(amountBox);
    addRow(QStringLiteral("金额：*"), amountWidget);
    addRow(QStringLiteral("付款用途：*"), use, recbankcode);
    addRow(QStringLiteral("汇款方式：*"), remittype);
    addRow(QStringLiteral("备注："), edremark);
    addRow(QStringLiteral("短信通知手机号码："), edphone);
    grid->itemAtPosition(row - 1, 0)->widget()->setVisible(false);
    grid->setColumnStretch(1, 1);

    Button1 = Named(new QPushButton(QStringLiteral("增加指令")), u"Button1");
    Button2 = Named(new QPushButton(QStringLiteral("修改指令")), u"Button2");
    Button3 = Named(new QPushButton(QStringLiteral("删除指令")), u"Button3");
    Button4 = Named(new QPushButton(QStringLiteral("复位")), u"Button4");
    Button5 = Named(new QPushButton(QStringLiteral("数据导出")), u"Button5");
    Button6 = Named(new QPushButton(QStringLiteral("数据导入")), u"Button6");
    Button19 = Named(new QPushButton(QStringLiteral("打印转账")), u"Button19");
    auto* buttons = new QGridLayout;
    buttons->addWidget(Button1, 0, 0);
    buttons->addWidget(Button2, 0, 1);
    buttons->addWidget(Button3, 0, 2);
    buttons->addWidget(Button4, 0, 3);
    buttons->addWidget(Button5, 1, 0);
    buttons->addWidget(Button6, 1, 1);
    buttons->addWidget(Button19, 1, 2);

    auto* left = new QVBoxLayout(GroupBox1);
    left->addLayout(grid);
    left->addLayout(buttons);
    left->addStretch(1);

    GroupBox2 = Named(new QGroupBox(QStringLiteral("数据集：")), u"GroupBox2");
    DBGrid1 = Named(new DBGrid, u"DBGrid1");
    DBGrid1->SetDialogs(&ctx_.dialogs);
    QPalette pal = DBGrid1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    DBGrid1->setPalette(pal);
    auto* right = new QVBoxLayout(GroupBox2);
    right->addWidget(DBGrid1);

    auto* page = new QHBoxLayout(this);
    page->addWidget(GroupBox1, 1);
    page->addWidget(GroupBox2, 1);
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

void BatchPage::SetFieldsFromForm() {
    Dataset& t = ctx_.cds1;
    t.FieldByName(QStringLiteral("cpflag")).SetAsString(CpFlagText());
    t.FieldByName(QStringLiteral("payacct")).SetAsString(payacct->currentText());
    t.FieldByName(QStringLiteral("recacct")).SetAsString(recacct->currentText());
    t.FieldByName(QStringLiteral("recver")).SetAsString(recver->currentText());
    t.FieldByName(QStringLiteral("recbank")).SetAsString(recbank->currentText());
    t.FieldByName(QStringLiteral("recbankcode")).SetAsString(recbankcode->text());
    t.FieldByName(QStringLiteral("cur")).SetAsString(QStringLiteral("CNY"));
    t.FieldByName(QStringLiteral("amt")).SetAsString(amt->ShuZhi());
    t.FieldByName(QStringLiteral("use")).SetAsString(use->currentText());
    t.FieldByName(QStringLiteral("remittype")).SetAsString(remittype->currentText());
    t.FieldByName(QStringLiteral("remark")).SetAsString(edremark->text());
}

std::optional<QString> BatchPage::FindUnsafeValue() const {
    const std::pair<int, QString> values[] = {
        {1, payacct->currentText()}, {2, recacct->currentText()}, {3, recver->currentText()},
        {4, recbankcode->text()},    {5, recbank->currentText()}, {8, use->currentText()},
        {10, edremark->text()},
    };
    const QStringList titles = QString::fromUtf16(instructions::kGridTitles).split(u',');
    for (const auto& [field, value] : values) {
        if (!uploadfile::IsPlainValue(value)) {
            return titles[field];
        }
    }
    return std::nullopt;
}

void BatchPage::Button1Click() {
    if (amt->Value() < 0.009) {
        ctx_.dialogs.Warning(QStringLiteral("转账金额不能为0！"));
        return;
    }
    const QString account = recacct->currentText();
    if (account.contains(u' ') || account.contains(u'-')) {
        ctx_.dialogs.Warning(QStringLiteral("账号不能带空格或横杠！"));
        return;
    }
    if (ctx_.cds1.RecordCount() >= instructions::kMaxEntryRows) {
        ctx_.dialogs.Warning(QStringLiteral("达到批量支付指令数量上限！"));
        return;
    }
    // A "|" or a line break would shift the fields of the upload file.
    if (const auto title = FindUnsafeValue()) {
        ctx_.dialogs.Warning(QStringLiteral("%1不能包含“|”或换行符！").arg(*title));
        return;
    }
    AppendInstruction(Button1->objectName());
}

void BatchPage::AppendInstruction(const QString& callerName) {
    try {
        ctx_.cds1.Append();
        SetFieldsFromForm();
        ctx_.cds1.Post();
        if (callerName == u"Button1") {
            ctx_.dialogs.Information(QStringLiteral("增加成功！"));
        }
        ctx_.setCountPanel(QStringLiteral("记录笔数：") + QString::number(ctx_.cds1.RecordCount()));
        SetGridTitles();
        RememberPayee();
        ResetRecipient();
    } catch (const AppError& e) {
        ctx_.dialogs.Information(QStringLiteral("增加记录失败：！") + e.Message());
        ctx_.cds1.Cancel();
    }
}

void BatchPage::ResetRecipient() {
    cross->setChecked(false);
    recobject->setCurrentIndex(recobject->findText(QStringLiteral("公司")));
    recver->setEditText(QString());
    recacct->setEditText(QString());
    recbank->setEditText(QString::fromUtf16(instructions::kOwnBank));
    amt->Clear();
    use->setCurrentIndex(-1);
    use->setEditText(QString());
    remittype->setCurrentIndex(-1);
    edremark->clear();
    recbankcode->clear();
}

void BatchPage::RememberPayee() {
    const QString path = ctx_.config.Path(QString::fromUtf16(cfg::kRecvers));
    QStringList lines = listfile::Load(path);
    const QString account = recacct->currentText();
    for (const QString& line : lines) {
        const QStringList fields = record::Split(line, record::Pipes::Replace);
        if (fields.size() > 2 && record::HasField(fields, account)) {
            return;
        }
    }
    lines.append(record::Join(
        {recver->currentText(), account, recbank->currentText(), recbankcode->text()}));
    listfile::Save(path, lines);
}

void BatchPage::Button2Click() {
    if (recver->currentText().isEmpty() || recacct->currentText().isEmpty()) {
        return;
    }
    UpdateInstruction();
    ctx_.dialogs.Information(QStringLiteral("修改成功！"));
}

void BatchPage::UpdateInstruction() {
    ctx_.cds1.Edit();
    SetFieldsFromForm();
    ctx_.cds1.Post();
}

void BatchPage::Button3Click() {
    ctx_.cds1.Delete();
    ctx_.dialogs.Information(QStringLiteral("删除成功！"));
}

void BatchPage::Button4Click() {
    ctx_.cds1.First();
    while (!ctx_.cds1.IsEmpty()) {
        ctx_.cds1.Delete();
    }
    ctx_.dialogs.Information(QStringLiteral("复位成功！"));
}

void BatchPage::DBGrid1DblClick() {
    Dataset& t = ctx_.cds1;
    if (t.RecordCount() < 1) {
        return;
    }
    auto field = [&](const char16_t* name) {
        return t.FieldByName(QString::fromUtf16(name)).AsString();
    };
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
        recobject->setCurrentIndex(-1);
        recobject->setEnabled(false);
    } else {
        SpeedButton3->setEnabled(false);
        recbank->setEditText(QString::fromUtf16(instructions::kOwnBank));
        recbankcode->clear();
        recobject->setEnabled(true);
        recobject->setCurrentIndex(-1);
    }
}

void BatchPage::UpDown1ChangingEx(int newPosition) {
    edseq->setText(QString::number(newPosition));
}

#include "params/paramspage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QSignalBlocker>

#include "payments/batchmapping.h"
#include "platform/dialogs/guard.h"
#include "platform/text/convert.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "store/profile.h"
#include "store/record.h"

namespace {

// Typing stops at `length` characters, while a longer value read from the mapping file is
// still shown whole: cutting it would silently change the column or the first row.
void LimitTyping(QLineEdit* edit, int length) {
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("(?s).{0,%1}").arg(length)), edit));
}

// A value as a question shows it: whole up to 40 characters, which takes any account the bank
// accepts (32 at most) and a usual name or bank; longer, its first 40 and "…".
QString Excerpt(const QString& value) {
    return convert::Excerpt(value, 40);
}

// A roster line as a question names it: its name, account and bank.
QString Describe(const QStringList& fields) {
    QStringList shown;
    for (qsizetype i = 0; i < std::min<qsizetype>(fields.size(), 3); ++i) {
        if (!fields[i].isEmpty()) {
            shown.append(Excerpt(fields[i]));
        }
    }
    return shown.join(u' ');
}

QStringList Accounts(const QList<params::Line>& lines) {
    QStringList accounts;
    accounts.reserve(lines.size());
    for (const params::Line& line : lines) {
        accounts.append(line.Account());
    }
    return accounts;
}

}  // namespace

ParamsPage::ParamsPage(Context context, QWidget* parent)
    : QWidget(parent), ctx_(std::move(context)) {
    SetUpForm();
    Wire();
}

void ParamsPage::SetUpForm() {
    setupUi(this);
    for (QLineEdit* edit : {conf_name, conf_acct, conf_finalincome, conf_startrow}) {
        LimitTyping(edit, edit == conf_startrow ? 1 : 2);
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
        edit->setPalette(pal);
    }
    // The column letters of the batch mapping: capitals only, two at most, as the sheet names
    // its columns.
    for (int f = 0; f < payments::kInstructionFieldCount; ++f) {
        LimitTyping(BatchEdit(f), 2);
        BatchEdit(f)->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[A-Z]{0,2}")), this));
    }
    LimitTyping(conf_batch_startrow, 5);
    conf_batch_startrow->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[1-9][0-9]{0,4}")), this));
    LabelBatch_note->setWordWrap(true);
    conf_batch_defuse->setCompleter(nullptr);
    // The short mapping edits stay at the labels; the free space goes to the right.
    GroupBox7Layout->setColumnStretch(3, 1);
    for (QComboBox* box : {conf_payacct, conf_skmc_acct, conf_owner_acct}) {
        box->setCurrentIndex(-1);
        // What is typed stays as typed: completing "6222" to a listed "62220001" would delete
        // or refuse the wrong account.
        box->setCompleter(nullptr);
    }
}

void ParamsPage::Wire() {
    auto on = [this](QPushButton* b, void (ParamsPage::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { Handle([&] { (this->*handler)(); }); });
    };
    on(Button13, &ParamsPage::Button13Click);
    on(Button16, &ParamsPage::Button16Click);
    on(Button18, &ParamsPage::Button18Click);
    on(Button17, &ParamsPage::Button17Click);
    on(Button14, &ParamsPage::Button14Click);
    on(Button15, &ParamsPage::Button15Click);
    on(Button20, &ParamsPage::Button20Click);
    // Choosing or typing a listed account shows its line, the one 删除 would remove.
    connect(conf_payacct, &QComboBox::editTextChanged, this, &ParamsPage::ShowCompanyLine);
    connect(conf_payacct, &QComboBox::activated, this,
            [this](int i) { ShowCompanyLine(conf_payacct->itemText(i)); });
    connect(conf_skmc_acct, &QComboBox::editTextChanged, this, &ParamsPage::ShowPayeeLine);
    connect(conf_skmc_acct, &QComboBox::activated, this,
            [this](int i) { ShowPayeeLine(conf_skmc_acct->itemText(i)); });
}

void ParamsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // After the page switch is done, so that a roster that cannot be read is reported over the
    // page it belongs to.
    if (loaded_ && !event->spontaneous()) {
        QMetaObject::invokeMethod(this, &ParamsPage::Reload, Qt::QueuedConnection);
    }
}

void ParamsPage::Reload() {
    // A preview on the batch page may have saved the mapping since.
    Handle([this] { ShowBatchMapping(); });
    Handle([this] { SetCompanyLines(listfile::Load(Path(cfg::kOwner))); });
    Handle([this] { SetPayeeLines(listfile::Load(Path(cfg::kRecvers))); });
}

void ParamsPage::Handle(const std::function<void()>& handler) {
    Guarded(ctx_.dialogs, handler);
}

QString ParamsPage::Path(const char16_t* relativeName) const {
    return ctx_.config.Path(QString::fromUtf16(relativeName));
}

void ParamsPage::SetItems(QComboBox* box, const QStringList& items) {
    const QSignalBlocker quiet(box);
    const QString shown = box->currentText();
    box->clear();
    box->addItems(items);
    // The entry the text stands for, so that Up and Down step from there.
    box->setCurrentIndex(static_cast<int>(items.indexOf(shown)));
    box->setEditText(shown);
}

void ParamsPage::SetCompanyLines(const QStringList& lines) {
    companyLines_ = params::Lines(lines, params::Roster::Company);
    const QStringList accounts = Accounts(companyLines_);
    SetItems(conf_payacct, accounts);
    SetItems(conf_owner_acct, accounts);
    ShowCompanyLine(conf_payacct->currentText());
}

void ParamsPage::SetPayeeLines(const QStringList& lines) {
    payeeLines_ = params::Lines(lines, params::Roster::Payees);
    SetItems(conf_skmc_acct, Accounts(payeeLines_));
    ShowPayeeLine(conf_skmc_acct->currentText());
}

void ParamsPage::ShowCompanyLine(const QString& account) {
    // A box being emptied for a new account is no choice of the line with an empty account.
    if (params::IsBlank(account)) {
        return;
    }
    if (const auto line = params::FindLine(companyLines_, account)) {
        conf_owner->setText(line->fields[0]);
        conf_owner_issuebank->setText(line->fields[2]);
    }
}

void ParamsPage::ShowPayeeLine(const QString& account) {
    if (params::IsBlank(account)) {
        return;
    }
    if (const auto line = params::FindLine(payeeLines_, account)) {
        conf_skmc_name->setText(line->fields[0]);
        conf_skmc_issuebank->setText(line->fields.value(2));
        conf_skmc_issuebankno->setText(line->fields.value(3));
    }
}

int ParamsPage::FindInList(const QComboBox* box, const QString& text) {
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

bool ParamsPage::Writable(const QStringList& values, const QStringList& labels) {
    if (const auto i = params::FirstUnwritable(values)) {
        ctx_.dialogs.Warning(labels[*i] + QStringLiteral("不能包含“|”或换行符！"));
        return false;
    }
    return true;
}

void ParamsPage::LoadParameters() {
    loaded_ = true;
    const QStringList owners = listfile::Load(Path(cfg::kOwner));
    const QString ini = Path(cfg::kSalaryMap);
    SetCompanyLines(owners);
    // The company group shows the last company line's account.
    if (!companyLines_.isEmpty()) {
        const params::Line& last = companyLines_.back();
        {
            const QSignalBlocker quiet(conf_payacct);
            conf_payacct->setCurrentIndex(static_cast<int>(companyLines_.size() - 1));
        }
        conf_owner->setText(last.fields[0]);
        conf_owner_issuebank->setText(last.fields[2]);
        // Of two lines with that account, the first is the one the buttons act on.
        ShowCompanyLine(last.Account());
    }
    const QString payer = profile::ReadString(ini, QStringLiteral("corpacct"),
                                              QStringLiteral("corpacct1"), QString());
    conf_owner_acct->setEditText(payer);
    const int p = FindInList(conf_payacct, payer);
    conf_salary_payer->setText(p >= 0 ? companyLines_[p].fields[0] : conf_owner->text());
    auto read = [&](const char* section, const char* key, const QString& defaultValue) {
        return profile::ReadString(ini, QString::fromLatin1(section), QString::fromLatin1(key),
                                   defaultValue);
    };
    conf_name->setText(read("excel", "name", QString()));
    conf_acct->setText(read("excel", "acct", QString()));
    conf_finalincome->setText(read("excel", "finalincome", QString()));
    conf_startrow->setText(read("option", "startrow", QStringLiteral("1")));
    ShowBatchMapping();
    // Every payee line with an account field gives it.
    SetPayeeLines(listfile::Load(Path(cfg::kRecvers)));
}

QLineEdit* ParamsPage::BatchEdit(int field) const {
    return findChild<QLineEdit*>(QStringLiteral("conf_batch_") +
                                 payments::batchmap::ColumnKey(field));
}

void ParamsPage::ShowBatchMapping() {
    const payments::batchmap::Mapping m = payments::batchmap::LoadMapping(Path(cfg::kSalaryMap));
    for (int f = 0; f < payments::kInstructionFieldCount; ++f) {
        BatchEdit(f)->setText(m.columns[static_cast<std::size_t>(f)]);
    }
    conf_batch_startrow->setText(m.startRow);
    conf_batch_defcpflag->setCurrentIndex(conf_batch_defcpflag->findText(m.cpflag));
    conf_batch_defremittype->setCurrentIndex(conf_batch_defremittype->findText(m.remittype));
    conf_batch_defuse->setCurrentIndex(conf_batch_defuse->findText(m.use));
    conf_batch_defuse->setEditText(m.use);
}

void ParamsPage::Button20Click() {
    payments::batchmap::Mapping m;
    for (int f = 0; f < payments::kInstructionFieldCount; ++f) {
        m.columns[static_cast<std::size_t>(f)] = BatchEdit(f)->text();
    }
    m.startRow = conf_batch_startrow->text();
    m.cpflag = conf_batch_defcpflag->currentText();
    m.remittype = conf_batch_defremittype->currentText();
    m.use = conf_batch_defuse->currentText();
    if (m.startRow.isEmpty() || m.use.isEmpty()) {
        ctx_.dialogs.Warning(QStringLiteral("请填写数据起始行和默认用途后再设定！"));
        return;
    }
    payments::batchmap::SaveMapping(Path(cfg::kSalaryMap), m);
    ctx_.dialogs.Information(QStringLiteral("批量支付导入对应关系已保存！"));
}

void ParamsPage::Button13Click() {
    const QStringList values = {conf_owner->text(), conf_payacct->currentText(),
                                conf_owner_issuebank->text()};
    const QString& account = values[1];
    if (params::IsBlank(account)) {
        ctx_.dialogs.Warning(QStringLiteral("请输入企业账号！"));
        return;
    }
    if (!Writable(values, {QStringLiteral("户名"), QStringLiteral("企业账号"),
                           QStringLiteral("开户银行")})) {
        return;
    }
    const QString path = Path(cfg::kOwner);
    QStringList lines = listfile::Load(path);
    if (params::FindLine(lines, account, params::Roster::Company)) {
        ctx_.dialogs.Warning(QStringLiteral("该账号已经添加过，不能再次提交了！"));
        return;
    }
    // Quoted where the split needs it, so that the line reads back as these three fields.
    lines.append(record::JoinQuoted(values));
    listfile::Save(path, lines);
    SetCompanyLines(lines);
    ctx_.dialogs.Information(QStringLiteral("账号添加成功！"));
}

void ParamsPage::Button16Click() {
    const QString account = conf_payacct->currentText();
    if (params::IsBlank(account)) {
        ctx_.dialogs.Warning(QStringLiteral("请输入企业账号！"));
        return;
    }
    const QString path = Path(cfg::kOwner);
    QStringList lines = listfile::Load(path);
    const auto line = params::FindLine(lines, account, params::Roster::Company);
    if (!line) {
        ctx_.dialogs.Information(QStringLiteral("该账号不存在！"));
        return;
    }
    // The question names the line from the file, whatever the boxes beside show.
    if (!ctx_.dialogs.Question(
            QStringLiteral("确定删除企业账号“%1”吗？").arg(Describe(line->fields)))) {
        return;
    }
    lines.removeAt(line->index);
    listfile::Save(path, lines);
    SetCompanyLines(lines);
    ctx_.dialogs.Warning(QStringLiteral("该账号删除成功！"));
}

void ParamsPage::Button18Click() {
    const QStringList values = {conf_skmc_name->text(), conf_skmc_acct->currentText(),
                                conf_skmc_issuebank->text(), conf_skmc_issuebankno->text()};
    if (params::IsBlank(values[1])) {
        ctx_.dialogs.Warning(QStringLiteral("请输入收款人账号！"));
        return;
    }
    if (!Writable(values, {QStringLiteral("收款人户名"), QStringLiteral("账号"),
                           QStringLiteral("开户行"), QStringLiteral("开户行编号")})) {
        return;
    }
    const QString path = Path(cfg::kRecvers);
    QStringList lines = listfile::Load(path);
    if (params::FindLine(lines, values[1], params::Roster::Payees)) {
        ctx_.dialogs.Warning(QStringLiteral("该收款人名册已经添加过，不能再次提交了！"));
        return;
    }
    lines.append(record::JoinQuoted(values));
    listfile::Save(path, lines);
    SetPayeeLines(lines);
    ctx_.dialogs.Information(QStringLiteral("收款人名册添加成功！"));
}

void ParamsPage::Button17Click() {
    const QString account = conf_skmc_acct->currentText();
    if (params::IsBlank(account)) {
        ctx_.dialogs.Warning(QStringLiteral("请输入收款人账号！"));
        return;
    }
    const QString path = Path(cfg::kRecvers);
    QStringList lines = listfile::Load(path);
    const auto line = params::FindLine(lines, account, params::Roster::Payees);
    if (!line) {
        ctx_.dialogs.Information(QStringLiteral("该收款人不存在！"));
        return;
    }
    if (!ctx_.dialogs.Question(
            QStringLiteral("确定删除收款人“%1”吗？").arg(Describe(line->fields)))) {
        return;
    }
    lines.removeAt(line->index);
    listfile::Save(path, lines);
    SetPayeeLines(lines);
    ctx_.dialogs.Warning(QStringLiteral("该收款人删除成功！"));
}

void ParamsPage::Button14Click() {
    const QString ini = Path(cfg::kSalaryMap);
    const std::pair<const char*, const char*> keys[] = {
        {"excel", "name"}, {"excel", "acct"}, {"excel", "finalincome"}, {"option", "startrow"}};
    const QLineEdit* edits[] = {conf_name, conf_acct, conf_finalincome, conf_startrow};
    for (int i = 0; i < 4; ++i) {
        profile::WriteString(ini, QString::fromLatin1(keys[i].first),
                             QString::fromLatin1(keys[i].second), edits[i]->text());
    }
}

void ParamsPage::Button15Click() {
    profile::WriteString(Path(cfg::kSalaryMap), QStringLiteral("corpacct"),
                         QStringLiteral("corpacct1"), conf_owner_acct->currentText());
}

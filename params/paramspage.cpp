#include "params/paramspage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "params/rosterlines.h"
#include "platform/dialogs/guard.h"
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
}

void ParamsPage::Handle(const std::function<void()>& handler) {
    Guarded(ctx_.dialogs, handler);
}

QString ParamsPage::Path(const char16_t* relativeName) const {
    return ctx_.config.Path(QString::fromUtf16(relativeName));
}

void ParamsPage::AppendToList(QComboBox* box, const QString& text) {
    const QString shown = box->currentText();
    box->addItem(text);
    box->setEditText(shown);
}

void ParamsPage::RemoveFromList(QComboBox* box, int index) {
    const QString shown = box->currentText();
    box->removeItem(index);
    box->setEditText(shown);
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
    const QStringList owners = listfile::Load(Path(cfg::kOwner));
    const QString ini = Path(cfg::kSalaryMap);
    QStringList names;
    for (const QString& line : owners) {
        const QStringList fields = record::Split(line, record::Pipes::Replace);
        if (fields.size() != 3) {
            continue;
        }
        conf_owner->setText(fields[0]);
        names.append(fields[0]);
        AppendToList(conf_payacct, fields[1]);
        AppendToList(conf_owner_acct, fields[1]);
        conf_payacct->setEditText(fields[1]);
        conf_owner_issuebank->setText(fields[2]);
    }
    const QString payer = profile::ReadString(ini, QStringLiteral("corpacct"),
                                              QStringLiteral("corpacct1"), QString());
    conf_owner_acct->setEditText(payer);
    const int p = FindInList(conf_payacct, payer);
    conf_salary_payer->setText(p >= 0 && p < names.size() ? names[p] : conf_owner->text());
    auto read = [&](const char* section, const char* key, const QString& defaultValue) {
        return profile::ReadString(ini, QString::fromLatin1(section), QString::fromLatin1(key),
                                   defaultValue);
    };
    conf_name->setText(read("excel", "name", QString()));
    conf_acct->setText(read("excel", "acct", QString()));
    conf_finalincome->setText(read("excel", "finalincome", QString()));
    conf_startrow->setText(read("option", "startrow", QStringLiteral("1")));
    // Every payee line gives its account; a line without a second field gives none.
    for (const QString& line : listfile::Load(Path(cfg::kRecvers))) {
        const QStringList fields = record::Split(line, record::Pipes::Replace);
        if (fields.size() >= 2) {
            AppendToList(conf_skmc_acct, fields[1]);
        }
    }
}

void ParamsPage::Button13Click() {
    const QStringList values = {conf_owner->text(), conf_payacct->currentText(),
                                conf_owner_issuebank->text()};
    if (!Writable(values, {QStringLiteral("户名"), QStringLiteral("企业账号"),
                           QStringLiteral("开户银行")})) {
        return;
    }
    const QString path = Path(cfg::kOwner);
    QStringList lines = listfile::Load(path);
    const QString account = values[1];
    if (params::FindLine(lines, account, 3)) {
        ctx_.dialogs.Warning(QStringLiteral("该账号已经添加过，不能再次提交了！"));
        return;
    }
    // Quoted where the split needs it, so that the line reads back as these three fields.
    lines.append(record::JoinQuoted(values));
    listfile::Save(path, lines);
    AppendToList(conf_payacct, account);
    AppendToList(conf_owner_acct, account);
    ctx_.dialogs.Information(QStringLiteral("账号添加成功！"));
}

void ParamsPage::Button16Click() {
    const QString path = Path(cfg::kOwner);
    QStringList lines = listfile::Load(path);
    const QString account = conf_payacct->currentText();
    const auto line = params::FindLine(lines, account, 3);
    if (!line) {
        ctx_.dialogs.Information(QStringLiteral("该账号不存在！"));
        return;
    }
    lines.removeAt(*line);
    listfile::Save(path, lines);
    // The two lists hold the same accounts in the same order.
    if (const int p = FindInList(conf_payacct, account); p >= 0) {
        RemoveFromList(conf_owner_acct, p);
    }
    if (const int p = FindInList(conf_payacct, account); p >= 0) {
        RemoveFromList(conf_payacct, p);
    }
    ctx_.dialogs.Warning(QStringLiteral("该账号删除成功！"));
}

void ParamsPage::Button18Click() {
    const QStringList values = {conf_skmc_name->text(), conf_skmc_acct->currentText(),
                                conf_skmc_issuebank->text(), conf_skmc_issuebankno->text()};
    if (!Writable(values, {QStringLiteral("收款人户名"), QStringLiteral("账号"),
                           QStringLiteral("开户行"), QStringLiteral("开户行编号")})) {
        return;
    }
    const QString path = Path(cfg::kRecvers);
    QStringList lines = listfile::Load(path);
    if (params::FindLine(lines, values[1], 4)) {
        ctx_.dialogs.Warning(QStringLiteral("该收款人名册已经添加过，不能再次提交了！"));
        return;
    }
    lines.append(record::JoinQuoted(values));
    listfile::Save(path, lines);
    ctx_.dialogs.Information(QStringLiteral("收款人名册添加成功！"));
}

void ParamsPage::Button17Click() {
    const QString path = Path(cfg::kRecvers);
    QStringList lines = listfile::Load(path);
    const auto line =
        params::FindLine(lines, conf_skmc_acct->currentText(), params::kAnyFieldCount);
    if (!line) {
        ctx_.dialogs.Information(QStringLiteral("该收款人不存在！"));
        return;
    }
    lines.removeAt(*line);
    listfile::Save(path, lines);
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

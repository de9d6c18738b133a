// The parameter page: the company's accounts, the payee roster and the spreadsheet column
// mapping, each change written straight to its file under config.
#pragma once

#include <QWidget>
#include <functional>

#include "params/rosterlines.h"
#include "platform/dialogs/dialogs.h"
#include "ui_paramspage.h"

class ConfigDir;
class QComboBox;
class QLineEdit;

class ParamsPage : public QWidget, public Ui::ParamsPage {
    Q_OBJECT
public:
    struct Context {
        Dialogs& dialogs;
        const ConfigDir& config;
    };

    ParamsPage(Context context, QWidget* parent = nullptr);

    // First show: fills the page from the company accounts, the mapping and the payee roster.
    // Every later showing of the page reads the two rosters again, since the batch page adds
    // payees to its file.
    void LoadParameters();

    // "新增企业账号": adds the company account line unless a line holds the account already.
    void Button13Click();
    // "删除企业账号": after a 是, removes the first company line with the typed account.
    void Button16Click();
    // "新增" of the payee roster: adds the payee line unless a line holds the account already.
    void Button18Click();
    // "删除" of the payee roster: after a 是, removes the first line with the typed account.
    void Button17Click();
    // "设定" of the mapping: writes the three column letters and the first data row.
    void Button14Click();
    // "设定" of the salary payer account: writes the account.
    void Button15Click();
    // "设定" of the batch payment mapping: writes the column letters, the first data row and
    // the values of the columns a sheet lacks.
    void Button20Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetUpForm();
    void Wire();
    void Handle(const std::function<void()>& handler);
    QString Path(const char16_t* relativeName) const;
    // Warns about the first value a roster line cannot carry; true when all can be written.
    bool Writable(const QStringList& values, const QStringList& labels);
    // The lists of a roster's accounts from the file's lines; the texts typed stay. When the
    // account box holds a listed account, its group shows that account's line.
    void SetCompanyLines(const QStringList& lines);
    void SetPayeeLines(const QStringList& lines);
    // Shows the first line with the account beside its box; nothing for an unlisted account.
    void ShowCompanyLine(const QString& account);
    void ShowPayeeLine(const QString& account);
    // The batch payment mapping's edits from the configuration, and back.
    void ShowBatchMapping();
    // The mapping edit of a field.
    QLineEdit* BatchEdit(int field) const;
    // Reads both rosters again.
    void Reload();
    // Replaces a combo box's list, its text as it is.
    static void SetItems(QComboBox* box, const QStringList& items);
    // The position of the first list entry equal to text, letter case ignored; -1 when none.
    static int FindInList(const QComboBox* box, const QString& text);

    Context ctx_;
    // The lines behind the lists, in list order.
    QList<params::Line> companyLines_;
    QList<params::Line> payeeLines_;
    bool loaded_ = false;
};

// The parameter page: the company's accounts, the payee roster and the spreadsheet column
// mapping, each change written straight to its file under config.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/dialogs/dialogs.h"
#include "ui_paramspage.h"

class ConfigDir;
class QComboBox;

class ParamsPage : public QWidget, public Ui::ParamsPage {
    Q_OBJECT
public:
    struct Context {
        Dialogs& dialogs;
        const ConfigDir& config;
    };

    ParamsPage(Context context, QWidget* parent = nullptr);

    // First show: fills the page from the company accounts, the mapping and the payee roster.
    void LoadParameters();

    // "新增企业账号": adds the company account line unless the account is already present.
    void Button13Click();
    // "删除企业账号": removes the first company account line holding the typed account.
    void Button16Click();
    // "新增" of the payee roster: adds the payee line unless the account is already present.
    void Button18Click();
    // "删除" of the payee roster: removes the first line holding the typed account.
    void Button17Click();
    // "设定" of the mapping: writes the three column letters and the first data row.
    void Button14Click();
    // "设定" of the salary payer account: writes the account.
    void Button15Click();

private:
    void SetUpForm();
    void Wire();
    void Handle(const std::function<void()>& handler);
    QString Path(const char16_t* relativeName) const;
    // Warns about the first value a roster line cannot carry; true when all can be written.
    bool Writable(const QStringList& values, const QStringList& labels);
    // List changes that leave the combo box's text as it is.
    static void AppendToList(QComboBox* box, const QString& text);
    static void RemoveFromList(QComboBox* box, int index);
    // The position of the first list entry equal to text, letter case ignored; -1 when none.
    static int FindInList(const QComboBox* box, const QString& text);

    Context ctx_;
};

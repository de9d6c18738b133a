// The main window: three pages, the menu, the status bar, the tables and the shared dialogs,
// and the start-up sequence run when the window is first shown.
#pragma once

#include <QMainWindow>
#include <QSettings>
#include <QStringList>
#include <QTimer>
#include <optional>

#include "app/exportwindow.h"
#include "controls/addnotice.h"
#include "payments/exportflow.h"

#include "platform/dataset/dataset.h"
#include "platform/dialogs/dialogs.h"
#include "printing/detaillists.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "ui_mainwindow.h"

class QLabel;
class BatchPage;
class ParamsPage;
class SalaryPage;
class TAboutBox;
class TfmBank;
class TfmRecver;
class Tfrpayer;

class Tmform : public QMainWindow, public Ui::Tmform, public payments::ExportRecorder {
    Q_OBJECT
public:
    // Upload files are written through writeUpload and then read back.
    Tmform(Dialogs& dialogs, const ConfigDir& config, QWidget* parent = nullptr,
           listfile::Writer writeUpload = &listfile::Replace);
    ~Tmform() override;

    // The dialogs are created after the main window, in their fixed order.
    void SetDialogs(TfmRecver* recver, Tfrpayer* payer, TfmBank* bank, TAboutBox* about);

    void FormCreate();
    void FormShow();
    void FormDestroy();

    // Handlers.
    // "批量支付": shows the batch page.
    void N4Click();
    // "工资代发": shows the salary page.
    void N5Click();
    // "参数管理": shows the parameter page.
    void N6Click();
    // "退出": closes the main window, which ends the program.
    void N8Click();
    // "关于": shows the about box.
    void N3Click();
    // "注册": the table engine is built in; nothing to register.
    void N9Click();
    // "名册" beside the payee: picks a roster payee into the payee boxes.
    void SpeedButton1Click();
    // "名册" beside the payer: picks a company account into the payer boxes.
    void SpeedButton2Click();
    // "银行": picks a branch from the bank search into the bank boxes.
    void SpeedButton3Click();

    // Start-up steps.
    void CreateTables();
    void SetGridTitles();
    void LoadSalaryItems();
    void LoadParameters();

    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);
    // Panel 1: "记录笔数：" and the row count of the page in view.
    void ShowRecordCount();
    // Shows a sentence in the status bar's notice panel until the next notice replaces it.
    void ShowNotice(const QString& text);

    // Components beside those of the form: the pages on tabBatch, tabSalary and TabSheet1, the
    // menu separator.
    BatchPage* batchPage;
    SalaryPage* salaryPage;
    ParamsPage* paramsPage;
    QAction* N7;

    Dataset cds1;
    Dataset cds2;
    Dataset cds3;
    DataSource DataSource1;
    DataSource DataSource2;
    DataSource DataSource3;
    FileDialogState SaveDialog1;
    FileDialogState OpenDialog1;
    // The report objects and PrintSource of the detail lists.
    printing::DetailLists printing;
    // The salary items' field names; exists from the first show on.
    std::optional<QStringList> ItemFieldNames;

protected:
    void showEvent(QShowEvent* event) override;
    // Closing with rows that no upload file holds yet asks first; the user may stay.
    void closeEvent(QCloseEvent* event) override;

protected:
    // Enter on a focused push button presses it, on every page and in every dialog.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WireMenu();
    void BuildStatusBar();
    // Keeps the window within the working area of its screen.
    void FitIntoScreen();
    void Handle(const std::function<void()>& handler);

    Dialogs& dialogs_;
    const ConfigDir& config_;
    const listfile::Writer writeUpload_;
    // The user's own settings (not the configuration beside the program): the choices of
    // the window's look and of the notices.
    QSettings settings_{QStringLiteral("corppay"), QStringLiteral("corppay")};

public:
    // The notice after an add, shared by both pages.
    AddNotice addNotice{dialogs_, settings_};
    // 文件 menu: whether the "增加成功！" box shows after an add (unticked once "不再提示" was
    // ticked in it).
    QAction* NShowAddNotice = nullptr;
    // The status bar line where an add reports itself when its box is not shown.
    QLabel* noticePanel = nullptr;
    // 文件 menu "导出记录": the upload files written, newest first.
    QAction* NExports = nullptr;
    TfmExports* exportsWindow = nullptr;

    // The recovery file and the export record in the configuration folder.
    QString RecoveryPath() const;
    QString RecordPath() const;
    // Writes the recovery file now (or removes it when every row is in an upload file).
    void WriteRecovery();
    // At start: offers the rows of a recovery file left by a run that did not end normally.
    void OfferRecovery();
    // "导出记录": shows the export record.
    void NExportsClick();

private:
    // Writes the upload file of a page, then appends it with its payments to the export record.
    bool Write(const QString& page, const QString& path, const QByteArray& bytes,
               const QList<payments::exportrecord::Payment>& payments) override;
    void ScheduleRecovery();
    // The names the earlier exports of the last 30 days give the rows about to be exported.
    payments::exportchecks::Earlier EarlierExports(
        const QList<payments::exportchecks::Row>& rows) override;
    // The paragraph naming what of the export record could not be checked; empty when all was.
    QString UncheckedText(const payments::exportrecord::Findings& findings) const;

    QTimer* recoveryTimer_ = nullptr;
    bool recoveryReady_ = false;
    // The last rewrite of the recovery file failed; it is retried until it succeeds.
    bool recoveryFailing_ = false;
    QLabel* panels_[3];
    bool shown_ = false;
    TfmRecver* fmRecver_ = nullptr;
    Tfrpayer* frpayer_ = nullptr;
    TfmBank* fmBank_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
};

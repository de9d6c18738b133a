#include "app/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>

#include "app/aboutbox.h"
#include "app/recovery.h"
#include "batch/batchpage.h"
#include "batch/instructions.h"
#include "controls/numeditnew.h"
#include "lookup/banksearch.h"
#include "lookup/rosterpicker.h"
#include "params/paramspage.h"
#include "payments/exportrecord.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/guard.h"
#include "platform/text/apperror.h"
#include "salary/salarypage.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "store/record.h"

namespace {

// The recovery file is rewritten this long after a change (milliseconds), and tried again this
// long after a write that failed.
constexpr int kRecoveryDelay = 200;
constexpr int kRecoveryRetry = 2000;

}  // namespace

Tmform::Tmform(Dialogs& dialogs, const ConfigDir& config, QWidget* parent,
               listfile::Writer writeUpload)
    : QMainWindow(parent),
      printing({cds1, cds2, DataSource1, DataSource2}, config, dialogs),
      dialogs_(dialogs),
      config_(config),
      writeUpload_(std::move(writeUpload)) {
    setupUi(this);
    cds1.setObjectName(QStringLiteral("cds1"));
    cds2.setObjectName(QStringLiteral("cds2"));
    cds3.setObjectName(QStringLiteral("cds3"));
    DataSource1.setObjectName(QStringLiteral("DataSource1"));
    DataSource2.setObjectName(QStringLiteral("DataSource2"));
    DataSource3.setObjectName(QStringLiteral("DataSource3"));
    DataSource2.SetDataSet(&cds2);
    DataSource3.SetDataSet(&cds3);
    SaveDialog1.objectName = QStringLiteral("SaveDialog1");
    SaveDialog1.filter = QStringLiteral("文本文件|*.txt|CSV文本|*.csv|EXCEL文件|*.xls");
    // Payroll sheets come as .xls and .xlsx alike, and a file of any name may be chosen.
    OpenDialog1.objectName = QStringLiteral("OpenDialog1");
    OpenDialog1.filter =
        QStringLiteral("文本文件|*.txt|CSV文本|*.csv|EXCEL文件|*.xls;*.xlsx|所有文件|*");
    dialogs_.SetParentWindow(this);
    // Every upload file written goes into the export record (the pages write through Write);
    // the recovery file follows the tables, at most once per 200 ms of changes.
    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setSingleShot(true);
    recoveryTimer_->setInterval(kRecoveryDelay);
    connect(recoveryTimer_, &QTimer::timeout, this, [this] { WriteRecovery(); });
    batchPage = new BatchPage({cds1, DataSource1, dialogs_, config_, SaveDialog1, OpenDialog1,
                               printing, *this, addNotice},
                              tabBatch);
    batchPage->DBGrid1->SetDataSource(&DataSource1);
    batchLayout->addWidget(batchPage);
    salaryPage = new SalaryPage({cds2, cds3, DataSource2, DataSource3, ItemFieldNames, dialogs_,
                                 config_, SaveDialog1, OpenDialog1, printing,
                                 [this] {
                                     return QStringList{paramsPage->conf_name->text(),
                                                        paramsPage->conf_acct->text(),
                                                        paramsPage->conf_finalincome->text(),
                                                        paramsPage->conf_startrow->text()};
                                 },
                                 [this] { PageControl1->setCurrentIndex(2); }, *this, addNotice},
                                tabSalary);
    salaryLayout->addWidget(salaryPage);
    paramsPage = new ParamsPage({dialogs_, config_}, TabSheet1);
    paramsLayout->addWidget(paramsPage);

    WireMenu();
    BuildStatusBar();
    // The record count is the one of the page in view: it follows the page and every change of
    // that page's table.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { ShowRecordCount(); });
    for (Dataset* table : {&cds1, &cds2}) {
        connect(table, &Dataset::RowInserted, this, [this] { ShowRecordCount(); });
        connect(table, &Dataset::RowRemoved, this, [this] { ShowRecordCount(); });
        connect(table, &Dataset::Reset, this, [this] { ShowRecordCount(); });
        connect(table, &Dataset::RowInserted, this, [this] { ScheduleRecovery(); });
        connect(table, &Dataset::RowChanged, this, [this] { ScheduleRecovery(); });
        connect(table, &Dataset::RowRemoved, this, [this] { ScheduleRecovery(); });
        connect(table, &Dataset::Reset, this, [this] { ScheduleRecovery(); });
    }

    connect(batchPage->SpeedButton1, &QToolButton::clicked, this,
            [this] { Handle([this] { SpeedButton1Click(); }); });
    connect(batchPage->SpeedButton2, &QToolButton::clicked, this,
            [this] { Handle([this] { SpeedButton2Click(); }); });
    connect(batchPage->SpeedButton3, &QToolButton::clicked, this,
            [this] { Handle([this] { SpeedButton3Click(); }); });
    qApp->installEventFilter(this);
    FormCreate();
}

bool Tmform::eventFilter(QObject* watched, QEvent* event) {
    // A window about to ask something (a message box, a file dialog, a picker) may stay open
    // for long, or be where the session ends: changes not yet in the recovery file go there
    // first.
    if (event->type() == QEvent::Show && recoveryTimer_ != nullptr && recoveryTimer_->isActive() &&
        qobject_cast<QDialog*>(watched) != nullptr) {
        WriteRecovery();
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && button->hasFocus() &&
            button->isEnabled()) {
            button->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

Tmform::~Tmform() {
    FormDestroy();
}

void Tmform::SetDialogs(TfmRecver* recver, Tfrpayer* payer, TfmBank* bank, TAboutBox* about) {
    fmRecver_ = recver;
    frpayer_ = payer;
    fmBank_ = bank;
    aboutBox_ = about;
}

void Tmform::WireMenu() {
    const std::pair<QAction*, void (Tmform::*)()> items[] = {
        {N4, &Tmform::N4Click}, {N5, &Tmform::N5Click}, {N6, &Tmform::N6Click},
        {N8, &Tmform::N8Click}, {N3, &Tmform::N3Click}, {N9, &Tmform::N9Click},
    };
    // Not a structured binding: clang does not let a lambda capture one.
    for (const auto& item : items) {
        const auto handler = item.second;
        connect(item.first, &QAction::triggered, this,
                [this, handler] { Handle([&] { (this->*handler)(); }); });
    }
    for (QAction* a : N1->actions()) {
        if (a->isSeparator()) {
            N7 = a;
            N7->setObjectName(QStringLiteral("N7"));
        }
    }
    // The "增加成功！" box can be turned off in the box itself and on again here.
    NShowAddNotice = new QAction(QStringLiteral("增加成功后弹出提示框(&N)"), this);
    NShowAddNotice->setObjectName(QStringLiteral("NShowAddNotice"));
    NShowAddNotice->setCheckable(true);
    NShowAddNotice->setChecked(!addNotice.Quiet());
    N1->insertAction(N7, NShowAddNotice);
    connect(NShowAddNotice, &QAction::toggled, this,
            [this](bool shown) { addNotice.SetQuiet(!shown); });
    addNotice.changed = [this](bool quiet) { NShowAddNotice->setChecked(!quiet); };
    NExports = new QAction(QStringLiteral("导出记录(&E)"), this);
    NExports->setObjectName(QStringLiteral("NExports"));
    N1->insertAction(NShowAddNotice, NExports);
    connect(NExports, &QAction::triggered, this, [this] { Handle([this] { NExportsClick(); }); });
}

void Tmform::BuildStatusBar() {
    QStatusBar* bar = StatusBar1;
    const int widths[] = {200, 150, 50};
    const QString texts[] = {QStringLiteral("星澜聚川银行"), QStringLiteral("记录笔数："),
                             QStringLiteral("系统日期")};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(texts[i]);
        panels_[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 2) {
            panels_[i]->setFixedWidth(widths[i]);
        } else {
            panels_[i]->setMinimumWidth(widths[i]);
        }
        bar->addWidget(panels_[i], i == 2 ? 1 : 0);
    }
    panels_[0]->setAlignment(Qt::AlignCenter);
    noticePanel = new QLabel;
    noticePanel->setObjectName(QStringLiteral("StatusBar1Notice"));
    bar->addPermanentWidget(noticePanel);
    addNotice.showStatus = [this](const QString& text) { noticePanel->setText(text); };
    // A value the amount box refuses whole is said where the cashier looks next.
    connect(batchPage->amt, &TNumEditNew::OnRefuse, noticePanel, &QLabel::setText);
}

QString Tmform::PanelText(int panel) const {
    return panels_[panel]->text();
}

void Tmform::SetPanelText(int panel, const QString& text) {
    panels_[panel]->setText(text);
}

void Tmform::ShowRecordCount() {
    Dataset* table = nullptr;
    if (PageControl1->currentWidget() == tabBatch) {
        table = &cds1;
    } else if (PageControl1->currentWidget() == tabSalary) {
        table = &cds2;
    }
    // The parameter page has no records, and an empty table none to count: the panel shows its
    // caption alone, as at start.
    const int rows = table && table->Active() ? table->RecordCount() : 0;
    SetPanelText(1, QStringLiteral("记录笔数：") + (rows > 0 ? QString::number(rows) : QString()));
}

void Tmform::Handle(const std::function<void()>& handler) {
    Guarded(dialogs_, handler);
}

void Tmform::FormCreate() {
    SetPanelText(2, QStringLiteral("系统日期：") +
                        QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd ")));
}

void Tmform::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // An error stops the sequence at its step; the window opens all the same.
        Handle([this] { FormShow(); });
    }
}

void Tmform::FormShow() {
    ItemFieldNames.emplace();
    batchPage->DBGrid1->ClearColumns();
    batchPage->remittype->setCurrentIndex(1);
    CreateTables();
    DataSource1.SetDataSet(&cds1);
    SetGridTitles();
    // A file that cannot be read is reported and leaves its page empty; the steps after it
    // still run, since the other pages need them (the default bank texts above all).
    Handle([this] { LoadSalaryItems(); });
    batchPage->recbank->setEditText(QString::fromUtf16(payments::kOwnBank));
    batchPage->paybank->setEditText(QString::fromUtf16(payments::kOwnBank));
    cds3.First();
    Handle([this] { LoadParameters(); });
    PageControl1->setCurrentIndex(0);
    batchPage->amt->Clear();
    // The first thing a clerk types is the payer.
    batchPage->payer->setFocus();
    salaryPage->ProtectItemColumns();
    // The window comes back where and as large as the user left it.
    if (const QByteArray geometry =
            settings_.value(QStringLiteral("window/geometry")).toByteArray();
        !geometry.isEmpty()) {
        restoreGeometry(geometry);
    }
    FitIntoScreen();
    for (DBGrid* grid : {batchPage->DBGrid1, salaryPage->DBGrid2}) {
        grid->RestoreUserWidths(
            settings_.value(QStringLiteral("columns/") + grid->objectName()).toStringList());
    }
    OfferRecovery();
}

void Tmform::FitIntoScreen() {
    // A size kept from a larger screen, or a window manager that opens the window at the size
    // the form was drawn at, must not leave the window beyond the working area of the screen
    // it is on (at 150 % a 700-pixel form is taller than many screens' working area).
    const QRect area = screen()->availableGeometry();
    const QMargins frame(geometry().left() - frameGeometry().left(),
                         geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    const QRect inner = area.marginsRemoved(frame);
    if (!isMaximized() && !isFullScreen() && !inner.contains(geometry())) {
        const QSize size = this->size().boundedTo(inner.size()).expandedTo(minimumSizeHint());
        QRect placed(geometry().topLeft(), size);
        placed.moveRight(std::min(placed.right(), inner.right()));
        placed.moveBottom(std::min(placed.bottom(), inner.bottom()));
        placed.moveLeft(std::max(placed.left(), inner.left()));
        placed.moveTop(std::max(placed.top(), inner.top()));
        setGeometry(placed);
    }
}

void Tmform::FormDestroy() {
    ItemFieldNames.reset();
}

void Tmform::CreateTables() {
    batchPage->CreateTable();
    salaryPage->CreateTable();
}

void Tmform::SetGridTitles() {
    batchPage->SetGridTitles();
    salaryPage->SetGridTitles();
}

void Tmform::LoadSalaryItems() {
    salaryPage->LoadSalaryItems();
}

void Tmform::LoadParameters() {
    paramsPage->LoadParameters();
}

void Tmform::N4Click() {
    PageControl1->setCurrentIndex(0);
}
void Tmform::N5Click() {
    PageControl1->setCurrentIndex(1);
}
void Tmform::N6Click() {
    PageControl1->setCurrentIndex(2);
}
void Tmform::N8Click() {
    // Through the window's close, so that unexported work is asked about as for the close box.
    close();
}

void Tmform::closeEvent(QCloseEvent* event) {
    const int batch = batchPage->UnexportedRows();
    const int salaries = salaryPage->UnexportedRows();
    if (batch > 0 || salaries > 0) {
        const QString question =
            QStringLiteral(
                "批量转账有 %1 笔指令、工资代发有 %2 笔记录尚未导出为上传文件，"
                "退出后将丢失。\n\n仍要退出吗？（选“否”留在程序中）")
                .arg(batch)
                .arg(salaries);
        if (!dialogs_.Question(question)) {
            event->ignore();
            return;
        }
    }
    // The user chose to leave: what was not exported is given up, and no recovery is offered.
    recoveryTimer_->stop();
    QFile::remove(RecoveryPath());
    settings_.setValue(QStringLiteral("window/geometry"), saveGeometry());
    for (DBGrid* grid : {batchPage->DBGrid1, salaryPage->DBGrid2}) {
        settings_.setValue(QStringLiteral("columns/") + grid->objectName(), grid->UserWidths());
    }
    QMainWindow::closeEvent(event);
}

void Tmform::N3Click() {
    if (aboutBox_) {
        aboutBox_->exec();
    }
}

void Tmform::N9Click() {
    // The table engine is part of the program itself: there is nothing to register, and no
    // box interrupts the user for it.
}

namespace {

// Shows a picker; its selected row's name, account and bank go into the three combo boxes,
// each text also appended to its box's list. Returns the row taken.
std::optional<QStringList> Pick(RosterPicker& picker, QComboBox* name, QComboBox* account,
                                QComboBox* bank) {
    picker.Execute();
    // Escape leaves the form as it was.
    if (picker.Cancelled()) {
        return std::nullopt;
    }
    const auto row = picker.Selection();
    if (row) {
        QComboBox* boxes[] = {name, account, bank};
        for (int i = 0; i < 3; ++i) {
            boxes[i]->addItem((*row)[i]);
            boxes[i]->setEditText((*row)[i]);
        }
    }
    return row;
}

// The bank number the payee roster holds for a listed payee: the fourth field of the first line
// whose first three fields are the row's; empty when there is none.
QString RosterBankCode(const QString& rosterPath, const QStringList& row) {
    for (const QString& line : listfile::Load(rosterPath)) {
        const QStringList fields = record::Split(line, record::Pipes::Replace);
        if (fields.size() > 3 && fields.mid(0, 3) == row.mid(0, 3)) {
            return fields[3];
        }
    }
    return QString();
}

}  // namespace

void Tmform::SpeedButton1Click() {
    const auto row = Pick(*fmRecver_, batchPage->recver, batchPage->recacct, batchPage->recbank);
    if (!row) {
        return;
    }
    // The transfer follows the payee's bank: another bank's payee is paid cross-bank, with the
    // bank number the roster keeps (without one, the add asks for it); a payee of this bank is
    // not, so no number chosen for an earlier payee stays on the form.
    const QString bank = row->value(2);
    if (bank == QString::fromUtf16(payments::kOwnBank)) {
        batchPage->cross->setChecked(false);
        return;
    }
    const QString code = RosterBankCode(config_.Path(QString::fromUtf16(cfg::kRecvers)), *row);
    batchPage->cross->setChecked(true);
    batchPage->recbank->setEditText(bank);
    batchPage->recbankcode->setText(code);
}

void Tmform::SpeedButton2Click() {
    Pick(*frpayer_, batchPage->payer, batchPage->payacct, batchPage->paybank);
}

void Tmform::SpeedButton3Click() {
    fmBank_->Execute();
    // Escape leaves the form as it was: cancelling must never pick the current branch.
    if (fmBank_->Cancelled()) {
        return;
    }
    Dataset* cds = fmBank_->cds;
    if (!cds->IsEmpty()) {
        batchPage->recbank->setEditText(cds->Fields(1).AsString());
        batchPage->recbankcode->setText(cds->Fields(0).AsString());
    }
}

QString Tmform::RecoveryPath() const {
    return config_.Path(QStringLiteral("config/recovery.dat"));
}

QString Tmform::RecordPath() const {
    return config_.Path(QStringLiteral("config/exportlog.txt"));
}

void Tmform::ScheduleRecovery() {
    // Not restarted by later changes: a long run of typing still saves every 200 ms.
    if (recoveryReady_ && !recoveryTimer_->isActive()) {
        recoveryTimer_->start(kRecoveryDelay);
    }
}

void Tmform::WriteRecovery() {
    recoveryTimer_->stop();
    recovery::Snapshot snapshot{QDateTime::currentDateTime(), {}};
    if (batchPage->UnexportedRows() > 0) {
        snapshot.tables.append(recovery::Capture(QStringLiteral("cds1"), cds1, *batchPage->origins,
                                                 *batchPage->exported));
    }
    if (salaryPage->UnexportedRows() > 0) {
        snapshot.tables.append(recovery::Capture(QStringLiteral("cds2"), cds2, *salaryPage->origins,
                                                 *salaryPage->exported));
    }
    const bool written = snapshot.tables.isEmpty()
                             ? !QFileInfo::exists(RecoveryPath()) || QFile::remove(RecoveryPath())
                             : listfile::Replace(RecoveryPath(), recovery::Serialize(snapshot));
    if (written) {
        if (recoveryFailing_) {
            recoveryFailing_ = false;
            noticePanel->clear();
        }
        return;
    }
    // A failed rewrite leaves the previous one whole and the work is still in the window, but
    // a crash now would lose it: said once, in the status bar and a box, and tried again until
    // the file can be written.
    // One pending retry at a time, however many changes fail meanwhile.
    recoveryTimer_->start(kRecoveryRetry);
    if (recoveryFailing_) {
        return;
    }
    recoveryFailing_ = true;
    const QString text = QStringLiteral("恢复文件“%1”无法写入，程序意外退出时未导出的工作将丢失")
                             .arg(QDir::toNativeSeparators(RecoveryPath()));
    noticePanel->setText(text);
    // Not from inside the dialog that may be opening right now.
    QTimer::singleShot(0, this, [this, text] {
        dialogs_.Warning(text + QStringLiteral("。\n请检查磁盘空间和配置文件夹的写入权限；"
                                               "程序会在能写入时自动重新保存。"));
    });
}

namespace {

// The rows a recovery file holds that were already in an upload file: restored with the
// others, so that the table is as it was, but not counted as work to recover.
QString ExportedNote(const recovery::Snapshot& snapshot) {
    const int batch =
        snapshot.Rows(QStringLiteral("cds1")) - snapshot.Unexported(QStringLiteral("cds1"));
    const int salaries =
        snapshot.Rows(QStringLiteral("cds2")) - snapshot.Unexported(QStringLiteral("cds2"));
    if (batch == 0 && salaries == 0) {
        return QString();
    }
    return QStringLiteral("\n另有已导出的 %1 笔批量指令、%2 笔工资记录一并恢复，仍记为已导出。")
        .arg(batch)
        .arg(salaries);
}

}  // namespace

void Tmform::OfferRecovery() {
    // From here on changes are kept; the tables filled at start are not work to recover.
    recoveryTimer_->stop();
    recoveryReady_ = true;
    QFile file(RecoveryPath());
    if (!file.exists()) {
        return;
    }
    // Nothing rewrites the file while the user is asked about it.
    recoveryReady_ = false;
    const auto ready = qScopeGuard([this] { recoveryReady_ = true; });
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    // A dated name of its own, never over an earlier file kept aside.
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString aside = config_.Path(QStringLiteral("config/recovery-%1.dat").arg(stamp));
    for (int n = 2; QFile::exists(aside); ++n) {
        aside = config_.Path(QStringLiteral("config/recovery-%1-%2.dat").arg(stamp).arg(n));
    }
    const auto keepAside = [&] { QFile::rename(RecoveryPath(), aside); };
    const std::optional<recovery::Snapshot> snapshot = recovery::Parse(bytes);
    if (!snapshot) {
        keepAside();
        dialogs_.Warning(
            QStringLiteral("恢复文件“%1”已损坏，无法恢复，已另存为“%2”。"
                           "请重新录入或导入上次未导出的指令和工资记录。")
                .arg(QDir::toNativeSeparators(RecoveryPath()), QDir::toNativeSeparators(aside)));
        return;
    }
    const QString question =
        QStringLiteral(
            "上次运行没有正常结束，恢复文件“%4”中保存于 %1 的未导出工作可以恢复：\n%2 "
            "笔批量指令、%3 笔工资记录。")
            .arg(snapshot->time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .arg(snapshot->Unexported(QStringLiteral("cds1")))
            .arg(snapshot->Unexported(QStringLiteral("cds2")))
            .arg(QDir::toNativeSeparators(RecoveryPath())) +
        ExportedNote(*snapshot) + recovery::DescribeImports(*snapshot) +
        QStringLiteral("\n\n是否恢复？");
    if (dialogs_.Choice(question, {QStringLiteral("是"), QStringLiteral("否")}, 0) != 0) {
        keepAside();
        return;
    }
    try {
        for (const recovery::Table& t : snapshot->tables) {
            const bool batch = t.name == u"cds1";
            recovery::Fill(batch ? cds1 : cds2, t,
                           batch ? *batchPage->origins : *salaryPage->origins,
                           batch ? *batchPage->exported : *salaryPage->exported);
        }
    } catch (const recovery::FieldsChanged& e) {
        cds1.EmptyDataSet();
        cds2.EmptyDataSet();
        keepAside();
        dialogs_.Warning(
            QStringLiteral("恢复文件“%1”与当前的工资项目不符，无法恢复，已另存为“%2”。\n%3\n"
                           "如需恢复，请先把工资项目改回上次的设置，"
                           "再把该文件改名为“recovery.dat”后重新启动本程序。")
                .arg(QDir::toNativeSeparators(RecoveryPath()), QDir::toNativeSeparators(aside),
                     e.Message()));
        return;
    } catch (const AppError& e) {
        // A value the tables would refuse if it were typed is not restored either: the file
        // was changed outside the program. Nothing of it is restored.
        cds1.EmptyDataSet();
        cds2.EmptyDataSet();
        keepAside();
        dialogs_.Warning(
            QStringLiteral("恢复文件“%1”中有不能接受的内容，未恢复任何记录，已另存为“%2”。\n%3\n"
                           "请重新录入或导入上次未导出的指令和工资记录。")
                .arg(QDir::toNativeSeparators(RecoveryPath()), QDir::toNativeSeparators(aside),
                     e.Message()));
        return;
    }
    WriteRecovery();
}

bool Tmform::Write(const QString& page, const QString& path, const QByteArray& bytes,
                   const QList<payments::exportrecord::Payment>& payments) {
    WriteRecovery();
    if (!writeUpload_(path, bytes)) {
        return false;
    }
    // The record holds the file as read back; a file that reads back otherwise is the page's
    // failure to report, and is not recorded.
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly) || written.readAll() != bytes) {
        return true;
    }
    const payments::exportrecord::Entry entry = payments::exportrecord::MakeEntry(
        QDateTime::currentDateTime(), page, QFileInfo(path).absoluteFilePath(), bytes, payments);
    ClearSystemError();
    if (!payments::exportrecord::Append(RecordPath(), entry)) {
        // The system's reason in the user's language: from errno, or on Windows from its last
        // error, since its file calls set no errno.
        const QString reason = SystemError::Last().Text();
        // The upload file is written and stays so; only the record is missing.
        QTimer::singleShot(0, this, [this, reason] {
            dialogs_.Warning(
                QStringLiteral("上传文件已写好，可以照常上传，但导出记录“%1”未能更新。\n"
                               "%2\n请检查磁盘空间和配置文件夹的写入权限。")
                    .arg(QDir::toNativeSeparators(RecordPath()), reason));
        });
    }
    // The page marks its rows exported once this returns; the recovery file follows then.
    QTimer::singleShot(0, this, [this] { WriteRecovery(); });
    return true;
}

payments::exportchecks::Earlier Tmform::EarlierExports(
    const QList<payments::exportchecks::Row>& rows) {
    // A row still marked exported is written again as it stands: writing the same list twice
    // is the cashier's own doing. Every other payment is matched against every earlier export,
    // this run's included: a row reset, deleted or keyed again pays the same payment again.
    QList<payments::exportrecord::Payment> payments;
    QList<int> numbers;
    for (const payments::exportchecks::Row& r : rows) {
        if (!r.exported) {
            payments.append({r.recacct, r.amount});
            numbers.append(r.number);
        }
    }
    payments::exportchecks::Earlier earlier;
    if (payments.isEmpty()) {
        return earlier;
    }
    const payments::exportrecord::Check check =
        payments::exportrecord::CheckPayments(RecordPath(), payments, QDateTime::currentDateTime());
    for (const payments::exportrecord::Repeat& r : check.repeats) {
        earlier.repeats.append(
            QStringLiteral("第%1笔：账号%2，金额%3，%4 已导出到“%5”")
                .arg(numbers[r.row - 1])
                .arg(r.account, r.amount.Plain(),
                     r.time.isValid() ? r.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"))
                                      : QStringLiteral("日期不明时"),
                     QDir::toNativeSeparators(r.path)));
    }
    earlier.unchecked = UncheckedText(check);
    return earlier;
}

QString Tmform::UncheckedText(const payments::exportrecord::Findings& findings) const {
    const QString record = QDir::toNativeSeparators(RecordPath());
    if (findings.unreadable) {
        return QStringLiteral("导出记录“%1”无法读取（%2），无法核对以前导出过的付款。")
            .arg(record, findings.reason);
    }
    if (findings.damagedLines == 0) {
        return QString();
    }
    QStringList lines = {QStringLiteral("导出记录“%1”中有%2行已损坏，其中的导出无法核对：")
                             .arg(record)
                             .arg(findings.damagedLines)};
    constexpr int kListed = 10;
    for (qsizetype i = 0; i < findings.damaged.size() && i < kListed; ++i) {
        const payments::exportrecord::Damage& d = findings.damaged[i];
        lines.append(
            d.path.isEmpty()
                ? QStringLiteral("第%1行：文件名无法读出").arg(d.line)
                : QStringLiteral("第%1行：“%2”").arg(d.line).arg(QDir::toNativeSeparators(d.path)));
    }
    if (findings.damagedLines > kListed) {
        lines.append(QStringLiteral("……等共%1行").arg(findings.damagedLines));
    }
    lines.append(QStringLiteral("请在“导出记录”中查看，并核对这些文件的付款是否已经上传。"));
    return lines.join(u'\n');
}

void Tmform::ShowNotice(const QString& text) {
    noticePanel->setText(text);
}

void Tmform::NExportsClick() {
    if (!exportsWindow) {
        exportsWindow = new TfmExports(this);
    }
    exportsWindow->Show(payments::exportrecord::Load(RecordPath()));
    const payments::exportrecord::Record& shown = exportsWindow->Shown();
    if (shown.unreadable) {
        dialogs_.Warning(UncheckedText(shown));
    }
    exportsWindow->open();
}

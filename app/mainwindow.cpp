#include "app/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/aboutbox.h"
#include "batch/batchpage.h"
#include "batch/instructions.h"
#include "controls/numeditnew.h"
#include "lookup/banksearch.h"
#include "lookup/rosterpicker.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/guard.h"
#include "store/listfile.h"
#include "store/record.h"

namespace {
const QString kCaption = QStringLiteral("星澜聚川银行企业网银批量支付工具【2014版】 ");
}  // namespace

Tmform::Tmform(Dialogs& dialogs, const ConfigDir& config, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), config_(config) {
    setObjectName(QStringLiteral("mform"));
    setWindowTitle(kCaption);
    cds1.setObjectName(QStringLiteral("cds1"));
    cds2.setObjectName(QStringLiteral("cds2"));
    cds3.setObjectName(QStringLiteral("cds3"));
    DataSource1.setObjectName(QStringLiteral("DataSource1"));
    DataSource2.setObjectName(QStringLiteral("DataSource2"));
    DataSource3.setObjectName(QStringLiteral("DataSource3"));
    DataSource2.SetDataSet(&cds2);
    DataSource3.SetDataSet(&cds3);
    const QString filter = QStringLiteral("文本文件|*.txt|CSV文本|*.csv|EXCEL文件|*.xls");
    SaveDialog1.objectName = QStringLiteral("SaveDialog1");
    SaveDialog1.filter = filter;
    OpenDialog1.objectName = QStringLiteral("OpenDialog1");
    OpenDialog1.filter = filter;
    dialogs_.SetParentWindow(this);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    tabBatch = new BatchPage({cds1, DataSource1, dialogs_, config_, SaveDialog1, OpenDialog1,
                              [this](const QString& text) { SetPanelText(1, text); }});
    tabBatch->setObjectName(QStringLiteral("tabBatch"));
    tabBatch->DBGrid1->SetDataSource(&DataSource1);
    PageControl1->addTab(tabBatch, QStringLiteral("批量支付"));
    BuildSalaryPage();
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("参数管理"));
    setCentralWidget(PageControl1);

    BuildMenu();
    BuildStatusBar();

    connect(tabBatch->SpeedButton1, &QToolButton::clicked, this,
            [this] { Handle([this] { SpeedButton1Click(); }); });
    connect(tabBatch->SpeedButton2, &QToolButton::clicked, this,
            [this] { Handle([this] { SpeedButton2Click(); }); });
    connect(tabBatch->SpeedButton3, &QToolButton::clicked, this,
            [this] { Handle([this] { SpeedButton3Click(); }); });
    FormCreate();
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

void Tmform::BuildSalaryPage() {
    tabSalary = new QWidget;
    tabSalary->setObjectName(QStringLiteral("tabSalary"));
    auto* itemsBox = new QGroupBox(QStringLiteral("单笔信息录入："));
    itemsBox->setObjectName(QStringLiteral("GroupBox3"));
    itemsBox->setFixedWidth(320);
    DBGrid3 = new DBGrid;
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->SetDialogs(&dialogs_);
    DBGrid3->SetDataSource(&DataSource3);
    (new QVBoxLayout(itemsBox))->addWidget(DBGrid3);
    auto* tableBox = new QGroupBox(QStringLiteral("数据集："));
    tableBox->setObjectName(QStringLiteral("GroupBox4"));
    DBGrid2 = new DBGrid;
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->SetDialogs(&dialogs_);
    DBGrid2->SetDataSource(&DataSource2);
    (new QVBoxLayout(tableBox))->addWidget(DBGrid2);
    auto* layout = new QHBoxLayout(tabSalary);
    layout->addWidget(itemsBox);
    layout->addWidget(tableBox, 1);
    PageControl1->addTab(tabSalary, QStringLiteral("工资代发"));
}

void Tmform::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    N1 = bar->addMenu(QStringLiteral("文件 "));
    N1->setObjectName(QStringLiteral("N1"));
    auto item = [this](QMenu* menu, const char16_t* name, const QString& caption,
                       void (Tmform::*handler)()) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromUtf16(name));
        connect(a, &QAction::triggered, this,
                [this, handler] { Handle([&] { (this->*handler)(); }); });
        return a;
    };
    N4 = item(N1, u"N4", QStringLiteral("批量支付"), &Tmform::N4Click);
    N5 = item(N1, u"N5", QStringLiteral("工资代发"), &Tmform::N5Click);
    N6 = item(N1, u"N6", QStringLiteral("参数管理"), &Tmform::N6Click);
    N7 = N1->addSeparator();
    N7->setObjectName(QStringLiteral("N7"));
    N8 = item(N1, u"N8", QStringLiteral("退出"), &Tmform::N8Click);
    N2 = bar->addMenu(QStringLiteral("帮助"));
    N2->setObjectName(QStringLiteral("N2"));
    N3 = item(N2, u"N3", QStringLiteral("关于"), &Tmform::N3Click);
    N9 = item(N2, u"N9", QStringLiteral("注册"), &Tmform::N9Click);
}

void Tmform::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
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
}

QString Tmform::PanelText(int panel) const {
    return panels_[panel]->text();
}

void Tmform::SetPanelText(int panel, const QString& text) {
    panels_[panel]->setText(text);
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
    tabBatch->DBGrid1->ClearColumns();
    tabBatch->remittype->setCurrentIndex(1);
    CreateTables();
    DataSource1.SetDataSet(&cds1);
    SetGridTitles();
    LoadSalaryItems();
    tabBatch->recbank->setEditText(QString::fromUtf16(instructions::kOwnBank));
    tabBatch->paybank->setEditText(QString::fromUtf16(instructions::kOwnBank));
    cds3.First();
    LoadParameters();
    PageControl1->setCurrentIndex(0);
    tabBatch->amt->Clear();
    DBGrid3->SetColumnReadOnly(0, true);
    DBGrid3->SetColumnReadOnly(1, true);
}

void Tmform::FormDestroy() {
    ItemFieldNames.reset();
}

void Tmform::CreateTables() {
    tabBatch->CreateTable();
    cds3.ClearFieldDefs();
    cds3.AddFieldDef(QStringLiteral("seq"), true, 2);
    cds3.AddFieldDef(QStringLiteral("subject"), true, 16);
    cds3.AddFieldDef(QStringLiteral("subjectval"), false, 20);
    cds3.CreateDataSet();
}

void Tmform::SetGridTitles() {
    tabBatch->SetGridTitles();
    const QStringList titles = QStringLiteral("序号,项目名称,项目数据").split(u',');
    for (int i = 0; i < DBGrid3->ColumnCount() && i < titles.size(); ++i) {
        DBGrid3->SetColumnTitle(i, titles[i]);
    }
}

void Tmform::LoadSalaryItems() {
    const QStringList lines = listfile::Load(config_.Path(QString::fromUtf16(cfg::kSalary)));
    QStringList captions;
    for (const QString& line : lines) {
        const QStringList fields = record::Split(line, record::Pipes::Keep);
        if (fields.size() != 3) {
            continue;
        }
        cds3.Append();
        cds3.FieldByName(QStringLiteral("seq")).SetAsString(fields[0]);
        cds3.FieldByName(QStringLiteral("subject")).SetAsString(fields[1]);
        captions.append(fields[1]);
        ItemFieldNames->append(fields[2]);
        cds3.Post();
    }
    cds2.ClearFieldDefs();
    for (qsizetype i = 0; i < ItemFieldNames->size(); ++i) {
        const bool required = i == 0 || i == 2 || i == 3 || i == 5;
        cds2.AddFieldDef(ItemFieldNames->at(i), required, i == 0 ? 8 : 20);
    }
    cds2.CreateDataSet();
    for (qsizetype i = 0; i < captions.size(); ++i) {
        DBGrid2->SetColumnTitle(static_cast<int>(i), captions[i]);
    }
}

void Tmform::LoadParameters() {
    // The parameter page has no controls to fill yet; the configuration files it shows are
    // read here once it has.
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
    QApplication::quit();
}

void Tmform::N3Click() {
    if (aboutBox_) {
        aboutBox_->exec();
    }
}

void Tmform::N9Click() {
    // The table engine is part of the program itself; there is nothing to register.
    dialogs_.Information(QStringLiteral("本程序的数据表引擎已内置，无需注册。"));
}

namespace {

// Shows a picker; its selected row's name, account and bank go into the three combo boxes,
// each text also appended to its box's list.
void Pick(RosterPicker& picker, QComboBox* name, QComboBox* account, QComboBox* bank) {
    picker.Execute();
    if (const auto row = picker.Selection()) {
        QComboBox* boxes[] = {name, account, bank};
        for (int i = 0; i < 3; ++i) {
            boxes[i]->addItem((*row)[i]);
            boxes[i]->setEditText((*row)[i]);
        }
    }
}

}  // namespace

void Tmform::SpeedButton1Click() {
    Pick(*fmRecver_, tabBatch->recver, tabBatch->recacct, tabBatch->recbank);
}

void Tmform::SpeedButton2Click() {
    Pick(*frpayer_, tabBatch->payer, tabBatch->payacct, tabBatch->paybank);
}

void Tmform::SpeedButton3Click() {
    fmBank_->Execute();
    Dataset* cds = fmBank_->cds;
    if (!cds->IsEmpty()) {
        tabBatch->recbank->setEditText(cds->Fields(1).AsString());
        tabBatch->recbankcode->setText(cds->Fields(0).AsString());
    }
}

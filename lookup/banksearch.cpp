#include "lookup/banksearch.h"

#include <QKeyEvent>

#include <QDate>
#include <QHeaderView>
#include <QLabel>

#include "lookup/formparts.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/guard.h"
#include "platform/text/apperror.h"

TfmBank::TfmBank(Dialogs& dialogs, QWidget* parent, const QString& resource)
    : QDialog(parent), dialogs_(dialogs), resource_(resource) {
    setupUi(this);
    move(234, 149);
    formparts::UseFormFont(this);
    cds = new Dataset(this);
    cds->setObjectName(QStringLiteral("cds"));
    DataSource1 = new DataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->SetDataSet(cds);
    DBGrid1->SetDialogs(&dialogs_);
    DBGrid1->SetGridReadOnly(true);
    DBGrid1->SetDataSource(DataSource1);
    DBGrid1->installEventFilter(this);

    const int widths[] = {100, 150, 0};
    const QString texts[] = {QStringLiteral("星澜聚川银行"), QStringLiteral("记录条数："),
                             QString()};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(texts[i]);
        panels_[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        if (widths[i] > 0) {
            panels_[i]->setFixedWidth(widths[i]);
        }
        StatusBar1->addWidget(panels_[i], widths[i] > 0 ? 0 : 1);
    }
    panels_[0]->setAlignment(Qt::AlignCenter);

    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { Guarded(dialogs_, [this] { SpeedButton1Click(); }); });
    // Enter in either box searches, as the button does.
    for (QLineEdit* box : {edBankcode, edlname}) {
        connect(box, &QLineEdit::returnPressed, this,
                [this] { Guarded(dialogs_, [this] { SpeedButton1Click(); }); });
    }
    // Find as you type: a zero-time single shot, restarted on every change, runs after the
    // keys already queued, so typing never waits for a search of an outdated text.
    nameTyped_ = new QTimer(this);
    nameTyped_->setSingleShot(true);
    nameTyped_->setInterval(0);
    connect(edlname, &QLineEdit::textChanged, nameTyped_, qOverload<>(&QTimer::start));
    connect(nameTyped_, &QTimer::timeout, this,
            [this] { Guarded(dialogs_, [this] { edlnameChange(); }); });
    connect(DBGrid1, &DBGrid::DblClick, this,
            [this] { Guarded(dialogs_, [this] { DBGrid1DblClick(); }); });
    // Column widths follow the fields' declared widths in digits of the grid font.
    connect(DBGrid1->model(), &QAbstractItemModel::modelReset, this, [this] {
        const int digit = DBGrid1->fontMetrics().horizontalAdvance(u'0');
        for (int i = 0; i < cds->FieldCount(); ++i) {
            DBGrid1->setColumnWidth(i, cds->Def(i).size * digit + 4);
        }
    });
    FormCreate();
}

TfmBank::~TfmBank() {
    FormDestroy();
}

void TfmBank::FormCreate() {
    panels_[2]->setText(QStringLiteral("系统日期：") +
                        QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd ")));
    // Only locates the embedded data; nothing is read until the first showing.
    BankDataStream = new QFile(resource_, this);
}

void TfmBank::FormDestroy() {
    delete BankDataStream;
    BankDataStream = nullptr;
}

int TfmBank::Execute() {
    cancelled_ = false;
    Guarded(dialogs_, [this] { FormShow(); });
    return exec();
}

void TfmBank::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancelled_ = true;
    }
    QDialog::keyPressEvent(event);
}

bool TfmBank::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            DBGrid1DblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmBank::FormShow() {
    if (cds->IsEmpty()) {
        cds->Close();
        if (!BankDataStream->isOpen() && !BankDataStream->open(QIODevice::ReadOnly)) {
            throw AppError(QStringLiteral("无法打开银行数据：%1").arg(BankDataStream->fileName()));
        }
        BankDataStream->seek(0);
        cds->LoadFromStream(*BankDataStream);
    }
    cds->SetFilterText(QString());
    cds->SetFiltered(false);
    cds->First();
    ShowCount();
    // Names are also found by the pinyin initials of their characters; the index is made now,
    // with the table, so that no keystroke waits for it.
    cds->SetInitials(&formparts::EmbeddedInitials());
    if (const std::optional<Field> name = cds->FindField(QStringLiteral("LNAME"))) {
        cds->PrepareInitials(name->Index());
    }
}

QString TfmBank::Quoted(const QString& text) {
    QString doubled = text;
    doubled.replace(u'\'', QStringLiteral("''"));
    return u'\'' + doubled + u'\'';
}

void TfmBank::SetHeadings() {
    DBGrid1->SetColumnTitle(0, QStringLiteral("银行机构号"));
    DBGrid1->SetColumnTitle(1, QStringLiteral("银行名称"));
}

void TfmBank::SearchName() {
    cds->SetFilterText(QStringLiteral("LNAME LIKE ") + Quoted(u'%' + edlname->text() + u'%'));
    cds->SetFiltered(true);
}

void TfmBank::SpeedButton1Click() {
    // This search supersedes one the typing has still pending.
    nameTyped_->stop();
    SetHeadings();
    if (!edlname->text().isEmpty()) {
        SearchName();
    } else if (!edBankcode->text().isEmpty()) {
        cds->SetFilterText(QStringLiteral("BANKCODE = ") + Quoted(edBankcode->text()));
        cds->SetFiltered(true);
    }
    ShowCount();
}

void TfmBank::edlnameChange() {
    SetHeadings();
    if (!edlname->text().isEmpty()) {
        SearchName();
    } else {
        cds->SetFiltered(false);
        cds->SetFilterText(QString());
    }
    ShowCount();
}

void TfmBank::DBGrid1DblClick() {
    if (!cds->IsEmpty()) {
        reject();
    }
}

void TfmBank::ShowCount() {
    panels_[1]->setText(QStringLiteral("记录笔数：") + QString::number(cds->RecordCount()));
}

QString TfmBank::PanelText(int panel) const {
    return panels_[panel]->text();
}

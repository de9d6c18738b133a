#include "lookup/banksearch.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScrollBar>

#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <algorithm>

#include "lookup/formparts.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dialogs/guard.h"
#include "platform/text/apperror.h"

TfmBank::TfmBank(Dialogs& dialogs, QWidget* parent, const QString& resource)
    : QDialog(parent), dialogs_(dialogs), resource_(resource) {
    // The form follows the user's font and opens centred on the window it belongs to, on
    // that window's screen: no fixed font, no fixed place.
    setupUi(this);
    cds = new Dataset(this);
    cds->setObjectName(QStringLiteral("cds"));
    DataSource1 = new DataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->SetDataSet(cds);
    DBGrid1->SetDialogs(&dialogs_);
    DBGrid1->SetGridReadOnly(true);
    DBGrid1->SetDataSource(DataSource1);
    DBGrid1->installEventFilter(this);
    // Tab leaves the grid for the next box instead of walking its cells; a sideways step into the
    // very wide name column scrolled codes and names out of sight while a row stayed chosen.
    DBGrid1->setTabKeyNavigation(false);
    DBGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // The first two panels are at least as wide as the texts they show in the user's font.
    const int widths[] = {100, 150, 0};
    const QString texts[] = {QStringLiteral("星澜聚川银行"), QStringLiteral("记录条数："),
                             QString()};
    const QString widest[] = {texts[0], QStringLiteral("记录笔数：0000000"), QString()};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(texts[i]);
        panels_[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        if (widths[i] > 0) {
            panels_[i]->setMinimumWidth(
                std::max(widths[i], panels_[i]->fontMetrics().horizontalAdvance(widest[i]) + 8));
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
    // Every showing starts in the name box with its old text selected, so that typing replaces it.
    edlname->setFocus(Qt::OtherFocusReason);
    edlname->selectAll();
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
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ChooseShownRow();
            return true;
        }
        // Text typed on the grid starts a new search by name: it goes to the name box in place of
        // its text, never to the grid's own jump to a row starting with the keys, which moved the
        // chosen row out of sight.
        const QString text = key->text();
        const bool printable =
            !text.isEmpty() && text.front().isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (printable) {
            edlname->setFocus(Qt::OtherFocusReason);
            edlname->selectAll();
            QApplication::sendEvent(edlname, key);
            return true;
        }
    }
    if (watched == DBGrid1 && event->type() == QEvent::InputMethod &&
        !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty()) {
        edlname->setFocus(Qt::OtherFocusReason);
        edlname->selectAll();
        QApplication::sendEvent(edlname, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmBank::ChooseShownRow() {
    if (cds->IsEmpty()) {
        return;
    }
    // Only a row the user sees, with its number and name, is chosen: a current row scrolled out
    // of sight is first brought into view, and the next Enter takes it.
    const QModelIndex first = DBGrid1->model()->index(cds->RecNo(), 0);
    const QRect cell = DBGrid1->visualRect(first);
    const QRect view = DBGrid1->viewport()->rect();
    if (!first.isValid() || !view.contains(cell.topLeft()) || !view.contains(cell.bottomLeft())) {
        DBGrid1->horizontalScrollBar()->setValue(0);
        DBGrid1->scrollTo(first);
        QApplication::beep();
        return;
    }
    DBGrid1DblClick();
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
    // The columns carry their Chinese titles from the first showing on, not the field names.
    SetHeadings();
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
    // A new result starts at the left edge: number and name in view.
    DBGrid1->horizontalScrollBar()->setValue(0);
    panels_[1]->setText(QStringLiteral("记录笔数：") + QString::number(cds->RecordCount()));
}

QString TfmBank::PanelText(int panel) const {
    return panels_[panel]->text();
}

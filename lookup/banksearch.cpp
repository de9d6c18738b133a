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
    // The grid never scrolls sideways (see FitColumns); a name too long for it keeps its start,
    // the bank, and its end, the branch.
    DBGrid1->setTextElideMode(Qt::ElideMiddle);

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
    for (QLineEdit* box : {edBankcode, edlname}) {
        connect(box, &QLineEdit::returnPressed, this,
                [this] { Guarded(dialogs_, [this] { SearchBoxReturn(); }); });
    }
    // Find as you type, in either box: a zero-time single shot, restarted on every change, runs
    // after the keys already queued, so typing never waits for a search of an outdated text.
    typed_ = new QTimer(this);
    typed_->setSingleShot(true);
    typed_->setInterval(0);
    for (QLineEdit* box : {edBankcode, edlname}) {
        connect(box, &QLineEdit::textChanged, typed_, qOverload<>(&QTimer::start));
    }
    connect(typed_, &QTimer::timeout, this,
            [this] { Guarded(dialogs_, [this] { SearchBoxes(); }); });
    connect(DBGrid1, &DBGrid::DblClick, this,
            [this] { Guarded(dialogs_, [this] { DBGrid1DblClick(); }); });
    connect(DBGrid1->model(), &QAbstractItemModel::modelReset, this, [this] { FitColumns(); });
    // Only the titles size the columns; the row headers change with every move of the cursor.
    connect(DBGrid1->model(), &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation) {
                if (orientation == Qt::Horizontal) {
                    FitColumns();
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
    if (typed_->isActive()) {
        // Enter came before the typing was searched: the grid shows the rows of an older text.
        // They are replaced, and the next Enter takes a row the user has seen.
        SearchBoxes();
        dialogs_.Beep();
        return;
    }
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
        dialogs_.Beep();
        return;
    }
    DBGrid1DblClick();
}

void TfmBank::FormShow() {
    typed_->stop();
    // Loaded once: a search without matches leaves the table open, and the next showing
    // searches again instead of parsing the packet anew.
    if (!cds->Active()) {
        if (!BankDataStream->isOpen() && !BankDataStream->open(QIODevice::ReadOnly)) {
            throw AppError(QStringLiteral("无法打开银行数据：%1").arg(BankDataStream->fileName()));
        }
        BankDataStream->seek(0);
        cds->LoadFromStream(*BankDataStream);
        // Names are also found by the pinyin initials of their characters; the index is made
        // now, with the table, so that no keystroke waits for it.
        cds->SetInitials(&formparts::EmbeddedInitials());
        if (const std::optional<Field> name = cds->FindField(QStringLiteral("LNAME"))) {
            cds->PrepareInitials(name->Index());
        }
    }
    // The boxes keep their texts from the last showing, so the grid lists what they say: the
    // whole directory stood under an old name, and Tab Tab Enter took a branch never asked for.
    SearchBoxes();
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

void TfmBank::SearchBoxes() {
    // This search supersedes one the typing has still pending.
    typed_->stop();
    // The columns carry their Chinese titles from the first showing on, not the field names.
    SetHeadings();
    // The name decides when both boxes hold text; both empty list the whole directory, never
    // the rows of a search whose text is gone.
    if (!edlname->text().isEmpty()) {
        cds->SetFilterText(QStringLiteral("LNAME LIKE ") + Quoted(u'%' + edlname->text() + u'%'));
        cds->SetFiltered(true);
    } else if (!edBankcode->text().isEmpty()) {
        cds->SetFilterText(QStringLiteral("BANKCODE = ") + Quoted(edBankcode->text()));
        cds->SetFiltered(true);
    } else {
        cds->SetFiltered(false);
        cds->SetFilterText(QString());
    }
    cds->First();
    ShowCount();
}

void TfmBank::SpeedButton1Click() {
    SearchBoxes();
}

void TfmBank::SearchBoxReturn() {
    SearchBoxes();
    if (cds->RecordCount() == 1) {
        DBGrid1DblClick();  // the one row there is, as choosing it in the grid takes it
        return;
    }
    if (cds->IsEmpty()) {
        dialogs_.Beep();  // no row to go to: the box keeps the focus for another text
        return;
    }
    DBGrid1->scrollToTop();
    DBGrid1->setFocus(Qt::TabFocusReason);
    DBGrid1->setCurrentIndex(DBGrid1->model()->index(0, 0));
}

void TfmBank::DBGrid1DblClick() {
    if (!cds->IsEmpty()) {
        reject();
    }
}

void TfmBank::FitColumns() {
    // The number column is as wide as a number (twelve digits in every row) and its title; the
    // name column takes the rest of the grid's width and no more. A name column wider than the
    // grid scrolled the numbers out of view whenever a name was clicked, and then a branch was
    // chosen without its number in sight.
    if (cds->FieldCount() < 2) {
        return;
    }
    QHeaderView* header = DBGrid1->horizontalHeader();
    const int padding =
        2 * (DBGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, DBGrid1) + 1) + 8;
    const int number = DBGrid1->fontMetrics().horizontalAdvance(QString(12, u'0')) + padding;
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    DBGrid1->setColumnWidth(0, std::max(number, header->sectionSizeHint(0)));
}

void TfmBank::ShowCount() {
    // A new result starts at the left edge: number and name in view.
    DBGrid1->horizontalScrollBar()->setValue(0);
    panels_[1]->setText(QStringLiteral("记录笔数：") + QString::number(cds->RecordCount()));
}

QString TfmBank::PanelText(int panel) const {
    return panels_[panel]->text();
}

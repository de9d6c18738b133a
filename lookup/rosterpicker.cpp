#include "lookup/rosterpicker.h"

#include <QHeaderView>
#include <array>

#include <QKeyEvent>

#include <QEvent>
#include <QHeaderView>
#include <QTreeWidget>

#include "lookup/formparts.h"
#include "platform/dialogs/guard.h"
#include "store/configdir.h"
#include "store/listfile.h"
#include "store/record.h"

RosterPicker::RosterPicker(const Design& design, Dialogs& dialogs, const ConfigDir& config,
                           QWidget* parent)
    : QDialog(parent), design_(design), dialogs_(dialogs), config_(config) {
    // The form follows the user's font and opens centred on the window it belongs to, on
    // that window's screen: no fixed font, no fixed place.
    setupUi(this);
    list->setObjectName(QString::fromUtf16(design_.listName));
    list->setAccessibleName(QString::fromUtf16(design_.listTitle));
    list->setHeaderLabels(design_.captions);
    list->header()->resizeSection(0, 100);
    list->header()->resizeSection(1, 180);

    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { Guarded(dialogs_, [this] { SpeedButton1Click(); }); });
    // A double-click anywhere in the list closes the dialog, on a row or not.
    list->viewport()->installEventFilter(this);
    // Every row is one line of text: the list need not measure each one.
    list->setUniformRowHeights(true);
    // Filter as you type: a zero-time single shot, restarted on every change, runs after the
    // keys already queued, so typing never waits for a filtering of an outdated text.
    nameTyped_ = new QTimer(this);
    nameTyped_->setSingleShot(true);
    nameTyped_->setInterval(0);
    connect(edname, &QLineEdit::textChanged, nameTyped_, qOverload<>(&QTimer::start));
    connect(nameTyped_, &QTimer::timeout, this,
            [this] { Guarded(dialogs_, [this] { ednameChange(); }); });
}

RosterPicker::~RosterPicker() {
    // The rows belong to rows_, not to the list.
    list->invisibleRootItem()->takeChildren();
}

int RosterPicker::Execute() {
    cancelled_ = false;
    Guarded(dialogs_, [this] { FormShow(); });
    // The dialog would otherwise give the focus back to the widget that had it when it closed,
    // often the list, where typed letters do not reach the filter.
    edname->setFocus(Qt::OtherFocusReason);
    edname->selectAll();
    return exec();
}

void RosterPicker::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        modifiers == Qt::NoModifier) {
        // The name box, the list and the button all leave Enter to the dialog.
        event->accept();
        Guarded(dialogs_, [this] { EnterPressed(); });
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancelled_ = true;
    }
    QDialog::keyPressEvent(event);
}

void RosterPicker::EnterPressed() {
    // Keys typed just before Enter may not have been filtered yet: the list must show what the
    // name box says before a row is taken from it.
    if (nameTyped_->isActive()) {
        nameTyped_->stop();
        ApplyFilter();
    }
    QTreeWidgetItem* row = nullptr;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    if (!selected.isEmpty()) {
        row = selected.first();
    } else if (list->hasFocus() && list->currentItem() != nullptr) {
        // Tabbing into the list marks its first row with the focus frame without selecting it,
        // and Down cannot move past the only row.
        row = list->currentItem();
    } else if (list->topLevelItemCount() == 1) {
        row = list->topLevelItem(0);
    }
    if (row == nullptr) {
        // Closing here would leave the form as it was without a word.
        dialogs_.Beep();
        return;
    }
    list->setCurrentItem(row);
    row->setSelected(true);
    ListDblClick();
}

void RosterPicker::FormShow() {
    SpeedButton1Click();
}

void RosterPicker::SpeedButton1Click() {
    nameTyped_->stop();
    LoadRoster();
    ApplyFilter();
}

void RosterPicker::ednameChange() {
    ApplyFilter();
}

void RosterPicker::ApplyFilter() {
    const QString text = edname->text();
    const QString folded = text.toCaseFolded();
    const bool byInitials = IsInitialsTerm(text);
    QList<QTreeWidgetItem*> shown;
    shown.reserve(static_cast<qsizetype>(rows_.size()));
    for (const Row& row : rows_) {
        if (text.isEmpty() || row.name.contains(folded) || row.account.contains(folded) ||
            (byInitials && ContainsInitials(row.initials, text))) {
            shown.append(row.item.get());
        }
    }
    QTreeWidgetItem* root = list->invisibleRootItem();
    bool same = root->childCount() == shown.size();
    for (qsizetype i = 0; same && i < shown.size(); ++i) {
        same = root->child(static_cast<int>(i)) == shown[i];
    }
    if (same) {
        return;
    }
    // The rows are taken out and the matching ones put back in one go, which is far cheaper
    // for a long list than hiding rows one by one. A chosen row that stays keeps its mark.
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    root->takeChildren();
    list->addTopLevelItems(shown);
    for (QTreeWidgetItem* item : selected) {
        if (item->treeWidget() == list) {
            item->setSelected(true);
        }
    }
}

void RosterPicker::ListDblClick() {
    reject();
}

bool RosterPicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        ListDblClick();
    }
    return QDialog::eventFilter(watched, event);
}

void RosterPicker::LoadRoster() {
    list->invisibleRootItem()->takeChildren();
    rows_.clear();
    const Initials& initials = formparts::EmbeddedInitials();
    const QStringList lines = listfile::Load(config_.Path(QString::fromUtf16(design_.rosterFile)));
    QList<QTreeWidgetItem*> items;
    for (const QString& line : lines) {
        const QStringList fields = record::Split(line, record::Pipes::Replace);
        if (design_.accepts(fields.size())) {
            auto item =
                std::make_unique<QTreeWidgetItem>(QStringList{fields[0], fields[1], fields[2]});
            items.append(item.get());
            rows_.push_back({std::move(item), fields[0].toCaseFolded(), fields[1].toCaseFolded(),
                             initials.OfText(fields[0])});
        }
    }
    list->addTopLevelItems(items);
    FitColumns();
}

void RosterPicker::FitColumns() {
    // Titles and the first rows decide the widths (a long roster is not measured line by
    // line); whole names and accounts show, and the spare width goes to the name.
    QHeaderView* header = list->header();
    const QFontMetrics metrics(list->font());
    const QFontMetrics titles(header->font());
    constexpr std::size_t kSample = 300;
    std::array<int, 3> widths{};
    for (int c = 0; c < 3; ++c) {
        int width = titles.horizontalAdvance(list->headerItem()->text(c)) + 16;
        for (std::size_t r = 0; r < std::min(rows_.size(), kSample); ++r) {
            width = std::max(width, metrics.horizontalAdvance(rows_[r].item->text(c)) + 16);
        }
        widths[static_cast<std::size_t>(c)] = width;
    }
    const int spare = list->viewport()->width() - widths[0] - widths[1] - widths[2];
    if (spare > 0) {
        widths[0] += spare;
    }
    for (int c = 0; c < 3; ++c) {
        header->resizeSection(c, widths[static_cast<std::size_t>(c)]);
    }
}

std::optional<QStringList> RosterPicker::Selection() const {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    const QTreeWidgetItem* item = selected.first();
    return QStringList{item->text(0), item->text(1), item->text(2)};
}

TfmRecver::TfmRecver(Dialogs& dialogs, const ConfigDir& config, QWidget* parent)
    : RosterPicker({u"reverlist",
                    u"收款人名册",
                    {QStringLiteral("收款人名称"), QStringLiteral("收款人账号"),
                     QStringLiteral("收款人开户行")},
                    cfg::kRecvers,
                    [](qsizetype n) { return n > 2; }},
                   dialogs, config, parent) {
    setObjectName(QStringLiteral("fmRecver"));
}

Tfrpayer::Tfrpayer(Dialogs& dialogs, const ConfigDir& config, QWidget* parent)
    : RosterPicker({u"payerlist",
                    u"付款人名册",
                    {QStringLiteral("付款人名称"), QStringLiteral("付款人账号"),
                     QStringLiteral("付款人开户行")},
                    cfg::kOwner,
                    [](qsizetype n) { return n == 3; }},
                   dialogs, config, parent) {
    setObjectName(QStringLiteral("frpayer"));
}

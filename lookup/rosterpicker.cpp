#include "lookup/rosterpicker.h"

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
    setupUi(this);
    move(318, 188);
    formparts::UseFormFont(this);
    list->setObjectName(QString::fromUtf16(design_.listName));
    list->setHeaderLabels(design_.captions);
    list->header()->resizeSection(0, 100);
    list->header()->resizeSection(1, 180);
    list->header()->setStretchLastSection(true);

    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { Guarded(dialogs_, [this] { SpeedButton1Click(); }); });
    // A double-click anywhere in the list closes the dialog, on a row or not.
    list->viewport()->installEventFilter(this);
}

int RosterPicker::Execute() {
    Guarded(dialogs_, [this] { FormShow(); });
    return exec();
}

void RosterPicker::FormShow() {
    LoadRoster();
}

void RosterPicker::SpeedButton1Click() {
    LoadRoster();
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
    list->clear();
    const QStringList lines = listfile::Load(config_.Path(QString::fromUtf16(design_.rosterFile)));
    QList<QTreeWidgetItem*> items;
    for (const QString& line : lines) {
        const QStringList fields = record::Split(line, record::Pipes::Replace);
        if (design_.accepts(fields.size())) {
            items.append(new QTreeWidgetItem(QStringList{fields[0], fields[1], fields[2]}));
        }
    }
    list->addTopLevelItems(items);
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
                    {QStringLiteral("收款人名称"), QStringLiteral("收款人账号"),
                     QStringLiteral("收款人开户行")},
                    cfg::kRecvers,
                    [](qsizetype n) { return n > 2; }},
                   dialogs, config, parent) {
    setObjectName(QStringLiteral("fmRecver"));
}

Tfrpayer::Tfrpayer(Dialogs& dialogs, const ConfigDir& config, QWidget* parent)
    : RosterPicker({u"payerlist",
                    {QStringLiteral("付款人名称"), QStringLiteral("付款人账号"),
                     QStringLiteral("付款人开户行")},
                    cfg::kOwner,
                    [](qsizetype n) { return n == 3; }},
                   dialogs, config, parent) {
    setObjectName(QStringLiteral("frpayer"));
}

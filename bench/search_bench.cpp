// Find as you type: the pinyin initials filter alone over the bank directory, a keystroke in
// the bank search's name box until the grid has repainted with the new rows (offscreen, the
// whole embedded directory), and a keystroke in a roster picker over a 10,000-line roster
// until its list has repainted. After the runs a summary compares the medians with the goals.

#include "lookup/banksearch.h"
#include "lookup/formparts.h"
#include "lookup/rosterpicker.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"
#include "platform/dataset/initialsindex.h"
#include "platform/dataset/packet.h"
#include "platform/dialogs/scripteddialogs.h"
#include "platform/text/ansi.h"
#include "platform/text/initials.h"
#include "store/configdir.h"

#include "bench/benchreport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using benchreport::Add;
using benchreport::Collector;
using benchreport::kRepetitions;
using benchreport::Verdict;

struct Term {
    const char* label;
    const char* text;  // UTF-8
};

// A keystroke: the text before it and after it, UTF-8.
struct Keystroke {
    const char* label;
    const char* before;
    const char* text;
};

// The bank search: a frequent character, the frequent word, initials of a bank, the widest
// initial (行 reads xing), a name that does not occur, and the box emptied again.
constexpr Keystroke kBankKeys[] = {{"single", "", "支"},
                                   {"frequent", "支", "支行"},
                                   {"initials", "jsy", "jsyh"},
                                   {"widest", "", "x"},
                                   {"nomatch", "不存在银", "不存在银行"},
                                   {"emptied", "支", ""}};
// The initials filter alone: those initials, a city and district, the widest initial and a run
// that spells no name.
constexpr Term kInitialsTerms[] = {
    {"jsyh", "jsyh"}, {"cdgx", "cdgx"}, {"x", "x"}, {"nomatch", "qqqqq"}};
// The picker: a surname, initials, a part of an account, a text no row holds (its first two
// letters do) and the box emptied again.
constexpr Keystroke kPickerKeys[] = {{"surname", "", "张"},
                                     {"initials", "z", "zs"},
                                     {"account", "081", "0815"},
                                     {"nomatch", "zs", "zsq"},
                                     {"emptied", "张", ""}};
constexpr int kRosterLines = 10000;

QByteArray EmbeddedPacket() {
    QFile file(QStringLiteral(":/BANKDATA"));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("the resource :/BANKDATA is missing");
    }
    return file.readAll();
}

const ColumnData& Names() {
    static const PacketTable table = ReadPacket(EmbeddedPacket());
    return table.columns[1];
}

const InitialsIndex& NameIndex() {
    static const InitialsIndex index(Names(), formparts::EmbeddedInitials());
    return index;
}

void BuildIndex(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        const InitialsIndex index(Names(), formparts::EmbeddedInitials());
        bytes = index.Bytes();
    }
    state.counters["index_bytes"] = static_cast<double>(bytes);
    state.counters["packet_bytes"] = static_cast<double>(EmbeddedPacket().size());
}

void InitialsFilter(benchmark::State& state, const QString& term) {
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = NameIndex().Select(term).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// Runs the event loop until nothing is left to do.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

// Sets the text and runs the event loop until changed() says the search has run and the view
// has been painted after that; fails after 10 s.
template <typename Changed>
void TypeAndWait(QLineEdit* box, const QString& text, const PaintCounter& view, Changed changed) {
    box->setText(text);
    int paintsBefore = -1;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (paintsBefore < 0 && changed()) {
            paintsBefore = view.paints;
        }
        if (paintsBefore >= 0 && view.paints > paintsBefore) {
            return;
        }
        if (clock.elapsed() > 10000) {
            throw std::runtime_error("the view was not repainted");
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// The bank search, shown with the whole directory.
struct BankDialog {
    ScriptedDialogs dialogs;
    TfmBank bank{dialogs};
    std::unique_ptr<PaintCounter> grid;
    int resets = 0;

    BankDialog() {
        bank.FormShow();
        bank.show();
        if (!QTest::qWaitForWindowExposed(&bank)) {
            throw std::runtime_error("the bank search was not shown");
        }
        grid = std::make_unique<PaintCounter>(bank.DBGrid1->viewport());
        QObject::connect(bank.cds, &Dataset::Reset, [this] { ++resets; });
        Settle();
    }
};

// The dialogs live until the end of main, before the application goes.
std::unique_ptr<BankDialog> bankDialog;

BankDialog& Bank() {
    if (!bankDialog) {
        bankDialog = std::make_unique<BankDialog>();
    }
    return *bankDialog;
}

// One keystroke, from the text before to the new text.
void BankKeystroke(benchmark::State& state, const QString& before, const QString& term) {
    BankDialog& d = Bank();
    for (auto _ : state) {
        state.PauseTiming();
        d.bank.edlname->setText(before);
        Settle();
        const int resets = d.resets;
        state.ResumeTiming();
        TypeAndWait(d.bank.edlname, term, *d.grid, [&] { return d.resets > resets; });
    }
    if (d.bank.PanelText(1) != QStringLiteral("记录笔数：%1").arg(d.bank.cds->RecordCount())) {
        state.SkipWithError("the count panel does not show the rows");
    }
    state.counters["rows"] = d.bank.cds->RecordCount();
}

// A roster of 10,000 payees with names from common surnames and given names, 19-digit
// accounts and a few banks, written as the program writes it.
QByteArray Roster() {
    const QString surnames =
        QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹");
    const QString given =
        QStringLiteral("伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂华三山生帅松");
    const QStringList banks = {QStringLiteral("星澜聚川银行"), QStringLiteral("中国银行成都分行"),
                               QStringLiteral("中国建设银行四川省分行"),
                               QStringLiteral("中国工商银行成都高新支行")};
    QString text;
    for (int i = 0; i < kRosterLines; ++i) {
        const QString name = QString(surnames[i % surnames.size()]) +
                             given[(i / 7) % given.size()] + given[(i / 3) % given.size()];
        const QString account = QStringLiteral("6222%1").arg(
            static_cast<qlonglong>(i) * 7919 % 1000000000000000, 15, 10, QLatin1Char('0'));
        text += name + u'|' + account + u'|' + banks[i % banks.size()] + u'|' +
                QStringLiteral("1023%1\r\n").arg(i, 8, 10, QLatin1Char('0'));
    }
    return ansi::Encode(text);
}

struct PickerDialog {
    QTemporaryDir dir;
    ConfigDir config{dir.path() + QDir::separator()};
    ScriptedDialogs dialogs;
    std::unique_ptr<TfmRecver> picker;
    std::unique_ptr<PaintCounter> list;
    bool filtered = false;

    PickerDialog() {
        QDir(dir.path()).mkdir(QStringLiteral("config"));
        QFile file(config.Path(QString::fromUtf16(cfg::kRecvers)));
        const QByteArray roster = Roster();
        if (!file.open(QIODevice::WriteOnly) || file.write(roster) != roster.size()) {
            throw std::runtime_error("cannot write the roster");
        }
        file.close();
        picker = std::make_unique<TfmRecver>(dialogs, config);
        picker->FormShow();
        picker->show();
        if (!QTest::qWaitForWindowExposed(picker.get())) {
            throw std::runtime_error("the picker was not shown");
        }
        list = std::make_unique<PaintCounter>(picker->list->viewport());
        Settle();
    }
    QList<QTreeWidgetItem*> Listed() const {
        QList<QTreeWidgetItem*> items;
        for (int i = 0; i < picker->list->topLevelItemCount(); ++i) {
            items.append(picker->list->topLevelItem(i));
        }
        return items;
    }
};

std::unique_ptr<PickerDialog> pickerDialog;

PickerDialog& Picker() {
    if (!pickerDialog) {
        pickerDialog = std::make_unique<PickerDialog>();
    }
    return *pickerDialog;
}

void PickerKeystroke(benchmark::State& state, const QString& before, const QString& term) {
    PickerDialog& d = Picker();
    d.picker->edname->setText(before);
    Settle();
    const QList<QTreeWidgetItem*> listedBefore = d.Listed();
    d.picker->edname->setText(term);
    Settle();
    const QList<QTreeWidgetItem*> listed = d.Listed();
    // A row the keystroke takes out of the list or puts into it tells when the filtering has
    // run.
    QTreeWidgetItem* changing = nullptr;
    for (QTreeWidgetItem* item : listedBefore) {
        if (!listed.contains(item)) {
            changing = item;
            break;
        }
    }
    for (QTreeWidgetItem* item : listed) {
        if (changing == nullptr && !listedBefore.contains(item)) {
            changing = item;
        }
    }
    if (changing == nullptr) {
        state.SkipWithError("the keystroke does not change the list");
        return;
    }
    QTreeWidget* const listedAfter = changing->treeWidget();
    for (auto _ : state) {
        state.PauseTiming();
        d.picker->edname->setText(before);
        Settle();
        state.ResumeTiming();
        TypeAndWait(d.picker->edname, term, *d.list,
                    [&] { return changing->treeWidget() == listedAfter; });
    }
    state.counters["rows"] = static_cast<double>(listed.size());
}

void Summary(const Collector& c) {
    std::printf("\nSummary (medians of %d repetitions)\n", kRepetitions);
    const double build = c.Ms("InitialsIndex/build");
    const double indexBytes = c.Counter("InitialsIndex/build.index_bytes");
    const double packetBytes = c.Counter("InitialsIndex/build.packet_bytes");
    // No goal of its own: the index is made once, at the first showing, with the directory.
    std::printf(
        "  initials index build         %8.3f ms   (once, at the first showing; %.0f bytes = "
        "%.2fx the packet)\n",
        build, indexBytes, packetBytes > 0 ? indexBytes / packetBytes : 0.0);
    for (const Term& t : kInitialsTerms) {
        const std::string name = std::string("InitialsFilter/") + t.label;
        const double ms = c.Ms(name);
        std::printf("  initials filter %-9s    %8.3f ms   goal <= 3 ms    %s   (%.0f rows)\n",
                    t.label, ms, Verdict(ms <= 3), c.Counter(name + ".rows"));
    }
    for (const Keystroke& k : kBankKeys) {
        const std::string name = std::string("Keystroke/") + k.label;
        const double ms = c.Ms(name);
        std::printf(
            "  bank keystroke %-9s     %8.3f ms   goal <= 16 ms   %s   (%.0f rows, \"%s\" to "
            "\"%s\")\n",
            k.label, ms, Verdict(ms > 0 && ms <= 16), c.Counter(name + ".rows"), k.before, k.text);
    }
    for (const Keystroke& k : kPickerKeys) {
        const std::string name = std::string("Picker/") + k.label;
        const double ms = c.Ms(name);
        std::printf(
            "  picker keystroke %-9s   %8.3f ms   goal <= 16 ms   %s   (%.0f of %d rows, \"%s\" "
            "to \"%s\")\n",
            k.label, ms, Verdict(ms > 0 && ms <= 16), c.Counter(name + ".rows"), kRosterLines,
            k.before, k.text);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    Add("InitialsIndex/build", BuildIndex);
    for (const Term& t : kInitialsTerms) {
        const QString term = QString::fromUtf8(t.text);
        Add(std::string("InitialsFilter/") + t.label,
            [term](benchmark::State& s) { InitialsFilter(s, term); });
    }
    for (const Keystroke& k : kBankKeys) {
        const QString before = QString::fromUtf8(k.before);
        const QString term = QString::fromUtf8(k.text);
        Add(std::string("Keystroke/") + k.label,
            [before, term](benchmark::State& s) { BankKeystroke(s, before, term); });
    }
    for (const Keystroke& k : kPickerKeys) {
        const QString before = QString::fromUtf8(k.before);
        const QString term = QString::fromUtf8(k.text);
        Add(std::string("Picker/") + k.label,
            [before, term](benchmark::State& s) { PickerKeystroke(s, before, term); });
    }

    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    bankDialog.reset();
    pickerDialog.reset();
    Summary(collector);
    return 0;
}

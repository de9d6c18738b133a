// Imports of the batch upload file and single adds, end to end through the batch page's
// buttons with the scripted dialogs: the time the user waits, the payee roster included.
// After the runs a summary compares the medians with the goals.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/mainwindow.h"
#include "batch/batchpage.h"
#include "bench/batchwindow.h"
#include "bench/benchreport.h"
#include "controls/numeditnew.h"
#include "platform/dataset/dataset.h"
#include "platform/dialogs/scripteddialogs.h"
#include "platform/text/ansi.h"

namespace {

constexpr int kRepetitions = 5;

using Window = BatchWindow;

Window& TheWindow() {
    static Window window;
    return window;
}

// An upload file of distinct payees, each new to the roster.
QByteArray UploadFile(int lines) {
    QByteArray file;
    for (int i = 0; i < lines; ++i) {
        file += "P|6230001|" + QByteArray::number(6222000000000LL + i) + "|" +
                ansi::Encode(QStringLiteral("收款人%1").arg(i)) + "|" +
                ansi::Encode(u"星澜聚川银行") + "|" + ansi::Encode(u"星澜聚川银行") + "||1234.56|" +
                ansi::Encode(u"工资，奖金") + "|N|\r\n";
    }
    return file;
}

void Import(benchmark::State& state, int lines) {
    Window& w = TheWindow();
    const QString path = w.Path(QStringLiteral("in%1.txt").arg(lines));
    w.Write(QStringLiteral("in%1.txt").arg(lines), UploadFile(lines));
    for (auto _ : state) {
        state.PauseTiming();
        w.ClearTable();
        w.Write(QStringLiteral("config/recvers.ini"), QByteArray());
        w.dialogs.fileAnswers = {path};
        state.ResumeTiming();
        w.page->Button6->click();
    }
    // More than 100 instructions are said at import (one upload file holds 100), then done.
    if (w.form->cds1.RecordCount() != lines || w.dialogs.Texts().isEmpty() ||
        w.dialogs.Texts().last() != QStringLiteral("导入完毕！")) {
        state.SkipWithError("the import did not add every line");
    }
    w.ClearTable();
}

void AddWithRoster(benchmark::State& state) {
    Window& w = TheWindow();
    QByteArray roster;
    for (int i = 0; i < 100000; ++i) {
        roster += ansi::Encode(QStringLiteral("收款人%1|6228%2|中国银行成都分行|104651000001\r\n")
                                   .arg(i)
                                   .arg(i, 12, 10, QChar(u'0')));
    }
    w.Write(QStringLiteral("config/recvers.ini"), roster);
    w.ClearTable();
    long long next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (w.form->cds1.RecordCount() >= 99) {
            w.ClearTable();
        }
        BatchPage* p = w.page;
        p->payacct->setEditText(QStringLiteral("6230001"));
        p->recver->setEditText(QStringLiteral("新收款人"));
        p->recacct->setEditText(QString::number(6229000000000LL + next++));
        p->amt->SetShuZhi(QStringLiteral("100"));
        p->use->setEditText(QStringLiteral("工资，奖金"));
        p->remittype->setCurrentIndex(1);
        w.dialogs.Clear();
        state.ResumeTiming();
        p->Button1->click();
    }
    if (w.dialogs.Texts() != QStringList{QStringLiteral("增加成功！")}) {
        state.SkipWithError("the add did not succeed");
    }
    w.ClearTable();
}

// 复位 of a table an import filled with 100,000 rows, the question answered 是.
void ResetRows(benchmark::State& state) {
    Window& w = TheWindow();
    Dataset& t = w.form->cds1;
    for (auto _ : state) {
        state.PauseTiming();
        {
            const ControlsDisabled quiet(t);
            for (int i = 0; i < 100000; ++i) {
                t.Append();
                for (int f = 0; f < t.FieldCount(); ++f) {
                    t.Fields(f).SetAsString(QStringLiteral("1"));
                }
                t.FieldByName(QStringLiteral("recacct")).SetAsString(QString::number(6222000 + i));
                t.FieldByName(QStringLiteral("amt")).SetAsString(QStringLiteral("1.00"));
                t.Post();
            }
        }
        w.dialogs.Clear();
        w.dialogs.questionAnswers = {true};
        state.ResumeTiming();
        w.page->Button4->click();
    }
    if (!t.IsEmpty()) {
        state.SkipWithError("the reset left rows");
    }
    w.dialogs.questionAnswers.clear();
}

void Summary(const benchreport::Collector& c) {
    benchreport::PrintGoals(
        c,
        {
            {"import of 1,000 lines, 1,000 new payees  ", "Import/1000", 60},
            {"import of 10,000 lines, 10,000 new payees", "Import/10000", 500},
            {"add with a roster of 100,000 lines       ", "AddWithRoster/100000", 30},
            {"reset of 100,000 rows                    ", "Reset/100000", 200},
        },
        kRepetitions);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (int lines : {1000, 10000}) {
        benchmark::RegisterBenchmark(("Import/" + std::to_string(lines)).c_str(),
                                     [lines](benchmark::State& s) { Import(s, lines); })
            ->Repetitions(kRepetitions)
            ->ReportAggregatesOnly(true)
            ->Iterations(lines > 1000 ? 1 : 3)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("AddWithRoster/100000", AddWithRoster)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->Iterations(10)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Reset/100000", ResetRows)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchreport::Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    Summary(collector);
    TheWindow().form.reset();
    return 0;
}

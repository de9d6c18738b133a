// Opening the preview of the salary list as 打印工资 does: template load, preparation, the
// preview window and its first view painted, for 10,000 and 100,000 rows. The memory figure is
// how far the peak resident memory rises over the run, which must grow no faster than the rows.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/benchreport.h"
#include "platform/dataset/dataset.h"
#include "platform/dialogs/scripteddialogs.h"
#include "platform/report/pageview.h"
#include "platform/report/preview.h"
#include "printing/detaillists.h"
#include "store/configdir.h"

namespace {

// The salary table as the salary page defines it from the shipped item file.
const char* const kFields[][2] = {{"name", "姓名"},       {"deptname", "部门名称"},
                                  {"acct", "员工账号"},   {"finalincome", "实际入账金额"},
                                  {"codeno", "员工编号"}, {"memo", "备注"}};

// The main window's tables and report objects over the shipped template, the salary table
// holding rows.
struct Lists {
    ScriptedDialogs dialogs;
    ConfigDir config{QStringLiteral(CORPPAY_SOURCE_DIR "/")};
    Dataset cds1;
    Dataset cds2;
    DataSource DataSource1;
    DataSource DataSource2;
    printing::DetailLists lists{{cds1, cds2, DataSource1, DataSource2}, config, dialogs};

    explicit Lists(int rows) {
        cds1.AddFieldDef(QStringLiteral("cpflag"), true, 6);
        cds1.CreateDataSet();
        for (const auto& field : kFields) {
            cds2.AddFieldDef(QString::fromUtf8(field[0]), false, 64);
        }
        cds2.CreateDataSet();
        for (int i = 0; i < 6; ++i) {
            cds2.Fields(i).SetDisplayLabel(QString::fromUtf8(kFields[i][1]));
        }
        for (int r = 0; r < rows; ++r) {
            cds2.Append();
            const QString values[] = {QStringLiteral("员工%1").arg(r),
                                      QStringLiteral("财务部"),
                                      QStringLiteral("6222%1").arg(r, 12, 10, QLatin1Char('0')),
                                      QStringLiteral("%1.00").arg(3000 + r % 5000),
                                      QStringLiteral("E%1").arg(r),
                                      QStringLiteral("工资")};
            for (int f = 0; f < 6; ++f) {
                cds2.Fields(f).SetAsString(values[f]);
            }
            cds2.Post();
        }
        DataSource1.SetDataSet(&cds1);
        DataSource2.SetDataSet(&cds2);
    }
};

using benchreport::ResetPeak;
using benchreport::StatusKb;

void OpenPreview(benchmark::State& state, int rows) {
    static std::unique_ptr<Lists> lists;
    lists = std::make_unique<Lists>(rows);
    printing::DetailLists& l = lists->lists;
    double growthMb = 0;
    int painted = 0;
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        l.frxReport1.Clear();
        malloc_trim(0);
        ResetPeak();
        const long before = StatusKb("VmRSS");
        state.ResumeTiming();

        // The first view is painted and the window closed as soon as it shows.
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TfrxPreviewForm*>(QApplication::activeModalWidget());
            if (form) {
                form->grab();
                shown = true;
                painted = form->findChild<report::PageView*>()->PagesPainted();
                form->reject();
            }
        });
        l.Print(printing::kSalaries);

        state.PauseTiming();
        if (!shown) {
            state.SkipWithError("the preview did not open");
            break;
        }
        growthMb = static_cast<double>(StatusKb("VmHWM") - before) / 1024;
        pages = l.frxReport1.PreparedPageCount();
        state.ResumeTiming();
    }
    state.counters["memory_mb"] = growthMb;
    state.counters["pages"] = pages;
    state.counters["painted"] = painted;
    lists.reset();
}

void Summary(const benchreport::Collector& c) {
    using benchreport::Verdict;
    std::printf("\nSummary (medians)\n");
    struct Goal {
        const char* name;
        int rows;
        double goalMs;
    };
    const Goal goals[] = {{"Preview/10000", 10000, 1000}, {"Preview/100000", 100000, 10000}};
    double perRow[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const std::string name = goals[i].name;
        const double ms = c.Ms(name);
        const double memory = c.Counter(name + ".memory_mb");
        perRow[i] = memory * 1024 / goals[i].rows;
        std::printf(
            "  preview of %7d rows opens (%4.0f pages, %1.0f painted)  %9.1f ms   goal <= %5.0f "
            "ms   %s   memory +%.0f MB\n",
            goals[i].rows, c.Counter(name + ".pages"), c.Counter(name + ".painted"), ms,
            goals[i].goalMs, Verdict(ms > 0 && ms <= goals[i].goalMs), memory);
    }
    // Memory grows no faster than the rows: per row no more at 100,000 than at 10,000 (a tenth
    // more allowed for the allocator's rounding).
    std::printf(
        "  preview memory per row, 10,000 / 100,000 rows   %.2f / %.2f KB   goal: no more per "
        "row at 100,000   %s\n",
        perRow[0], perRow[1], Verdict(perRow[0] > 0 && perRow[1] <= perRow[0] * 1.1));
}

}  // namespace

int main(int argc, char** argv) {
    // The offscreen platform tells at every window that it has no window manager.
    static const QtMessageHandler standard = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains(QStringLiteral("propagateSizeHints"))) {
                standard(type, context, message);
            }
        });
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const auto add = [](const char* name, int rows, int repetitions) {
        benchmark::RegisterBenchmark(name, [rows](benchmark::State& s) { OpenPreview(s, rows); })
            ->Iterations(1)
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    };
    add("Preview/10000", 10000, 5);
    add("Preview/100000", 100000, 3);

    benchreport::Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    Summary(collector);
    return 0;
}

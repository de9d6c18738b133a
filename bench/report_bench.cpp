// The detail lists' speed: preparing the instruction list of 100 rows and the salary list of
// 1,000 rows as the print commands do (template load included), the PDF export of the 1,000-row
// list, and a 10,000-row list for bounded time and memory. A summary compares with the goals.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <cstdio>
#include <map>
#include <string>

#include "bench/benchreport.h"
#include "platform/dataset/dataset.h"
#include "platform/dialogs/scripteddialogs.h"
#include "printing/detaillists.h"
#include "store/configdir.h"

namespace {

constexpr int kRepetitions = 10;

const char* const kInstructionTitles[] = {
    "公私标志", "付款账号", "收款账号", "收款方", "收款方开户行编号", "收款方开户行名称", "币种",
    "金额",     "用途",     "方式",     "备注"};
const char* const kSalaryTitles[] = {"姓名",         "部门名称", "员工账号",
                                     "实际入账金额", "员工编号", "备注"};

void Define(Dataset& table, const char* const* titles, int count) {
    for (int i = 0; i < count; ++i) {
        table.AddFieldDef(QStringLiteral("f%1").arg(i), false, 64);
    }
    table.CreateDataSet();
    for (int i = 0; i < count; ++i) {
        table.Fields(i).SetDisplayLabel(QString::fromUtf8(titles[i]));
    }
}

void FillInstructions(Dataset& table, int rows) {
    for (int r = 0; r < rows; ++r) {
        table.Append();
        const QString values[] = {QStringLiteral("跨行"),
                                  QStringLiteral("6230001234567890"),
                                  QStringLiteral("6222%1").arg(r, 12, 10, QLatin1Char('0')),
                                  QStringLiteral("成都星澜贸易有限公司%1").arg(r),
                                  QStringLiteral("104651000001"),
                                  QStringLiteral("中国银行股份有限公司成都高新技术产业开发区支行"),
                                  QStringLiteral("CNY"),
                                  QStringLiteral("%1.50").arg(r * 37),
                                  QStringLiteral("货款"),
                                  QStringLiteral("普通"),
                                  QStringLiteral("第%1笔").arg(r)};
        for (int f = 0; f < 11; ++f) {
            table.Fields(f).SetAsString(values[f]);
        }
        table.Post();
    }
}

void FillSalaries(Dataset& table, int rows) {
    while (!table.IsEmpty()) {
        table.Delete();
    }
    for (int r = 0; r < rows; ++r) {
        table.Append();
        const QString values[] = {QStringLiteral("员工%1").arg(r),
                                  QStringLiteral("财务部"),
                                  QStringLiteral("6222%1").arg(r, 12, 10, QLatin1Char('0')),
                                  QStringLiteral("%1.00").arg(3000 + r),
                                  QStringLiteral("NULL"),
                                  QStringLiteral("工资")};
        for (int f = 0; f < 6; ++f) {
            table.Fields(f).SetAsString(values[f]);
        }
        table.Post();
    }
}

// The main window's tables and report objects over the shipped template.
struct Lists {
    ScriptedDialogs dialogs;
    ConfigDir config{QStringLiteral(CORPPAY_SOURCE_DIR "/")};
    Dataset cds1;
    Dataset cds2;
    DataSource DataSource1;
    DataSource DataSource2;
    printing::DetailLists lists{{cds1, cds2, DataSource1, DataSource2}, config, dialogs};
    Lists() {
        Define(cds1, kInstructionTitles, 11);
        Define(cds2, kSalaryTitles, 6);
        DataSource1.SetDataSet(&cds1);
        DataSource2.SetDataSet(&cds2);
    }
};

Lists& Shared() {
    static Lists lists;
    return lists;
}

void PrepareList(benchmark::State& state, int source, int rows) {
    Lists& l = Shared();
    if (source == printing::kInstructions) {
        FillInstructions(l.cds1, rows);
    } else {
        FillSalaries(l.cds2, rows);
    }
    for (auto _ : state) {
        l.lists.Prepare(source);
        benchmark::DoNotOptimize(l.lists.frxReport1.PreparedPageCount());
    }
    state.counters["pages"] = l.lists.frxReport1.PreparedPageCount();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["max_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

void ExportPdf(benchmark::State& state) {
    Lists& l = Shared();
    FillSalaries(l.cds2, 1000);
    l.lists.Prepare(printing::kSalaries);
    QByteArray pdf;
    for (auto _ : state) {
        pdf = l.lists.frxReport1.ExportToPdf();
        benchmark::DoNotOptimize(pdf.size());
    }
    state.counters["pages"] = l.lists.frxReport1.PreparedPageCount();
    state.counters["pdf_kb"] = static_cast<double>(pdf.size()) / 1024;
}

void Summary(const benchreport::Collector& c) {
    const auto ms = [&](const std::string& name) {
        const auto it = c.medianMs.find(name);
        return it == c.medianMs.end() ? 0.0 : it->second;
    };
    const auto counter = [&](const std::string& name) {
        const auto it = c.counters.find(name);
        return it == c.counters.end() ? 0.0 : it->second;
    };
    const auto verdict = [](bool ok) { return ok ? "ok" : "MISSED"; };
    std::printf("\nSummary (medians of %d repetitions)\n", kRepetitions);
    const double instructions = ms("Prepare/instructions100");
    std::printf("  prepare instruction list, 100 rows   %8.3f ms   goal <= 100 ms    %s\n",
                instructions, verdict(instructions <= 100));
    const double salaries = ms("Prepare/salary1000");
    std::printf("  prepare salary list, 1,000 rows      %8.3f ms   goal <= 500 ms    %s\n",
                salaries, verdict(salaries <= 500));
    const double pdf = ms("ExportPdf/salary1000");
    std::printf("  PDF export, 1,000 rows (%2.0f pages)   %8.3f ms   goal <= 1000 ms   %s\n",
                counter("ExportPdf/salary1000.pages"), pdf, verdict(pdf <= 1000));
    const double large = ms("Prepare/salary10000");
    const double rss = counter("Prepare/salary10000.max_rss_mb");
    std::printf(
        "  prepare 10,000 rows (%3.0f pages)      %8.3f ms   goal <= 5000 ms   %s   peak memory "
        "%.0f MB   goal <= 300 MB   %s\n",
        counter("Prepare/salary10000.pages"), large, verdict(large <= 5000), rss,
        verdict(rss <= 300));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const auto add = [](const char* name, auto f, int repetitions) {
        benchmark::RegisterBenchmark(name, f)
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    };
    // The largest list first, so that the peak memory it reports is its own.
    add(
        "Prepare/salary10000",
        [](benchmark::State& s) { PrepareList(s, printing::kSalaries, 10000); }, 3);
    add(
        "Prepare/instructions100",
        [](benchmark::State& s) { PrepareList(s, printing::kInstructions, 100); }, kRepetitions);
    add(
        "Prepare/salary1000",
        [](benchmark::State& s) { PrepareList(s, printing::kSalaries, 1000); }, kRepetitions);
    add("ExportPdf/salary1000", ExportPdf, kRepetitions);

    benchreport::Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    Summary(collector);
    return 0;
}

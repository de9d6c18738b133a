// The salary sheet import's speed: payrolls of 1000 and 10,000 rows as .xls, .xlsx and .csv,
// read through the spreadsheet layer and the import core and appended to a salary table, as
// the salary page does. Beside it, when LibreOffice is installed, the time it needs to open the
// same file headless and convert it to CSV: the stand-in for starting a spreadsheet
// application to read the sheet. After the runs a summary compares the medians with the goals.

#include "bench/benchreport.h"
#include "platform/dataset/dataset.h"
#include "platform/sheet/sheet.h"
#include "platform/text/apperror.h"
#include "salary/sheetimport.h"
#include "tests/sheet/xlsxfixture.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRepetitions = 15;
constexpr int kSizes[] = {1000, 10000};
constexpr const char* kFormats[] = {"xls", "xlsx", "csv"};

// The salary table of the item file example, with room for the generated names ("员工10000" is
// nine bytes).
std::vector<salary::SalaryField> Fields() {
    return {{QStringLiteral("name"), QStringLiteral("姓名"), true, 20},
            {QStringLiteral("deptname"), QStringLiteral("部门名称"), false, 20},
            {QStringLiteral("acct"), QStringLiteral("员工账号"), true, 20},
            {QStringLiteral("finalincome"), QStringLiteral("实际入账金额"), true, 20},
            {QStringLiteral("codeno"), QStringLiteral("员工编号"), false, 20},
            {QStringLiteral("memo"), QStringLiteral("备注"), true, 20}};
}

// The payroll files, written once.
class Files {
public:
    Files() {
        for (int rows : kSizes) {
            const QString xls =
                QStringLiteral(CORPPAY_SOURCE_DIR "/tests/data/sheet/rows%1.xls").arg(rows);
            paths_[Key("xls", rows)] = xls;
            const QString xlsx = dir_.filePath(QStringLiteral("rows%1.xlsx").arg(rows));
            fixture::WriteRowsXlsx(xlsx, rows);
            paths_[Key("xlsx", rows)] = xlsx;
            const QString csv = dir_.filePath(QStringLiteral("rows%1.csv").arg(rows));
            QFile file(csv);
            file.open(QIODevice::WriteOnly);
            file.write(fixture::RowsCsv(rows));
            paths_[Key("csv", rows)] = csv;
        }
    }
    QString Path(const std::string& format, int rows) const { return paths_.at(Key(format, rows)); }
    QString Dir() const { return dir_.path(); }

private:
    static std::string Key(const std::string& format, int rows) {
        return format + std::to_string(rows);
    }
    QTemporaryDir dir_;
    std::map<std::string, QString> paths_;
};

Files& TheFiles() {
    static Files files;
    return files;
}

// One import as the salary page runs it: read and check the sheet, then append every row.
void Import(benchmark::State& state, const std::string& format, int rows) {
    const QString path = TheFiles().Path(format, rows);
    const auto fields = Fields();
    const salary::SheetMapping mapping{QStringLiteral("A"), QStringLiteral("B"),
                                       QStringLiteral("C"), QStringLiteral("2")};
    std::size_t imported = 0;
    for (auto _ : state) {
        Dataset cds2;
        for (const auto& f : fields) {
            cds2.AddFieldDef(f.name, f.required, f.size);
        }
        cds2.CreateDataSet();
        auto app = sheet::CreateApplication();
        salary::SheetImport result;
        try {
            result = salary::ImportSheetFile(*app, path, mapping, fields);
        } catch (const AppError& e) {
            state.SkipWithError(e.what());
            break;
        }
        for (const QStringList& row : result.rows) {
            cds2.Append();
            for (int i = 0; i < row.size(); ++i) {
                cds2.SetCurrentText(i, row[i]);
            }
            cds2.Post();
        }
        imported = static_cast<std::size_t>(cds2.RecordCount());
        benchmark::DoNotOptimize(imported);
    }
    if (imported != static_cast<std::size_t>(rows)) {
        state.SkipWithError("not every row was imported");
    }
    state.counters["rows"] = static_cast<double>(imported);
}

QString Soffice() {
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

// LibreOffice opening the file headless and writing it as CSV.
void LibreOffice(benchmark::State& state, const std::string& format, int rows) {
    const QString path = TheFiles().Path(format, rows);
    const QString out = TheFiles().Dir() + QStringLiteral("/lo");
    QDir().mkpath(out);
    for (auto _ : state) {
        QProcess process;
        process.start(Soffice(), {QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                  QStringLiteral("csv"), QStringLiteral("--outdir"), out, path});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            state.SkipWithError("soffice failed");
            break;
        }
    }
}

std::string Name(const char* kind, const std::string& format, int rows) {
    return std::string(kind) + "/" + format + "/" + std::to_string(rows);
}

void Summary(const benchreport::Collector& c) {
    const auto ms = [&](const std::string& name) {
        const auto it = c.medianMs.find(name);
        return it == c.medianMs.end() ? -1.0 : it->second;
    };
    const auto verdict = [](bool ok) { return ok ? "ok" : "MISSED"; };
    std::printf("\nSummary (medians of %d repetitions)\n", kRepetitions);
    for (const char* f : kFormats) {
        const std::string format = f;
        const double small = ms(Name("Import", format, 1000));
        const double large = ms(Name("Import", format, 10000));
        const auto cpu = c.cpuMs.find(Name("Import", format, 1000));
        std::printf(
            "  import %-4s 1000 rows        %8.3f ms   goal <= 20 ms           %s   (CPU %.3f "
            "ms)\n",
            f, small, verdict(small >= 0 && small <= 20),
            cpu == c.cpuMs.end() ? -1.0 : cpu->second);
        // Linear: ten times the rows within ten times the 1000-row goal; the ratio to the
        // 1000-row figure itself is shown beside it.
        std::printf(
            "  import %-4s 10000 rows       %8.3f ms   goal <= 200 ms (10x of 20 ms)   %s   "
            "(%.1fx the 1000 rows)\n",
            f, large, verdict(large >= 0 && large <= 200), small > 0 ? large / small : 0.0);
        const double office = ms(Name("LibreOffice", format, 1000));
        if (office > 0) {
            std::printf(
                "  LibreOffice %-4s 1000 rows   %8.1f ms   goal >= 50x slower (%.0fx)   %s\n", f,
                office, small > 0 ? office / small : 0.0,
                verdict(small > 0 && office >= 50 * small));
        } else {
            std::printf(
                "  LibreOffice %-4s 1000 rows   not measured (no soffice, or filtered out)\n", f);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TheFiles();
    for (const char* f : kFormats) {
        const std::string format = f;
        for (int rows : kSizes) {
            benchmark::RegisterBenchmark(
                Name("Import", format, rows).c_str(),
                [format, rows](benchmark::State& s) { Import(s, format, rows); })
                ->Repetitions(kRepetitions)
                ->ReportAggregatesOnly(true)
                ->MinTime(0.2)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
        if (!Soffice().isEmpty()) {
            benchmark::RegisterBenchmark(
                Name("LibreOffice", format, 1000).c_str(),
                [format](benchmark::State& s) { LibreOffice(s, format, 1000); })
                ->Iterations(1)
                ->Repetitions(3)
                ->ReportAggregatesOnly(true)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchreport::Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    Summary(collector);
    return 0;
}

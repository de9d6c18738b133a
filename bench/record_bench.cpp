// The export record and the recovery file: the check of a batch against a record of 100,000
// exported rows before writing, the opening of the 导出记录 window over that record, and the
// rewrite of the recovery file for 1,000 salary credits.
#include <malloc.h>
#include <QApplication>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>

#include "app/exportwindow.h"
#include "app/recovery.h"
#include "batch/instructions.h"
#include "bench/benchreport.h"
#include "payments/exportrecord.h"
#include "platform/dataset/dataset.h"
#include "store/listfile.h"

namespace {

using benchreport::kRepetitions;

QTemporaryDir& Dir() {
    static QTemporaryDir dir;
    return dir;
}

// 1,000 exports of 100 payments each, spread over the last 60 days.
QString Record() {
    static const QString path = [] {
        const QString p = Dir().filePath(QStringLiteral("exportlog.txt"));
        const QDateTime now = QDateTime::currentDateTime();
        QByteArray bytes;
        for (int e = 0; e < 1000; ++e) {
            payments::exportrecord::Entry entry;
            entry.time = now.addSecs(-static_cast<qint64>(e) * 5184);
            entry.page = QStringLiteral("工资代发");
            entry.path = Dir().filePath(QStringLiteral("salary%1.txt").arg(e));
            entry.rows = 100;
            entry.total = QStringLiteral("10000.00");
            entry.sha256 = QByteArray(64, 'a');
            for (int r = 0; r < 100; ++r) {
                entry.payments.append(
                    {QStringLiteral("62220202%1").arg(e * 100 + r, 11, 10, QChar(u'0')),
                     payments::Money::FromTenThousandths((100 + r) * 10000LL)});
            }
            bytes += payments::exportrecord::EntryLine(entry) + '\n';
        }
        listfile::Replace(p, bytes);
        return p;
    }();
    return path;
}

void CheckBeforeExport(benchmark::State& state) {
    const QString path = Record();
    QList<payments::exportrecord::Payment> batch;
    for (int r = 0; r < 100; ++r) {
        batch.append({QStringLiteral("62220202%1").arg(r * 37, 11, 10, QChar(u'0')),
                      payments::Money::FromTenThousandths((100 + r % 100) * 10000LL)});
    }
    for (auto _ : state) {
        const auto repeats =
            payments::exportrecord::CheckPayments(path, batch, QDateTime::currentDateTime());
        benchmark::DoNotOptimize(repeats);
    }
}

// A record of 1,000,000 exports (about 280 MB), five payments each, the last 40 days.
QString BigRecord() {
    static const QString path = [] {
        const QString p = Dir().filePath(QStringLiteral("bigexportlog.txt"));
        QFile file(p);
        if (!file.open(QIODevice::WriteOnly)) {
            return QString();
        }
        const QDateTime now = QDateTime::currentDateTime();
        QByteArray block;
        for (int e = 0; e < 1000000; ++e) {
            payments::exportrecord::Entry entry;
            entry.time = now.addSecs(-static_cast<qint64>(e) * 3);
            entry.page = QStringLiteral("批量支付");
            entry.path = QStringLiteral("D:/付款/2026年12月/批量支付%1.txt").arg(e);
            entry.rows = 5;
            entry.total = QStringLiteral("5000.00");
            entry.sha256 = QByteArray(64, 'a');
            for (int r = 0; r < 5; ++r) {
                entry.payments.append(
                    {QStringLiteral("62220202%1").arg(e * 5 + r, 11, 10, QChar(u'0')),
                     payments::Money::FromTenThousandths((1000 + r) * 10000LL)});
            }
            block += payments::exportrecord::EntryLine(entry) + '\n';
            if (block.size() > (1 << 22)) {
                file.write(block);
                block.clear();
            }
        }
        file.write(block);
        return p;
    }();
    return path;
}

// The check before an export against the big record; the figure "peak MB" is how far the
// resident memory rose over the check.
void CheckBigRecord(benchmark::State& state) {
    const QString path = BigRecord();
    QList<payments::exportrecord::Payment> batch;
    for (int r = 0; r < 100; ++r) {
        batch.append({QStringLiteral("62220202%1").arg(r * 49999, 11, 10, QChar(u'0')),
                      payments::Money::FromTenThousandths(1000 * 10000LL)});
    }
    double peakMb = 0;
    qsizetype found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        benchreport::ResetPeak();
        const long before = benchreport::StatusKb("VmRSS");
        state.ResumeTiming();
        const auto check =
            payments::exportrecord::CheckPayments(path, batch, QDateTime::currentDateTime());
        state.PauseTiming();
        peakMb = std::max(peakMb, (benchreport::StatusKb("VmHWM") - before) / 1024.0);
        found = check.repeats.size();
        if (check.damagedLines != 0) {
            state.SkipWithError("the record read as damaged");
        }
        state.ResumeTiming();
    }
    state.counters["peak MB"] = peakMb;
    state.counters["repeats"] = static_cast<double>(found);
}

void OpenWindow(benchmark::State& state) {
    const QString path = Record();
    TfmExports window;
    for (auto _ : state) {
        window.Show(payments::exportrecord::Load(path));
        benchmark::DoNotOptimize(window.ExportList->rowCount());
    }
}

void RecoveryRewrite(benchmark::State& state) {
    Dataset salaries;
    for (const char* name : {"name", "deptname", "acct", "finalincome", "codeno", "memo"}) {
        salaries.AddFieldDef(QString::fromLatin1(name), false, 64);
    }
    salaries.CreateDataSet();
    // The rows come from an imported sheet, so that every row's origin is written too.
    RowOrigins origins(salaries);
    RowMarks marks(salaries);
    const RowOrigins::Scope imported(
        origins, RowOrigins::FromBytes(QStringLiteral("十二月工资.xls"), "sheet"));
    for (int r = 0; r < 1000; ++r) {
        salaries.Append();
        salaries.Fields(0).SetAsString(QStringLiteral("员工%1").arg(r));
        salaries.Fields(1).SetAsString(QStringLiteral("财务部"));
        salaries.Fields(2).SetAsString(QStringLiteral("6222020200%1").arg(r, 9, 10, QChar(u'0')));
        salaries.Fields(3).SetAsString(QStringLiteral("%1.50").arg(3000 + r));
        salaries.Fields(4).SetAsString(QStringLiteral("E%1").arg(r));
        salaries.Fields(5).SetAsString(QStringLiteral("十二月工资"));
        salaries.Post();
    }
    const QString path = Dir().filePath(QStringLiteral("recovery.dat"));
    for (auto _ : state) {
        recovery::Snapshot snapshot{
            QDateTime::currentDateTime(),
            {recovery::Capture(QStringLiteral("cds2"), salaries, origins, marks)}};
        if (!listfile::Replace(path, recovery::Serialize(snapshot))) {
            state.SkipWithError("the recovery file was not written");
        }
    }
}

// A recovery file of 10,000 instructions restored: every row checked as a typed one, then
// appended; the time must grow with the rows, not with their square.
void Restore(benchmark::State& state) {
    Dataset cds1;
    instructions::CreateTable(cds1);
    RowOrigins origins(cds1);
    RowMarks marks(cds1);
    recovery::Table table{QStringLiteral("cds1"), {}, {}, {}, {}, {}};
    for (int f = 0; f < cds1.FieldCount(); ++f) {
        table.fields.append(cds1.Fields(f).FieldName());
    }
    for (int r = 0; r < 10000; ++r) {
        table.rows.append({QStringLiteral("私人"), QStringLiteral("6230001"),
                           QStringLiteral("62220202%1").arg(r, 8, 10, QChar(u'0')),
                           QStringLiteral("收款人%1").arg(r), QString(),
                           QStringLiteral("星澜聚川银行"), QStringLiteral("CNY"),
                           QStringLiteral("%1.50").arg(100 + r), QStringLiteral("工资"),
                           QStringLiteral("普通"), QString()});
    }
    for (auto _ : state) {
        state.PauseTiming();
        cds1.EmptyDataSet();
        state.ResumeTiming();
        recovery::Fill(cds1, table, origins, marks);
    }
    if (cds1.RecordCount() != 10000) {
        state.SkipWithError("the restore did not add every row");
    }
}

void Summary(const benchreport::Collector& c) {
    benchreport::PrintGoals(
        c, {
               {"record check before export, 100,000 rows recorded", "RecordCheck/100000", 100},
               {"record window opening, 100,000 rows recorded     ", "RecordWindow/100000", 100},
               {"recovery rewrite of 1,000 salary rows            ", "RecoveryRewrite/1000", 20},
               {"restore of 10,000 instructions, each checked     ", "Restore/10000", 1000},
               {"record check before export, 1,000,000 lines      ", "RecordCheck/1000000", 1000},
           });
    const double peak = c.Counter("RecordCheck/1000000.peak MB");
    std::printf("  record check, 1,000,000 lines: memory rise     %8.1f MB   goal <= 200 MB   %s\n",
                peak, benchreport::Verdict(c.Ms("RecordCheck/1000000") > 0 && peak <= 200));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchreport::Add("RecordCheck/100000", CheckBeforeExport);
    benchreport::Add("RecordWindow/100000", OpenWindow);
    benchreport::Add("RecordCheck/1000000", CheckBigRecord)->Repetitions(5);
    benchreport::Add("RecoveryRewrite/1000", RecoveryRewrite);
    benchreport::Add("Restore/10000", Restore);
    benchreport::Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    Summary(collector);
    return 0;
}

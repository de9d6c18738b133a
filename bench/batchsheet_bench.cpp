// A company's payment sheet of 10,000 rows on the batch page's import: the workbook read, every
// row checked (bank numbers looked up in the embedded directory) and the preview filled, as
// .xlsx (written by libxlsxwriter) and as GB18030 .csv; then the whole import through the batch
// page's button and the preview's 导入, 1,000 and 10,000 rows, to show it grows linearly.
#include <xlsxwriter.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/mainwindow.h"
#include "batch/bankindex.h"
#include "batch/batchpage.h"
#include "batch/importpreview.h"
#include "batch/sheetbatch.h"
#include "bench/batchwindow.h"
#include "bench/benchreport.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/packet.h"
#include "platform/dialogs/scripteddialogs.h"
#include "platform/sheet/sheet.h"
#include "platform/text/ansi.h"
#include "store/configdir.h"

namespace {

constexpr int kRows = 10000;
constexpr double kGoalMs = 300;
const char* const kFormats[] = {"xlsx", "csv"};

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

QString FilePath(const std::string& format, int rows = kRows) {
    return Folder().filePath(QStringLiteral("payments%1.").arg(rows) +
                             QString::fromStdString(format));
}

// A branch name the directory holds exactly once.
QString UniqueBankName() {
    QFile file(QStringLiteral(":/BANKDATA"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    const PacketTable table = ReadPacket(file.readAll());
    const ColumnData& names = table.columns[1];
    QHash<QByteArray, int> count;
    for (std::size_t r = 0; r < names.RowCount(); ++r) {
        ++count[names.Value(r).toByteArray()];
    }
    for (std::size_t r = 0; r < names.RowCount(); ++r) {
        if (count.value(names.Value(r).toByteArray()) == 1) {
            return ansi::Decode(names.Value(r));
        }
    }
    return QString();
}

// Titles, then payments: every other one to another bank, named as the directory names it.
void WriteFiles() {
    const QString bank = UniqueBankName();
    const QStringList titles{QStringLiteral("收款人"), QStringLiteral("收款账号"),
                             QStringLiteral("开户行"), QStringLiteral("金额"),
                             QStringLiteral("用途")};
    lxw_workbook* book = workbook_new(QFile::encodeName(FilePath("xlsx")).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    QString csv = titles.join(u',') + QStringLiteral("\r\n");
    for (int c = 0; c < titles.size(); ++c) {
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), titles[c].toUtf8().constData(),
                               nullptr);
    }
    for (int r = 1; r <= kRows; ++r) {
        const QString values[] = {
            QStringLiteral("收款人%1").arg(r),
            QStringLiteral("62220%1").arg(r, 8, 10, QLatin1Char('0')),
            r % 2 == 0 ? bank : QStringLiteral("星澜聚川银行"),
            QStringLiteral("%1.%2").arg(100 + r).arg(r % 100, 2, 10, QLatin1Char('0')),
            QStringLiteral("货款")};
        for (int c = 0; c < 5; ++c) {
            if (c == 3) {
                worksheet_write_number(sheet, static_cast<lxw_row_t>(r), 3, values[c].toDouble(),
                                       nullptr);
            } else {
                worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                       values[c].toUtf8().constData(), nullptr);
            }
        }
        csv +=
            QStringList(std::begin(values), std::end(values)).join(u',') + QStringLiteral("\r\n");
    }
    workbook_close(book);
    QFile out(FilePath("csv"));
    if (out.open(QIODevice::WriteOnly)) {
        out.write(ansi::Encode(csv));
    }
    // The first 1,000 payments alone.
    const QStringList lines = csv.split(QStringLiteral("\r\n"));
    QFile small(FilePath("csv", 1000));
    if (small.open(QIODevice::WriteOnly)) {
        small.write(
            ansi::Encode(lines.mid(0, 1001).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }
}

// The batch window with its payer account chosen, as a cashier starts an import.
struct Window : BatchWindow {
    Window() { page->payacct->setEditText(QStringLiteral("6230001")); }
};

void ImportIntoGrid(benchmark::State& state, int rows) {
    // Kept to the end of the process: the window must not outlive the application object's
    // destruction in a static destructor.
    static Window* const window = new Window;
    Window& w = *window;
    BatchPage* page = w.page;
    for (auto _ : state) {
        state.PauseTiming();
        w.ClearTable();
        w.Write(QStringLiteral("config/recvers.ini"), QByteArray());
        w.dialogs.fileAnswers = {FilePath("csv", rows)};
        QTimer::singleShot(0, w.page->importPreview,
                           [page] { page->importPreview->btnImport->click(); });
        state.ResumeTiming();
        w.page->Button6->click();
    }
    if (w.form->cds1.RecordCount() != rows) {
        state.SkipWithError("the import did not add every row");
    }
    w.ClearTable();
}

void ReadCheckPreview(benchmark::State& state, const std::string& format) {
    BankIndex banks;
    const sheetbatch::BankLookup lookup{[&](const QString& name) { return banks.Codes(name); },
                                        [&](const QString& code) { return banks.Names(code); }};
    // The directory is read at the first lookup of the run, before the sheets.
    banks.Codes(QString());
    ImportPreview preview;
    const sheetbatch::Mapping mapping;
    for (auto _ : state) {
        const auto app = sheet::CreateApplication();
        app->GetWorkbooks().Open(FilePath(format));
        app->Worksheets(1).Activate();
        const sheetbatch::SheetTable table = sheetbatch::ReadTable(*app, mapping);
        app->Quit();
        const auto layout = sheetbatch::FindHeader(table);
        if (!layout) {
            state.SkipWithError("no header recognised");
            return;
        }
        preview.Prepare(
            {&table, *layout, mapping, QStringLiteral("6230001"), lookup, FilePath(format)});
        if (preview.Current().rows.size() != static_cast<std::size_t>(kRows)) {
            state.SkipWithError("rows refused");
            return;
        }
        benchmark::DoNotOptimize(preview.Current().total);
    }
}

void DirectoryFirstLookup(benchmark::State& state) {
    for (auto _ : state) {
        BankIndex banks;
        benchmark::DoNotOptimize(banks.Codes(QStringLiteral("星澜聚川银行")));
    }
}

std::string Name(const std::string& format) {
    return "BatchSheet/" + format + "/" + std::to_string(kRows);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    WriteFiles();
    for (const char* f : kFormats) {
        const std::string format = f;
        benchreport::Add(Name(format),
                         [format](benchmark::State& s) { ReadCheckPreview(s, format); });
    }
    benchreport::Add("BatchSheet/DirectoryFirstLookup", DirectoryFirstLookup);
    for (const int rows : {1000, kRows}) {
        benchreport::Add("BatchSheet/ImportIntoGrid/" + std::to_string(rows),
                         [rows](benchmark::State& s) { ImportIntoGrid(s, rows); })
            ->Repetitions(5);
    }
    benchreport::Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    std::printf("\nSummary (medians of %d repetitions)\n", benchreport::kRepetitions);
    for (const char* f : kFormats) {
        const double ms = collector.Ms(Name(f));
        std::printf(
            "  batch sheet %-4s %d rows read, checked, previewed  %8.3f ms   goal <= %.0f ms"
            "   %s\n",
            f, kRows, ms, kGoalMs, benchreport::Verdict(ms > 0 && ms <= kGoalMs));
    }
    std::printf(
        "  batch sheet bank directory read at the first lookup  %8.3f ms   (once per run, "
        "not in the goal)\n",
        collector.Ms("BatchSheet/DirectoryFirstLookup"));
    // Ten times the rows in about ten times the time: within 12x counts as linear.
    const double small = collector.Ms("BatchSheet/ImportIntoGrid/1000");
    const double large = collector.Ms("BatchSheet/ImportIntoGrid/" + std::to_string(kRows));
    const double ratio = small > 0 ? large / small : 0.0;
    std::printf("  batch sheet csv  1000 rows imported into the grid    %8.3f ms\n", small);
    std::printf(
        "  batch sheet csv  %d rows imported into the grid   %8.3f ms   goal linear (<= 12x "
        "the 1000 rows: %.1fx)   %s\n",
        kRows, large, ratio, benchreport::Verdict(small > 0 && large > 0 && ratio <= 12));
    return 0;
}

// A company's payment sheet of 10,000 rows on the batch page's import: the workbook read, every
// row checked (bank numbers looked up in the embedded directory) and the preview filled, as
// .xlsx (written by libxlsxwriter) and as GB18030 .csv.
#include <xlsxwriter.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <cstdio>

#include "batch/bankindex.h"
#include "batch/importpreview.h"
#include "batch/sheetbatch.h"
#include "bench/benchreport.h"
#include "platform/dataset/packet.h"
#include "platform/sheet/sheet.h"
#include "platform/text/ansi.h"

namespace {

constexpr int kRows = 10000;
constexpr double kGoalMs = 300;
const char* const kFormats[] = {"xlsx", "csv"};

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

QString FilePath(const std::string& format) {
    return Folder().filePath(QStringLiteral("payments.") + QString::fromStdString(format));
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
}

void ReadCheckPreview(benchmark::State& state, const std::string& format) {
    BankIndex banks;
    const sheetbatch::BankLookup lookup = [&](const QString& name) { return banks.Codes(name); };
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
    return 0;
}

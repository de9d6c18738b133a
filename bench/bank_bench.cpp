// The bank directory's speed: loading the embedded packet into a table, the name and number
// searches of the bank search dialog, each against SQLite in memory holding the same rows, a
// plain memmem scan as the lower bound of a name search, and the memory of the loaded table.
// After the runs a summary compares the medians with the goals.

#include "platform/dataset/dataset.h"
#include "platform/dataset/packet.h"
#include "platform/text/ansi.h"

#include "bench/benchreport.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Term {
    const char* label;
    const char* text;  // UTF-8
};

// A frequent, a rare, a missing and a Latin (letter case ignored) part of a name, and the
// first keys typed for some of them: one character, one letter.
constexpr Term kTerms[] = {{"frequent", "支行"}, {"rare", "西宁城西"}, {"nomatch", "不存在银行"},
                           {"latin", "cbd"},     {"single", "支"},     {"letter", "x"}};
constexpr char kCode[] = "105851002223";

QByteArray EmbeddedPacket() {
    QFile file(QStringLiteral(":/BANKDATA"));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("the resource :/BANKDATA is missing");
    }
    return file.readAll();
}

QString Quoted(const QString& text) {
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

// The loaded directory, a table in the dialog's state and the same rows in SQLite.
struct Directory {
    QByteArray packet = EmbeddedPacket();
    PacketTable table = ReadPacket(packet);
    Dataset cds;
    sqlite3* db = nullptr;

    Directory() {
        QFile file(QStringLiteral(":/BANKDATA"));
        file.open(QIODevice::ReadOnly);
        cds.LoadFromStream(file);
        sqlite3_open(":memory:", &db);
        Exec("CREATE TABLE bank(bankcode TEXT, lname TEXT)");
        Exec("BEGIN");
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO bank VALUES(?1, ?2)", -1, &insert, nullptr);
        for (std::size_t r = 0; r < table.columns[0].RowCount(); ++r) {
            const QByteArray code = table.columns[0].Value(r).toByteArray();
            const QByteArray name = ansi::Decode(table.columns[1].Value(r)).toUtf8();
            sqlite3_bind_text(insert, 1, code.constData(), static_cast<int>(code.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, name.constData(), static_cast<int>(name.size()),
                              SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        Exec("COMMIT");
    }
    ~Directory() { sqlite3_close(db); }

    void Exec(const char* sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sqlite3_errmsg(db));
        }
    }
};

Directory& Dir() {
    static Directory directory;
    return directory;
}

void Load(benchmark::State& state) {
    QFile file(QStringLiteral(":/BANKDATA"));
    file.open(QIODevice::ReadOnly);
    Dataset cds;
    for (auto _ : state) {
        cds.Close();
        file.seek(0);
        cds.LoadFromStream(file);
        benchmark::DoNotOptimize(cds.RecordCount());
    }
    state.counters["rows"] = cds.RecordCount();
}

// One search as the dialog runs it: a new filter text with filtering switched on.
void TableFilter(benchmark::State& state, const QString& filter) {
    Dataset& cds = Dir().cds;
    for (auto _ : state) {
        cds.SetFiltered(false);
        cds.SetFilterText(filter);
        cds.SetFiltered(true);
        benchmark::DoNotOptimize(cds.RecordCount());
    }
    state.counters["rows"] = cds.RecordCount();
}

void SqliteCount(benchmark::State& state, const char* sql, const std::string& argument) {
    sqlite3* db = Dir().db;
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &query, nullptr);
    sqlite3_bind_text(query, 1, argument.c_str(), static_cast<int>(argument.size()),
                      SQLITE_TRANSIENT);
    long long count = 0;
    for (auto _ : state) {
        sqlite3_step(query);
        count = sqlite3_column_int64(query, 0);
        sqlite3_reset(query);
    }
    sqlite3_finalize(query);
    state.counters["rows"] = static_cast<double>(count);
}

// Every occurrence of the text's bytes in the name arena, nothing else: what any search over
// the names must at least read.
void MemmemScan(benchmark::State& state, const QByteArray& needle) {
    const QByteArray& arena = Dir().table.columns[1].arena;
    long long hits = 0;
    for (auto _ : state) {
        hits = 0;
        const char* p = arena.constData();
        const char* end = p + arena.size();
        while (const void* at = memmem(p, static_cast<std::size_t>(end - p), needle.constData(),
                                       static_cast<std::size_t>(needle.size()))) {
            ++hits;
            p = static_cast<const char*>(at) + 1;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

// Bytes the loaded table keeps: each column's arena and its cells.
void Memory(benchmark::State& state) {
    const QByteArray& packet = Dir().packet;
    double bytes = 0;
    for (auto _ : state) {
        const PacketTable table = ReadPacket(packet);
        bytes = 0;
        for (const ColumnData& c : table.columns) {
            bytes += static_cast<double>(c.arena.capacity()) +
                     static_cast<double>(c.cells.capacity() * sizeof(ColumnData::Cell));
        }
    }
    state.counters["table_bytes"] = bytes;
    state.counters["packet_bytes"] = static_cast<double>(packet.size());
    state.counters["ratio"] = bytes / static_cast<double>(packet.size());
}

using benchreport::Add;
using benchreport::Collector;
using benchreport::kRepetitions;

void Summary(const Collector& c) {
    const auto ms = [&](const std::string& name) { return c.Ms(name); };
    const auto verdict = benchreport::Verdict;
    std::printf("\nSummary (medians of %d repetitions)\n", kRepetitions);
    const double load = ms("Load/embedded");
    std::printf("  load of the directory        %8.3f ms   goal <= 40 ms   %s\n", load,
                verdict(load <= 40));
    for (const Term& t : kTerms) {
        const double ours = ms(std::string("NameFilter/") + t.label);
        const double sqlite = ms(std::string("SqliteLike/") + t.label);
        const double scan = ms(std::string("Memmem/") + t.label);
        std::printf(
            "  name filter %-9s        %8.3f ms   goal <= 3 ms    %s   SQLite %8.3f ms "
            "(%.1fx)   memmem %6.3f ms\n",
            t.label, ours, verdict(ours <= 3 && sqlite >= 10 * ours), sqlite,
            ours > 0 ? sqlite / ours : 0.0, scan);
    }
    const double number = ms("NumberFilter/code");
    const double sqliteNumber = ms("SqliteEqual/code");
    std::printf(
        "  number filter                %8.3f ms   goal <= 1 ms    %s   SQLite %8.3f ms "
        "(%.1fx)\n",
        number, verdict(number <= 1), sqliteNumber, number > 0 ? sqliteNumber / number : 0.0);
    const auto ratio = c.counters.find("Memory/loaded.ratio");
    const auto bytes = c.counters.find("Memory/loaded.table_bytes");
    if (ratio != c.counters.end() && bytes != c.counters.end()) {
        std::printf(
            "  memory of the loaded table   %8.0f bytes = %.2fx the packet   goal <= 2.5x   "
            "%s\n",
            bytes->second, ratio->second, verdict(ratio->second <= 2.5));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    Add("Load/embedded", Load);
    for (const Term& t : kTerms) {
        const QString text = QString::fromUtf8(t.text);
        const QString filter = QStringLiteral("LNAME LIKE %1").arg(Quoted(u'%' + text + u'%'));
        Add(std::string("NameFilter/") + t.label,
            [filter](benchmark::State& s) { TableFilter(s, filter); });
        const std::string pattern = std::string("%") + t.text + "%";
        Add(std::string("SqliteLike/") + t.label, [pattern](benchmark::State& s) {
            SqliteCount(s, "SELECT count(*) FROM bank WHERE lname LIKE ?1", pattern);
        });
        const QByteArray needle = ansi::Encode(text);
        Add(std::string("Memmem/") + t.label,
            [needle](benchmark::State& s) { MemmemScan(s, needle); });
    }
    const QString numberFilter =
        QStringLiteral("BANKCODE = %1").arg(Quoted(QString::fromLatin1(kCode)));
    Add("NumberFilter/code", [numberFilter](benchmark::State& s) { TableFilter(s, numberFilter); });
    Add("SqliteEqual/code", [](benchmark::State& s) {
        SqliteCount(s, "SELECT count(*) FROM bank WHERE bankcode = ?1", kCode);
    });
    benchmark::RegisterBenchmark("Memory/loaded", Memory)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);

    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    Summary(collector);
    return 0;
}

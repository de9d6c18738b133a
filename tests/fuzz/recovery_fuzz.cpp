// Fuzzes the reading of the recovery file that a run which did not end normally leaves behind.
//
// Input: the file's content before its closing check. Checked:
// - the bytes as they are, and the same bytes with a valid closing check appended, are read
//   without a fault;
// - whatever reads as a snapshot keeps every import origin inside its table's sources and one
//   per row;
// - a snapshot written again reads back as the same snapshot, and writes the same bytes;
// - what a restore accepts into the instruction table is what a cashier could have typed: every
//   value passes its field's check, every row the instruction's, each amount in its stored
//   form; a salary table restores no amount that is not one and no value a file cannot carry.
#include <QCryptographicHash>

#include "app/recovery.h"
#include "batch/instructions.h"
#include "payments/instruction.h"
#include "payments/values.h"
#include "platform/dataset/dataset.h"
#include "platform/text/apperror.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

bool Same(const recovery::Snapshot& a, const recovery::Snapshot& b) {
    if (a.time != b.time || a.tables.size() != b.tables.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.tables.size(); ++i) {
        const recovery::Table& x = a.tables[i];
        const recovery::Table& y = b.tables[i];
        if (x.name != y.name || x.fields != y.fields || x.rows != y.rows ||
            x.origins != y.origins || x.exported != y.exported ||
            x.sources.size() != y.sources.size()) {
            return false;
        }
        for (qsizetype s = 0; s < x.sources.size(); ++s) {
            if (x.sources[s].name != y.sources[s].name ||
                x.sources[s].sha256 != y.sources[s].sha256 ||
                x.sources[s].time != y.sources[s].time) {
                return false;
            }
        }
    }
    return true;
}

void Check(const recovery::Snapshot& snapshot) {
    for (const recovery::Table& t : snapshot.tables) {
        FUZZ_CHECK(t.origins.isEmpty() || t.origins.size() == t.rows.size(),
                   "origins for " + std::to_string(t.origins.size()) + " of " +
                       std::to_string(t.rows.size()) + " rows");
        FUZZ_CHECK(t.exported.isEmpty() || t.exported.size() == t.rows.size(),
                   "exported marks for another number of rows");
        for (const int o : t.origins) {
            FUZZ_CHECK(o >= -1 && o < t.sources.size(), "origin " + std::to_string(o));
        }
        for (const QStringList& row : t.rows) {
            FUZZ_CHECK(row.size() == t.fields.size(), "a row of another width");
        }
    }
    for (const recovery::Table& t : snapshot.tables) {
        Dataset table;
        if (t.name == u"cds1") {
            instructions::CreateTable(table);
        } else {
            for (const QString& field : t.fields) {
                table.AddFieldDef(field, false, 20);
            }
            if (table.FieldCount() == 0) {
                continue;
            }
            table.CreateDataSet();
        }
        try {
            recovery::Fill(table, t);
        } catch (const AppError&) {
            FUZZ_CHECK(table.RecordCount() == 0, "a refused table keeps rows");
            continue;
        }
        for (int r = 0; r < table.RecordCount(); ++r) {
            const QStringList row = table.RowTexts(r);
            for (const QString& value : row) {
                FUZZ_CHECK(payments::FindFlaw(value) == payments::Flaw::None,
                           "a restored value a file cannot carry");
            }
            if (t.name == u"cds1") {
                for (int f = 0; f < row.size(); ++f) {
                    FUZZ_CHECK(!payments::CheckInstructionValue(f, row[f]),
                               "a restored value its field refuses");
                }
                const payments::Instruction in = payments::Instruction::FromRow(row);
                FUZZ_CHECK(!payments::CheckInstruction(in), "a restored instruction refused");
                FUZZ_CHECK(payments::CheckAmount(in.amt).normal == in.amt,
                           "a restored amount not in its stored form");
            } else if (const auto f = table.FindField(QStringLiteral("finalincome"))) {
                const payments::AmountCheck amount = payments::CheckAmount(row[f->Index()]);
                FUZZ_CHECK(!amount.refusal && amount.normal == row[f->Index()],
                           "a restored salary amount that is none");
            }
        }
    }
    const QByteArray written = recovery::Serialize(snapshot);
    const std::optional<recovery::Snapshot> back = recovery::Parse(written);
    FUZZ_CHECK(back.has_value(), "a written snapshot does not read back");
    FUZZ_CHECK(Same(snapshot, *back), "a written snapshot reads back otherwise");
    FUZZ_CHECK(recovery::Serialize(*back) == written, "a second write differs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body = fuzz::Bytes(data, size);
    if (const std::optional<recovery::Snapshot> s = recovery::Parse(body)) {
        Check(*s);
    }
    const QByteArray sealed =
        body + "end\t" + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() + '\n';
    if (const std::optional<recovery::Snapshot> s = recovery::Parse(sealed)) {
        Check(*s);
    }
    return 0;
}

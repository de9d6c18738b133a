// Fuzzes the check of one line of a batch upload file before an import, and what the import then
// makes of a line the check accepted.
//
// Input: one byte of mode (bit 0: the rest is UTF-16 units rather than GB18030 bytes), then the
// line. Checked for an accepted line: it has 10 or 11 fields, a known type and remittance code,
// and an amount that the amount box takes and gives back unchanged (as an exact decimal), since
// the import stores the box's plain text; a refused line has a reason to show.
#include "controls/numeditnew.h"
#include "payments/batchfile.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"
#include "tests/fuzz/fuzzcheck.h"

#include <QApplication>
#include <memory>
#include <optional>

namespace {

// The import's amount box, in an application made once for the whole run. Both are destroyed at
// exit, box first, so that the application releases what it holds.
TNumEditNew& AmountBox() {
    static const std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "uploadfile_fuzz";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
    static const std::unique_ptr<TNumEditNew> box = std::make_unique<TNumEditNew>();
    return *box;
}

std::optional<std::int64_t> Currency(const QString& text) {
    try {
        return convert::TextToCurrency(text);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
    const QString line = (data[0] & 1) != 0 ? fuzz::Utf16(bytes) : ansi::Decode(bytes);

    if (const auto reason = payments::batchfile::CheckLine(line)) {
        FUZZ_CHECK(!reason->isEmpty(), "a refusal without a reason: " + fuzz::Show(line));
        return 0;
    }
    const qsizetype fields = line.split(u'|').size();
    FUZZ_CHECK(fields == 10 || fields == 11, "accepted with another field count");
    const payments::Instruction l = payments::batchfile::ParseLine(line);
    FUZZ_CHECK(l.cpflag == u"公司" || l.cpflag == u"私人" || l.cpflag == u"跨行",
               "accepted type " + fuzz::Show(l.cpflag));
    FUZZ_CHECK(l.remittype == u"加急" || l.remittype == u"普通",
               "accepted remittance " + fuzz::Show(l.remittype));
    // What is accepted is written back as the same instruction.
    FUZZ_CHECK(payments::batchfile::ParseLine(payments::batchfile::FormatLine(l)) == l,
               "an accepted line does not read back: " + fuzz::Show(line));

    TNumEditNew& box = AmountBox();
    try {
        box.SetShuZhi(l.amt);
    } catch (const AppError& e) {
        FUZZ_CHECK(false, "the amount box refuses the accepted amount " + fuzz::Show(l.amt) + ": " +
                              fuzz::Show(e.Message()));
    }
    const auto given = Currency(l.amt);
    const auto stored = Currency(box.ShuZhi());
    FUZZ_CHECK(
        given && stored && *given == *stored,
        "the accepted amount " + fuzz::Show(l.amt) + " is stored as " + fuzz::Show(box.ShuZhi()));
    return 0;
}

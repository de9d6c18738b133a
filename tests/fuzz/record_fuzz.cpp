// Fuzzes the comma-text split of roster lines and the quoting that writes fields back.
//
// Input: one byte of mode (bit 0: "|" replaced; bit 1: the rest is UTF-16 units rather than
// GB18030 bytes), then the text. Checked:
// - the fields of any line, written back with JoinQuoted, split into the same fields;
// - the text cut at NUL characters, taken as fields (those without "|"), does the same: every
//   field the roster can carry reads back whole.
#include "platform/text/ansi.h"
#include "store/record.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

void CheckRoundTrip(const QStringList& fields) {
    const QString line = record::JoinQuoted(fields);
    const QStringList back = record::Split(line, record::Pipes::Replace);
    FUZZ_CHECK(back == fields, "fields [" + fuzz::Show(fields.join(u'\x1f')) + "] written as [" +
                                   fuzz::Show(line) + "] read back as [" +
                                   fuzz::Show(back.join(u'\x1f')) + "]");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
    const QString text = (mode & 2) != 0 ? fuzz::Utf16(bytes) : ansi::Decode(bytes);
    const auto pipes = (mode & 1) != 0 ? record::Pipes::Replace : record::Pipes::Keep;

    const QStringList fields = record::Split(text, pipes);
    bool carried = true;
    for (const QString& f : fields) {
        FUZZ_CHECK(!f.contains(QChar(u'\0')), "a field holds NUL: " + fuzz::Show(text));
        FUZZ_CHECK(pipes == record::Pipes::Keep || !f.contains(u'|'),
                   "a field holds \"|\" after the replacement: " + fuzz::Show(text));
        carried = carried && !f.contains(u'|');
    }
    if (carried) {
        CheckRoundTrip(fields);
    }

    QStringList given;
    for (const QString& f : text.split(QChar(u'\0'))) {
        if (!f.contains(u'|')) {
            given.append(f);
        }
    }
    if (!given.isEmpty()) {
        CheckRoundTrip(given);
    }
    return 0;
}

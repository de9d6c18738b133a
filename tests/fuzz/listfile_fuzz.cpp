// Fuzzes the list-file reader on bytes: the GB18030 decoding and the cut into lines that Load
// does, and the write of those lines back.
//
// Checked: no line holds a line break; the lines are the text with every CR LF, CR and LF as
// one break (a break at the very end starts no line); the text encodes to bytes that decode to
// it again (no character is lost); the lines written with JoinLines read back the same.
#include "platform/text/ansi.h"
#include "store/listfile.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = ansi::Decode(fuzz::Bytes(data, size));
    const QStringList lines = listfile::SplitLines(text);

    for (const QString& line : lines) {
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'),
                   "a line holds a break: " + fuzz::Show(line));
    }
    QString breaks = text;
    breaks.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (breaks.endsWith(u'\n')) {
        breaks.chop(1);
    }
    FUZZ_CHECK(lines.join(u'\n') == breaks, "lines differ from the text: " + fuzz::Show(text));

    FUZZ_CHECK(ansi::Decode(ansi::Encode(text)) == text,
               "the text does not survive encoding: " + fuzz::Show(text));

    const QStringList back = listfile::SplitLines(ansi::Decode(listfile::JoinLines(lines)));
    FUZZ_CHECK(back == lines, "written lines read back differently: " + fuzz::Show(text));
    return 0;
}

// Comma-separated text as one worksheet: UTF-8 when the file starts with its byte-order mark or
// is valid UTF-8 holding text beyond ASCII, else GB18030; UTF-16 text is refused as such. Fields
// and lines split as a spreadsheet program splits them: a field that starts with a double quote
// runs to the closing quote, a doubled quote inside it is one quote, and commas and line breaks
// inside it belong to the field; whatever follows the closing quote up to the next comma is kept.
// Lines end with CR LF, LF or CR; an empty line is an empty row. Field texts are taken as they
// stand: no number, date or blank is reinterpreted.
#include "platform/sheet/book.h"

#include <QStringDecoder>

#include <QStringList>
#include <algorithm>
#include <vector>
#include "platform/text/ansi.h"

namespace sheet {

namespace {

class CsvGrid : public Grid {
public:
    explicit CsvGrid(QString text) : text_(std::move(text)) { IndexRows(); }

    int LastRow() const override { return static_cast<int>(rowStarts_.size()); }

    QString Cell(int row, int column) const override {
        if (row < 1 || column < 1 || static_cast<std::size_t>(row) > rowStarts_.size()) {
            return {};
        }
        if (row != cachedRow_) {
            cachedFields_ = SplitRow(rowStarts_[static_cast<std::size_t>(row) - 1]);
            cachedRow_ = row;
        }
        return column <= cachedFields_.size() ? cachedFields_[column - 1] : QString();
    }

private:
    static bool IsLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }

    // Position after the line end at i (CR LF counts as one).
    qsizetype SkipLineEnd(qsizetype i) const {
        if (text_[i] == u'\r' && i + 1 < text_.size() && text_[i + 1] == u'\n') {
            return i + 2;
        }
        return i + 1;
    }

    // Walks one row from `start`; returns where the next row starts. Fields go to `fields`
    // when it is given.
    qsizetype WalkRow(qsizetype start, QStringList* fields) const {
        const qsizetype n = text_.size();
        qsizetype i = start;
        QString field;
        while (true) {
            field.clear();
            if (i < n && text_[i] == u'"') {
                ++i;
                while (i < n) {
                    if (text_[i] == u'"') {
                        if (i + 1 < n && text_[i + 1] == u'"') {
                            field += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += text_[i++];
                }
            }
            while (i < n && text_[i] != u',' && !IsLineEnd(text_[i])) {
                field += text_[i++];
            }
            if (fields) {
                fields->append(field);
            }
            if (i < n && text_[i] == u',') {
                ++i;
                continue;
            }
            return i < n ? SkipLineEnd(i) : n;
        }
    }

    void IndexRows() {
        qsizetype i = 0;
        while (i < text_.size()) {
            rowStarts_.push_back(i);
            i = WalkRow(i, nullptr);
        }
    }

    QStringList SplitRow(qsizetype start) const {
        QStringList fields;
        WalkRow(start, &fields);
        return fields;
    }

    QString text_;
    std::vector<qsizetype> rowStarts_;
    mutable int cachedRow_ = 0;
    mutable QStringList cachedFields_;
};

class CsvBook : public Book {
public:
    explicit CsvBook(QString text) : text_(std::move(text)) {}
    int WorksheetCount() const override { return 1; }
    std::unique_ptr<Grid> LoadWorksheet(int) override { return std::make_unique<CsvGrid>(text_); }

private:
    QString text_;
};

// Text saved as UTF-16, as the spreadsheet programs save "Unicode text": it starts with the
// UTF-16 byte-order mark, or its NUL bytes are the high halves of characters. GB18030 and UTF-8
// text hold no NUL byte, so only the files a refusal would call binary are looked at further:
// the first 64 KB must fall on one side of each pair and read as UTF-16 text without control
// characters other than tab and line ends, which a binary file's bytes almost never do.
bool IsUtf16(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        return true;
    }
    const QByteArrayView head =
        QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 64 * 1024) & ~1);
    bool nulFirst = false;   // a NUL as the first byte of a pair: big-endian
    bool nulSecond = false;  // as the second: little-endian
    for (qsizetype i = 0; i < head.size(); ++i) {
        if (head[i] == '\0') {
            (i % 2 == 0 ? nulFirst : nulSecond) = true;
        }
    }
    if (nulFirst == nulSecond) {
        return false;  // no NUL, or NULs on both sides: no UTF-16 text
    }
    QStringDecoder decoder(nulFirst ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
    const QString text = decoder.decode(head);
    if (decoder.hasError()) {
        return false;
    }
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
    });
}

}  // namespace

std::unique_ptr<Book> ReadCsv(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        throw ReadFailure{Failure::Empty};
    }
    if (bytes.size() > kMaxFileBytes) {
        throw ReadFailure{Failure::TooLarge};
    }
    // UTF-16 is named as such: the user can save the sheet again in an encoding we read.
    if (IsUtf16(bytes)) {
        throw ReadFailure{Failure::Utf16};
    }
    // Text holds no NUL character; a file with one is binary, not a sheet.
    if (bytes.contains('\0')) {
        throw ReadFailure{Failure::NotWorkbook};
    }
    // UTF-8 with its mark, or without it when the bytes are valid UTF-8 throughout and hold
    // text beyond ASCII (GBK text of any length is almost never that); else GB18030. Reading
    // UTF-8 as GB18030 would pay 寮犱笁 instead of 张三.
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    const bool utf8 = marked || ansi::LooksLikeUtf8(bytes);
    QStringDecoder decoder =
        utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("GB18030");
    QString text = decoder.decode(QByteArrayView(bytes).sliced(marked ? 3 : 0));
    // Undecodable bytes are refused, never replaced.
    if (decoder.hasError() || !decoder.isValid()) {
        throw ReadFailure{Failure::Encoding};
    }
    return std::make_unique<CsvBook>(std::move(text));
}

}  // namespace sheet

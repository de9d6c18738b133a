#include "platform/report/templatereader.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <functional>

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"

namespace report {

namespace {

[[noreturn]] void Fail(const QString& fileName, qint64 line, const QString& detail) {
    throw AppError(
        QStringLiteral("报表模板 %1 第 %2 行有误：%3").arg(fileName).arg(line).arg(detail));
}

qint64 LineOf(QByteArrayView bytes, qsizetype pos) {
    return bytes.first(pos).count('\n') + 1;
}

// The declared encoding of the XML declaration, empty when there is none.
QString DeclaredEncoding(QByteArrayView bytes) {
    if (!bytes.startsWith("<?xml")) {
        return {};
    }
    const qsizetype end = bytes.indexOf("?>");
    if (end < 0) {
        return {};
    }
    static const QRegularExpression kEncoding(
        QStringLiteral(R"(encoding\s*=\s*["']([A-Za-z0-9._-]{1,40})["'])"));
    const QRegularExpressionMatch m =
        kEncoding.match(QString::fromLatin1(bytes.first(end).data(), end));
    return m.hasMatch() ? m.captured(1) : QString();
}

// The text of the file in the encoding its declaration names: UTF-8 when it names none, as XML
// has it, or GB18030 (GBK and GB2312 being subsets). Undecodable bytes are refused.
QString DecodeTemplate(QByteArrayView bytes, const QString& fileName) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    const QString encoding = DeclaredEncoding(bytes).toUpper();
    if (encoding.isEmpty() || encoding == u"UTF-8") {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(bytes);
        if (decoder.hasError()) {
            const qsizetype bad = text.indexOf(QChar::ReplacementCharacter);
            Fail(fileName, bad < 0 ? 1 : text.first(bad).count(u'\n') + 1,
                 QStringLiteral("含有不是 UTF-8 编码的字节"));
        }
        return text;
    }
    if (encoding == u"GB18030" || encoding == u"GBK" || encoding == u"GB2312") {
        const char* begin = bytes.data();
        const char* end = begin + bytes.size();
        for (const char* p = begin; p < end;) {
            const int length = ansi::CharLength(p, end);
            if (length == 1 && static_cast<unsigned char>(*p) >= 0x80) {
                Fail(fileName, LineOf(bytes, p - begin),
                     QStringLiteral("含有不是 GB18030 编码的字节"));
            }
            p += length;
        }
        const QString text = ansi::Decode(bytes);
        if (ansi::Encode(text) != bytes) {
            Fail(fileName, 1, QStringLiteral("含有不是 GB18030 编码的字节"));
        }
        return text;
    }
    Fail(fileName, 1, QStringLiteral("不支持的编码 %1（只支持 UTF-8 和 GB18030）").arg(encoding));
}

// The attributes of one element: each is taken once by name; any left untaken is unknown.
class Attributes {
public:
    Attributes(const QXmlStreamReader& xml, std::function<void(const QString&)> fail)
        : attributes_(xml.attributes()), fail_(std::move(fail)) {}

    std::optional<QString> Take(const char16_t* name) {
        taken_.insert(QString::fromUtf16(name));
        if (!attributes_.hasAttribute(QString::fromUtf16(name))) {
            return std::nullopt;
        }
        return attributes_.value(QString::fromUtf16(name)).toString();
    }
    QString Text(const char16_t* name, const QString& fallback = {}) {
        return Take(name).value_or(fallback);
    }
    std::optional<double> OptionalNumber(const char16_t* name, double min, double max) {
        const std::optional<QString> text = Take(name);
        if (!text) {
            return std::nullopt;
        }
        static const QRegularExpression kNumber(QStringLiteral(R"(^-?\d{1,9}(\.\d{1,9})?$)"));
        if (!kNumber.match(*text).hasMatch()) {
            fail_(QStringLiteral("属性 %1 的值“%2”不是数值").arg(QString::fromUtf16(name), *text));
        }
        const double value = text->toDouble();
        if (value < min || value > max) {
            fail_(QStringLiteral("属性 %1 的值 %2 超出范围 %3 至 %4")
                      .arg(QString::fromUtf16(name), *text)
                      .arg(min)
                      .arg(max));
        }
        return value;
    }
    // A number within [min, max]; without a fallback the attribute is required.
    double Number(const char16_t* name, double min, double max, std::optional<double> fallback) {
        const std::optional<double> value = OptionalNumber(name, min, max);
        if (!value && !fallback) {
            fail_(QStringLiteral("缺少属性 %1").arg(QString::fromUtf16(name)));
        }
        return value ? *value : *fallback;
    }
    bool Bool(const char16_t* name, bool fallback) {
        const std::optional<QString> text = Take(name);
        if (!text) {
            return fallback;
        }
        if (*text == u"true") {
            return true;
        }
        if (*text == u"false") {
            return false;
        }
        fail_(QStringLiteral("属性 %1 的值“%2”应为 true 或 false")
                  .arg(QString::fromUtf16(name), *text));
        return fallback;
    }
    // One of the names, returned as its position in the list.
    int Choice(const char16_t* name, const QStringList& names, int fallback) {
        const std::optional<QString> text = Take(name);
        if (!text) {
            return fallback;
        }
        const int index = static_cast<int>(names.indexOf(*text));
        if (index < 0) {
            fail_(QStringLiteral("属性 %1 的值“%2”应为 %3 之一")
                      .arg(QString::fromUtf16(name), *text, names.join(QStringLiteral("、"))));
        }
        return index;
    }
    QColor Color(const char16_t* name, const QColor& fallback) {
        const std::optional<QString> text = Take(name);
        if (!text) {
            return fallback;
        }
        static const QRegularExpression kColor(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (!kColor.match(*text).hasMatch()) {
            fail_(QStringLiteral("属性 %1 的值“%2”应为 #RRGGBB 形式的颜色")
                      .arg(QString::fromUtf16(name), *text));
        }
        return QColor::fromString(*text);
    }
    // Fails on an attribute nothing took.
    void CheckAllTaken() {
        for (const QXmlStreamAttribute& a : attributes_) {
            if (!taken_.contains(a.qualifiedName().toString())) {
                fail_(QStringLiteral("未知属性 %1").arg(a.qualifiedName().toString()));
            }
        }
    }

private:
    QXmlStreamAttributes attributes_;
    std::function<void(const QString&)> fail_;
    QSet<QString> taken_;
};

constexpr double kMaxLength = 10000;  // mm
constexpr double kMaxPixels = 1000;
constexpr int kMaxPages = 16;
constexpr int kMaxRowCount = 100;

class Reader {
public:
    Reader(const QString& text, const QString& fileName) : xml_(text), fileName_(fileName) {}

    ReportTemplate Read() {
        ReportTemplate result;
        bool root = false;
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (root || xml_.name() != u"Report") {
                    Fail(QStringLiteral("根元素应为 <Report>，而不是 <%1>").arg(xml_.name()));
                }
                root = true;
                ReadReport(result);
            } else {
                CheckOther(token);
            }
        }
        CheckXml();
        if (!root) {
            Fail(QStringLiteral("没有 <Report> 元素"));
        }
        return result;
    }

private:
    [[noreturn]] void Fail(const QString& detail) {
        report::Fail(fileName_, xml_.lineNumber(), detail);
    }
    std::function<void(const QString&)> Failer() {
        return [this](const QString& detail) { Fail(detail); };
    }
    void CheckXml() {
        if (xml_.hasError()) {
            Fail(xml_.errorString());
        }
    }
    // Tokens other than elements: comments, processing instructions and blank text pass.
    void CheckOther(QXmlStreamReader::TokenType token) {
        switch (token) {
            case QXmlStreamReader::Invalid:
                CheckXml();
                Fail(QStringLiteral("XML 格式错误"));
            case QXmlStreamReader::DTD:
                Fail(QStringLiteral("不支持文档类型定义（DTD）"));
            case QXmlStreamReader::EntityReference:
                Fail(QStringLiteral("不支持实体引用 &%1;").arg(xml_.name()));
            case QXmlStreamReader::Characters:
                if (!xml_.isWhitespace()) {
                    Fail(QStringLiteral("此处不能有文字“%1”").arg(xml_.text().trimmed().left(20)));
                }
                return;
            default:
                return;
        }
    }
    // Calls onElement for each child element up to the end of the current element.
    void Children(const std::function<void(QStringView)>& onElement) {
        while (true) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::EndElement) {
                return;
            }
            if (token == QXmlStreamReader::StartElement) {
                onElement(xml_.name());
            } else if (token == QXmlStreamReader::EndDocument) {
                CheckXml();
                Fail(QStringLiteral("文件不完整"));
            } else {
                CheckOther(token);
            }
        }
    }
    void NoChildren() {
        Children([this](QStringView name) { Unexpected(name); });
    }
    [[noreturn]] void Unexpected(QStringView name) {
        Fail(QStringLiteral("此处不能有元素 <%1>").arg(name));
    }
    void UniqueName(const QString& name) {
        if (name.isEmpty()) {
            return;
        }
        if (names_.contains(name)) {
            Fail(QStringLiteral("名称 %1 重复").arg(name));
        }
        names_.insert(name);
    }

    void ReadReport(ReportTemplate& result) {
        Attributes a(xml_, Failer());
        if (a.Text(u"Version", QStringLiteral("1")) != u"1") {
            Fail(QStringLiteral("不支持的模板版本"));
        }
        a.CheckAllTaken();
        Children([&](QStringView name) {
            if (name != u"Page") {
                Unexpected(name);
            }
            if (result.pages.size() >= kMaxPages) {
                Fail(QStringLiteral("页数超过 %1").arg(kMaxPages));
            }
            result.pages.push_back(ReadPage());
        });
        if (result.pages.empty()) {
            Fail(QStringLiteral("<Report> 中没有 <Page>"));
        }
    }

    PageDef ReadPage() {
        PageDef page;
        Attributes a(xml_, Failer());
        page.name = a.Text(u"Name");
        UniqueName(page.name);
        const std::optional<QString> paper = a.Take(u"Paper");
        const std::optional<double> paperWidth = a.OptionalNumber(u"PaperWidth", 10, kMaxLength);
        const std::optional<double> paperHeight = a.OptionalNumber(u"PaperHeight", 10, kMaxLength);
        if (paperWidth.has_value() != paperHeight.has_value()) {
            Fail(QStringLiteral("PaperWidth 与 PaperHeight 须一起给出"));
        }
        if (paperWidth && paper) {
            Fail(QStringLiteral("Paper 与 PaperWidth 不能同时给出"));
        }
        double w = paperWidth.value_or(210);
        double h = paperHeight.value_or(297);
        if (paper) {
            static const QStringList kNames = {QStringLiteral("A3"),     QStringLiteral("A4"),
                                               QStringLiteral("A5"),     QStringLiteral("B5"),
                                               QStringLiteral("Letter"), QStringLiteral("Legal")};
            static const double kSizes[][2] = {{297, 420}, {210, 297},     {148, 210},
                                               {176, 250}, {215.9, 279.4}, {215.9, 355.6}};
            const int index = static_cast<int>(kNames.indexOf(*paper));
            if (index < 0) {
                Fail(QStringLiteral("未知纸张 %1").arg(*paper));
            }
            w = kSizes[index][0];
            h = kSizes[index][1];
        }
        page.landscape =
            a.Choice(u"Orientation", {QStringLiteral("Portrait"), QStringLiteral("Landscape")},
                     0) == 1;
        page.width = page.landscape ? std::max(w, h) : std::min(w, h);
        page.height = page.landscape ? std::min(w, h) : std::max(w, h);
        page.leftMargin = a.Number(u"LeftMargin", 0, kMaxLength, 10);
        page.topMargin = a.Number(u"TopMargin", 0, kMaxLength, 10);
        page.rightMargin = a.Number(u"RightMargin", 0, kMaxLength, 10);
        page.bottomMargin = a.Number(u"BottomMargin", 0, kMaxLength, 10);
        a.CheckAllTaken();
        if (page.leftMargin + page.rightMargin > page.width - 10 ||
            page.topMargin + page.bottomMargin > page.height - 10) {
            Fail(QStringLiteral("页边距太大，纸上没有可打印的地方"));
        }
        QSet<BandType> single;
        Children([&](QStringView name) {
            static const std::pair<const char16_t*, BandType> kBands[] = {
                {u"ReportTitle", BandType::ReportTitle},
                {u"PageHeader", BandType::PageHeader},
                {u"MasterData", BandType::MasterData},
                {u"ReportSummary", BandType::ReportSummary},
                {u"PageFooter", BandType::PageFooter},
            };
            for (const auto& [bandName, type] : kBands) {
                if (name == bandName) {
                    if (type != BandType::MasterData && single.contains(type)) {
                        Fail(QStringLiteral("每页只能有一个 <%1>").arg(name));
                    }
                    single.insert(type);
                    page.bands.push_back(ReadBand(type));
                    return;
                }
            }
            Unexpected(name);
        });
        return page;
    }

    Band ReadBand(BandType type) {
        Band band;
        band.type = type;
        Attributes a(xml_, Failer());
        band.name = a.Text(u"Name");
        UniqueName(band.name);
        band.height = a.Number(u"Height", 0, kMaxLength, std::nullopt);
        if (type == BandType::MasterData) {
            const double rows = a.Number(u"RowCount", 0, kMaxRowCount, 1);
            band.rowCount = static_cast<int>(rows);
            if (band.rowCount != rows) {
                Fail(QStringLiteral("RowCount 应为整数"));
            }
        }
        a.CheckAllTaken();
        bool hasCross = false;
        Children([&](QStringView name) {
            if (name == u"Memo") {
                band.components.push_back(ReadMemo());
            } else if (name == u"Cross") {
                if (type != BandType::MasterData) {
                    Fail(QStringLiteral("交叉表只能放在 <MasterData> 中"));
                }
                if (hasCross) {
                    Fail(QStringLiteral("一个数据带中只能有一个交叉表"));
                }
                hasCross = true;
                band.components.push_back(ReadCross());
            } else {
                Unexpected(name);
            }
        });
        return band;
    }

    void ReadPlace(Attributes& a, TfrxReportComponent& c, bool sizeRequired) {
        c.Name = a.Text(u"Name");
        UniqueName(c.Name);
        c.Left = a.Number(u"Left", 0, kMaxLength, std::nullopt);
        c.Top = a.Number(u"Top", 0, kMaxLength, std::nullopt);
        const std::optional<double> none;
        c.Width = a.Number(u"Width", 0, kMaxLength, sizeRequired ? none : 0.0);
        c.Height = a.Number(u"Height", 0, kMaxLength, sizeRequired ? none : 0.0);
    }

    void ReadStyle(Attributes& a, TextStyle& s) {
        static const QStringList kH = {QStringLiteral("Left"), QStringLiteral("Center"),
                                       QStringLiteral("Right")};
        static const QStringList kV = {QStringLiteral("Top"), QStringLiteral("Center"),
                                       QStringLiteral("Bottom")};
        static const Qt::Alignment kHFlags[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
        static const Qt::Alignment kVFlags[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
        const auto index = [&s](const Qt::Alignment(&flags)[3]) {
            for (int i = 0; i < 3; ++i) {
                if (s.align & flags[i]) {
                    return i;
                }
            }
            return 0;
        };
        const int h = a.Choice(u"HAlign", kH, index(kHFlags));
        const int v = a.Choice(u"VAlign", kV, index(kVFlags));
        s.align = kHFlags[h] | kVFlags[v];
        s.fill = a.Color(u"Fill", s.fill);
        if (const std::optional<QString> frame = a.Take(u"Frame")) {
            s.frame = ParseFrame(*frame);
        }
        s.frameWidth = a.Number(u"FrameWidth", 0.1, 20, s.frameWidth);
        s.frameColor = a.Color(u"FrameColor", s.frameColor);
        s.gapX = a.Number(u"GapX", 0, 100, s.gapX);
        s.gapY = a.Number(u"GapY", 0, 100, s.gapY);
        s.wordWrap = a.Bool(u"WordWrap", s.wordWrap);
    }

    int ParseFrame(const QString& text) {
        if (text == u"None") {
            return 0;
        }
        if (text == u"All") {
            return kFrameAll;
        }
        int frame = 0;
        for (const QString& side : text.split(u',')) {
            const QString s = side.trimmed();
            if (s == u"Left") {
                frame |= kFrameLeft;
            } else if (s == u"Top") {
                frame |= kFrameTop;
            } else if (s == u"Right") {
                frame |= kFrameRight;
            } else if (s == u"Bottom") {
                frame |= kFrameBottom;
            } else {
                Fail(QStringLiteral("属性 Frame 的值“%1”应为 None、All 或 Left,Top,Right,Bottom "
                                    "中的几个")
                         .arg(text));
            }
        }
        return frame;
    }

    void ReadFont(FontDef& font) {
        Attributes a(xml_, Failer());
        font.name = a.Text(u"Name", font.name);
        if (font.name.isEmpty() || font.name.size() > 64) {
            Fail(QStringLiteral("字体名称无效"));
        }
        font.height = a.Number(u"Height", 1, kMaxPixels, font.height);
        font.color = a.Color(u"Color", font.color);
        if (const std::optional<QString> style = a.Take(u"Style")) {
            font.bold = font.italic = font.underline = false;
            for (const QString& part : style->split(u',', Qt::SkipEmptyParts)) {
                const QString p = part.trimmed();
                if (p == u"Bold") {
                    font.bold = true;
                } else if (p == u"Italic") {
                    font.italic = true;
                } else if (p == u"Underline") {
                    font.underline = true;
                } else {
                    Fail(QStringLiteral("未知字形 %1（可用 Bold、Italic、Underline）").arg(p));
                }
            }
        }
        a.CheckAllTaken();
        NoChildren();
    }

    // The children of a styled element: at most one <Font>, and <Text> where allowed.
    void StyleChildren(TextStyle& style, QString* text) {
        bool font = false;
        bool hasText = false;
        Children([&](QStringView name) {
            if (name == u"Font" && !font) {
                font = true;
                ReadFont(style.font);
            } else if (name == u"Text" && text && !hasText) {
                hasText = true;
                Attributes a(xml_, Failer());
                a.CheckAllTaken();
                *text = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                CheckXml();
            } else {
                Unexpected(name);
            }
        });
    }

    std::unique_ptr<TfrxReportComponent> ReadMemo() {
        auto memo = std::make_unique<TfrxMemoView>();
        Attributes a(xml_, Failer());
        ReadPlace(a, *memo, true);
        memo->Visible = a.Bool(u"Visible", memo->Visible);
        ReadStyle(a, memo->Style);
        a.CheckAllTaken();
        StyleChildren(memo->Style, &memo->Text);
        return memo;
    }

    std::unique_ptr<TfrxReportComponent> ReadCross() {
        auto cross = std::make_unique<TfrxCrossView>();
        Attributes a(xml_, Failer());
        ReadPlace(a, *cross, false);
        cross->Border = a.Bool(u"Border", cross->Border);
        cross->RepeatHeaders = a.Bool(u"RepeatHeaders", cross->RepeatHeaders);
        cross->DownThenAcross = a.Bool(u"DownThenAcross", cross->DownThenAcross);
        cross->MinWidth = a.Number(u"MinWidth", 1, 1000, cross->MinWidth);
        cross->MaxWidth = a.Number(u"MaxWidth", 1, 1000, cross->MaxWidth);
        cross->FitWidth = a.Bool(u"FitWidth", cross->FitWidth);
        cross->MinFontHeight = a.Number(u"MinFontHeight", 1, kMaxPixels, cross->MinFontHeight);
        a.CheckAllTaken();
        if (cross->MinWidth > cross->MaxWidth) {
            Fail(QStringLiteral("MinWidth 不能大于 MaxWidth"));
        }
        // A cross-tab's cells are framed and padded unless the template says otherwise.
        for (TextStyle* s : {&cross->HeaderStyle, &cross->CellStyle}) {
            s->frame = kFrameAll;
            s->gapX = 3;
            s->gapY = 3;
        }
        cross->HeaderStyle.align = Qt::AlignCenter;
        cross->CellStyle.align = Qt::AlignRight | Qt::AlignVCenter;
        bool header = false;
        bool cell = false;
        Children([&](QStringView name) {
            bool* seen = name == u"ColumnHeader" ? &header : name == u"Cell" ? &cell : nullptr;
            if (!seen || *seen) {
                Unexpected(name);
            }
            *seen = true;
            TextStyle& style = name == u"ColumnHeader" ? cross->HeaderStyle : cross->CellStyle;
            Attributes s(xml_, Failer());
            ReadStyle(s, style);
            s.CheckAllTaken();
            StyleChildren(style, nullptr);
        });
        return cross;
    }

    QXmlStreamReader xml_;
    QString fileName_;
    QSet<QString> names_;
};

}  // namespace

ReportTemplate ReadTemplate(const QByteArray& bytes, const QString& fileName) {
    if (bytes.size() > kMaxTemplateBytes) {
        Fail(fileName, 1,
             QStringLiteral("文件超过 %1 字节，不像是报表模板").arg(kMaxTemplateBytes));
    }
    return Reader(DecodeTemplate(bytes, fileName), fileName).Read();
}

}  // namespace report

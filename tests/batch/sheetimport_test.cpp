// Payments imported from a company's own spreadsheet on the batch page: columns found by their
// titles or by the saved mapping, bank numbers from the directory, and the preview walked
// through its widgets before anything is added.
#include <xlsxwriter.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtEndian>
#include <algorithm>
#include <functional>
#include <map>
#include <variant>

#include "batch/bankindex.h"
#include "batch/importpreview.h"
#include "batch/sheetbatch.h"
#include "params/paramspage.h"
#include "platform/dataset/packet.h"
#include "platform/sheet/book.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "store/profile.h"
#include "tests/batch/batch_fixture.h"
#include "tests/sheet/xlsfixture.h"

namespace {

// A number with the number format its cell shows it in ("0.00").
struct Shown {
    double value;
    const char* format;
};
using Cell = std::variant<std::monostate, QString, double, bool, Shown>;
using Rows = std::vector<std::vector<Cell>>;

// A workbook written by libxlsxwriter, as a spreadsheet program saves it; the rows listed in
// hidden (from 1) are hidden.
void WriteXlsx(const QString& path, const Rows& rows, const std::vector<int>& hidden = {}) {
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    for (const int row : hidden) {
        lxw_row_col_options options{};
        options.hidden = 1;
        worksheet_set_row_opt(sheet, static_cast<lxw_row_t>(row - 1), LXW_DEF_ROW_HEIGHT, nullptr,
                              &options);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const auto row = static_cast<lxw_row_t>(r);
            const auto col = static_cast<lxw_col_t>(c);
            if (const auto* text = std::get_if<QString>(&rows[r][c])) {
                worksheet_write_string(sheet, row, col, text->toUtf8().constData(), nullptr);
            } else if (const auto* number = std::get_if<double>(&rows[r][c])) {
                worksheet_write_number(sheet, row, col, *number, nullptr);
            } else if (const auto* flag = std::get_if<bool>(&rows[r][c])) {
                worksheet_write_boolean(sheet, row, col, *flag, nullptr);
            } else if (const auto* shown = std::get_if<Shown>(&rows[r][c])) {
                lxw_format* format = workbook_add_format(book);
                format_set_num_format(format, shown->format);
                worksheet_write_number(sheet, row, col, shown->value, format);
            }
        }
    }
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

// A name the embedded directory holds once, with its number.
struct DirectoryNames {
    QString unique, uniqueCode;
};

DirectoryNames FindDirectoryNames() {
    QFile file(QStringLiteral(":/BANKDATA"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const PacketTable table = ReadPacket(file.readAll());
    const ColumnData& codes = table.columns[0];
    const ColumnData& names = table.columns[1];
    QHash<QByteArray, int> count;
    for (std::size_t r = 0; r < names.RowCount(); ++r) {
        ++count[names.Value(r).toByteArray()];
    }
    DirectoryNames found;
    for (std::size_t r = 0; r < names.RowCount(); ++r) {
        if (count.value(names.Value(r).toByteArray()) == 1) {
            found.unique = ansi::Decode(names.Value(r));
            found.uniqueCode = ansi::Decode(codes.Value(r));
            break;
        }
    }
    return found;
}

class SheetImport : public BatchFixture {
protected:
    // Chooses the file on the batch page's 数据导入 and, while the preview is open, runs
    // `inPreview` on it.
    void Import(const QString& path, const std::function<void(ImportPreview&)>& inPreview) {
        dialogs.fileAnswers = {path};
        bool shown = false;
        QTimer::singleShot(0, page->importPreview, [&] {
            ImportPreview& preview = *page->importPreview;
            shown = preview.isVisible();
            inPreview(preview);
            if (preview.isVisible()) {
                QTest::mouseClick(preview.btnCancel, Qt::LeftButton);
            }
        });
        Click(page->Button6);
        EXPECT_TRUE(shown);
    }
    static void Press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static QStringList Problems(const ImportPreview& preview) {
        QStringList texts;
        for (int i = 0; i < preview.problemList->count(); ++i) {
            texts.append(preview.problemList->item(i)->text());
        }
        return texts;
    }
    QString Path(const char* name) { return dir.Path(QString::fromLatin1(name)); }
    QString Ini() { return dir.Path(QStringLiteral("config/salarymap.ini")); }
};

}  // namespace

TEST(SheetBatch, TitlesAreRecognisedByTheirUsualNames) {
    const std::pair<const char*, int> cases[] = {
        {"收款方", sheetbatch::kRecver},
        {"收款人名称", sheetbatch::kRecver},
        {" 户 名 ", sheetbatch::kRecver},
        {"收款账户", sheetbatch::kRecAcct},
        {"账号", sheetbatch::kRecAcct},
        {"开户银行", sheetbatch::kRecBank},
        {"开户行行号", sheetbatch::kRecBankCode},
        {"联行号", sheetbatch::kRecBankCode},
        {"附言", sheetbatch::kUse},
        {"金额（元）", sheetbatch::kAmt},
        {"金额(元)", sheetbatch::kAmt},
        {"金　额", sheetbatch::kAmt},
        {"汇款方式", sheetbatch::kRemitType},
        {"姓名", -1},
        {"", -1},
    };
    for (const auto& [title, field] : cases) {
        EXPECT_EQ(sheetbatch::FieldOfTitle(QString::fromUtf8(title)), field) << title;
    }
    // Every grid title names its own field.
    for (int f = 0; f < sheetbatch::kFieldCount; ++f) {
        EXPECT_EQ(sheetbatch::FieldOfTitle(sheetbatch::FieldTitle(f)), f);
    }
}

TEST(SheetBatch, TheContentTellsAnUploadFileFromASheet) {
    const std::pair<QByteArray, bool> cases[] = {
        {"I|1|2|n|b|b||1.00|u|N|\r\n", true},
        {"\r\n\r\nP|1|2|n|b|b||1.00|u|N|", true},
        {"\xEF\xBB\xBFI|1|2|n|b|b||1.00|u|N|", true},
        {"", true},
        {"\xca\xd5\xbf\xee\xc8\xcb,\xbd\xf0\xb6\xee\r\n", false},
        {"PK\x03\x04|", false},
        {QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1|", 9), false},
    };
    for (const auto& [bytes, upload] : cases) {
        EXPECT_EQ(sheetbatch::IsUploadFile(bytes), upload) << bytes.toHex().constData();
    }
}

TEST_F(SheetImport, HeaderSynonymsAndBankNumbersFromTheDirectory) {
    const DirectoryNames bank = FindDirectoryNames();
    ASSERT_FALSE(bank.unique.isEmpty());
    const QString file = Path("erp.xlsx");
    WriteXlsx(file,
              {{QStringLiteral("付款明细")},
               {QStringLiteral("户名"), QStringLiteral("收款账户"), QStringLiteral("开户 银行"),
                QStringLiteral("金额（元）"), QStringLiteral("摘要")},
               {QStringLiteral("王五"), QStringLiteral("6222000011"),
                QStringLiteral("星澜聚川银行"), 1200.5, QStringLiteral("货款")},
               {},
               {QStringLiteral("赵六"), QStringLiteral("6222000012"), bank.unique,
                Shown{99.999, "#,##0.00"}, QStringLiteral("运费")}},
              {3});
    page->payacct->setEditText(QStringLiteral("6230001"));
    dialogs.questionAnswers = {true};
    Import(file, [&](ImportPreview& preview) {
        EXPECT_EQ(preview.MapBox(sheetbatch::kRecver)->currentIndex(), 1);
        EXPECT_EQ(preview.MapBox(sheetbatch::kAmt)->currentIndex(), 4);
        EXPECT_EQ(preview.MapBox(sheetbatch::kPayAcct)->currentIndex(), 0);
        ASSERT_EQ(preview.rowsGrid->rowCount(), 2);
        // The rows as they will be stored: the amount rounded, the bank's number filled in.
        EXPECT_EQ(preview.rowsGrid->item(1, sheetbatch::kAmt)->text(), QStringLiteral("100.00"));
        EXPECT_EQ(preview.rowsGrid->item(1, sheetbatch::kRecBankCode)->text(), bank.uniqueCode);
        EXPECT_EQ(preview.rowsGrid->item(1, sheetbatch::kCpFlag)->text(), QStringLiteral("跨行"));
        // Accounts and bank numbers show whole, not cut to "6222…".
        for (const int f : {sheetbatch::kRecAcct, sheetbatch::kRecBankCode, sheetbatch::kAmt}) {
            const QString text = preview.rowsGrid->item(1, f)->text();
            EXPECT_GE(preview.rowsGrid->columnWidth(f),
                      preview.rowsGrid->fontMetrics().horizontalAdvance(text))
                << text.toStdString();
        }
        EXPECT_TRUE(
            preview.lbSummary->text().startsWith(QStringLiteral("可导入 2 笔，合计 1,300.50 元")));
        EXPECT_EQ(
            Problems(preview),
            (QStringList{QStringLiteral("提示：第 3 行：该行在工作表中是隐藏的，也将导入，请核对"),
                         QStringLiteral("提示：第 5 行 D 列：金额 99.999 在表格中显示为 100.00，"
                                        "将按 100.00 导入")}));
        EXPECT_TRUE(preview.btnImport->isEnabled());
        Press(preview.btnImport);
    });
    // The hidden row is asked about before anything is added; 是 adds both.
    EXPECT_EQ(dialogs.Texts(),
              (QStringList{QStringLiteral("以下 1 行在工作表中是隐藏的，也将导入：\n第 3 行：王五 "
                                          "1,200.50\n\n仍要导入吗？"),
                           QStringLiteral("导入完毕！")}));
    // What keying the same two payments stores.
    EXPECT_EQ(Rows(), (QStringList{
                          QStringLiteral("公司|6230001|6222000011|王五||星澜聚川银行|CNY|1200.50|"
                                         "货款|普通|"),
                          QStringLiteral("跨行|6230001|6222000012|赵六|") + bank.uniqueCode + u'|' +
                              bank.unique + QStringLiteral("|CNY|100.00|运费|普通|"),
                      }));
}

TEST(SheetBatch, ABankNameOfTwoBranchesIsRefusedWithTheName) {
    // A directory in the embedded packet's format where two branches share a name.
    PacketTable table;
    table.fields = {{QStringLiteral("BANKCODE"), 20, true}, {QStringLiteral("LNAME"), 255, false}};
    table.columns.resize(2);
    const std::pair<const char*, const char*> branches[] = {{"104100000001", "中国银行某某支行"},
                                                            {"104100000002", "中国银行某某支行"},
                                                            {"104100000003", "中国银行另一支行"}};
    for (const auto& [code, name] : branches) {
        table.columns[0].Append(code);
        table.columns[1].Append(ansi::Encode(QString::fromUtf8(name)));
    }
    TestDir dir;
    dir.Write(QStringLiteral("bank.bin"), WritePacket(table, {1, 1}));
    BankIndex banks(dir.Path(QStringLiteral("bank.bin")));
    EXPECT_EQ(banks.Codes(QStringLiteral("中国银行某某支行")),
              (QStringList{QStringLiteral("104100000001"), QStringLiteral("104100000002")}));
    EXPECT_EQ(banks.Codes(QStringLiteral("中国银行另一支行")),
              QStringList{QStringLiteral("104100000003")});
    EXPECT_TRUE(banks.Codes(QStringLiteral("中国银行")).isEmpty());

    sheetbatch::SheetTable sheet;
    sheet.columnCount = 4;
    sheet.rows = {{QStringLiteral("收款方"), QStringLiteral("收款账号"), QStringLiteral("开户行"),
                   QStringLiteral("金额")},
                  {QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("中国银行某某支行"),
                   QStringLiteral("1")},
                  {QStringLiteral("乙"), QStringLiteral("2"), QStringLiteral("中国银行另一支行"),
                   QStringLiteral("2")}};
    const auto layout = sheetbatch::FindHeader(sheet);
    ASSERT_TRUE(layout);
    const sheetbatch::Result result =
        sheetbatch::Convert(sheet, *layout, {}, QStringLiteral("6230001"),
                            {[&](const QString& name) { return banks.Codes(name); },
                             [&](const QString& code) { return banks.Names(code); }});
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(sheetbatch::ProblemText(result.problems[0]),
              QStringLiteral("第 2 行 C 列：开户行“中国银行某某支行”在银行目录中有 2 个同名网点，"
                             "请填写收款方开户行编号"));
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0].recbankcode, QStringLiteral("104100000003"));
    EXPECT_EQ(result.rows[0].cpflag, QStringLiteral("跨行"));
    EXPECT_FALSE(result.Importable());
    // Without a payer account in the sheet or on the form, the first problem says what to do.
    const sheetbatch::Result noPayer = sheetbatch::Convert(sheet, *layout, {}, QString(), {});
    ASSERT_FALSE(noPayer.problems.empty());
    EXPECT_EQ(sheetbatch::ProblemText(noPayer.problems[0]),
              QStringLiteral("表格中没有付款账号列，请先在录入界面选择付款账号，再导入"));
    EXPECT_EQ(noPayer.refusedRows, 2);
}

namespace {

// A directory of three branches, in the embedded packet's format.
void WriteDirectory(const TestDir& dir) {
    PacketTable table;
    table.fields = {{QStringLiteral("BANKCODE"), 20, true}, {QStringLiteral("LNAME"), 255, false}};
    table.columns.resize(2);
    const std::pair<const char*, const char*> branches[] = {
        {"104100000001", "中国银行某某支行"},
        {"104100000003", "中国银行另一支行"},
        {"313100000009", "星澜聚川银行城南支行"}};
    for (const auto& [code, name] : branches) {
        table.columns[0].Append(code);
        table.columns[1].Append(ansi::Encode(QString::fromUtf8(name)));
    }
    dir.Write(QStringLiteral("bank.bin"), WritePacket(table, {1, 1}));
}

sheetbatch::Result ConvertRows(const QStringList& titles, const std::vector<QStringList>& rows,
                               BankIndex& banks,
                               const std::map<std::pair<int, int>, int>& shown = {}) {
    sheetbatch::SheetTable sheet;
    sheet.columnCount = static_cast<int>(titles.size());
    sheet.rows.push_back(titles);
    sheet.rows.insert(sheet.rows.end(), rows.begin(), rows.end());
    sheet.shownDecimals = shown;
    const auto layout = sheetbatch::FindHeader(sheet);
    EXPECT_TRUE(layout);
    return sheetbatch::Convert(sheet, layout ? *layout : sheetbatch::Layout{}, {},
                               QStringLiteral("6230001"),
                               {[&](const QString& name) { return banks.Codes(name); },
                                [&](const QString& code) { return banks.Names(code); }});
}

QStringList ProblemTexts(const sheetbatch::Result& result) {
    QStringList texts;
    for (const sheetbatch::Problem& p : result.problems) {
        texts.append((p.refused ? QString() : QStringLiteral("提示：")) +
                     sheetbatch::ProblemText(p));
    }
    return texts;
}

}  // namespace

// A bank number beside a bank name must be that bank's; a number alone names its bank; a
// same-bank row carries no number. Each conflict is a problem on its cell.
TEST(SheetBatch, ABankNumberMustBeTheNamedBanks) {
    TestDir dir;
    WriteDirectory(dir);
    BankIndex banks(dir.Path(QStringLiteral("bank.bin")));
    const sheetbatch::Result result =
        ConvertRows({QStringLiteral("收款方"), QStringLiteral("收款账号"), QStringLiteral("开户行"),
                     QStringLiteral("联行号"), QStringLiteral("金额")},
                    {{QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("中国银行另一支行"),
                      QStringLiteral("104100000001"), QStringLiteral("1")},
                     {QStringLiteral("乙"), QStringLiteral("2"), QString(),
                      QStringLiteral("104100000003"), QStringLiteral("2")},
                     {QStringLiteral("丙"), QStringLiteral("3"), QStringLiteral("星澜聚川银行"),
                      QStringLiteral("313100000009"), QStringLiteral("3")},
                     {QStringLiteral("丁"), QStringLiteral("4"), QString(),
                      QStringLiteral("104100000099"), QStringLiteral("4")},
                     {QStringLiteral("戊"), QStringLiteral("5"), QStringLiteral("中国银行另一支行"),
                      QStringLiteral("104100000003"), QStringLiteral("5")}},
                    banks);
    EXPECT_EQ(
        ProblemTexts(result),
        (QStringList{
            QStringLiteral("第 2 行 D 列：收款方开户行编号“104100000001”在银行目录中是"
                           "“中国银行某某支行”，与开户行“中国银行另一支行”不符；请核对开户行和"
                           "编号后再导入"),
            QStringLiteral("第 4 行 D 列：开户行是星澜聚川银行（本行转账），不应填写收款方开户"
                           "行编号“313100000009”；请删去编号，或把开户行改为编号所属的银行后"
                           "再导入"),
            QStringLiteral("第 5 行 D 列：没有开户行名称，收款方开户行编号“104100000099”在"
                           "银行目录中也没有找到；请填写开户行名称并核对编号后再导入")}));
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(result.rows[0].recbank, QStringLiteral("中国银行另一支行"));
    EXPECT_EQ(result.rows[0].cpflag, QStringLiteral("跨行"));
    EXPECT_EQ(result.rows[1].recbankcode, QStringLiteral("104100000003"));
    EXPECT_FALSE(result.Importable());
}

// Amounts as a spreadsheet exports them and as the cashier sees them: thousands separators are
// read, any other comma refused; a third decimal is rounded only where the cell's format shows
// two, and refused where the cell shows more (or is text, as in every CSV) or fewer.
TEST(SheetBatch, AmountsArePaidAsTheSheetShowsThem) {
    TestDir dir;
    WriteDirectory(dir);
    BankIndex banks(dir.Path(QStringLiteral("bank.bin")));
    struct Case {
        const char* text;
        int shown;            // the decimals the cell's format shows; -1 text or General
        const char* stored;   // empty: refused
        const char* problem;  // the problem's text after "第 2 行 C 列："
    };
    const Case cases[] = {
        {"1,234.50", -1, "1234.50", ""},
        {"1,234,567", -1, "1234567.00", ""},
        {"1,23.4", -1, "",
         "金额“1,23."
         "4”中的逗号不是千位分隔符（每三位一个，只有一个小数点）；请在表格中改正后再导入"},
        {"1234,5", -1, "",
         "金额“1234,"
         "5”中的逗号不是千位分隔符（每三位一个，只有一个小数点）；请在表格中改正后再导入"},
        {"100.005", 2, "100.01", "提示：金额 100.005 在表格中显示为 100.01，将按 100.01 导入"},
        {"100.005", -1, "",
         "金额 100.005 超过两位小数，不能确定要付的金额；请在表格中改为两位小数的金额后再导入"},
        {"12.345", 3, "",
         "金额 12.345 超过两位小数，不能确定要付的金额；请在表格中改为两位小数的金额后再导入"},
        {"100.5", 0, "",
         "金额 100.5 在表格中只显示 0 位小数，看到的不是要付的金额；请把该格设为两位小数的数字"
         "格式，核对后再导入"},
        {"100.50", 2, "100.50", ""},
        {"100.500", 3, "100.50", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::map<std::pair<int, int>, int> shown;
        if (c.shown >= 0) {
            shown[{2, 3}] = c.shown;
        }
        const sheetbatch::Result result = ConvertRows(
            {QStringLiteral("收款方"), QStringLiteral("收款账号"), QStringLiteral("金额")},
            {{QStringLiteral("甲"), QStringLiteral("1"), QString::fromUtf8(c.text)}}, banks, shown);
        const QString problem = QString::fromUtf8(c.problem);
        if (problem.isEmpty()) {
            EXPECT_TRUE(result.problems.empty()) << ProblemTexts(result).join(u'\n').toStdString();
        } else {
            const QString expected = problem.startsWith(QStringLiteral("提示："))
                                         ? QStringLiteral("提示：第 2 行 C 列：") + problem.mid(3)
                                         : QStringLiteral("第 2 行 C 列：") + problem;
            EXPECT_EQ(ProblemTexts(result).value(0).left(expected.size()), expected)
                << ProblemTexts(result).join(u'\n').toStdString();
        }
        if (*c.stored != 0) {
            ASSERT_EQ(result.rows.size(), 1u);
            EXPECT_EQ(result.rows[0].amt, QString::fromUtf8(c.stored));
        } else {
            EXPECT_TRUE(result.rows.empty());
        }
    }
}

// A title over two columns is refused until the cashier chooses one; a hidden row is asked
// about before anything is added, 否 (the default) adding nothing; the company's own titles are
// recognised and the saved mapping fills in a column the titles leave open, and the preview
// says which came from where.
TEST_F(SheetImport, HiddenAndDoubledColumnsAreNeverPaidUnseen) {
    const QString file = Path("dup.xlsx");
    WriteXlsx(file,
              {{QStringLiteral("收款单位名称"), QStringLiteral("对方账号"), QStringLiteral("金额"),
                QStringLiteral("金额"), QStringLiteral("说明")},
               {QStringLiteral("甲公司"), QStringLiteral("6222001"), 9000.0, 90.0,
                QStringLiteral("货款")},
               {QStringLiteral("乙公司(已付勿导)"), QStringLiteral("6222002"), 50000.0, 500.0,
                QStringLiteral("旧账")}},
              {3});
    profile::WriteString(Ini(), QStringLiteral("batchmap"), QStringLiteral("use"),
                         QStringLiteral("E"));
    page->payacct->setEditText(QStringLiteral("6230001"));
    for (const bool answer : {false, true}) {
        dialogs.Clear();
        dialogs.questionAnswers = {answer};
        Import(file, [&](ImportPreview& preview) {
            EXPECT_EQ(preview.MapBox(sheetbatch::kRecver)->currentIndex(), 1);
            EXPECT_EQ(preview.MapBox(sheetbatch::kRecAcct)->currentIndex(), 2);
            EXPECT_EQ(preview.MapBox(sheetbatch::kUse)->currentIndex(), 5);
            EXPECT_TRUE(preview.lbSource->text().contains(
                QStringLiteral("标题没有的列按保存的对应关系：用途 E 列。")))
                << preview.lbSource->text().toStdString();
            EXPECT_FALSE(preview.lbSource->text().contains(QStringLiteral("用途“")));
            EXPECT_TRUE(Problems(preview).contains(QStringLiteral(
                "第 1 行：C 列和D 列都有“金额”的标题，不能确定该取哪一列；请在上方“金额”的列对应中"
                "选定一列，或在表格中改正标题后再导入")))
                << Problems(preview).join(u'\n').toStdString();
            EXPECT_FALSE(preview.btnImport->isEnabled());
            // The cashier chooses column D with the keyboard.
            QComboBox* amount = preview.MapBox(sheetbatch::kAmt);
            amount->setFocus();
            QTest::keyClick(amount, Qt::Key_Down);
            EXPECT_EQ(amount->currentIndex(), 4);
            EXPECT_TRUE(preview.btnImport->isEnabled())
                << Problems(preview).join(u'\n').toStdString();
            EXPECT_TRUE(preview.lbSummary->text().startsWith(
                QStringLiteral("可导入 2 笔，合计 590.00 元")));
            Press(preview.btnImport);
        });
        ASSERT_FALSE(dialogs.messages.isEmpty());
        EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Question);
        EXPECT_EQ(
            dialogs.messages[0].text,
            QStringLiteral("以下 1 行在工作表中是隐藏的，也将导入：\n第 3 行：乙公司(已付勿导) "
                           "500.00\n\n仍要导入吗？"));
        EXPECT_EQ(form.cds1.RecordCount(), answer ? 2 : 0);
    }
}

TEST_F(SheetImport, ARefusedRowLeavesImportDisabledAndCancelAddsNothing) {
    const QString file = Path("bad.xlsx");
    WriteXlsx(file,
              {{QStringLiteral("收款方"), QStringLiteral("收款账号"),
                QStringLiteral("收款方开户行名称"), QStringLiteral("金额")},
               {QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("星澜聚川银行"),
                QStringLiteral("1.5元")},
               {QStringLiteral("乙"), QStringLiteral("2"), QStringLiteral("不存在的银行"), 2.0},
               {QStringLiteral("丙"), QStringLiteral("3"), QStringLiteral("星澜聚川银行"), true},
               {QStringLiteral("丁"), QStringLiteral("4"), QStringLiteral("星澜聚川银行"), 4.0}});
    Add(QStringLiteral("已有"), QStringLiteral("6222009"), QStringLiteral("5"));
    dialogs.Clear();
    Import(file, [&](ImportPreview& preview) {
        const QStringList problems = Problems(preview);
        ASSERT_EQ(problems.size(), 3) << problems.join(u'\n').toStdString();
        EXPECT_EQ(problems[0], QStringLiteral("第 2 行 D 列：金额“1.5元”不是有效的数字；请在表格中"
                                              "改为数字（如 1200.50）后再导入"));
        EXPECT_TRUE(problems[1].startsWith(
            QStringLiteral("第 3 行 C 列：开户行“不存在的银行”在银行目录中没有找到")));
        EXPECT_EQ(problems[2], QStringLiteral("第 4 行 D 列：金额“TRUE”是逻辑值，不是数字；请在表格"
                                              "中改为金额数字后再导入"));
        EXPECT_FALSE(preview.btnImport->isEnabled());
        Press(preview.btnCancel);
    });
    EXPECT_TRUE(dialogs.Texts().isEmpty());
    EXPECT_EQ(form.cds1.RecordCount(), 1);
}

TEST_F(SheetImport, NoHeaderTakesTheSavedMappingAndItsDefaults) {
    // A comma-separated list in GB18030 without titles: name in B, account in A, amount in C.
    const QString file = Path("pay.csv");
    dir.Write(QStringLiteral("pay.csv"),
              ansi::Encode(QStringLiteral("说明,,\r\n6222100,钱一,10\r\n6222101,孙二,20.5\r\n")));
    const std::pair<const char*, const char*> keys[] = {
        {"recacct", "A"},        {"recver", "B"},       {"amt", "C"},
        {"startrow", "2"},       {"defcpflag", "私人"}, {"defremittype", "加急"},
        {"defuse", "工资，奖金"}};
    for (const auto& [key, value] : keys) {
        profile::WriteString(Ini(), QStringLiteral("batchmap"), QString::fromLatin1(key),
                             QString::fromUtf8(value));
    }
    page->payacct->setEditText(QStringLiteral("6230002"));
    Import(file, [&](ImportPreview& preview) {
        EXPECT_TRUE(preview.lbSource->text().contains(QStringLiteral("没有识别到列标题")));
        EXPECT_EQ(preview.rowsGrid->rowCount(), 2);
        // The user also takes column A... as the remark, and keeps the mapping.
        preview.MapBox(sheetbatch::kRemark)->setFocus();
        QTest::keyClick(preview.MapBox(sheetbatch::kRemark), Qt::Key_Down);
        EXPECT_EQ(preview.rowsGrid->item(0, sheetbatch::kRemark)->text(),
                  QStringLiteral("6222100"));
        QTest::mouseClick(preview.saveMapping, Qt::LeftButton);
        EXPECT_TRUE(preview.saveMapping->isChecked());
        Press(preview.btnImport);
    });
    EXPECT_EQ(Rows(), (QStringList{
                          QStringLiteral("私人|6230002|6222100|钱一||星澜聚川银行|CNY|10.00|"
                                         "工资，奖金|加急|6222100"),
                          QStringLiteral("私人|6230002|6222101|孙二||星澜聚川银行|CNY|20.50|"
                                         "工资，奖金|加急|6222101"),
                      }));
    EXPECT_EQ(
        profile::ReadString(Ini(), QStringLiteral("batchmap"), QStringLiteral("remark"), QString()),
        QStringLiteral("A"));
    // The parameter page shows the mapping as saved.
    form.PageControl1->setCurrentIndex(2);
    QTRY_COMPARE(form.paramsPage->conf_batch_remark->text(), QStringLiteral("A"));
    EXPECT_EQ(form.paramsPage->conf_batch_defcpflag->currentText(), QStringLiteral("私人"));
}

TEST_F(SheetImport, AnXlwtPayrollIsCheckedWholeWithRowsAndColumns) {
    // The salary fixture: titles 姓名/账号/金额/备注, so no column holds the payee's name.
    page->payacct->setEditText(QStringLiteral("6230001"));
    Import(QString::fromUtf8(CORPPAY_TEST_DATA "/sheet/payroll.xls"), [&](ImportPreview& preview) {
        const QStringList problems = Problems(preview);
        EXPECT_TRUE(
            problems.contains(QStringLiteral("第 3 行 B 列：“6.22202123456789E18”是数字"
                                             "格式的“收款账号”，超过15位的数字已丢失末位，"
                                             "请将该列设为文本格式并重新录入")))
            << problems.join(u'\n').toStdString();
        // A third decimal the sheet shows (General format) is not rounded away: refused.
        EXPECT_TRUE(problems.contains(
            QStringLiteral("第 2 行 C 列：金额 1234.5678 超过两位小数，不能确定要付的金额；请在表格"
                           "中改为两位小数的金额后再导入")))
            << problems.join(u'\n').toStdString();
        EXPECT_TRUE(problems.contains(QStringLiteral("第 5 行：“收款方”为空")))
            << problems.join(u'\n').toStdString();
        EXPECT_FALSE(preview.btnImport->isEnabled());
    });
    EXPECT_TRUE(form.cds1.IsEmpty());
}

TEST_F(SheetImport, DamagedAndUnmappedSheetsAreRefusedWithAMessage) {
    dir.Write(QStringLiteral("damaged.xlsx"), QByteArray("PK\x03\x04garbage", 11));
    dir.Write(QStringLiteral("plain.csv"), ansi::Encode(QStringLiteral("钱一,6222100,10\r\n")));
    for (const char* name : {"damaged.xlsx", "plain.csv"}) {
        dialogs.Clear();
        dialogs.fileAnswers = {Path(name)};
        Click(page->Button6);
        ASSERT_EQ(dialogs.messages.size(), 1) << name;
        EXPECT_TRUE(dialogs.Texts()[0].endsWith(QStringLiteral("，未导入任何指令！")));
        EXPECT_FALSE(page->importPreview->isVisible());
        EXPECT_TRUE(form.cds1.IsEmpty());
    }
}

TEST_F(SheetImport, TheGridSavedAsExcelImportsAsTheSameRows) {
    // A branch of the directory: a sheet's number must be its bank's.
    const DirectoryNames bank = FindDirectoryNames();
    dir.Write(
        QStringLiteral("in.txt"),
        ansi::Encode(
            QStringLiteral(
                "I|6230001|6222021234567890123|王五|星澜聚川银行|星澜聚川银行||1200.50|货款|N|"
                "备注一\r\n"
                "D|6230001|6222019|钱七|%1|%1|%2|88.00|运费|H|"
                "\r\n"
                "P|6230001|6222020|孙八|星澜聚川银行|星澜聚川银行||0.01|工资，奖金|N|\r\n")
                .arg(bank.unique, bank.uniqueCode)));
    dialogs.fileAnswers = {Path("in.txt")};
    Click(page->Button6);
    const QStringList before = Rows();
    ASSERT_EQ(before.size(), 3);
    // The grid's context menu, opened from the keyboard, and its command chosen.
    const QString saved = Path("grid.xlsx");
    const auto saveFromMenu = [&](QWidget* target, QContextMenuEvent::Reason reason) {
        dialogs.Clear();
        dialogs.fileAnswers = {saved};
        QTimer::singleShot(0, page, [] {
            QWidget* menu = QApplication::activePopupWidget();
            ASSERT_NE(menu, nullptr);
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent menuEvent(reason, QPoint(10, 10), target->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(target, &menuEvent);
        QTRY_COMPARE(dialogs.messages.size(), 1);
    };
    page->DBGrid1->setFocus();
    saveFromMenu(page->DBGrid1, QContextMenuEvent::Keyboard);
    EXPECT_EQ(dialogs.fileDialogsShown.back().filter, QStringLiteral("EXCEL工作簿|*.xlsx"));
    EXPECT_TRUE(dialogs.Texts()[0].startsWith(QStringLiteral("已保存为Excel工作簿：")));
    // Titles first, the long account as text, the amount as a number.
    const std::unique_ptr<sheet::Book> book =
        sheet::ReadXlsx(dir.Read(QStringLiteral("grid.xlsx")));
    const std::unique_ptr<sheet::Grid> grid = book->LoadWorksheet(1);
    EXPECT_EQ(grid->Cell(1, 3), QStringLiteral("收款账号"));
    EXPECT_EQ(grid->Cell(2, 3), QStringLiteral("6222021234567890123"));
    EXPECT_EQ(grid->Cell(2, 8), QStringLiteral("1200.5"));
    // Emptied and imported again from the workbook: the same rows.
    Reset();
    Import(saved, [&](ImportPreview& preview) {
        EXPECT_EQ(preview.rowsGrid->rowCount(), 3);
        Press(preview.btnImport);
    });
    EXPECT_EQ(Rows(), before);
    // An amount being edited in place when the menu is opened with the mouse is in the
    // workbook as typed, as it is in the table.
    const QModelIndex amount = page->DBGrid1->model()->index(0, sheetbatch::kAmt);
    page->DBGrid1->setFocus();
    page->DBGrid1->setCurrentIndex(amount);
    page->DBGrid1->edit(amount);
    auto* editor = page->DBGrid1->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("1300.5"));
    saveFromMenu(page->DBGrid1->viewport(), QContextMenuEvent::Mouse);
    EXPECT_EQ(sheet::ReadXlsx(dir.Read(QStringLiteral("grid.xlsx")))->LoadWorksheet(1)->Cell(2, 8),
              QStringLiteral("1300.5"));
    EXPECT_EQ(form.cds1.Text(0, sheetbatch::kAmt), QStringLiteral("1300.50"));
}

TEST_F(SheetImport, TheParameterPageKeepsTheMappingAsTyped) {
    form.PageControl1->setCurrentIndex(2);
    ParamsPage* params = form.paramsPage;
    // Column letters are capitals: a small letter and a third letter are not taken.
    QTest::keyClicks(params->conf_batch_recacct, QStringLiteral("bBCD"));
    EXPECT_EQ(params->conf_batch_recacct->text(), QStringLiteral("BC"));
    QTest::keyClicks(params->conf_batch_amt, QStringLiteral("E"));
    params->conf_batch_startrow->selectAll();
    QTest::keyClicks(params->conf_batch_startrow, QStringLiteral("03"));
    EXPECT_EQ(params->conf_batch_startrow->text(), QStringLiteral("3"));
    params->conf_batch_defremittype->setFocus();
    QTest::keyClick(params->conf_batch_defremittype, Qt::Key_Down);
    QTest::mouseClick(params->Button20, Qt::LeftButton);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("批量支付导入对应关系已保存！")});
    const sheetbatch::Mapping saved = sheetbatch::LoadMapping(Ini());
    EXPECT_EQ(saved.columns[sheetbatch::kRecAcct], QStringLiteral("BC"));
    EXPECT_EQ(saved.columns[sheetbatch::kAmt], QStringLiteral("E"));
    EXPECT_EQ(saved.columns[sheetbatch::kRecver], QString());
    EXPECT_EQ(saved.startRow, QStringLiteral("3"));
    EXPECT_EQ(saved.remittype, QStringLiteral("加急"));
    EXPECT_EQ(saved.cpflag, QStringLiteral("公司"));
    // The salary mapping beside it is left as it was.
    EXPECT_EQ(profile::ReadString(Ini(), QStringLiteral("excel"), QStringLiteral("name"),
                                  QStringLiteral("none")),
              QStringLiteral("none"));
}

TEST_F(SheetImport, AHiddenFirstWorksheetIsPointedOut) {
    // The xlwt fixture's first worksheet "去年" is hidden: 去年|6222009|99999 in row 1.
    for (const auto& [key, value] :
         {std::pair{"recver", "A"}, {"recacct", "B"}, {"amt", "C"}, {"startrow", "1"}}) {
        profile::WriteString(Ini(), QStringLiteral("batchmap"), QString::fromLatin1(key),
                             QString::fromLatin1(value));
    }
    page->payacct->setEditText(QStringLiteral("6230001"));
    Import(QString::fromUtf8(CORPPAY_TEST_DATA "/sheet/hidden.xls"), [&](ImportPreview& preview) {
        EXPECT_EQ(Problems(preview),
                  QStringList{
                      QStringLiteral("提示：读取的是隐藏的工作表“去年”，请核对是否是要导入的表")});
        EXPECT_EQ(preview.rowsGrid->rowCount(), 1);
        EXPECT_TRUE(preview.btnImport->isEnabled());
    });
    EXPECT_TRUE(form.cds1.IsEmpty());
}

namespace {

// A workbook of payments under the usual titles, written cell by cell: row 2 is a good payment,
// `hostile` writes whatever the case needs.
void WritePayments(const QString& path,
                   const std::function<void(lxw_workbook*, lxw_worksheet*)>& hostile) {
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "付款");
    const char* titles[] = {"收款方", "收款账号", "收款方开户行名称", "金额"};
    for (lxw_col_t c = 0; c < 4; ++c) {
        worksheet_write_string(sheet, 0, c, titles[c], nullptr);
    }
    worksheet_write_string(sheet, 1, 0, "甲", nullptr);
    worksheet_write_string(sheet, 1, 1, "6222001", nullptr);
    worksheet_write_string(sheet, 1, 2, "星澜聚川银行", nullptr);
    worksheet_write_number(sheet, 1, 3, 10, nullptr);
    if (hostile) {
        hostile(book, sheet);
    }
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

// Row 3 without its amount, which the case writes in column D as it needs.
void Row3(lxw_worksheet* sheet) {
    worksheet_write_string(sheet, 2, 0, "乙", nullptr);
    worksheet_write_string(sheet, 2, 1, "6222002", nullptr);
    worksheet_write_string(sheet, 2, 2, "星澜聚川银行", nullptr);
}

// An Excel 97-2003 workbook put together record by record, as the spreadsheet programs save
// them: the usual titles in row 1, the good payment of WritePayments in row 2, row 3 without its
// amount, and the records `sheet` gives after them. Cell format 1 shows numbers as dates.
namespace xls {

using fixture::biff::Label;
using fixture::biff::Record;
using fixture::biff::U16;
using fixture::biff::U32;

QByteArray Double(double value) {
    QByteArray bytes(8, '\0');
    qToLittleEndian<double>(value, bytes.data());
    return bytes;
}
QByteArray Cell(int row, int column, int format) {
    return U16(row - 1) + U16(column - 1) + U16(format);
}
QByteArray Number(int row, int column, double value) {
    return Record(0x0203, Cell(row, column, 0) + Double(value));
}
// A formula with the result it last gave; its tokens are left out, as no reader needs them.
QByteArray Formula(int row, int column, int format, const QByteArray& result) {
    return Record(0x0006, Cell(row, column, format) + result + U16(0) + U32(0) + U16(0));
}
QByteArray NumberResult(double value) {
    return Double(value);
}
// The result of a formula that gave the empty text.
QByteArray EmptyResult() {
    return QByteArray("\x03\0\0\0\0\0\xFF\xFF", 8);
}
QByteArray Error(int row, int column, int code) {
    return Record(0x0205, Cell(row, column, 0) + QByteArray(1, static_cast<char>(code)) +
                              QByteArray(1, '\x01'));
}
QByteArray Merged(int top, int left, int bottom, int right) {
    return Record(0x00E5, U16(1) + U16(top - 1) + U16(bottom - 1) + U16(left - 1) + U16(right - 1));
}

// `rows` and `columns` are the extent the worksheet claims for its cells.
QByteArray Workbook(const QByteArray& sheet, int rows = 20, int columns = 10) {
    // The second cell format shows numbers as dates.
    QByteArray dateXf(20, '\0');
    qToLittleEndian<quint16>(14, dateXf.data() + 2);
    QByteArray cells;
    const char* titles[] = {"收款方", "收款账号", "收款方开户行名称", "金额"};
    for (int c = 0; c < 4; ++c) {
        cells += Label(1, c + 1, QString::fromUtf8(titles[c]));
    }
    cells += Label(2, 1, QStringLiteral("甲")) + Label(2, 2, QStringLiteral("6222001")) +
             Label(2, 3, QStringLiteral("星澜聚川银行")) + Number(2, 4, 10);
    cells += Label(3, 1, QStringLiteral("乙")) + Label(3, 2, QStringLiteral("6222002")) +
             Label(3, 3, QStringLiteral("星澜聚川银行"));
    return fixture::biff::XlsWorkbook(Record(0x00E0, dateXf), cells + sheet, rows, columns,
                                      QStringLiteral("付款"));
}

}  // namespace xls

lxw_format* DateFormat(lxw_workbook* book) {
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    return date;
}

}  // namespace

// Files a company might hand over by mistake or that a program wrote oddly: each is refused
// with what is wrong and what to do, in Chinese, with the sheet row and column where one cell
// is at fault, and nothing is added to the table.
TEST_F(SheetImport, HostileFilesAreRefusedSayingWhereAndWhatToDo) {
    QFile payroll(QString::fromUtf8(CORPPAY_TEST_DATA "/sheet/payroll.xls"));
    ASSERT_TRUE(payroll.open(QIODevice::ReadOnly));
    const QByteArray payrollBytes = payroll.readAll();
    const auto copy = [](const char* fixture) {
        return [fixture](const QString& path) {
            ASSERT_TRUE(QFile::copy(
                QString::fromUtf8(CORPPAY_TEST_DATA "/sheet/") + QString::fromLatin1(fixture),
                path));
        };
    };
    const auto bytes = [](QByteArray content) {
        return [content](const QString& path) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(content);
        };
    };
    const auto payments = [](std::function<void(lxw_workbook*, lxw_worksheet*)> hostile) {
        return [hostile](const QString& path) { WritePayments(path, hostile); };
    };
    const struct {
        const char* file;
        std::function<void(const QString&)> write;
        const char* place;    // "第 3 行 D 列" where one cell is at fault
        const char* message;  // what the user reads after it
    } cases[] = {
        {"damaged.xlsx", bytes(QByteArray("PK\x03\x04garbage", 11)), nullptr,
         "或者已经损坏；请在电子表格程序中打开并另存为 .xlsx 后再导入"},
        {"half.xls", bytes(payrollBytes.left(payrollBytes.size() / 2)), nullptr,
         "或者已经损坏；请在电子表格程序中打开并另存为 .xlsx 后再导入"},
        {"encrypted.xlsx", copy("encrypted.xlsx"), nullptr,
         "设有密码保护，请先在电子表格程序中取消密码再导入"},
        {"password.xls", copy("password.xls"), nullptr,
         "设有密码保护，请先在电子表格程序中取消密码再导入"},
        {"huge.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             // Rows close enough that no run of empty rows ends the sheet before the limit.
             for (int row = sheetbatch::kMaxSheetRows + 1; row > 2; row -= 150) {
                 worksheet_write_string(sheet, static_cast<lxw_row_t>(row - 1), 0, "丙", nullptr);
             }
         }),
         "第 10011 行",
         "工作表到这一行还有数据，超过了一次最多导入的 10000 行；请把表格分成每个不超过 10000 "
         "行的几个文件，分别导入"},
        {"formula.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_formula_num(sheet, 2, 3, "=5*2", nullptr, 10);
         }),
         "第 3 行 D 列",
         "金额是公式，文件中保存的计算结果是“10”，不能确认是最新的结果；请在表格中把金额列复制后"
         "“选择性粘贴”为数值，保存后再导入"},
        {"noresult.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_formula_str(sheet, 2, 3, "=D9*2", nullptr, "");
         }),
         "第 3 行 D 列", "金额是公式，文件中没有保存它的计算结果；请在表格中把金额列复制后"},
        {"lookupaccount.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_formula_str(sheet, 2, 1, "=VLOOKUP(A3,E:F,2,0)", nullptr,
                                         "6222020200112233445");
         }),
         "第 3 行 B 列",
         "“收款账号”是公式，文件中保存的计算结果是“6222020200112233445”，不能确认是最新的结果；"
         "请在表格中把该列复制后“选择性粘贴”为数值，保存后再导入"},
        {"date.xlsx", payments([](lxw_workbook* book, lxw_worksheet* sheet) {
             Row3(sheet);
             lxw_datetime day = {2024, 1, 5, 0, 0, 0};
             worksheet_write_datetime(sheet, 2, 3, &day, DateFormat(book));
         }),
         "第 3 行 D 列", "金额“2024/1/5”是日期，不是数字；请将该格设为数字格式并填写金额后再导入"},
        {"bool.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_boolean(sheet, 2, 3, 1, nullptr);
         }),
         "第 3 行 D 列", "金额“TRUE”是逻辑值，不是数字；请在表格中改为金额数字后再导入"},
        {"textamount.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_string(sheet, 2, 3, "壹佰元", nullptr);
         }),
         "第 3 行 D 列", "金额“壹佰元”不是有效的数字；请在表格中改为数字（如 1200.50）后再导入"},
        {"numberaccount.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_number(sheet, 2, 1, 6222021234567890123.0, nullptr);
             worksheet_write_number(sheet, 2, 3, 20, nullptr);
         }),
         "第 3 行 B 列",
         "“6.22202123456789E18”是数字格式的“收款账号”，超过15位的数字已丢失末位，请将该列设为"
         "文本格式并重新录入"},
        {"dateaccount.xlsx", payments([](lxw_workbook* book, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_number(sheet, 2, 1, 45296, DateFormat(book));
             worksheet_write_number(sheet, 2, 3, 20, nullptr);
         }),
         "第 3 行 B 列", "“收款账号”“2024/1/5”是日期，不是账号；请将该列设为文本格式并重新录入"},
        {"mergedrows.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             // One amount merged over both payments: row 3 has none of its own.
             worksheet_merge_range(sheet, 1, 3, 2, 3, "", nullptr);
             worksheet_write_number(sheet, 1, 3, 10, nullptr);
         }),
         "第 3 行 D 列",
         "“金额”在合并单元格 D2:D3 中，本行没有自己的值；请在表格中取消合并，每行填写完整后再导入"},
        {"mergedbank.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_number(sheet, 2, 3, 20, nullptr);
             // An empty bank would be taken as our own bank: a merged one must not be.
             worksheet_merge_range(sheet, 1, 2, 2, 2, "中国银行成都分行", nullptr);
         }),
         "第 3 行 C 列", "“收款方开户行名称”在合并单元格 C2:C3 中，本行没有自己的值"},
        {"mergedheader.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             worksheet_merge_range(sheet, 0, 3, 0, 4, "金额", nullptr);
         }),
         "第 1 行 D 列",
         "“金额”列的标题在合并单元格 D1:E1 中，看不出该取哪一列的数据；请在表格中取消合并，"
         "使每列有自己的标题后再导入"},
        {"empty.xlsx",
         [](const QString& path) {
             lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
             workbook_add_worksheet(book, "付款");
             ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
         },
         nullptr,
         "第一个工作表“付款”是空的（前 200 行、前 64 列中没有任何内容）；导入只读取第一个工作表，"
         "请把付款数据放在第一个工作表后再导入"},
        {"header.xlsx",
         [](const QString& path) {
             WriteXlsx(path, {{QStringLiteral("收款方"), QStringLiteral("收款账号"),
                               QStringLiteral("金额")}});
         },
         nullptr, "表格只有第 1 行的列标题，下面没有付款数据；请在标题下逐行填写付款后再导入"},
        {"na.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_formula_str(sheet, 2, 1, "=VLOOKUP(A3,E:F,2,0)", nullptr, "#N/A");
             worksheet_write_number(sheet, 2, 3, 20, nullptr);
         }),
         "第 3 行 B 列", "“收款账号”是错误值“#N/A”，公式没有算出结果；请在表格中改正后再导入"},
        {"div0.xlsx", payments([](lxw_workbook*, lxw_worksheet* sheet) {
             Row3(sheet);
             worksheet_write_formula_str(sheet, 2, 3, "=1/0", nullptr, "#DIV/0!");
         }),
         "第 3 行 D 列", "“金额”是错误值“#DIV/0!”，公式没有算出结果；请在表格中改正后再导入"},
        {"formula.xls", bytes(xls::Workbook(xls::Formula(3, 4, 0, xls::NumberResult(20)))),
         "第 3 行 D 列", "金额是公式，文件中保存的计算结果是“20”，不能确认是最新的结果"},
        // A formula's number under a date format shows as the date, as the cell shows it.
        {"dateformula.xls", bytes(xls::Workbook(xls::Formula(3, 4, 1, xls::NumberResult(45296)))),
         "第 3 行 D 列", "金额是公式，文件中保存的计算结果是“2024/1/5”"},
        {"noresult.xls",
         bytes(xls::Workbook(xls::Formula(3, 2, 0, xls::EmptyResult()) + xls::Number(3, 4, 20))),
         "第 3 行 B 列",
         "“收款账号”是公式，文件中没有保存它的计算结果；请在电子表格程序中打开该文件并保存，"
         "或把公式改为数值后再导入"},
        {"merged.xls", bytes(xls::Workbook(xls::Merged(2, 4, 3, 4))), "第 3 行 D 列",
         "“金额”在合并单元格 D2:D3 中，本行没有自己的值；请在表格中取消合并，每行填写完整后再导入"},
        // Saved as comma-separated text, a long account keeps only the exponent form.
        {"account.csv",
         bytes(ansi::Encode(QStringLiteral("收款方,收款账号,金额\r\n甲,6.22202E+18,10\r\n"))),
         "第 2 行 B 列", "“6.22202E+18”是数字格式的“收款账号”，超过15位的数字已丢失末位"},
        // A worksheet claiming every row and column of the format, and one cell more: more
        // cells than are read from one workbook.
        {"toolarge.xls",
         bytes(xls::Workbook(xls::Record(0x0200, xls::U32(0) + xls::U32(1) + xls::U16(0) +
                                                     xls::U16(1) + xls::U16(0)),
                             65536, 256)),
         nullptr, "太大，无法导入；请删去不需要的工作表和行，或分成几个文件后再导入"},
        {"na.xls", bytes(xls::Workbook(xls::Error(3, 4, 0x2A))), "第 3 行 D 列",
         "“金额”是错误值“#N/A”，公式没有算出结果；请在表格中改正后再导入"},
    };
    page->payacct->setEditText(QStringLiteral("6230001"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = Path(c.file);
        c.write(path);
        // What the user is shown: the message when no preview opens, else the preview's
        // problems; "导入" is pressed wherever it is offered.
        dialogs.Clear();
        dialogs.fileAnswers = {path};
        bool checked = false;
        QStringList seen;
        QTimer::singleShot(0, page->importPreview, [&] {
            ImportPreview& preview = *page->importPreview;
            checked = true;
            if (!preview.isVisible()) {
                return;
            }
            seen = Problems(preview);
            // The summary above the problems says what to do as well.
            EXPECT_TRUE(preview.lbSummary->text().contains(u'请'))
                << preview.lbSummary->text().toStdString();
            EXPECT_FALSE(preview.btnImport->isEnabled());
            Press(preview.btnImport);
            if (preview.isVisible()) {
                Press(preview.btnCancel);
            }
        });
        Click(page->Button6);
        QTRY_VERIFY(checked);
        seen += dialogs.Texts();
        const QString expected =
            c.place ? QString::fromUtf8(c.place) + u'：' + QString::fromUtf8(c.message)
                    : QString::fromUtf8(c.message);
        const QString all = seen.join(u'\n');
        EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](const QString& text) {
            return text.contains(expected);
        })) << all.toStdString();
        // Chinese throughout: beyond the file's name no run of Latin letters longer than the
        // cell values quoted.
        static const QRegularExpression english(QStringLiteral("[A-Za-z]{5,}"));
        EXPECT_FALSE(english.match(QString(all).remove(QDir::toNativeSeparators(path))).hasMatch())
            << all.toStdString();
        EXPECT_TRUE(form.cds1.IsEmpty());
    }
}

// A header of two rows, its titles merged down over the second: the data starts below them,
// and the unit under the amount's title is no payment.
TEST(SheetBatch, TitlesMergedOverTwoRowsStartTheDataBelowThem) {
    sheetbatch::SheetTable sheet;
    sheet.columnCount = 3;
    sheet.rows = {
        {QStringLiteral("收款方"), QStringLiteral("收款账号"), QStringLiteral("金额")},
        {QString(), QString(), QStringLiteral("（元）")},
        {QStringLiteral("甲"), QStringLiteral("6222001"), QStringLiteral("12.5")},
    };
    ASSERT_TRUE(sheet.AddMerged({1, 1, 2, 1}));
    ASSERT_TRUE(sheet.AddMerged({1, 2, 2, 2}));
    // Areas of one workbook never overlap; one that does is refused and leaves no trace.
    EXPECT_FALSE(sheet.AddMerged({2, 2, 3, 3}));
    EXPECT_FALSE(sheet.MergedArea(3, 3));
    EXPECT_EQ(sheet.MergedArea(2, 2)->top, 1);
    const auto layout = sheetbatch::FindHeader(sheet);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->headerRow, 1);
    EXPECT_EQ(layout->firstRow, 3);
    const sheetbatch::Result result =
        sheetbatch::Convert(sheet, *layout, {}, QStringLiteral("6230001"), {});
    EXPECT_TRUE(result.problems.empty());
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0].amt, QStringLiteral("12.50"));
    EXPECT_TRUE(result.Importable());
}

// A sheet of the most payments allowed reads whole even below a title and its header; data
// beyond the last row read is refused, naming the row.
TEST(SheetBatch, TheMostPaymentsAllowedReadBelowATitle) {
    TestDir dir;
    for (const int payments : {sheetbatch::kMaxSheetPayments, sheetbatch::kMaxSheetRows - 1}) {
        Rows rows{{QStringLiteral("十二月付款清单")},
                  {QStringLiteral("收款方"), QStringLiteral("收款账号"), QStringLiteral("金额")}};
        for (int i = 0; i < payments; ++i) {
            rows.push_back({QStringLiteral("甲"), QStringLiteral("6222001"), 1.0});
        }
        const QString path = dir.Path(QStringLiteral("long%1.xlsx").arg(payments));
        WriteXlsx(path, rows);
        const std::unique_ptr<sheet::Application> app = sheet::CreateApplication();
        app->GetWorkbooks().Open(path);
        app->Worksheets(1).Activate();
        if (payments == sheetbatch::kMaxSheetPayments) {
            const sheetbatch::SheetTable table = sheetbatch::ReadTable(*app, {});
            EXPECT_EQ(table.rows.size(), static_cast<std::size_t>(payments + 2));
        } else {
            try {
                sheetbatch::ReadTable(*app, {});
                ADD_FAILURE() << "a sheet of " << payments << " payments was read";
            } catch (const AppError& e) {
                EXPECT_TRUE(e.Message().startsWith(
                    QStringLiteral("第 %1 行：").arg(sheetbatch::kMaxSheetRows + 1)))
                    << e.Message().toStdString();
            }
        }
    }
}

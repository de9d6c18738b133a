// A value longer than its field never enters the instruction table, whichever way it comes:
// typed into the form, typed into a cell, in an upload file, in a spreadsheet. Each is refused
// with the item and its size named and nothing added; before, the table cut it silently and
// the upload file paid a name or a remark shortened to its field.
#include <QListWidget>

#include "batch/importpreview.h"
#include "platform/text/ansi.h"
#include "tests/batch/batch_fixture.h"

namespace {

struct Overlong {
    const char* field;  // the table's field
    const char* title;  // its grid title, as messages name it
    int size;           // bytes
    QString value;      // one character more than the field holds
    QString fits;       // exactly the field's size
};

// One over-long value per field a user or a file can fill.
const std::vector<Overlong>& Cases() {
    static const std::vector<Overlong> cases = {
        {"recver", "收款方", 64, QString(32, u'张') + u'某', QString(32, u'张')},
        {"recacct", "收款账号", 20, QString(21, u'6'), QString(20, u'6')},
        {"recbank", "收款方开户行名称", 40, QString(20, u'银') + u'行', QString(20, u'银')},
        {"use", "用途", 30, QString(15, u'货') + u'款', QString(15, u'货')},
        {"remark", "备注", 20, QString(10, u'备') + u'注', QString(10, u'备')},
        {"recbankcode", "收款方开户行编号", 20, QString(21, u'1'), QString(20, u'1')},
    };
    return cases;
}

QString Refusal(const Overlong& c) {
    return QStringLiteral("“%1”超过%2字节，不能截断：").arg(QString::fromUtf8(c.title)).arg(c.size);
}

class Overlong_ : public BatchFixture {
protected:
    // Types into a line edit as a user does: ASCII by keys, Chinese as an input method's commit.
    static void Type(QLineEdit* edit, const QString& text) {
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        if (text.toLatin1() == text.toUtf8()) {
            QTest::keyClicks(edit, text);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(edit, &commit);
        }
    }
    QLineEdit* Edit(const char* field) {
        const QString name = QString::fromLatin1(field);
        if (name == u"recver")
            return page->recver->lineEdit();
        if (name == u"recacct")
            return page->recacct->lineEdit();
        if (name == u"recbank")
            return page->recbank->lineEdit();
        if (name == u"use")
            return page->use->lineEdit();
        if (name == u"remark")
            return page->edremark;
        return nullptr;  // the bank number comes from the bank search only
    }
    void ImportFile(const QString& name, const QByteArray& bytes) {
        dir.Write(name, bytes);
        dialogs.fileAnswers = {dir.Path(name)};
        Click(page->Button6);
    }
    // Chooses a spreadsheet on 数据导入 and cancels its preview; the problems it listed, after
    // checking that 导入 was not offered.
    QString PreviewProblems(const QString& path) {
        dialogs.fileAnswers = {path};
        QStringList problems;
        bool importable = true;
        QTimer::singleShot(0, page->importPreview, [&] {
            ImportPreview& preview = *page->importPreview;
            for (int i = 0; i < preview.problemList->count(); ++i) {
                problems.append(preview.problemList->item(i)->text());
            }
            importable = preview.btnImport->isEnabled();
            QTest::mouseClick(preview.btnCancel, Qt::LeftButton);
        });
        Click(page->Button6);
        EXPECT_FALSE(importable);
        return problems.join(u'\n');
    }
    // A line of the upload file with one field set to value.
    static QByteArray Line(const char* field, const QString& value) {
        QStringList f = {QStringLiteral("D"),
                         QStringLiteral("6230001"),
                         QStringLiteral("6222001"),
                         QStringLiteral("王五"),
                         QStringLiteral("某银行"),
                         QStringLiteral("某银行"),
                         QStringLiteral("102"),
                         QStringLiteral("1.00"),
                         QStringLiteral("货款"),
                         QStringLiteral("N"),
                         QString()};
        const QString name = QString::fromLatin1(field);
        const int at = name == u"recver"    ? 3
                       : name == u"recacct" ? 2
                       : name == u"recbank" ? 4
                       : name == u"use"     ? 8
                       : name == u"remark"  ? 10
                                            : 6;
        f[at] = value;
        if (at == 4) {
            f[5] = value;
        }
        return ansi::Encode(f.join(u'|') + QStringLiteral("\r\n"));
    }
};

TEST_F(Overlong_, TypedIntoTheFormIsRefused) {
    for (const Overlong& c : Cases()) {
        QLineEdit* edit = Edit(c.field);
        if (edit == nullptr) {
            continue;
        }
        for (const bool over : {true, false}) {
            Reset();
            dialogs.Clear();
            Fill(QStringLiteral("王五"), QStringLiteral("6222001"), QStringLiteral("1"));
            Type(edit, over ? c.value : c.fits);
            Click(page->Button1);
            if (over) {
                ASSERT_EQ(dialogs.messages.size(), 1) << c.field;
                EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Warning);
                EXPECT_TRUE(dialogs.messages[0].text.startsWith(Refusal(c)))
                    << dialogs.messages[0].text.toStdString();
                EXPECT_TRUE(form.cds1.IsEmpty()) << c.field;
                EXPECT_EQ(edit->text(), c.value) << "the form keeps what was typed";
            } else {
                EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("增加成功！")}) << c.field;
                ASSERT_EQ(form.cds1.RecordCount(), 1);
                EXPECT_EQ(Field(c.field), c.fits) << "kept whole";
            }
        }
    }
}

TEST_F(Overlong_, TypedIntoACellIsRefused) {
    Add(QStringLiteral("王五"), QStringLiteral("6222001"), QStringLiteral("1"));
    ASSERT_EQ(form.cds1.RecordCount(), 1);
    const QStringList before = Rows();
    for (const Overlong& c : Cases()) {
        dialogs.Clear();
        TypeIntoCell(0, c.field, c.value);
        ASSERT_EQ(dialogs.messages.size(), 1) << c.field;
        EXPECT_TRUE(dialogs.messages[0].text.startsWith(Refusal(c)))
            << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(Rows(), before) << c.field;
    }
}

TEST_F(Overlong_, InAnUploadFileIsRefusedWhole) {
    for (const Overlong& c : Cases()) {
        dialogs.Clear();
        ImportFile(QStringLiteral("in.txt"),
                   Line("recver", QStringLiteral("李四")) + Line(c.field, c.value));
        ASSERT_EQ(dialogs.messages.size(), 1) << c.field;
        EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Error);
        EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("第2行：") + Refusal(c)))
            << dialogs.messages[0].text.toStdString();
        EXPECT_TRUE(form.cds1.IsEmpty()) << c.field;
    }
    // Exactly full, every field is imported as written.
    dialogs.Clear();
    QByteArray file;
    for (const Overlong& c : Cases()) {
        file += Line(c.field, c.fits);
    }
    ImportFile(QStringLiteral("in.txt"), file);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("导入完毕！")});
    ASSERT_EQ(form.cds1.RecordCount(), static_cast<int>(Cases().size()));
    for (int r = 0; r < form.cds1.RecordCount(); ++r) {
        const Overlong& c = Cases()[static_cast<std::size_t>(r)];
        form.cds1.MoveTo(r);
        EXPECT_EQ(Field(c.field), c.fits) << c.field;
    }
}

TEST_F(Overlong_, InASpreadsheetIsAProblemOfItsCell) {
    const QString path = dir.Path(QStringLiteral("pay.csv"));
    dir.Write(
        QStringLiteral("pay.csv"),
        ansi::Encode(QStringLiteral("收款方,收款账号,金额,备注,付款账号\r\n") + Cases()[0].value +
                     QStringLiteral(",6222001,10,a,6230001\r\n李四,6222002,20,") +
                     Cases()[4].value + QStringLiteral(",6230001") + QStringLiteral("\r\n")));
    const QString all = PreviewProblems(path);
    EXPECT_TRUE(form.cds1.IsEmpty());
    EXPECT_TRUE(all.contains(QStringLiteral("第 2 行 A 列：") + Refusal(Cases()[0])))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("第 3 行 D 列：") + Refusal(Cases()[4])))
        << all.toStdString();
}

// The batch total never wraps: the 93rd payment of 9,999,999,999,999.99 would take the sum past
// what can be summed, and is refused with the largest total named; 92 are shown exactly.
TEST_F(Overlong_, ATotalThatWouldNotFitIsRefused) {
    QByteArray file;
    for (int i = 0; i < 93; ++i) {
        file +=
            Gb("P|6230001|6222001|王五|星澜聚川银行|星澜聚川银行||9999999999999.99|货款|N|\r\n");
    }
    ImportFile(QStringLiteral("big.txt"), file);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("922,337,203,685,477.58")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(form.cds1.IsEmpty());

    dialogs.Clear();
    const qsizetype line = file.size() / 93;
    ImportFile(QStringLiteral("big.txt"), file.left(line * 92));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("导入完毕！")});
    EXPECT_EQ(page->batchTotal->text(), QStringLiteral("合计：919,999,999,999,999.08"));
    // One more, typed, is refused too; a cent is not.
    dialogs.Clear();
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("9999999999999.99"));
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("指令的合计金额将超过")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(form.cds1.RecordCount(), 92);
}

}  // namespace

namespace {

// The batch sheet refuses an amount in exponent form at its cell, as the account columns do.
TEST_F(Overlong_, AnAmountInExponentFormIsAProblemOfItsCell) {
    const QString path = dir.Path(QStringLiteral("exp.csv"));
    dir.Write(QStringLiteral("exp.csv"),
              ansi::Encode(QStringLiteral("收款方,收款账号,金额,付款账号\r\n"
                                          "张三,6222001,1.23457E+11,6230001\r\n"
                                          "李四,6222002,1e5,6230001\r\n")));
    const QString all = PreviewProblems(path);
    EXPECT_TRUE(form.cds1.IsEmpty());
    EXPECT_TRUE(all.contains(QStringLiteral("第 2 行 C 列：金额“1.23457E+11”是科学计数法")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("第 3 行 C 列：金额“1e5”是科学计数法")))
        << all.toStdString();
}

}  // namespace

namespace {

// Rows after a long run of empty rows are read too: the preview counts every payment the
// sheet holds, never the ones above the gap alone.
TEST_F(Overlong_, RowsAfterAGapAreRead) {
    QString csv = QStringLiteral("收款方,收款账号,金额,付款账号\r\n张三,6222001,10,6230001\r\n");
    for (int i = 0; i < 300; ++i) {
        csv += QStringLiteral(",,,\r\n");
    }
    csv += QStringLiteral("李四,6222002,20,6230001\r\n");
    dir.Write(QStringLiteral("gap.csv"), ansi::Encode(csv));
    dialogs.fileAnswers = {dir.Path(QStringLiteral("gap.csv"))};
    QString summary;
    QTimer::singleShot(0, page->importPreview, [&] {
        summary = page->importPreview->lbSummary->text();
        QTest::mouseClick(page->importPreview->btnImport, Qt::LeftButton);
    });
    Click(page->Button6);
    EXPECT_TRUE(summary.contains(QStringLiteral("2 笔"))) << summary.toStdString();
    ASSERT_EQ(form.cds1.RecordCount(), 2) << dialogs.Texts().join(u'\n').toStdString();
    EXPECT_EQ(form.cds1.Text(1, 3), QStringLiteral("李四"));
}

}  // namespace

// Nothing keyed is lost, nothing is paid twice: the recovery file that a run which did not end
// normally leaves behind, the record of every upload file written and its window, and the
// question about payments exported on an earlier day.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QUrl>
#include <algorithm>

#include "app/exportwindow.h"
#include "app/recovery.h"
#include "payments/exportrecord.h"
#include "tests/salary/salary_fixture.h"

namespace {

class Recovery : public SalaryFixture {
protected:
    QString Config(const char* name) {
        return window->dir.Path(QStringLiteral("config/") + QString::fromLatin1(name));
    }
    // A second window over the same configuration folder, as the next start of the program
    // after the first one was killed (its window is never closed).
    std::unique_ptr<Tmform> Restart(ScriptedDialogs& next) {
        auto form = std::make_unique<Tmform>(next, window->config, nullptr, window->disk.Writer());
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }
    // The recovery file written, with the last change in it: changes are written within 200 ms.
    void WaitForRecoveryFile() {
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(Config("recovery.dat")); }, 1000));
        QTest::qWait(300);
    }
    QStringList Files(const QString& pattern) {
        return QDir(window->dir.Path(QStringLiteral("config"))).entryList({pattern}, QDir::Files);
    }
    void Export(const QString& path) {
        dialogs().Clear();
        dialogs().fileAnswers = {path};
        Click(page()->Button12);
    }
};

}  // namespace

TEST_F(Recovery, AKilledRunsRowsComeBackOnlyWhenAsked) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("200.5"));
    ASSERT_NO_FATAL_FAILURE(WaitForRecoveryFile());

    // 是 brings the rows and figures back as they were.
    {
        ScriptedDialogs next;
        next.choiceAnswers = {0};
        auto form = Restart(next);
        ASSERT_EQ(next.messages.size(), 1);
        EXPECT_EQ(next.messages[0].kind, ScriptedDialogs::Kind::Choice);
        EXPECT_TRUE(next.messages[0].text.contains(QStringLiteral("0 笔批量指令、2 笔工资记录")))
            << next.messages[0].text.toStdString();
        ASSERT_EQ(form->cds2.RecordCount(), 2);
        EXPECT_EQ(form->cds2.Text(1, 0), QStringLiteral("李四"));
        EXPECT_EQ(form->cds2.Text(1, 3), QStringLiteral("200.50"));
        EXPECT_EQ(form->salaryPage->ne_sumamt->text(), QStringLiteral("300.50"));
        EXPECT_EQ(form->salaryPage->UnexportedRows(), 2);
    }
    // 否 keeps the file aside under a dated name and starts empty.
    {
        ScriptedDialogs next;
        next.choiceAnswers = {1};
        auto form = Restart(next);
        EXPECT_EQ(form->cds2.RecordCount(), 0);
        EXPECT_FALSE(QFile::exists(Config("recovery.dat")));
        EXPECT_EQ(Files(QStringLiteral("recovery-*.dat")).size(), 1);
    }
    // A damaged file is reported, kept aside and never loaded in part.
    QByteArray damaged = window->dir.Read(
        Files(QStringLiteral("recovery-*.dat")).front().prepend(QStringLiteral("config/")));
    damaged[damaged.size() / 2] = 'X';
    window->dir.Write(QStringLiteral("config/recovery.dat"), damaged);
    {
        ScriptedDialogs next;
        auto form = Restart(next);
        ASSERT_EQ(next.messages.size(), 1);
        EXPECT_EQ(next.messages[0].kind, ScriptedDialogs::Kind::Warning);
        EXPECT_TRUE(next.messages[0].text.contains(QStringLiteral("已损坏")))
            << next.messages[0].text.toStdString();
        EXPECT_EQ(form->cds2.RecordCount(), 0);
        EXPECT_FALSE(QFile::exists(Config("recovery.dat")));
    }
}

TEST_F(Recovery, AnExportIsRecordedAndAnExitOrExportEndsTheRecovery) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(Config("recovery.dat")); }, 1000));
    const QString out = window->dir.Path(QStringLiteral("salary.txt"));
    Export(out);
    ASSERT_TRUE(QFile::exists(out)) << dialogs().Texts().join(u'\n').toStdString();
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(Config("recovery.dat"))) << "every row is in an upload file";

    const QList<payments::exportrecord::Entry> entries =
        payments::exportrecord::Load(Config("exportlog.txt")).entries;
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].page, QStringLiteral("工资代发"));
    EXPECT_EQ(entries[0].path, out);
    EXPECT_EQ(entries[0].rows, 1);
    EXPECT_EQ(entries[0].total, QStringLiteral("100.00"));
    ASSERT_EQ(entries[0].payments.size(), 1);
    EXPECT_EQ(entries[0].payments[0].account, QStringLiteral("6222001"));

    // The window lists the file as it is now: unchanged, changed, missing.
    form().NExports->trigger();
    TfmExports* exports = form().exportsWindow;
    ASSERT_NE(exports, nullptr);
    EXPECT_TRUE(exports->isVisible());
    EXPECT_EQ(exports->ExportList->rowCount(), 1);
    EXPECT_EQ(exports->ExportList->item(0, 4)->text(), QStringLiteral("未改动"));
    QString opened;
    exports->openFolder = [&](const QString& folder) { opened = folder; };
    QTest::mouseClick(exports->OpenFolderButton, Qt::LeftButton);
    EXPECT_EQ(QDir::cleanPath(opened), QDir::cleanPath(window->dir.Base()));
    window->dir.Write(QStringLiteral("salary.txt"), "changed");
    form().NExports->trigger();
    EXPECT_EQ(exports->ExportList->item(0, 4)->text(), QStringLiteral("导出后已改动"));
    QFile::remove(out);
    form().NExports->trigger();
    EXPECT_EQ(exports->ExportList->item(0, 4)->text(), QStringLiteral("文件不存在"));
    QTest::mouseClick(exports->CloseButton, Qt::LeftButton);
    EXPECT_FALSE(exports->isVisible());
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));

    // Keyed again and left with a confirmed exit: no recovery is offered later.
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("200"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(Config("recovery.dat")); }, 1000));
    dialogs().questionAnswers = {true};
    form().close();
    EXPECT_FALSE(QFile::exists(Config("recovery.dat")));
}

// Rows imported from a file keep their file through a killed run: the question before
// restoring names it, and the same file imported again after the restore is still named as a
// second payment of those rows.
TEST_F(Recovery, ImportedRowsKeepTheirFileThroughARestart) {
    const QByteArray file =
        Gb("I|6230001|6222011|王五|星澜聚川银行|星澜聚川银行||1.00|工资，奖金|N|\r\n"
           "I|6230001|6222012|赵六|星澜聚川银行|星澜聚川银行||2.00|工资，奖金|N|\r\n");
    window->dir.Write(QStringLiteral("pay.txt"), file);
    const QString path = window->dir.Path(QStringLiteral("pay.txt"));
    form().PageControl1->setCurrentIndex(0);
    dialogs().Clear();
    dialogs().fileAnswers = {path};
    Click(form().batchPage->Button6);
    ASSERT_EQ(form().cds1.RecordCount(), 2) << dialogs().Texts().join(u'\n').toStdString();
    // One row keyed in beside them, which no file is named for.
    form().PageControl1->setCurrentIndex(1);
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    ASSERT_NO_FATAL_FAILURE(WaitForRecoveryFile());

    ScriptedDialogs next;
    next.choiceAnswers = {0, 2};  // 是, then 取消 for the import below
    auto restarted = Restart(next);
    ASSERT_EQ(next.messages.size(), 1);
    const QString question = next.messages[0].text;
    EXPECT_TRUE(
        question.contains(QStringLiteral("2 笔批量指令、1 笔工资记录。\n其中：\n"
                                         "2 笔批量指令导入自“pay.txt”（")))
        << question.toStdString();
    EXPECT_TRUE(question.endsWith(QStringLiteral("）\n\n是否恢复？"))) << question.toStdString();
    ASSERT_EQ(restarted->cds1.RecordCount(), 2);

    restarted->PageControl1->setCurrentIndex(0);
    next.fileAnswers = {path};
    Click(restarted->batchPage->Button6);
    ASSERT_EQ(next.messages.size(), 2);
    EXPECT_TRUE(next.messages[1].text.contains(
        QStringLiteral("注意：表中已有 2 笔指令来自内容相同的文件“pay.txt”")))
        << next.messages[1].text.toStdString();
    EXPECT_EQ(restarted->cds1.RecordCount(), 2);
}

// A change that the 200 ms have not yet written goes into the recovery file as soon as a
// window opens to ask something, before the user answers it.
TEST_F(Recovery, AWindowThatOpensWritesThePendingChangeFirst) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("200"));
    QTest::qWait(300);
    ASSERT_TRUE(window->dir.Read(QStringLiteral("config/recovery.dat")).contains("6222002"));
    // Deleted, and at once (no event loop in between, so no timer) the record window opens.
    form().cds2.Last();
    Click(page()->Button9);
    form().NExports->trigger();
    const QByteArray kept = window->dir.Read(QStringLiteral("config/recovery.dat"));
    EXPECT_TRUE(kept.contains("6222001"));
    EXPECT_FALSE(kept.contains("6222002"));
    QTest::mouseClick(form().exportsWindow->CloseButton, Qt::LeftButton);
}

// An export record that cannot be written does not cost the export: the upload file is
// written and verified, and a warning names the record and what to check.
TEST_F(Recovery, ARecordThatCannotBeWrittenKeepsTheExport) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    // A folder where the record should be: no append can open it, not even as root.
    ASSERT_TRUE(QDir().mkpath(Config("exportlog.txt")));
    const QString out = window->dir.Path(QStringLiteral("salary.txt"));
    // Nor can it be read: the question says that earlier exports could not be checked.
    dialogs().Clear();
    dialogs().fileAnswers = {out};
    dialogs().questionAnswers = {true};
    Click(page()->Button12);
    QTest::qWait(50);
    ASSERT_TRUE(QFile::exists(out)) << dialogs().Texts().join(u'\n').toStdString();
    ASSERT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::Question);
    EXPECT_TRUE(dialogs().messages[0].text.contains(
        QStringLiteral("”无法读取（").prepend(QDir::toNativeSeparators(Config("exportlog.txt")))))
        << dialogs().messages[0].text.toStdString();
    EXPECT_TRUE(window->dir.Read(QStringLiteral("salary.txt")).startsWith("1|100.00|"));
    const auto warning =
        std::find_if(dialogs().messages.begin(), dialogs().messages.end(), [](const auto& m) {
            return m.kind == ScriptedDialogs::Kind::Warning &&
                   m.text.startsWith(QStringLiteral("上传文件已写好，可以照常上传，但导出记录"));
        });
    ASSERT_NE(warning, dialogs().messages.end()) << dialogs().Texts().join(u'\n').toStdString();
    EXPECT_TRUE(warning->text.contains(QStringLiteral("exportlog.txt")));
    EXPECT_TRUE(warning->text.endsWith(QStringLiteral("请检查磁盘空间和配置文件夹的写入权限。")));
    EXPECT_EQ(page()->UnexportedRows(), 0);
}

// The same account and amount exported 29 days ago is named before the file is written, with
// the date and the file; 31 days ago is past the window. 否 writes nothing.
TEST_F(Recovery, APaymentExportedOnAnEarlierDayIsNamedBeforeWriting) {
    const QDateTime now = QDateTime::currentDateTime();
    const auto earlier = [&](int days, const char* file, const char* amount) {
        payments::exportrecord::Entry e;
        e.time = now.addDays(-days);
        e.page = QStringLiteral("工资代发");
        e.path = window->dir.Path(QString::fromLatin1(file));
        e.rows = 1;
        e.total = QString::fromLatin1(amount);
        e.sha256 = "00";
        e.payments = {
            {QStringLiteral("6222001"), *payments::Money::Parse(QString::fromLatin1(amount))}};
        ASSERT_TRUE(payments::exportrecord::Append(Config("exportlog.txt"), e));
    };
    earlier(29, "old29.txt", "100.00");
    earlier(31, "old31.txt", "200.00");
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("200"));
    const QString out = window->dir.Path(QStringLiteral("again.txt"));
    Export(out);  // the question is answered 否
    EXPECT_FALSE(QFile::exists(out));
    ASSERT_EQ(dialogs().messages.size(), 1);
    const QString question = dialogs().messages[0].text;
    EXPECT_EQ(dialogs().messages[0].kind, ScriptedDialogs::Kind::Question);
    EXPECT_TRUE(question.contains(
        QStringLiteral("第1笔：账号6222001，金额100.00，") +
        now.addDays(-29).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 已导出到“") +
        QDir::toNativeSeparators(window->dir.Path(QStringLiteral("old29.txt")))))
        << question.toStdString();
    EXPECT_FALSE(question.contains(QStringLiteral("old31"))) << question.toStdString();
    EXPECT_FALSE(question.contains(QStringLiteral("第2笔"))) << question.toStdString();
}

// One damaged byte does not blind the record: the line no longer reads as a whole entry, and the
// export question names it, with the file it still names, instead of passing over the payment
// it held; 导出记录 lists it as damaged. An entry dated after today (a clock set ahead) is
// matched like any other.
TEST_F(Recovery, ADamagedRecordLineIsNamedNotSkipped) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    const QString first = window->dir.Path(QStringLiteral("first.txt"));
    Export(first);
    ASSERT_TRUE(QFile::exists(first)) << dialogs().Texts().join(u'\n').toStdString();
    QByteArray record = window->dir.Read(QStringLiteral("config/exportlog.txt"));
    const qsizetype account = record.indexOf("6222001");
    ASSERT_GE(account, 0);
    record[account + 6] = '9';  // 6222001 -> 6222009: the payment no longer matches
    window->dir.Write(QStringLiteral("config/exportlog.txt"), record);
    // A second export dated tomorrow.
    payments::exportrecord::Entry ahead;
    ahead.time = QDateTime::currentDateTime().addDays(1);
    ahead.page = QStringLiteral("工资代发");
    ahead.path = window->dir.Path(QStringLiteral("ahead.txt"));
    ahead.rows = 1;
    ahead.total = QStringLiteral("300.00");
    ahead.sha256 = "00";
    ahead.payments = {{QStringLiteral("6222003"), *payments::Money::Parse(QStringLiteral("300"))}};
    ASSERT_TRUE(payments::exportrecord::Append(Config("exportlog.txt"), ahead));

    Click(page()->Button10);  // 复位
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    Add(QStringLiteral("王五"), QStringLiteral("6222003"), QStringLiteral("300"));
    const QString again = window->dir.Path(QStringLiteral("again.txt"));
    Export(again);  // 否
    EXPECT_FALSE(QFile::exists(again));
    ASSERT_FALSE(dialogs().messages.isEmpty());
    const QString question = dialogs().messages.last().text;
    EXPECT_EQ(dialogs().messages.last().kind, ScriptedDialogs::Kind::Question);
    EXPECT_TRUE(question.contains(
        QStringLiteral("导出记录“%1”中有1行已损坏，其中的导出无法核对：\n第1行：“%2”")
            .arg(QDir::toNativeSeparators(Config("exportlog.txt")),
                 QDir::toNativeSeparators(first))))
        << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("第2笔：账号6222003，金额300.00，") +
                                  ahead.time.toString(QStringLiteral("yyyy-MM-dd"))))
        << question.toStdString();

    form().NExports->trigger();
    TfmExports* exports = form().exportsWindow;
    ASSERT_NE(exports, nullptr);
    ASSERT_EQ(exports->ExportList->rowCount(), 2);
    EXPECT_EQ(exports->ExportList->item(0, 4)->text(), QStringLiteral("记录第1行已损坏"));
    EXPECT_EQ(exports->ExportList->item(0, 5)->text(), QDir::toNativeSeparators(first));
    EXPECT_EQ(exports->ExportList->item(1, 5)->text(), QDir::toNativeSeparators(ahead.path));
    // A recorded path that names a device is not read (reading /dev/zero never ends).
    payments::exportrecord::Entry device = ahead;
    device.path = QStringLiteral("/dev/zero");
    device.time = ahead.time.addSecs(60);
    ASSERT_TRUE(payments::exportrecord::Append(Config("exportlog.txt"), device));
    form().NExports->trigger();
    ASSERT_EQ(exports->ExportList->rowCount(), 3);
    EXPECT_EQ(exports->ExportList->item(1, 4)->text(), QStringLiteral("不是普通文件"));
    QTest::mouseClick(exports->CloseButton, Qt::LeftButton);

    // A damaged line naming a file inside a program opens nothing: the system would run the
    // program. The first damaged line names a real folder, which opens.
    window->dir.Write(QStringLiteral("tool.exe"), "MZ");
    payments::exportrecord::Entry forged = ahead;
    forged.path = window->dir.Path(QStringLiteral("tool.exe/x.txt"));
    ASSERT_TRUE(payments::exportrecord::Append(Config("exportlog.txt"), forged));
    record = window->dir.Read(QStringLiteral("config/exportlog.txt"));
    record[record.lastIndexOf("300.00")] = '4';
    // And more damaged lines than the window lists one by one.
    for (int i = 0; i < payments::exportrecord::kDamageListed; ++i) {
        record += "garbage\n";
    }
    window->dir.Write(QStringLiteral("config/exportlog.txt"), record);
    QStringList opened;
    exports->openFolder = [&](const QString& folder) { opened.append(folder); };
    form().NExports->trigger();
    const int listed = payments::exportrecord::kDamageListed;
    ASSERT_EQ(exports->ExportList->rowCount(), listed + 1 + 2);
    EXPECT_EQ(exports->ExportList->item(1, 5)->text(), QDir::toNativeSeparators(forged.path));
    EXPECT_EQ(exports->ExportList->item(listed, 4)->text(),
              QStringLiteral("……等共%1行已损坏").arg(listed + 2));
    EXPECT_EQ(exports->ExportList->item(listed + 1, 5)->text(),
              QDir::toNativeSeparators(device.path));
    for (const int row : {1, listed, 0}) {
        exports->ExportList->selectRow(row);
        QTest::mouseClick(exports->OpenFolderButton, Qt::LeftButton);
    }
    EXPECT_EQ(opened, QStringList{QFileInfo(first).absolutePath()});
    QTest::mouseClick(exports->CloseButton, Qt::LeftButton);
}

// An entry cut short by a crash is named as damaged with the file it still names, and the next
// one starts on a line of its own.
TEST(ExportRecord, ACutEntryIsNamedAndTheNextStartsALineOfItsOwn) {
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("exportlog.txt"));
    payments::exportrecord::Entry e;
    e.time = QDateTime::currentDateTime();
    e.page = QStringLiteral("批量支付");
    e.path = QStringLiteral("/tmp/a|b\tc.txt");
    e.rows = 2;
    e.total = QStringLiteral("3.00");
    e.sha256 = "ab";
    e.payments = {{QStringLiteral("1"), payments::Money::FromTenThousandths(10000)},
                  {QStringLiteral("2"), payments::Money::FromTenThousandths(20000)}};
    const QByteArray line = payments::exportrecord::EntryLine(e);
    dir.Write(QStringLiteral("exportlog.txt"), line + '\n' + line.left(line.size() - 20));
    ASSERT_TRUE(payments::exportrecord::Append(path, e));
    const payments::exportrecord::Record record = payments::exportrecord::Load(path);
    const QList<payments::exportrecord::Entry>& entries = record.entries;
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[1].path, e.path);
    EXPECT_EQ(entries[1].payments.size(), 2);
    ASSERT_EQ(record.damagedLines, 1);
    EXPECT_EQ(record.damaged[0].line, 2);
    EXPECT_EQ(record.damaged[0].path, e.path);
}

// A recovery file is not taken on trust: its checksum only tells that it is whole. A value the
// table would refuse if it were typed (too long for its field, no amount, an unknown code)
// refuses the whole file with the row and the item named, keeps it aside and restores nothing.
namespace {

// The fields of the instruction table and a row of it that passes every check.
const QStringList kBatchFields = {
    QStringLiteral("cpflag"),    QStringLiteral("payacct"),     QStringLiteral("recacct"),
    QStringLiteral("recver"),    QStringLiteral("recbankcode"), QStringLiteral("recbank"),
    QStringLiteral("cur"),       QStringLiteral("amt"),         QStringLiteral("use"),
    QStringLiteral("remittype"), QStringLiteral("remark")};
const QStringList kSoundInstruction = {QStringLiteral("公司"),
                                       QStringLiteral("6230001"),
                                       QStringLiteral("6222001"),
                                       QStringLiteral("王五"),
                                       QString(),
                                       QStringLiteral("星澜聚川银行"),
                                       QStringLiteral("CNY"),
                                       QStringLiteral("1.00"),
                                       QStringLiteral("货款"),
                                       QStringLiteral("普通"),
                                       QString()};
const QStringList kSalaryFields = {QStringLiteral("name"),   QStringLiteral("deptname"),
                                   QStringLiteral("acct"),   QStringLiteral("finalincome"),
                                   QStringLiteral("codeno"), QStringLiteral("memo")};

// A recovery file's bytes with their closing check made anew, as a forger would.
QByteArray Reseal(const QByteArray& file) {
    const QByteArray body = file.left(file.lastIndexOf("end\t"));
    return body + "end\t" + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() +
           '\n';
}

}  // namespace

TEST_F(Recovery, ARestoredValueIsCheckedAsATypedOne) {
    const QStringList& fields = kBatchFields;
    const QStringList& sound = kSoundInstruction;
    const struct {
        int field;
        QString value;
        const char* reason;
    } cases[] = {
        {3, QString(33, u'王'), "第2笔批量指令：“收款方”超过64字节，不能截断："},
        {10, QString(11, u'备'), "第2笔批量指令：“备注”超过20字节，不能截断："},
        {2, QStringLiteral("12345678901234567890123456"),
         "第2笔批量指令：“收款账号”超过20字节，不能截断："},
        {7, QStringLiteral("abc"), "第2笔批量指令：金额“abc”不是有效的数字"},
        {7, QStringLiteral("1e5"), "第2笔批量指令：金额“1e5”不是两位小数的金额"},
        {0, QStringLiteral("XX"), "第2笔批量指令：“公私标志”只能是"},
        {2, QStringLiteral("62|22"), "第2笔批量指令：“收款账号”不能包含“|”或换行符"},
        {6, QStringLiteral("USD"), "第2笔批量指令：“币种”只能是“CNY”"},
    };
    for (const auto& c : cases) {
        QStringList bad = sound;
        bad[c.field] = c.value;
        recovery::Snapshot snapshot{QDateTime::currentDateTime(),
                                    {{QStringLiteral("cds1"), fields, {sound, bad}, {}, {}, {}}}};
        window->dir.Write(QStringLiteral("config/recovery.dat"), recovery::Serialize(snapshot));
        ScriptedDialogs next;
        next.choiceAnswers = {0};
        auto form = Restart(next);
        ASSERT_EQ(next.messages.size(), 2) << c.reason;
        EXPECT_EQ(next.messages[1].kind, ScriptedDialogs::Kind::Warning);
        EXPECT_TRUE(next.messages[1].text.contains(QString::fromUtf8(c.reason)))
            << next.messages[1].text.toStdString();
        EXPECT_FALSE(next.messages[1].text.contains(QStringLiteral("工资项目")))
            << "the items never changed";
        EXPECT_EQ(form->cds1.RecordCount(), 0) << c.reason;
        EXPECT_FALSE(QFile::exists(Config("recovery.dat")));
    }
    EXPECT_EQ(Files(QStringLiteral("recovery-*.dat")).size(), std::size(cases));

    // A name whose bytes are no UTF-8 is refused, not restored with a replacement character.
    const QByteArray file =
        recovery::Serialize({QDateTime::currentDateTime(),
                             {{QStringLiteral("cds1"), fields, {sound, sound}, {}, {}, {}}}});
    const QByteArray name = QUrl::toPercentEncoding(QStringLiteral("王五"));
    QByteArray forged = file;
    forged.replace(forged.lastIndexOf(name), name.size(), "%FF%E4%BA%94");
    window->dir.Write(QStringLiteral("config/recovery.dat"), Reseal(forged));
    ScriptedDialogs next;
    next.choiceAnswers = {0};
    auto form = Restart(next);
    ASSERT_EQ(next.messages.size(), 2);
    EXPECT_TRUE(
        next.messages[1].text.contains(QStringLiteral("第2笔批量指令：“收款方”含有无法识别的字节")))
        << next.messages[1].text.toStdString();
    EXPECT_EQ(form->cds1.RecordCount(), 0);
}

// A table refused at any row restores nothing of the file: not the batch rows read before the
// salary table, whether a salary value is refused or the salary items are not those of the
// file.
TEST_F(Recovery, ARefusedSalaryTableKeepsNoBatchRow) {
    const QStringList sound = {QStringLiteral("张三"),    QStringLiteral("NULL"),
                               QStringLiteral("6222001"), QStringLiteral("100.00"),
                               QStringLiteral("NULL"),    QStringLiteral("NULL")};
    QStringList badAmount = sound;
    badAmount[3] = QStringLiteral("-5.00");
    QStringList otherFields = kSalaryFields;
    otherFields[4] = QStringLiteral("bonus");
    const struct {
        QStringList fields;
        QStringList row;
        const char* reason;
    } cases[] = {{kSalaryFields, badAmount, "第2笔工资记录："},
                 {otherFields, sound, "与当前的工资项目不符"}};
    for (const auto& c : cases) {
        recovery::Snapshot snapshot{
            QDateTime::currentDateTime(),
            {{QStringLiteral("cds1"), kBatchFields, {kSoundInstruction}, {}, {}, {}},
             {QStringLiteral("cds2"), c.fields, {sound, c.row}, {}, {}, {}}}};
        window->dir.Write(QStringLiteral("config/recovery.dat"), recovery::Serialize(snapshot));
        ScriptedDialogs next;
        next.choiceAnswers = {0};
        auto form = Restart(next);
        ASSERT_EQ(next.messages.size(), 2) << c.reason;
        EXPECT_TRUE(next.messages[1].text.contains(QString::fromUtf8(c.reason)))
            << next.messages[1].text.toStdString();
        EXPECT_EQ(form->cds1.RecordCount(), 0) << c.reason;
        EXPECT_EQ(form->cds2.RecordCount(), 0) << c.reason;
        EXPECT_EQ(form->batchPage->UnexportedRows(), 0) << c.reason;
    }
}

// A row's origin names one of the files its table lists; one past them is a damaged file, not
// a row of an unknown file.
TEST_F(Recovery, AnOriginPastTheImportedFilesIsDamage) {
    const RowOrigins::Source source{QStringLiteral("pay.txt"), QByteArray(64, 'a'),
                                    QDateTime::currentDateTime()};
    for (const int origin : {0, 1, -2}) {
        recovery::Snapshot snapshot{
            QDateTime::currentDateTime(),
            {{QStringLiteral("cds1"), kBatchFields, {kSoundInstruction}, {source}, {origin}, {}}}};
        window->dir.Write(QStringLiteral("config/recovery.dat"), recovery::Serialize(snapshot));
        ScriptedDialogs next;
        next.choiceAnswers = {0};
        auto form = Restart(next);
        ASSERT_FALSE(next.messages.isEmpty()) << origin;
        if (origin == 0) {
            EXPECT_TRUE(next.messages[0].text.contains(QStringLiteral("pay.txt")))
                << next.messages[0].text.toStdString();
            EXPECT_EQ(form->cds1.RecordCount(), 1);
        } else {
            EXPECT_TRUE(next.messages[0].text.contains(QStringLiteral("已损坏")))
                << next.messages[0].text.toStdString();
            EXPECT_EQ(form->cds1.RecordCount(), 0) << origin;
        }
        QFile::remove(Config("recovery.dat"));
    }
}

// A row already written to an upload file stays marked so through a restart: the question
// before restoring counts only the rows not exported, and 复位 after the restore asks about
// those alone.
TEST_F(Recovery, RestoredRowsKeepTheirExportedMark) {
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    Export(window->dir.Path(QStringLiteral("a.txt")));
    ASSERT_EQ(page()->UnexportedRows(), 0) << dialogs().Texts().join(u'\n').toStdString();
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("200"));
    EXPECT_EQ(page()->UnexportedRows(), 1);
    ASSERT_NO_FATAL_FAILURE(WaitForRecoveryFile());

    ScriptedDialogs next;
    next.choiceAnswers = {0};
    auto form = Restart(next);
    ASSERT_EQ(next.messages.size(), 1);
    const QString question = next.messages[0].text;
    EXPECT_TRUE(question.contains(QStringLiteral("0 笔批量指令、1 笔工资记录。")))
        << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("另有已导出的 0 笔批量指令、1 笔工资记录")))
        << question.toStdString();
    EXPECT_TRUE(question.contains(QDir::toNativeSeparators(Config("recovery.dat"))))
        << "the question names the file it restores from";
    ASSERT_EQ(form->cds2.RecordCount(), 2);
    EXPECT_EQ(form->salaryPage->UnexportedRows(), 1);
    next.Clear();
    next.questionAnswers = {false};
    QTest::mouseClick(form->salaryPage->Button10, Qt::LeftButton);
    ASSERT_EQ(next.messages.size(), 1);
    EXPECT_TRUE(next.messages[0].text.startsWith(
        QStringLiteral("表中有 1 笔工资记录（合计 200.00 元）尚未导出")))
        << next.messages[0].text.toStdString();
}

// A recovery file that cannot be written is said once, in the status bar and a box, and is
// written as soon as it can be again.
TEST_F(Recovery, ARecoveryFileThatCannotBeWrittenIsSaidOnceAndRetried) {
    // A folder in the file's place: the rename over it fails as on a read-only folder.
    ASSERT_TRUE(QDir().mkpath(Config("recovery.dat") + QStringLiteral("/x")));
    Add(QStringLiteral("张三"), QStringLiteral("6222001"), QStringLiteral("100"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs().messages.isEmpty(); }, 1000));
    Add(QStringLiteral("李四"), QStringLiteral("6222002"), QStringLiteral("200"));
    QTest::qWait(500);
    QStringList warnings;
    for (const auto& m : dialogs().messages) {
        if (m.kind == ScriptedDialogs::Kind::Warning) {
            warnings.append(m.text);
        }
    }
    ASSERT_EQ(warnings.size(), 1) << dialogs().Texts().join(u'\n').toStdString();
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("无法写入"))) << warnings[0].toStdString();
    EXPECT_TRUE(form().noticePanel->text().contains(QStringLiteral("无法写入")));
    // The folder goes; the next try writes the file and the status bar clears.
    ASSERT_TRUE(QDir(Config("recovery.dat")).removeRecursively());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(Config("recovery.dat")).isFile(); }, 5000));
    EXPECT_TRUE(form().noticePanel->text().isEmpty());
}

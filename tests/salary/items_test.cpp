#include <QComboBox>

#include "params/paramspage.h"
#include "tests/salary/salary_fixture.h"

namespace {

// The salary table's fields as "name:size:R" (required) or "name:size:-".
QString FieldDefs(Dataset& t) {
    QStringList defs;
    for (int i = 0; i < t.FieldCount(); ++i) {
        Field f = t.Fields(i);
        defs.append(QStringLiteral("%1:%2:%3")
                        .arg(f.FieldName())
                        .arg(f.Size())
                        .arg(f.Required() ? QChar(u'R') : QChar(u'-')));
    }
    return defs.join(u',');
}

QString Titles(DBGrid* grid) {
    QStringList titles;
    for (int i = 0; i < grid->ColumnCount(); ++i) {
        titles.append(grid->ColumnTitle(i));
    }
    return titles.join(u',');
}

// The item rows as "seq|subject|subjectval".
QString ItemRows(Dataset& t) {
    QStringList rows;
    for (int r = 0; r < t.RecordCount(); ++r) {
        rows.append(t.Text(r, 0) + u'|' + t.Text(r, 1) + u'|' + t.Text(r, 2));
    }
    return rows.join(u';');
}

// A same-bank instruction added on the batch page as a user does.
void AddInstruction(SalaryWindow& w) {
    BatchPage* batch = w.form.batchPage;
    w.form.PageControl1->setCurrentIndex(0);
    batch->payacct->setEditText(QStringLiteral("6230001"));
    batch->recver->setEditText(QStringLiteral("王五"));
    batch->recacct->setEditText(QStringLiteral("62220003"));
    batch->amt->SetShuZhi(QStringLiteral("10"));
    batch->use->setEditText(QStringLiteral("工资"));
    batch->remittype->setCurrentIndex(batch->remittype->findText(QStringLiteral("普通")));
    QTest::mouseClick(batch->Button1, Qt::LeftButton);
}

}  // namespace

TEST(SalaryItems, TheItemFileBuildsBothTables) {
    struct Case {
        const char* file;
        const char* names;
        const char* defs;
        const char* titles;
        const char* items;
    } cases[] = {
        {kSixItems, "name,deptname,acct,finalincome,codeno,memo",
         "name:64:R,deptname:20:-,acct:32:R,finalincome:20:R,codeno:20:-,memo:20:R",
         "姓名,部门名称,员工账号,实际入账金额,员工编号,备注",
         "1|姓名|;2|部门名称|;3|员工账号|;4|实际入账金额|;5|员工编号|;6|备注|"},
        // A blank splits a caption unless it is quoted; "|" is no separator here; a line of
        // other than three fields is skipped; the number keeps 2 bytes.
        {"1,员工 姓名,name\r\n1|姓名|name\r\n\r\n1,\"员工 姓名\",name\r\n123,姓名,acct\r\n"
         "2,a,b,c\n3,x\r",
         "name,acct", "name:64:R,acct:32:-", "员工 姓名,姓名", "1|员工 姓名|;12|姓名|"},
        // A long caption is whole in the salary grid and cut to 16 bytes in the item grid.
        {"1,一二三四五六七八九十,name\r\n2,b,f2\r\n3,c,f3\r\n4,d,f4\r\n5,e,f5\r\n6,f,f6\r\n"
         "7,g,f7",
         "name,f2,f3,f4,f5,f6,f7", "name:64:R,f2:20:-,f3:20:R,f4:20:R,f5:20:-,f6:20:R,f7:20:-",
         "一二三四五六七八九十,b,c,d,e,f,g", "1|一二三四五六七八|;2|b|;3|c|;4|d|;5|e|;6|f|;7|g|"},
        {"1,a,x\r\n2,b,y\r\n3,c,z\r\n", "x,y,z", "x:64:R,y:20:-,z:20:R", "a,b,c", "1|a|;2|b|;3|c|"},
    };
    for (const Case& c : cases) {
        SalaryWindow w(Gb(c.file));
        w.Show();
        EXPECT_TRUE(w.dialogs.messages.isEmpty()) << w.dialogs.Texts().join(u'\n').toStdString();
        EXPECT_EQ(w.form.ItemFieldNames->join(u','), QString::fromUtf8(c.names));
        EXPECT_EQ(FieldDefs(w.form.cds2), QString::fromUtf8(c.defs));
        EXPECT_EQ(Titles(w.page->DBGrid2), QString::fromUtf8(c.titles));
        EXPECT_EQ(w.form.cds2.Fields(0).DisplayLabel(),
                  Titles(w.page->DBGrid2).section(u',', 0, 0));
        EXPECT_EQ(ItemRows(w.form.cds3), QString::fromUtf8(c.items));
        EXPECT_EQ(w.form.cds3.RecNo(), 0);
        EXPECT_TRUE(w.form.cds2.IsEmpty());
    }
}

TEST(SalaryItems, OneThousandItemsLoad) {
    QString file;
    for (int i = 1; i <= 1000; ++i) {
        file += QStringLiteral("%1,项目%1,f%1\r\n").arg(i);
    }
    SalaryWindow w(Gb(file.toUtf8().constData()));
    w.Show();
    EXPECT_TRUE(w.dialogs.messages.isEmpty());
    EXPECT_EQ(w.form.ItemFieldNames->size(), 1000);
    EXPECT_EQ(w.page->DBGrid2->ColumnCount(), 1000);
    EXPECT_EQ(w.page->DBGrid2->ColumnTitle(999), QStringLiteral("项目1000"));
    EXPECT_EQ(w.form.cds3.Text(999, 0), QStringLiteral("10"));
}

TEST(SalaryItems, AnUnusableItemFileIsReportedAndTheOtherPagesStillWork) {
    const QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0\xff\xfe,,", 24);
    struct Case {
        QByteArray file;
        bool write;
        QString error;
    } cases[] = {
        {Gb("a,b\r\n1,2,3,4\r\n"), true,
         QStringLiteral("No fields defined.  Cannot create dataset")},
        {binary, true, QStringLiteral("No fields defined.  Cannot create dataset")},
        {Gb("1,姓名,name\r\n,部门名称,deptname\r\n"), true,
         QStringLiteral("Field '序号' must have a value")},
        {Gb("1,姓名,name\r\n2,\"\",deptname\r\n"), true,
         QStringLiteral("Field '项目名称' must have a value")},
        {Gb("1,姓名,name\r\n2,部门名称,deptname\r\n3,名字,NAME\r\n"), true,
         QStringLiteral("A component named NAME already exists")},
        {QByteArray(), false, QString()},
    };
    for (const Case& c : cases) {
        SalaryWindow w(c.file, c.write);
        w.Show();
        const QString error = c.write ? c.error
                                      : QStringLiteral("Cannot open file ") +
                                            w.config.Path(QStringLiteral("config\\salary.ini"));
        EXPECT_EQ(w.dialogs.messages,
                  QList<ScriptedDialogs::Message>({{ScriptedDialogs::Kind::ProgramError,
                                                    Dialogs::ApplicationTitle(), error + u'.'}}));
        // The salary page is empty, its item captions protected all the same.
        EXPECT_EQ(w.form.cds3.RecordCount(), 0) << error.toStdString();
        EXPECT_TRUE(w.form.ItemFieldNames->isEmpty());
        EXPECT_EQ(w.page->DBGrid2->ColumnCount(), 0);
        EXPECT_TRUE(w.form.cds3.Fields(0).ReadOnly());
        EXPECT_TRUE(w.form.cds3.Fields(1).ReadOnly());
        // The parameter page was filled.
        EXPECT_EQ(w.form.paramsPage->conf_payacct->currentText(), QStringLiteral("6230001"));
        // The batch page adds a same-bank instruction.
        w.dialogs.Clear();
        AddInstruction(w);
        EXPECT_EQ(w.dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
        EXPECT_EQ(w.form.cds1.FieldByName(QStringLiteral("recbank")).AsString(),
                  QStringLiteral("星澜聚川银行"));
        // The salary page's buttons answer without a credit being added.
        w.form.PageControl1->setCurrentIndex(1);
        w.dialogs.Clear();
        QTest::mouseClick(w.page->Button7, Qt::LeftButton);
        QTest::mouseClick(w.page->Button12, Qt::LeftButton);
        EXPECT_EQ(w.dialogs.Texts(),
                  QStringList({QStringLiteral("增加失败：Cannot perform this operation on a "
                                              "closed dataset"),
                               QStringLiteral("无工资代发记录！")}));
    }
}

TEST(SalaryItems, FieldNamesMatchWithoutLetterCaseAndAMissingItemAddsNothing) {
    SalaryWindow w(Gb("1,姓名,Name\r\n2,账号,ACCT\r\n3,金额,FinalIncome\r\n4,备注,Memo\r\n"));
    w.Show();
    TypeInto(w.page->DBGrid3, 0, 2, QStringLiteral("张三"));
    TypeInto(w.page->DBGrid3, 1, 2, QStringLiteral("101"));
    TypeInto(w.page->DBGrid3, 2, 2, QStringLiteral("100"));
    TypeInto(w.page->DBGrid3, 3, 2, QStringLiteral("奖金"));
    QTest::mouseClick(w.page->Button7, Qt::LeftButton);
    EXPECT_EQ(w.dialogs.Texts(), QStringList{QStringLiteral("增加成功！")});
    EXPECT_EQ(w.form.cds2.Text(0, 0) + w.form.cds2.Text(0, 3), QStringLiteral("张三奖金"));
    EXPECT_EQ(w.page->SalaryItemValue(QStringLiteral("finalINCOME")), QStringLiteral("100"));
    EXPECT_EQ(w.form.cds3.RecNo(), 2);
    EXPECT_EQ(w.page->SalaryItemValue(QStringLiteral("codeno")), QStringLiteral("NULL"));
    EXPECT_EQ(w.form.cds3.RecNo(), 0);

    SalaryWindow lacking(Gb("1,姓名,name\r\n2,部门,dept\r\n3,账号,acct\r\n4,金额,finalincome\r\n"));
    lacking.Show();
    QTest::mouseClick(lacking.page->Button7, Qt::LeftButton);
    EXPECT_EQ(lacking.dialogs.Texts(),
              QStringList{QStringLiteral("增加失败：Field 'memo' not found")});
    EXPECT_TRUE(lacking.form.cds2.IsEmpty());
    EXPECT_EQ(lacking.page->recordcount->text(), QString());
}

#include "platform/dataset/dataset.h"

#include <gtest/gtest.h>

#include "platform/text/apperror.h"
#include "tests/common/testdir.h"

namespace {

QString Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const AppError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

class Table : public ::testing::Test {
protected:
    void SetUp() override {
        ds.AddFieldDef(QStringLiteral("cpflag"), true, 6);
        ds.AddFieldDef(QStringLiteral("use"), true, 30);
        ds.AddFieldDef(QStringLiteral("remark"), false, 20);
        ds.CreateDataSet();
    }
    void Add(const char* flag, const char* use, const char* remark = "") {
        ds.Append();
        ds.FieldByName(QStringLiteral("cpflag")).SetAsString(QString::fromUtf8(flag));
        ds.FieldByName(QStringLiteral("use")).SetAsString(QString::fromUtf8(use));
        ds.FieldByName(QStringLiteral("remark")).SetAsString(QString::fromUtf8(remark));
        ds.Post();
    }
    QStringList Column(int field) {
        QStringList values;
        for (int r = 0; r < ds.RecordCount(); ++r) {
            values.append(ds.Text(r, field));
        }
        return values;
    }
    Dataset ds;
};

}  // namespace

TEST(Definitions, CreateAndDefinitionErrors) {
    Dataset ds;
    EXPECT_EQ(Message([&] { ds.CreateDataSet(); }),
              QStringLiteral("No fields defined.  Cannot create dataset"));
    ds.AddFieldDef(QStringLiteral("name"), true, 8);
    EXPECT_EQ(Message([&] { ds.AddFieldDef(QStringLiteral("NAME"), false, 20); }),
              QStringLiteral("A component named NAME already exists"));
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_FALSE(ds.Active());
    ds.CreateDataSet();
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.FieldCount(), 1);
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof());
}

TEST_F(Table, FieldAccessByNameIgnoresCaseAndNamesMissingFields) {
    Add("公司", "工资");
    EXPECT_EQ(ds.FieldByName(QStringLiteral("CPFLAG")).AsString(), QString::fromUtf8("公司"));
    EXPECT_EQ(ds.Fields(1).AsString(), QString::fromUtf8("工资"));
    EXPECT_EQ(ds.FieldByName(QStringLiteral("Use")).DisplayLabel(), QStringLiteral("use"));
    EXPECT_EQ(Message([&] { ds.FieldByName(QStringLiteral("amt")); }),
              QStringLiteral("Field 'amt' not found"));
}

TEST_F(Table, PostNamesTheFirstEmptyRequiredFieldByItsLabel) {
    ds.Fields(1).SetDisplayLabel(QString::fromUtf8("用途"));
    ds.Append();
    ds.Fields(0).SetAsString(QString::fromUtf8("公司"));
    ds.Fields(1).SetAsString(QString());  // empty text is no value
    EXPECT_TRUE(ds.Fields(1).IsNull());
    EXPECT_EQ(Message([&] { ds.Post(); }), QString::fromUtf8("Field '用途' must have a value"));
    EXPECT_EQ(ds.GetState(), Dataset::State::Insert);
    ds.Cancel();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.GetState(), Dataset::State::Browse);
}

// A value longer than its field is refused, never cut, naming the field; a value that fills
// it to the last byte is kept whole. Sizes count bytes: a Chinese character takes two.
TEST_F(Table, ValuesLongerThanTheirFieldAreRefusedNeverCut) {
    Add("公司", "证券交易结算资金和期货交易保证", "abcdefghijklmnopqrst");
    EXPECT_EQ(ds.Fields(1).AsString(), QString::fromUtf8("证券交易结算资金和期货交易保证"));
    EXPECT_EQ(ds.Fields(2).AsString(), QStringLiteral("abcdefghijklmnopqrst"));
    ds.Edit();
    EXPECT_EQ(
        Message([&] { ds.Fields(2).SetAsString(QString::fromUtf8("a一二三四五六七八九十")); }),
        QString::fromUtf8("“") + ds.Fields(2).DisplayLabel() +
            QString::fromUtf8("”超过20字节，不能截断：“a一二三四五六七八九十”"));
    EXPECT_EQ(Message([&] { ds.Fields(0).SetAsString(QString::fromUtf8("公司私人")); }).left(13),
              QString::fromUtf8("“cpflag”超过6字节"));
    ds.Post();
    EXPECT_EQ(ds.Fields(0).AsString(), QString::fromUtf8("公司"));
    EXPECT_EQ(ds.Fields(2).AsString(), QStringLiteral("abcdefghijklmnopqrst"));
}

TEST_F(Table, ImplicitPostOnAppendMoveAndDelete) {
    Add("公司", "a");
    Add("私人", "b");
    // Moving the cursor posts the edit.
    ds.Edit();
    ds.Fields(1).SetAsString(QStringLiteral("B2"));
    ds.First();
    EXPECT_EQ(ds.GetState(), Dataset::State::Browse);
    EXPECT_EQ(Column(1), (QStringList{QStringLiteral("a"), QStringLiteral("B2")}));
    // Appending posts the edit of the current row.
    ds.Edit();
    ds.Fields(1).SetAsString(QStringLiteral("A2"));
    ds.Append();
    EXPECT_EQ(Column(1).first(), QStringLiteral("A2"));
    EXPECT_EQ(ds.RecNo(), 2);
    // A failing implicit post keeps the row in its state and the cursor where it is.
    EXPECT_EQ(Message([&] { ds.First(); }), QStringLiteral("Field 'cpflag' must have a value"));
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), 2);
    // Deleting while editing posts first, then removes the row.
    ds.First();
    ds.Edit();
    ds.Fields(2).SetAsString(QStringLiteral("r"));
    ds.Next();
    ds.Prior();
    EXPECT_EQ(ds.Fields(2).AsString(), QStringLiteral("r"));
}

TEST_F(Table, CancelRestoresAnEditAndEditOnEmptyAppends) {
    ds.Edit();
    EXPECT_EQ(ds.GetState(), Dataset::State::Insert);
    EXPECT_EQ(ds.RecordCount(), 1);
    ds.Cancel();
    EXPECT_TRUE(ds.IsEmpty());
    Add("公司", "a", "x");
    ds.Edit();
    ds.Fields(2).SetAsString(QStringLiteral("y"));
    ds.Cancel();
    EXPECT_EQ(ds.Fields(2).AsString(), QStringLiteral("x"));
    EXPECT_EQ(Message([&] { ds.Fields(2).SetAsString(QStringLiteral("z")); }),
              QStringLiteral("Dataset not in edit or insert mode"));
}

TEST_F(Table, DeleteMovesToTheNextOrLastRow) {
    for (const char* u : {"a", "b", "c"}) {
        Add("公司", u);
    }
    ds.First();
    ds.Next();
    ds.Delete();
    EXPECT_EQ(ds.Fields(1).AsString(), QStringLiteral("c"));
    ds.Delete();
    EXPECT_EQ(ds.Fields(1).AsString(), QStringLiteral("a"));
    ds.Delete();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(Message([&] { ds.Delete(); }),
              QStringLiteral("Cannot perform this operation on an empty dataset"));
}

// Emptying in one pass leaves what deleting row by row leaves: every visible row gone, rows a
// filter hides kept in their order, a pending append posted first.
TEST_F(Table, EmptyDataSetRemovesTheVisibleRows) {
    for (const char* u : {"a", "b", "c", "d"}) {
        Add(u[0] == 'b' || u[0] == 'd' ? "私人" : "公司", u);
    }
    ds.SetFilterText(QStringLiteral("cpflag = '私人'"));
    ds.SetFiltered(true);
    ASSERT_EQ(ds.RecordCount(), 2);
    ds.EmptyDataSet();
    EXPECT_TRUE(ds.IsEmpty());
    ds.SetFiltered(false);
    EXPECT_EQ(Column(1), QStringList({QStringLiteral("a"), QStringLiteral("c")}));
    ds.Append();
    ds.FieldByName(QStringLiteral("cpflag")).SetAsString(QStringLiteral("公司"));
    ds.FieldByName(QStringLiteral("use")).SetAsString(QStringLiteral("e"));
    ds.EmptyDataSet();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.RecNo(), -1);
    Add("公司", "f");
    EXPECT_EQ(Column(1), QStringList{QStringLiteral("f")});
}

TEST_F(Table, CursorWalk) {
    for (const char* u : {"a", "b", "c"}) {
        Add("公司", u);
    }
    QStringList seen;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        seen.append(ds.Fields(1).AsString());
    }
    EXPECT_EQ(seen, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(ds.RecNo(), 2);
}

TEST_F(Table, CurrencyReads) {
    ds.AddFieldDef(QStringLiteral("amt"), false, 20);  // definitions only, table unchanged
    Add("公司", "12.34567", "x");
    EXPECT_EQ(ds.Fields(1).AsCurrency(), 123457);
    ds.Edit();
    ds.Fields(1).SetAsString(QStringLiteral("0.00005"));
    EXPECT_EQ(ds.Fields(1).AsCurrency(), 0);
    ds.Fields(1).SetAsString(QStringLiteral("NULL"));
    EXPECT_EQ(Message([&] { ds.Fields(1).AsCurrency(); }),
              QStringLiteral("'NULL' is not a valid floating point value"));
    ds.Cancel();
    EXPECT_EQ(Message([&] { ds.Fields(2).AsCurrency(); }),
              QStringLiteral("'x' is not a valid floating point value"));
}

TEST_F(Table, ReadOnlyFieldsRefuseWrites) {
    Add("公司", "a");
    ds.Fields(0).SetDisplayLabel(QString::fromUtf8("公私标志"));
    ds.Fields(0).SetReadOnly(true);
    ds.Edit();
    EXPECT_EQ(Message([&] { ds.Fields(0).SetAsString(QStringLiteral("x")); }),
              QString::fromUtf8("Field '公私标志' cannot be modified"));
    ds.Cancel();
}

#include "platform/dataset/dbgrid.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QToolTip>
#include <algorithm>

#include "platform/dialogs/scripteddialogs.h"
#include "tests/common/testdir.h"

namespace {

class Grid : public ::testing::Test {
protected:
    void SetUp() override {
        ds.AddFieldDef(QStringLiteral("recver"), true, 8);
        ds.AddFieldDef(QStringLiteral("remark"), false, 20);
        ds.CreateDataSet();
        source.SetDataSet(&ds);
        grid.SetDialogs(&dialogs);
        grid.SetDataSource(&source);
        grid.resize(400, 300);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    void Add(const char* name) {
        ds.Append();
        ds.Fields(0).SetAsString(QString::fromUtf8(name));
        ds.Post();
    }
    Dataset ds;
    DataSource source;
    ScriptedDialogs dialogs;
    DBGrid grid;
    QAbstractItemModelTester tester{grid.Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
};

}  // namespace

TEST_F(Grid, ColumnsFollowFieldsAndTitlesAreDisplayLabels) {
    EXPECT_EQ(grid.ColumnCount(), 2);
    EXPECT_EQ(grid.ColumnTitle(0), QStringLiteral("recver"));
    grid.SetColumnTitle(0, QString::fromUtf8("收款方"));
    EXPECT_EQ(ds.Fields(0).DisplayLabel(), QString::fromUtf8("收款方"));
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("收款方"));
    grid.SetColumnReadOnly(1, true);
    EXPECT_TRUE(ds.Fields(1).ReadOnly());
    Add("a");
    EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(Grid, CurrentRowFollowsTheCursorAndTheCursorTheUser) {
    for (const char* n : {"a", "b", "c"}) {
        Add(n);
    }
    EXPECT_EQ(grid.currentIndex().row(), 2);
    ds.First();
    EXPECT_EQ(grid.currentIndex().row(), 0);
    const QRect cell = grid.visualRect(grid.model()->index(1, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.Fields(0).AsString(), QStringLiteral("b"));
    // The row indicator marks the current row only.
    QStringList indicators;
    for (int r = 0; r < 3; ++r) {
        indicators.append(grid.model()->headerData(r, Qt::Vertical).toString());
    }
    EXPECT_EQ(indicators, QStringList({QString(), QStringLiteral("▶"), QString()}));
    ds.Delete();
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(grid.model()->data(grid.currentIndex()).toString(), QStringLiteral("c"));
}

TEST_F(Grid, EditInPlaceIsPostedWhenTheRowIsLeft) {
    Add("a");
    Add("b");
    ds.First();
    ASSERT_TRUE(grid.model()->setData(grid.model()->index(0, 1), QStringLiteral("new")));
    EXPECT_EQ(ds.GetState(), Dataset::State::Edit);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualRect(grid.model()->index(1, 0)).center());
    EXPECT_EQ(ds.GetState(), Dataset::State::Browse);
    EXPECT_EQ(ds.Text(0, 1), QStringLiteral("new"));
    // A required value emptied in place: leaving the row shows the post error, the row stays.
    ASSERT_TRUE(grid.model()->setData(grid.model()->index(1, 0), QString()));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualRect(grid.model()->index(0, 0)).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Field 'recver' must have a value.")});
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(grid.currentIndex().row(), 1);
}

TEST_F(Grid, DoubleClickAnywhereIncludingTheTitleRow) {
    Add("a");
    QSignalSpy spy(&grid, &DBGrid::DblClick);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                       grid.visualRect(grid.model()->index(0, 0)).center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, QPoint(390, 290));
    const int x = grid.horizontalHeader()->sectionViewportPosition(0) + 5;
    QTest::mouseDClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    EXPECT_EQ(spy.count(), 3);
}

TEST(GridSize, LargeTableIsReadOnDemand) {
    Dataset ds;
    ds.AddFieldDef(QStringLiteral("n"), true, 8);
    ds.CreateDataSet();
    DataSource source;
    source.SetDataSet(&ds);
    DBGrid grid;
    grid.SetDataSource(&source);
    grid.resize(300, 200);
    grid.show();
    for (int i = 0; i < 3000; ++i) {
        ds.Append();
        ds.Fields(0).SetAsString(QString::number(i));
        ds.Post();
    }
    EXPECT_EQ(grid.model()->rowCount(), 3000);
    ds.First();
    EXPECT_EQ(grid.currentIndex().row(), 0);
    ds.Last();
    EXPECT_EQ(grid.model()->data(grid.currentIndex()).toString(), QStringLiteral("2999"));
    // Closing drops rows and columns at once without stale rows in the view.
    ds.Close();
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.model()->columnCount(), 0);
}

namespace {

// Records what the grid asks its style to draw in each cell: the text and the rectangle.
class DrawnCells : public QProxyStyle {
public:
    struct Cell {
        QString text;
        QRect rect;
        int column;
    };
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
            item && element == CE_ItemViewItem) {
            cells.append({item->text, item->rect, item->index.column()});
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    mutable QList<Cell> cells;
};

}  // namespace

// An amount is seen whole or not at all: a cell that runs past the grid's edge shows the number
// in its visible part, a cell too narrow for it shows "#" marks and the number as its tooltip.
// Never its first digits alone ("10" for 100.09).
TEST(GridNumbers, AnAmountIsNeverCutFromTheRight) {
    DrawnCells style;
    Dataset ds;
    ds.AddFieldDef(QStringLiteral("name"), true, 8);
    ds.AddFieldDef(QStringLiteral("amt"), true, 20);
    ds.CreateDataSet();
    ds.Append();
    ds.Fields(0).SetAsString(QStringLiteral("张三"));
    ds.Fields(1).SetAsString(QStringLiteral("100.09"));
    ds.Post();
    DataSource source;
    source.SetDataSet(&ds);
    DBGrid grid;
    grid.setStyle(&style);
    grid.Model()->SetFieldFormat(QStringLiteral("amt"),
                                 {[](const QString& t) { return t; }, Qt::AlignRight});
    grid.SetDataSource(&source);
    grid.resize(400, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    const int view = grid.viewport()->width();
    const int digits = grid.fontMetrics().horizontalAdvance(QStringLiteral("100.09"));
    const struct {
        int first;   // width of the name column
        int second;  // width of the amount column
        bool whole;  // the number fits in what is seen of its cell
    } cases[] = {{100, 120, true},
                 {view - digits - 30, 200, true},
                 {view - 12, 200, false},
                 {100, digits / 2, false}};
    for (const auto& c : cases) {
        grid.setColumnWidth(0, c.first);
        grid.setColumnWidth(1, c.second);
        style.cells.clear();
        (void)grid.grab();
        const auto amount = std::find_if(style.cells.begin(), style.cells.end(),
                                         [](const DrawnCells::Cell& d) { return d.column == 1; });
        ASSERT_NE(amount, style.cells.end()) << c.first;
        EXPECT_LE(amount->rect.right(), view) << c.first;
        if (c.whole) {
            EXPECT_EQ(amount->text, QStringLiteral("100.09")) << c.first;
            EXPECT_GE(amount->rect.width(), digits) << c.first;
        } else {
            EXPECT_FALSE(amount->text.isEmpty());
            EXPECT_EQ(amount->text, QString(amount->text.size(), u'#')) << c.first;
            const QPoint at = amount->rect.center();
            QHelpEvent tip(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
            QApplication::sendEvent(grid.viewport(), &tip);
            EXPECT_EQ(QToolTip::text(), QStringLiteral("100.09")) << c.first;
            QToolTip::hideText();
        }
    }
    grid.setStyle(nullptr);
}

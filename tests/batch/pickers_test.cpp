#include <QTreeWidget>

#include "tests/batch/batch_fixture.h"

namespace {

class Pickers : public BatchFixture {
protected:
    // Opens a picker through its button; while it is shown, act() runs, then the picker is
    // closed with the window's close command.
    void Pick(QToolButton* button, RosterPicker& picker, const std::function<void()>& act) {
        QTimer::singleShot(0, &picker, [&] {
            shownRows = picker.list->topLevelItemCount();
            act();
            picker.close();
        });
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void SelectRow(RosterPicker& picker, int row) {
        QTreeWidgetItem* item = picker.list->topLevelItem(row);
        QTest::mouseClick(picker.list->viewport(), Qt::LeftButton, {},
                          picker.list->visualItemRect(item).center());
    }
    static QStringList Items(QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items.append(box->itemText(i));
        }
        return items;
    }
    int shownRows = -1;
};

}  // namespace

TEST_F(Pickers, PayeePickerFillsThePayeeControls) {
    dir.Write(QStringLiteral("config/recvers.ini"),
              Gb("张三|6222001|星澜聚川银行|\r\n\r\n两段|6222\r\n张三 李|6222|某银行|1234\r\n"
                 "李四|6222002|中国银行成都分行|104651000001\r\n"));
    Pick(page->SpeedButton1, recverPicker, [&] {
        SelectRow(recverPicker, 2);
        if (qEnvironmentVariableIsSet("CORPPAY_SCREENSHOT")) {
            recverPicker.grab().save(qEnvironmentVariable("CORPPAY_SCREENSHOT"));
        }
    });
    EXPECT_EQ(shownRows, 3);
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("李四"));
    EXPECT_EQ(page->recacct->currentText(), QStringLiteral("6222002"));
    EXPECT_EQ(page->recbank->currentText(), QStringLiteral("中国银行成都分行"));
    EXPECT_EQ(page->recbankcode->text(), QString()) << "the bank number is not taken";
    EXPECT_FALSE(page->cross->isChecked());
    // The line with a blank in its name lists its first three fields.
    Pick(page->SpeedButton1, recverPicker, [&] {
        EXPECT_EQ(recverPicker.list->topLevelItem(1)->text(2), QStringLiteral("6222"));
        SelectRow(recverPicker, 2);
    });
    EXPECT_EQ(Items(page->recver), QStringList({QStringLiteral("李四"), QStringLiteral("李四")}));
    // A double-click on the empty area closes the dialog; the list was rebuilt, so nothing is
    // selected and nothing changes.
    page->recver->setEditText(QStringLiteral("x"));
    Pick(page->SpeedButton1, recverPicker, [&] {
        QTest::mouseDClick(recverPicker.list->viewport(), Qt::LeftButton, {},
                           QPoint(5, recverPicker.list->viewport()->height() - 5));
        EXPECT_FALSE(recverPicker.isVisible());
    });
    EXPECT_EQ(page->recver->currentText(), QStringLiteral("x"));
}

TEST_F(Pickers, PayerPickerListsOnlyThreeFieldLines) {
    Pick(page->SpeedButton2, payerPicker, [&] { SelectRow(payerPicker, 0); });
    EXPECT_EQ(shownRows, 1) << "a name with a blank makes four fields";
    EXPECT_EQ(page->payer->currentText(), QStringLiteral("甲公司"));
    EXPECT_EQ(page->payacct->currentText(), QStringLiteral("6230001"));
    EXPECT_EQ(page->paybank->currentText(), QStringLiteral("星澜聚川银行"));
    EXPECT_EQ(payerPicker.windowTitle(), QStringLiteral("名册管理"));
    EXPECT_EQ(payerPicker.list->objectName(), QStringLiteral("payerlist"));
    EXPECT_EQ(recverPicker.list->objectName(), QStringLiteral("reverlist"));
}

TEST_F(Pickers, MissingRosterShowsTheErrorAndAnEmptyList) {
    QFile::remove(dir.Path(QStringLiteral("config/owner.ini")));
    page->payer->setEditText(QStringLiteral("keep"));
    Pick(page->SpeedButton2, payerPicker, [&] {
        // The button re-reads the file: the error again, the list still empty.
        QTest::mouseClick(payerPicker.SpeedButton1, Qt::LeftButton);
    });
    EXPECT_EQ(shownRows, 0);
    const QString text = QStringLiteral("Cannot open file ") +
                         config.Path(QStringLiteral("config\\owner.ini")) + u'.';
    EXPECT_EQ(dialogs.Texts(), QStringList({text, text}));
    EXPECT_EQ(page->payer->currentText(), QStringLiteral("keep"));
}

#include "platform/dialogs/qtdialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "platform/dialogs/guard.h"
#include "platform/text/apperror.h"
#include "tests/common/testdir.h"

namespace {

// Runs check() on the modal window as soon as it is up.
template <typename W>
void WhenShown(const std::function<void(W*)>& check) {
    QTimer::singleShot(0, [check] {
        W* window = qobject_cast<W*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        check(window);
    });
}

struct Box {
    QString caption, text, button;
    QMessageBox::Icon icon;
    QString objectName;
};

Box Seen(QMessageBox* box) {
    const QList<QAbstractButton*> buttons = box->buttons();
    return {box->windowTitle(), box->text(), buttons.size() == 1 ? buttons[0]->text() : QString(),
            box->icon(), box->objectName()};
}

// Qt's Chinese texts, installed as the program installs them at start.
class Translated {
public:
    Translated() {
        loaded = translator_.load(QStringLiteral("qtbase_zh_CN"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
                 QCoreApplication::installTranslator(&translator_);
    }
    ~Translated() { QCoreApplication::removeTranslator(&translator_); }
    bool loaded = false;

private:
    QTranslator translator_;
};

}  // namespace

// The buttons keep "OK" and "Cancel" even with Qt's Chinese texts loaded.
TEST(QtDialogs, MessageBoxesHaveTheirCaptionIconAndOneOkButton) {
    const Translated chinese;
    ASSERT_TRUE(chinese.loaded);
    QtDialogs dialogs;
    struct Case {
        std::function<void()> show;
        QString caption;
        QMessageBox::Icon icon;
        QString text;
    } cases[] = {
        {[&] { dialogs.Warning(QStringLiteral("w！")); }, QStringLiteral("Warning"),
         QMessageBox::Warning, QStringLiteral("w！")},
        {[&] { dialogs.Information(QStringLiteral("i")); }, QStringLiteral("Information"),
         QMessageBox::Information, QStringLiteral("i")},
        {[&] { dialogs.Error(QStringLiteral("e")); }, QStringLiteral("Error"),
         QMessageBox::Critical, QStringLiteral("e")},
        {[&] { dialogs.Plain(QStringLiteral("p")); }, Dialogs::ApplicationTitle(),
         QMessageBox::NoIcon, QStringLiteral("p")},
        {[&] { Guarded(dialogs, [] { throw AppError(QStringLiteral("增加失败！")); }); },
         Dialogs::ApplicationTitle(), QMessageBox::Critical, QStringLiteral("增加失败！.")},
        {[&] { Guarded(dialogs, [] { throw AppError(QStringLiteral("ends with a dot.")); }); },
         Dialogs::ApplicationTitle(), QMessageBox::Critical, QStringLiteral("ends with a dot.")},
    };
    for (const Case& c : cases) {
        Box seen;
        int width = 0;
        int captionWidth = 0;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            seen = Seen(box);
            width = box->width();
            captionWidth = box->fontMetrics().horizontalAdvance(box->windowTitle());
            QTest::keyClick(box, Qt::Key_Return);
        });
        c.show();
        // However short the message, the box is wide enough for its caption and the title
        // bar's buttons, so the window manager does not cut the caption.
        EXPECT_GE(width, captionWidth + 120) << c.caption.toStdString();
        EXPECT_EQ(seen.caption, c.caption);
        EXPECT_EQ(seen.text, c.text);
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.button, QStringLiteral("OK"));
    }
    EXPECT_EQ(Dialogs::ApplicationTitle(), QStringLiteral("dialogs_test"));
}

TEST(QtDialogs, OkCancelBoxAnswers) {
    const Translated chinese;
    ASSERT_TRUE(chinese.loaded);
    QtDialogs dialogs;
    for (bool ok : {true, false}) {
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QStringLiteral("提示窗口"));
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
            EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));
            box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(
            dialogs.OkCancel(QStringLiteral("提示窗口"), QStringLiteral("您输入的格式不正确")), ok);
    }
}

TEST(QtDialogs, FileDialogsReturnTheTypedNameAndAskBeforeReplacing) {
    TestDir dir;
    dir.Write(QStringLiteral("old.txt"), "x");
    QtDialogs dialogs;
    FileDialogState save{QStringLiteral("SaveDialog1"),
                         QStringLiteral("文本文件|*.txt|CSV文本|*.csv|EXCEL文件|*.xls"),
                         1,
                         QString(),
                         dir.Path(QStringLiteral("easy2026-12-10.txt")),
                         QString()};
    // An existing file is replaced only after a question: 否 keeps the dialog open, 是 saves.
    for (const bool replace : {false, true}) {
        QString asked;
        WhenShown<QFileDialog>([&](QFileDialog* d) {
            EXPECT_EQ(d->objectName(), QStringLiteral("SaveDialog1"));
            EXPECT_EQ(d->nameFilters().size(), 3);
            EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("文本文件 (*.txt)"));
            QLineEdit* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(name->text(), QStringLiteral("easy2026-12-10.txt"));
            name->setText(QStringLiteral("old.txt"));
            WhenShown<QMessageBox>([&, d](QMessageBox* box) {
                asked = box->text();
                box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
                if (!replace) {
                    QTimer::singleShot(0, d, [d] { d->reject(); });
                }
            });
            QTest::keyClick(name, Qt::Key_Return);
        });
        save.fileName = dir.Path(QStringLiteral("easy2026-12-10.txt"));
        EXPECT_EQ(dialogs.Save(save), replace);
        EXPECT_TRUE(asked.contains(QStringLiteral("old.txt"))) << asked.toStdString();
    }
    EXPECT_EQ(save.fileName, dir.Path(QStringLiteral("old.txt")));

    // The open dialog returns a typed name of a missing file; the extension is added.
    FileDialogState open{
        QStringLiteral("OpenDialog1"),       save.filter, 1, QStringLiteral("*.TXT"),
        dir.Path(QStringLiteral("old.txt")), QString()};
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        QLineEdit* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        // The user types into the focused name box.
        QApplication::setActiveWindow(d);
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("missing"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    ASSERT_TRUE(dialogs.Open(open));
    EXPECT_EQ(open.fileName, dir.Path(QStringLiteral("missing.TXT")));

    WhenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_FALSE(dialogs.Open(open));
}

// The question box: caption "Confirm", 是 and 否 with 否 the default, so Enter and Escape do
// not confirm.
TEST(QtDialogs, QuestionDefaultsToNo) {
    QtDialogs dialogs;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QString caption;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            caption = box->windowTitle();
            QTest::keyClick(box, key);
        });
        EXPECT_FALSE(dialogs.Question(QStringLiteral("仍要导出吗？")));
        EXPECT_EQ(caption, QStringLiteral("Confirm"));
    }
    WhenShown<QMessageBox>([](QMessageBox* box) {
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("QuestionYes")),
                          Qt::LeftButton);
    });
    EXPECT_TRUE(dialogs.Question(QStringLiteral("仍要导出吗？")));
}

// Every window of the program as a screen reader and the keyboard meet it: each control that
// takes the focus has a name of its own, each label standing before a field is that field's
// buddy with a mnemonic, and no two mnemonics of a window are alike. Windows open on their
// screen: the main window within its working area, the dialogs centred on it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QScreen>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include "app/aboutbox.h"
#include "app/mainwindow.h"
#include "batch/batchpage.h"
#include "batch/importpreview.h"
#include "lookup/banksearch.h"
#include "lookup/rosterpicker.h"
#include "platform/dialogs/scripteddialogs.h"
#include "platform/report/pagesetup.h"
#include "platform/report/preview.h"
#include "platform/report/report.h"
#include "tests/common/testdir.h"

namespace {

QString Id(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

bool Shown(const QWidget* w, const QWidget* window) {
    return w->window() == window && w->isVisibleTo(window);
}

// The controls a user reaches with Tab or a click: shown, enabled, taking the focus, and not a
// part that hands its focus on (the line edit of a combo box or a spin box).
QList<QWidget*> Controls(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (Shown(w, window) && w->isEnabled() && w->focusPolicy() != Qt::NoFocus &&
            w->focusProxy() == nullptr) {
            controls.append(w);
        }
    }
    return controls;
}

// What a box shows: its current text, which must never be all that names it.
QString Shown(QWidget* w) {
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        return combo->currentText();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return edit->text();
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        return spin->text();
    }
    return QString();
}

// The name a screen reader gives a control. Qt reports a combo box's current text as its name
// on Linux and names it through its buddy label instead; the name the program gives it is its
// accessible name, which Windows reads directly.
QString NameOf(QWidget* w, QAccessibleInterface* access) {
    if (qobject_cast<QComboBox*>(w) != nullptr) {
        return w->accessibleName();
    }
    return access != nullptr ? access->text(QAccessible::Name) : QString();
}

// A name of its own: not empty, not the value shown, not the title of the group around it (a
// screen reader's fallback, which gave every field of a form the same name).
QStringList NameProblems(QWidget* window) {
    QStringList problems;
    for (QWidget* w : Controls(window)) {
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(w);
        const QString name = NameOf(w, access);
        const QString value = Shown(w);
        if (name.trimmed().isEmpty()) {
            problems.append(Id(w) + QStringLiteral(": no name"));
            continue;
        }
        if (!value.isEmpty() && name == value) {
            problems.append(Id(w) + QStringLiteral(": named by its value ") + value);
        }
        for (QWidget* p = w->parentWidget(); p != nullptr && p != window; p = p->parentWidget()) {
            if (auto* group = qobject_cast<QGroupBox*>(p); group && group->title() == name) {
                problems.append(Id(w) + QStringLiteral(": named by its group ") + name);
            }
        }
    }
    return problems;
}

// The shown widgets of a layout item that take the focus.
QList<QWidget*> FocusTakers(QLayoutItem* item, QWidget* window) {
    QList<QWidget*> takers;
    if (item == nullptr) {
        return takers;
    }
    if (QWidget* w = item->widget()) {
        QList<QWidget*> all = w->findChildren<QWidget*>();
        all.prepend(w);
        for (QWidget* c : all) {
            if (Shown(c, window) && c->focusPolicy() != Qt::NoFocus && !c->focusProxy()) {
                takers.append(c);
            }
        }
    } else if (QLayout* inner = item->layout()) {
        for (int i = 0; i < inner->count(); ++i) {
            takers += FocusTakers(inner->itemAt(i), window);
        }
    }
    return takers;
}

// The item after a layout's item in reading order: the next cell of a grid's row, a form's field
// beside its label, the next item of a row of widgets.
QLayoutItem* Following(QLayout* layout, int index) {
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(index, &row, &column, &rows, &columns);
        return grid->itemAtPosition(row, column + columns);
    }
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        int row = 0;
        QFormLayout::ItemRole role = QFormLayout::LabelRole;
        form->getItemPosition(index, &row, &role);
        return role == QFormLayout::LabelRole ? form->itemAt(row, QFormLayout::FieldRole) : nullptr;
    }
    auto* box = qobject_cast<QBoxLayout*>(layout);
    if (box != nullptr && box->direction() == QBoxLayout::LeftToRight) {
        return box->itemAt(index + 1);
    }
    return nullptr;
}

QStringList BuddyProblems(QWidget* window) {
    QStringList problems;
    for (QLayout* layout : window->findChildren<QLayout*>()) {
        QWidget* owner = layout->parentWidget();
        if (owner == nullptr || !(owner == window || Shown(owner, window))) {
            continue;
        }
        for (int i = 0; i < layout->count(); ++i) {
            auto* label = qobject_cast<QLabel*>(layout->itemAt(i)->widget());
            if (label == nullptr || !Shown(label, window) || label->text().isEmpty()) {
                continue;
            }
            const QList<QWidget*> fields = FocusTakers(Following(layout, i), window);
            if (fields.isEmpty()) {
                continue;
            }
            if (!fields.contains(label->buddy())) {
                problems.append(Id(label) + QStringLiteral(" stands before ") + Id(fields[0]) +
                                QStringLiteral(" but is not its buddy"));
            }
            if (QKeySequence::mnemonic(label->text()).isEmpty()) {
                problems.append(Id(label) + QStringLiteral(" has no mnemonic"));
            }
        }
    }
    return problems;
}

// Mnemonics of the labels, buttons and menu titles shown together: each button has one, and no
// two are alike. Menu items are compared within their menu. The preview's tool bar buttons are
// reached by the shortcuts their tooltips name instead.
QStringList MnemonicProblems(QWidget* window) {
    QStringList problems;
    QMap<QString, QStringList> owners;
    const auto take = [&](const QString& text, const QString& who) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty()) {
            owners[key.toString()].append(who);
        }
        return !key.isEmpty();
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (Shown(label, window) && label->buddy() != nullptr) {
            take(label->text(), Id(label));
        }
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!Shown(button, window) || button->text().isEmpty() ||
            qobject_cast<QToolBar*>(button->parentWidget()) != nullptr) {
            continue;
        }
        if (!take(button->text(), Id(button))) {
            problems.append(Id(button) + QStringLiteral(" has no mnemonic"));
        }
    }
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (QAction* title : bar->actions()) {
            if (!take(title->text(), title->text())) {
                problems.append(title->text() + QStringLiteral(" has no mnemonic"));
            }
            QSet<QString> keys;
            for (QAction* item : title->menu()->actions()) {
                const QString key = QKeySequence::mnemonic(item->text()).toString();
                if (item->isSeparator()) {
                    continue;
                }
                if (key.isEmpty() || keys.contains(key)) {
                    problems.append(item->objectName() +
                                    QStringLiteral(": no mnemonic of its own"));
                }
                keys.insert(key);
            }
        }
    }
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it.value().size() > 1) {
            problems.append(it.key() + QStringLiteral(" is shared by ") +
                            it.value().join(QStringLiteral(", ")));
        }
    }
    return problems;
}

QStringList Problems(QWidget* window) {
    QStringList all = NameProblems(window) + BuddyProblems(window) + MnemonicProblems(window);
    for (QString& p : all) {
        p.prepend(Id(window) + QStringLiteral(": "));
    }
    return all;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class Access : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write(QStringLiteral("config/salary.ini"),
                  Gb("1,姓名,name\r\n2,部门名称,deptname\r\n3,员工账号,acct\r\n"));
        dir.Write(QStringLiteral("config/owner.ini"),
                  Gb("甲公司|6230580000098765432|星澜聚川银行\r\n"));
        dir.Write(QStringLiteral("config/recvers.ini"),
                  Gb("张三|6222001|星澜聚川银行\r\n李四|6222002|他行|102100099996\r\n"));
        form.SetDialogs(&recver, &payer, &bank, &about);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    TestDir dir;
    ConfigDir config{dir.Base()};
    ScriptedDialogs dialogs;
    Tmform form{dialogs, config};
    TfmRecver recver{dialogs, config, &form};
    Tfrpayer payer{dialogs, config, &form};
    TfmBank bank{dialogs, &form};
    TAboutBox about{&form};
};

}  // namespace

// The three pages of the main window, its dialogs and the preview with its page setup, each as
// a user sees it: fields filled, lists listed.
TEST_F(Access, EveryControlNamedEveryLabelABuddyEveryMnemonicItsOwn) {
    // Values in the boxes, so that a box named by its value shows.
    form.batchPage->payer->setEditText(QStringLiteral("甲公司"));
    form.batchPage->payacct->setEditText(QStringLiteral("6230580000098765432"));
    form.batchPage->cross->setChecked(true);
    QStringList problems;
    for (int page = 0; page < form.PageControl1->count(); ++page) {
        form.PageControl1->setCurrentIndex(page);
        problems += Problems(&form);
    }

    recver.FormShow();
    payer.FormShow();
    about.SetConfigFolder(dir.Base());
    form.NExportsClick();
    ASSERT_NE(form.exportsWindow, nullptr);
    TfrxReport report(dialogs, WriteFile);
    report.LoadFromFile(QStringLiteral(CORPPAY_SOURCE_DIR "/config/cross.fr3"), true);
    report.PrepareReport();
    TfrxPreviewForm preview(report, &form);
    TfrxPageSetupForm setup(report.PageSetup(), &form);
    QList<QDialog*> windows = {&recver,
                               &payer,
                               &bank,
                               &about,
                               form.exportsWindow,
                               &preview,
                               &setup,
                               form.batchPage->importPreview};
    for (QDialog* window : windows) {
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window)) << Id(window).toStdString();
        problems += Problems(window);
        window->hide();
    }
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

// Alt and a label's letter move the focus to its field, as a user walks the entry form.
TEST_F(Access, AltLetterMovesToTheField) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    struct Step {
        Qt::Key key;
        QWidget* field;
    };
    BatchPage* page = form.batchPage;
    const Step steps[] = {{Qt::Key_T, page->recacct},
                          {Qt::Key_P, page->payer},
                          {Qt::Key_M, page->amt},
                          {Qt::Key_R, page->edremark}};
    for (const Step& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), s.key, Qt::AltModifier);
        EXPECT_TRUE(s.field->hasFocus()) << Id(s.field).toStdString();
    }
}

// The main window opens within the working area of its screen even when it was last left
// larger than that screen, and each dialog opens centred on it.
TEST_F(Access, WindowsOpenOnTheirScreen) {
    // The form was drawn 1024 pixels wide; the offscreen screen is 800. Only the window's
    // least width (the entry form beside a grid) may stand out, to the right.
    const QRect area = form.screen()->availableGeometry();
    const QRect frame = form.frameGeometry();
    EXPECT_TRUE(area.contains(frame.topLeft()));
    EXPECT_LE(frame.bottom(), area.bottom());
    EXPECT_TRUE(frame.width() <= area.width() || form.minimumWidth() > area.width())
        << frame.width() << " in " << area.width();
    EXPECT_LT(frame.width(), 1024);

    form.move(area.topLeft() + QPoint(40, 30));
    for (QDialog* dialog : std::initializer_list<QDialog*>{&recver, &bank, &about}) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        const QPoint offset = dialog->geometry().center() - form.geometry().center();
        EXPECT_LE(offset.manhattanLength(), 8) << Id(dialog).toStdString();
        dialog->hide();
    }
}

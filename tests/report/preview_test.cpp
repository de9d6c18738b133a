// The preview window as a user works it: modal and maximized, page navigation, zoom, find,
// export to PDF, the print dialog and its file printer, page setup, and the empty report.
#include <gtest/gtest.h>

#include <QAccessible>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "platform/dialogs/scripteddialogs.h"
#include "platform/report/pageview.h"
#include "platform/report/preview.h"
#include "platform/report/report.h"
#include "tests/common/testdir.h"
#include "tests/report/report_support.h"

namespace {

// Chinese text reaches a box through the input method, as it does for a user.
void Type(QWidget* box, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(box, &event);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

class Preview : public ::testing::Test {
protected:
    void SetUp() override {
        report.LoadFromFile(reporttest::ShippedTemplate(), true);
        report.OnBeforePrint = [](TfrxReportComponent* c) {
            if (auto* cross = dynamic_cast<TfrxCrossView*>(c)) {
                for (int i = 0; i < 120; ++i) {
                    cross->AddValue({i}, {QStringLiteral("姓名")},
                                    {QStringLiteral("员工%1").arg(i)});
                    cross->AddValue({i}, {QStringLiteral("金额")},
                                    {QStringLiteral("%1.00").arg(i)});
                }
            }
        };
        report.PrepareReport();
    }
    // Shows the preview; act works the window, which is closed with Escape afterwards.
    void Show(const std::function<void(TfrxPreviewForm&)>& act) {
        bool shown = false;
        reporttest::OnNextModal([&](QWidget* w) {
            auto* form = qobject_cast<TfrxPreviewForm*>(w);
            ASSERT_NE(form, nullptr) << "the preview is the modal window";
            shown = true;
            act(*form);
            QTest::keyClick(form, Qt::Key_Escape);
        });
        report.ShowPreparedReport();
        EXPECT_TRUE(shown);
    }
    static void Click(TfrxPreviewForm& form, const char* action) {
        QAction* a = form.findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        QWidget* button = form.findChild<QToolBar*>()->widgetForAction(a);
        ASSERT_NE(button, nullptr) << action;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    TestDir dir;
    ScriptedDialogs dialogs;
    bool writable = true;  // whether the report's files can be written
    TfrxReport report{dialogs, [this](const QString& path, const QByteArray& bytes) {
                          return writable && WriteFile(path, bytes);
                      }};
};

}  // namespace

TEST_F(Preview, ModalMaximizedWithNavigationZoomAndFind) {
    const int pages = report.PreparedPageCount();
    ASSERT_GE(pages, 4);
    Show([&](TfrxPreviewForm& form) {
        EXPECT_TRUE(form.isModal());
        EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("打印预览"));
        auto* view = form.findChild<report::PageView*>();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->PageCount(), pages);
        EXPECT_DOUBLE_EQ(view->ZoomFactor(), 1);
        EXPECT_EQ(form.findChild<QComboBox*>(QStringLiteral("ZoomBox"))->currentText(),
                  QStringLiteral("100%"));
        EXPECT_EQ(form.StatusText(), QStringLiteral("第 1 页，共 %1 页").arg(pages));
        // The offscreen platform has no window manager to maximize the window.
        form.setWindowState(Qt::WindowNoState);
        form.resize(1400, 900);
        QTest::qWait(50);
        Click(form, "actFirst");
        reporttest::Snapshot(form.grab().toImage(), QStringLiteral("preview"));
        EXPECT_EQ(form.CurrentPage(), 1);
        EXPECT_LT(view->PagesPainted(), pages) << "only the pages in view are painted";

        Click(form, "actNext");
        EXPECT_EQ(form.CurrentPage(), 2);
        EXPECT_EQ(form.findChild<QSpinBox*>(QStringLiteral("PageBox"))->value(), 2);
        Click(form, "actLast");
        EXPECT_EQ(form.CurrentPage(), pages);
        Click(form, "actNext");
        EXPECT_EQ(form.CurrentPage(), pages) << "stays on the last page";
        QTest::keyClick(view, Qt::Key_PageUp);
        EXPECT_EQ(form.CurrentPage(), pages - 1);
        Click(form, "actFirst");
        EXPECT_EQ(form.CurrentPage(), 1);
        QSpinBox* pageBox = form.findChild<QSpinBox*>(QStringLiteral("PageBox"));
        pageBox->selectAll();
        QTest::keyClicks(pageBox, QStringLiteral("3"));
        QTest::keyClick(pageBox, Qt::Key_Return);
        EXPECT_EQ(form.CurrentPage(), 3);

        // The zoom box names the zoom in use, however it was chosen.
        auto* zoom = form.findChild<QComboBox*>(QStringLiteral("ZoomBox"));
        const auto shows = [&](const QString& text) {
            EXPECT_EQ(zoom->currentText(), text);
            EXPECT_EQ(zoom->currentText(),
                      QStringLiteral("%1%").arg(std::lround(view->ZoomFactor() * 100)));
        };
        Click(form, "actZoomIn");
        EXPECT_GT(view->ZoomFactor(), 1);
        shows(QStringLiteral("125%"));
        Click(form, "actZoomOut");
        Click(form, "actZoomOut");
        EXPECT_LT(view->ZoomFactor(), 1);
        shows(QStringLiteral("75%"));
        zoom->lineEdit()->selectAll();
        QTest::keyClicks(zoom->lineEdit(), QStringLiteral("80"));
        QTest::keyClick(zoom->lineEdit(), Qt::Key_Return);
        shows(QStringLiteral("80%"));
        zoom->lineEdit()->selectAll();
        Type(zoom->lineEdit(), QStringLiteral("整页"));
        QTest::keyClick(zoom->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(view->FitMode(), report::PageView::Fit::Page);
        EXPECT_EQ(zoom->currentText(), QStringLiteral("整页"));
        EXPECT_LE(view->PageRect(1).height(), view->viewport()->height());
        QTest::keyClick(view, Qt::Key_Plus, Qt::ControlModifier);
        EXPECT_EQ(view->FitMode(), report::PageView::Fit::None);
        shows(QStringLiteral("%1%").arg(std::lround(view->ZoomFactor() * 100)));

        // Find: the text's page comes up; the next search goes on from there.
        QLineEdit* find = form.findChild<QLineEdit*>(QStringLiteral("FindEdit"));
        Type(find, QStringLiteral("员工119"));
        QTest::keyClick(find, Qt::Key_Return);
        EXPECT_EQ(form.CurrentPage(), pages);
        EXPECT_EQ(form.StatusText(), QStringLiteral("在第 %1 页找到“员工119”").arg(pages));
        find->clear();
        Type(find, QStringLiteral("不存在"));
        QTest::keyClick(find, Qt::Key_Return);
        EXPECT_EQ(form.StatusText(), QStringLiteral("未找到“不存在”"));
    });
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Preview, ExportsToPdf) {
    const QString path = dir.Path(QStringLiteral("list.pdf"));
    dialogs.fileAnswers = {path};
    Show([&](TfrxPreviewForm& form) {
        Click(form, "actExportPdf");
        EXPECT_EQ(form.StatusText(), QStringLiteral("已导出到 %1").arg(path));
    });
    ASSERT_EQ(dialogs.fileDialogsShown.size(), 1);
    EXPECT_EQ(dialogs.fileDialogsShown[0].defaultExt, QStringLiteral("pdf"));
    const QByteArray pdf = dir.Read(QStringLiteral("list.pdf"));
    EXPECT_EQ(reporttest::PdfPageCount(pdf), report.PreparedPageCount());
    const QString text = reporttest::PdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("星澜聚川银行批量转账明细清单")));
    EXPECT_TRUE(text.contains(QStringLiteral("员工119")));

    // A file that cannot be written is reported and the preview stays open.
    dialogs.fileAnswers = {dir.Path(QStringLiteral("no/such/dir/list.pdf"))};
    Show([&](TfrxPreviewForm& form) {
        Click(form, "actExportPdf");
        EXPECT_TRUE(form.isVisible());
    });
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::ProgramError);
    EXPECT_EQ(dialogs.messages[0].text,
              Dialogs::ErrorBoxText(QStringLiteral("Cannot create file ") +
                                    dir.Path(QStringLiteral("no/such/dir/list.pdf"))));
}

TEST_F(Preview, PrintOpensTheSystemPrintDialog) {
    QString title;
    Show([&](TfrxPreviewForm& form) {
        reporttest::OnNextModal([&](QWidget* dialog) {
            ASSERT_NE(dialog, nullptr);
            title = dialog->metaObject()->className();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Click(form, "actPrint");
    });
    EXPECT_EQ(title, QStringLiteral("QPrintDialog"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// 打印 to the print dialog's file printer writes the whole report as 导出PDF does, its text
// reading as printed; a file that cannot be written is reported as the export reports it,
// and nothing is left at its place.
TEST_F(Preview, PrintToFileWritesAsTheExportDoes) {
    struct Case {
        bool writable;
        const char* file;
    };
    for (const Case c : {Case{true, "printed.pdf"}, Case{false, "refused.pdf"}}) {
        SCOPED_TRACE(c.file);
        writable = c.writable;
        dialogs.Clear();
        const QString path = dir.Path(QString::fromLatin1(c.file));
        QString status;
        Show([&](TfrxPreviewForm& form) {
            reporttest::OnNextModal(
                [&](QWidget* dialog) { reporttest::PrintToFile(dialog, path); });
            Click(form, "actPrint");
            status = form.StatusText();
            EXPECT_TRUE(form.isVisible());
        });
        EXPECT_EQ(QFile::exists(path), c.writable);
        if (c.writable) {
            EXPECT_EQ(status, QStringLiteral("已打印到 %1").arg(path));
            EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
            const QByteArray pdf = dir.Read(QString::fromLatin1(c.file));
            EXPECT_EQ(reporttest::PdfPageCount(pdf), report.PreparedPageCount());
            EXPECT_EQ(reporttest::TextDifferences(pdf, report.PreparedPages()), QStringList());
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1);
            EXPECT_EQ(dialogs.messages[0].kind, ScriptedDialogs::Kind::ProgramError);
            EXPECT_EQ(dialogs.messages[0].text,
                      Dialogs::ErrorBoxText(QStringLiteral("Cannot create file ") + path));
        }
    }
}

TEST_F(Preview, PageSetupPreparesTheReportAgain) {
    const int landscapePages = report.PreparedPageCount();
    Show([&](TfrxPreviewForm& form) {
        reporttest::OnNextModal([&](QWidget* dialog) {
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("页面设置"));
            auto* portrait = dialog->findChild<QRadioButton*>(QStringLiteral("portrait"));
            ASSERT_NE(portrait, nullptr);
            QTest::mouseClick(portrait, Qt::LeftButton);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        Click(form, "actPageSetup");
        EXPECT_EQ(form.PageCount(), report.PreparedPageCount());
    });
    ASSERT_GT(report.PreparedPageCount(), 0);
    EXPECT_FALSE(report.PreparedPages().pages[0].landscape);
    EXPECT_LT(report.PreparedPages().pages[0].width, report.PreparedPages().pages[0].height);
    EXPECT_LT(report.PreparedPageCount(), landscapePages) << "a portrait page holds more lines";
}

// Margins that leave too little paper are refused in the dialog, naming what is left; the
// report keeps its pages until sound margins are given.
TEST_F(Preview, PageSetupRefusesMarginsWithoutAPrintingArea) {
    const int pages = report.PreparedPageCount();
    Show([&](TfrxPreviewForm& form) {
        reporttest::OnNextModal([&](QWidget* dialog) {
            ASSERT_NE(dialog, nullptr);
            auto* paper = dialog->findChild<QComboBox*>(QStringLiteral("PaperBox"));
            paper->setCurrentIndex(paper->findText(QPageSize::name(QPageSize::A5)));
            QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("portrait")),
                              Qt::LeftButton);
            for (const char* name : {"LeftMargin", "RightMargin"}) {
                auto* box = dialog->findChild<QDoubleSpinBox*>(QString::fromLatin1(name));
                box->selectAll();
                QTest::keyClicks(box, QStringLiteral("80"));
            }
            QTest::keyClick(dialog, Qt::Key_Return);
            auto* problem = dialog->findChild<QLabel*>(QStringLiteral("MarginProblem"));
            ASSERT_NE(problem, nullptr);
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_TRUE(problem->isVisible());
            EXPECT_TRUE(problem->text().startsWith(
                QStringLiteral("页边距太大：纸张 148×210 毫米，留下的可打印区域只有 0×")))
                << problem->text().toStdString();
            static_cast<QDialog*>(dialog)->reject();
        });
        Click(form, "actPageSetup");
    });
    EXPECT_EQ(report.PreparedPageCount(), pages);
}

// Without a mouse: 导出PDF and 页面设置 by their shortcuts, twice each, the boxes of the
// tool bar by the keys their tooltips name, and the page setup's fields by their labels.
TEST_F(Preview, EveryCommandIsReachedByKeys) {
    const QString first = dir.Path(QStringLiteral("ctrl.pdf"));
    const QString second = dir.Path(QStringLiteral("again.pdf"));
    dialogs.fileAnswers = {first, second};
    QStringList setups;
    Show([&](TfrxPreviewForm& form) {
        QWidget* view = form.findChild<report::PageView*>();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        ASSERT_TRUE(view->hasFocus());
        // A screen wide enough for the whole tool bar: the offscreen platform's is not.
        form.setWindowState(Qt::WindowNoState);
        form.resize(1400, 900);
        struct Command {
            const char* action;
            QKeySequence key;
        };
        const Command commands[] = {
            {"actPrint", QKeySequence::Print},
            {"actExportPdf", QKeySequence(Qt::CTRL | Qt::Key_E)},
            {"actPageSetup", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
            {"actZoomOut", QKeySequence::ZoomOut},
            {"actZoomIn", QKeySequence::ZoomIn},
            {"actFirst", QKeySequence(Qt::CTRL | Qt::Key_Home)},
            {"actPrior", QKeySequence(Qt::Key_PageUp)},
            {"actNext", QKeySequence(Qt::Key_PageDown)},
            {"actLast", QKeySequence(Qt::CTRL | Qt::Key_End)},
            {"actFind", QKeySequence(Qt::Key_F3)},
            {"actClose", QKeySequence(Qt::Key_Escape)}};
        for (const Command& c : commands) {
            QAction* a = form.findChild<QAction*>(QString::fromLatin1(c.action));
            ASSERT_NE(a, nullptr) << c.action;
            EXPECT_TRUE(a->toolTip().contains(c.key.toString(QKeySequence::NativeText)))
                << c.action << " " << a->toolTip().toStdString();
        }

        QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(form.StatusText(), QStringLiteral("已导出到 %1").arg(first));
        QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(form.StatusText(), QStringLiteral("已导出到 %1").arg(second));

        // Acts in the dialog the preview opens next, once it is the active window.
        const auto inDialog = [&](std::function<void(QWidget*)> act) {
            auto* poll = new QTimer(&form);
            QObject::connect(poll, &QTimer::timeout, [poll, &form, act] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (dialog != nullptr && dialog != &form && dialog->isActiveWindow()) {
                    poll->deleteLater();
                    poll->stop();
                    act(dialog);
                }
            });
            poll->start(10);
        };
        const auto setPortraitByKeys = [&](QWidget* dialog) {
            setups.append(dialog->windowTitle());
            QTest::keyClick(dialog, Qt::Key_D, Qt::AltModifier);
            auto* portrait = dialog->findChild<QRadioButton*>(QStringLiteral("portrait"));
            EXPECT_TRUE(portrait->hasFocus()) << "方向 moves to its buttons";
            QTest::keyClick(dialog, Qt::Key_V, Qt::AltModifier);
            QTRY_VERIFY(portrait->isChecked());
            QTest::keyClick(dialog, Qt::Key_L, Qt::AltModifier);
            EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("LeftMargin"));
            QTest::keyClick(dialog, Qt::Key_Return);
        };
        inDialog(setPortraitByKeys);
        QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        // The offscreen platform has no window manager to give the focus back to the preview.
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        inDialog([&](QWidget* dialog) {
            setups.append(dialog->windowTitle());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(setups.size(), 2);
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

        // The boxes between the buttons: from the pages, each key moves the focus to its box.
        const std::pair<const char*, QKeySequence> boxes[] = {
            {"ZoomBox", QKeySequence(Qt::ALT | Qt::Key_Z)},
            {"PageBox", QKeySequence(Qt::CTRL | Qt::Key_G)},
            {"FindEdit", QKeySequence(QKeySequence::Find)}};
        for (const auto& [name, key] : boxes) {
            auto* box = form.findChild<QWidget*>(QString::fromLatin1(name));
            EXPECT_TRUE(box->toolTip().contains(key.toString(QKeySequence::NativeText))) << name;
            view->setFocus();
            QTest::keySequence(view, key);
            EXPECT_TRUE(box->hasFocus() || box->isAncestorOf(QApplication::focusWidget())) << name;
        }
    });
    EXPECT_EQ(setups, QStringList({QStringLiteral("页面设置"), QStringLiteral("页面设置")}));
    EXPECT_FALSE(report.PreparedPages().pages[0].landscape);
    EXPECT_GT(reporttest::PdfPageCount(dir.Read(QStringLiteral("ctrl.pdf"))), 0);
    EXPECT_GT(reporttest::PdfPageCount(dir.Read(QStringLiteral("again.pdf"))), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.Texts().join(u'\n').toStdString();
}

// A screen reader hears which page is shown and reads its lines in order, row by row.
TEST_F(Preview, PageViewTellsItsPageAndLines) {
    const int pages = report.PreparedPageCount();
    Show([&](TfrxPreviewForm& form) {
        auto* view = form.findChild<report::PageView*>();
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(view);
        ASSERT_NE(access, nullptr);
        ASSERT_NE(access->textInterface(), nullptr);
        const auto lines = [&] {
            QAccessibleTextInterface* text = access->textInterface();
            return text->text(0, text->characterCount()).split(u'\n');
        };
        EXPECT_EQ(access->text(QAccessible::Name),
                  QStringLiteral("打印预览：第 1 页，共 %1 页").arg(pages));
        QStringList page1 = lines();
        EXPECT_EQ(page1, view->PageLines(1));
        ASSERT_GE(page1.size(), 3);
        EXPECT_TRUE(page1[0].contains(QStringLiteral("星澜聚川银行批量转账明细清单")))
            << page1[0].toStdString();
        // A row of the list reads as one line, its cells in the order printed.
        const auto row = std::find_if(page1.begin(), page1.end(), [](const QString& line) {
            return line.split(u'\t').contains(QStringLiteral("员工1"));
        });
        ASSERT_NE(row, page1.end()) << page1.join(u'\n').toStdString();
        const QStringList cells = row->split(u'\t');
        EXPECT_LT(cells.indexOf(QStringLiteral("员工1")), cells.indexOf(QStringLiteral("1.00")))
            << row->toStdString();

        QTest::keyClick(view, Qt::Key_PageDown);
        EXPECT_EQ(access->text(QAccessible::Name),
                  QStringLiteral("打印预览：第 2 页，共 %1 页").arg(pages));
        EXPECT_EQ(lines(), view->PageLines(2));
        EXPECT_NE(lines(), page1);
    });
}

TEST_F(Preview, EmptyReportShowsWithoutPages) {
    report.LoadFromFile(dir.Path(QStringLiteral("missing.fr3")), false);
    report.PrepareReport();
    Show([&](TfrxPreviewForm& form) {
        EXPECT_TRUE(form.findChild<QLabel*>(QStringLiteral("EmptyLabel"))->isVisible());
        EXPECT_FALSE(form.findChild<report::PageView*>()->isVisible());
        EXPECT_FALSE(form.findChild<QAction*>(QStringLiteral("actPrint"))->isEnabled());
        EXPECT_FALSE(form.findChild<QAction*>(QStringLiteral("actExportPdf"))->isEnabled());
    });
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

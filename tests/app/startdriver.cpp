// Drives the program from inside its own process, as a person at the screen would, for the tests
// and the installed-system check that start the real program. Linked into a test copy of the
// program, or loaded into the installed one with LD_PRELOAD; it does nothing unless
// CORPPAY_DRIVE names the steps:
//   menu:<menu>:<item>                     opens a menu of the menu bar and clicks an item
//   payee:<name>|<account>|<bank>|<number> types a payee on 参数管理 and clicks 新增
//   hold:<file>                            waits until the file exists
//   grab:<file>                            saves a picture of the main window (1280 x 720)
// separated by ";". Every modal box that opens is written to the file CORPPAY_DRIVE_LOG, one
// line each, and closed with its default button:
//   shown                     the main window is on the screen (the folder is locked by then)
//   box<TAB>caption<TAB>text  a message box (line breaks in the text as "\n")
//   about<TAB>version<TAB>configuration folder
//   step<TAB>step             a step begins
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

class Driver : public QObject {
public:
    Driver(const QString& steps, const QString& log)
        : QObject(QCoreApplication::instance()), log_(log) {
        steps_ = steps.split(u';', Qt::SkipEmptyParts);
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_.start(50);
    }

private:
    void Log(const QStringList& fields) {
        QStringList escaped;
        for (QString field : fields) {
            escaped.append(field.replace(u'\n', QStringLiteral("\\n")));
        }
        QFile file(log_);
        if (file.open(QIODevice::Append)) {
            file.write((escaped.join(u'\t') + u'\n').toUtf8());
        }
    }

    QMainWindow* MainWindow() const {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == u"mform" && w->isVisible()) {
                return qobject_cast<QMainWindow*>(w);
            }
        }
        return nullptr;
    }

    // A modal window is answered before anything else: recorded, then closed as the user would.
    bool AnswerModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return false;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            Log({QStringLiteral("box"), box->windowTitle(), box->text()});
            QAbstractButton* button = box->defaultButton();
            if (button == nullptr && !box->buttons().isEmpty()) {
                button = box->buttons().first();
            }
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (modal->objectName() == u"AboutBox") {
            Log({QStringLiteral("about"),
                 modal->findChild<QLabel*>(QStringLiteral("Version"))->text(),
                 modal->findChild<QLabel*>(QStringLiteral("ConfigFolder"))->text()});
            QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("OKButton")),
                              Qt::LeftButton);
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            Log({QStringLiteral("dialog"), modal->objectName()});
            dialog->reject();
        }
        return true;
    }

    void Tick() {
        if (AnswerModal() || busy_) {
            return;
        }
        QMainWindow* window = MainWindow();
        if (window == nullptr) {
            return;
        }
        if (!shown_) {
            shown_ = true;
            Log({QStringLiteral("shown")});
        }
        if (!holdFile_.isEmpty()) {
            if (!QFile::exists(holdFile_)) {
                return;
            }
            holdFile_.clear();
        }
        if (steps_.isEmpty()) {
            return;
        }
        const QString step = steps_.takeFirst();
        Log({QStringLiteral("step"), step});
        busy_ = true;
        // Out of this timer's call, so that the boxes a step opens are answered by the next ticks.
        QTimer::singleShot(0, this, [this, window, step] {
            Run(window, step);
            busy_ = false;
        });
    }

    void Run(QMainWindow* window, const QString& step) {
        const QString kind = step.section(u':', 0, 0);
        const QString arg = step.section(u':', 1);
        if (kind == u"hold") {
            holdFile_ = arg;
        } else if (kind == u"grab") {
            window->showNormal();
            window->resize(1280, 720);
            QTest::qWait(200);
            window->grab().save(arg);
        } else if (kind == u"menu") {
            auto* bar = window->findChild<QMenuBar*>(QStringLiteral("MainMenu1"));
            auto* menu = window->findChild<QMenu*>(arg.section(u':', 0, 0));
            auto* item = window->findChild<QAction*>(arg.section(u':', 1, 1));
            QTest::mouseClick(bar, Qt::LeftButton, {},
                              bar->actionGeometry(menu->menuAction()).center());
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        } else if (kind == u"status") {
            auto* notice = window->findChild<QLabel*>(QStringLiteral("StatusBar1Notice"));
            Log({QStringLiteral("status"), notice != nullptr ? notice->text() : QString()});
        } else if (kind == u"payee") {
            auto* pages = window->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
            const int page =
                pages->indexOf(window->findChild<QWidget*>(QStringLiteral("TabSheet1")));
            QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {},
                              pages->tabBar()->tabRect(page).center());
            const QStringList values = arg.split(u'|');
            const char* boxes[] = {"conf_skmc_name", "conf_skmc_acct", "conf_skmc_issuebank",
                                   "conf_skmc_issuebankno"};
            for (int i = 0; i < 4; ++i) {
                Type(window->findChild<QWidget*>(QString::fromLatin1(boxes[i])), values.value(i));
            }
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Button18")),
                              Qt::LeftButton);
        }
    }

    // Clicks into the box, selects its text and types over it: Latin keys as key presses, other
    // characters as an input method commits them.
    static void Type(QWidget* box, const QString& text) {
        if (auto* combo = qobject_cast<QComboBox*>(box)) {
            box = combo->lineEdit();
        }
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(box, c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QCoreApplication::sendEvent(box, &commit);
            }
        }
    }

    QString log_;
    QStringList steps_;
    QTimer timer_;
    QString holdFile_;
    bool shown_ = false;
    bool busy_ = false;
};

void StartDriver() {
    const QString steps = qEnvironmentVariable("CORPPAY_DRIVE");
    const QString log = qEnvironmentVariable("CORPPAY_DRIVE_LOG");
    if (log.isEmpty()) {
        return;
    }
    // Started once an event loop runs, after the application object is complete; --version and
    // --help run without widgets and have nothing to drive.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [steps, log] {
            if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
                new Driver(steps, log);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartDriver)

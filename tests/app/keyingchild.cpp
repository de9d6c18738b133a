// A child process for the crash-recovery test: the main window over the configuration folder
// given, keying one salary credit every few milliseconds until it is killed. After each credit
// is in the table it prints the row count and the time in milliseconds since the epoch, so
// that the test knows every state the table really had and when.
//   keyingchild <base folder>
#include <QApplication>
#include <QDateTime>
#include <QTimer>
#include <cstdio>

#include "app/mainwindow.h"
#include "platform/dialogs/scripteddialogs.h"
#include "salary/salarypage.h"
#include "store/configdir.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        return 2;
    }
    ScriptedDialogs dialogs;
    const ConfigDir config(QString::fromLocal8Bit(argv[1]));
    Tmform form(dialogs, config);
    form.show();
    QCoreApplication::processEvents();
    int rows = 0;
    QTimer keying;
    QObject::connect(&keying, &QTimer::timeout, [&] {
        ++rows;
        form.salaryPage->AppendSalaryRow(
            {{QStringLiteral("name"), QStringLiteral("员工%1").arg(rows)},
             {QStringLiteral("acct"), QString::number(6222000 + rows)},
             {QStringLiteral("finalincome"), QStringLiteral("%1.00").arg(rows)},
             {QStringLiteral("memo"), QStringLiteral("工资")}});
        std::printf("%d %lld\n", form.cds2.RecordCount(),
                    static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        std::fflush(stdout);
    });
    keying.start(15);
    return app.exec();
}

// A run killed while keying: 200 times a child process keys salary credits and is killed with
// SIGKILL at a random moment. The recovery file it leaves always holds a state the table
// really had (never a mix, never damaged), no older than the last state reached 200 ms before
// the kill (with a margin for a loaded machine), and the next start restores exactly it.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <map>

#include "app/recovery.h"
#include "platform/text/ansi.h"
#include "tests/common/testdir.h"

namespace {

constexpr qint64 kWindowMs = 200;
// What a machine running the sanitizer build of every test at once adds to a 200 ms timer.
constexpr qint64 kMarginMs = 400;

}  // namespace

TEST(RecoveryKill, AKilledRunLeavesAStateItReallyHad) {
    TestDir dir;
    dir.Write(
        QStringLiteral("config/salary.ini"),
        Gb("1,姓名,name\r\n2,员工账号,acct\r\n3,实际入账金额,finalincome\r\n4,备注,memo\r\n"));
    dir.Write(QStringLiteral("config/owner.ini"), Gb("甲公司|6230001|星澜聚川银行\r\n"));
    dir.Write(QStringLiteral("config/recvers.ini"), QByteArray());
    const QString recoveryPath = dir.Path(QStringLiteral("config/recovery.dat"));
    QRandomGenerator random(20261211);
    int restored = 0;
    for (int run = 0; run < 200; ++run) {
        QFile::remove(recoveryPath);
        QProcess child;
        child.start(QStringLiteral(KEYINGCHILD), {dir.Base()});
        ASSERT_TRUE(child.waitForReadyRead(30000)) << "run " << run;
        // Kill somewhere in the next half second of keying.
        QThread::msleep(random.bounded(20u, 500u));
        const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(30000));
        // Every state the table reached, and when.
        std::map<int, qint64> reached;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2) {
                reached.emplace(parts[0].toInt(), parts[1].toLongLong());
            }
        }
        ASSERT_FALSE(reached.empty());
        int expectedAtLeast = 0;
        for (const auto& [rows, at] : reached) {
            if (at <= killedAt - kWindowMs - kMarginMs) {
                expectedAtLeast = rows;
            }
        }
        QFile file(recoveryPath);
        if (!file.open(QIODevice::ReadOnly)) {
            EXPECT_EQ(expectedAtLeast, 0) << "run " << run << ": no recovery file";
            continue;
        }
        const auto snapshot = recovery::Parse(file.readAll());
        ASSERT_TRUE(snapshot.has_value()) << "run " << run << ": a damaged recovery file";
        const int rows = snapshot->Rows(QStringLiteral("cds2"));
        ASSERT_TRUE(reached.count(rows) == 1) << "run " << run << ": " << rows << " rows";
        EXPECT_GE(rows, expectedAtLeast) << "run " << run;
        // Never a mix: the rows are the first ones keyed, in order.
        for (const recovery::Table& t : snapshot->tables) {
            for (qsizetype r = 0; r < t.rows.size(); ++r) {
                EXPECT_EQ(t.rows[r][0], QStringLiteral("员工%1").arg(r + 1)) << "run " << run;
            }
        }
        ++restored;
    }
    std::printf("runs that left a recovery file: %d of 200\n", restored);
    EXPECT_GT(restored, 100);
}

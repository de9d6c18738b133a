// The program as it is started: the command line, the configuration folder it opens, the About
// box's version and folder, and one running copy per folder. Each test starts a copy of the real
// program (its main, with the driver of startdriver.cpp answering its boxes) from a folder of
// its own, headless.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "corppay/version.h"
#include "tests/common/testdir.h"

namespace {

const QString kSample = QStringLiteral(CORPPAY_SOURCE_DIR "/config");

// What a test folder holds: a link "bin/corppay" to the program, the sample config/ beside it
// when asked, and a data folder of its own for the user.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withConfig = true) {
        QDir().mkpath(dir_.Path(QStringLiteral("bin")));
        QFile::link(QStringLiteral(DRIVEN), Program());
        if (withConfig) {
            CopySample(dir_.Path(QStringLiteral("bin/config")));
        }
    }
    QString Program() const { return dir_.Path(QStringLiteral("bin/corppay")); }
    QString Path(const QString& relative) const { return dir_.Path(relative); }
    const TestDir& Dir() const { return dir_; }

    static void CopySample(const QString& folder) {
        QDir().mkpath(folder);
        for (const QString& name : QDir(kSample).entryList(QDir::Files)) {
            QFile::copy(kSample + u'/' + name, folder + u'/' + name);
        }
    }

    // Starts the program with the driver's steps; `log` names the driver's log in the folder.
    QProcess* Start(const QStringList& args, const QString& steps, const QString& log) {
        auto* p = new QProcess;
        processes_.emplace_back(p);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
        // The user's settings (window sizes) go aside, out of what the tests compare.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), settings_.path());
        env.insert(QStringLiteral("CORPPAY_DRIVE"), steps);
        env.insert(QStringLiteral("CORPPAY_DRIVE_LOG"), Path(log));
        p->setProcessEnvironment(env);
        p->start(Program(), args);
        return p;
    }
    // The driver's log, one list of fields per line.
    QList<QStringList> Log(const QString& log) const {
        QList<QStringList> lines;
        for (const QString& line :
             QString::fromUtf8(dir_.Read(log)).split(u'\n', Qt::SkipEmptyParts)) {
            QStringList fields = line.split(u'\t');
            for (QString& f : fields) {
                f.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
            }
            lines.append(fields);
        }
        return lines;
    }
    bool WaitForLine(const QString& log, const QStringList& line) const {
        for (int i = 0; i < 600; ++i) {
            if (Log(log).contains(line)) {
                return true;
            }
            QThread::msleep(50);
        }
        return false;
    }
    // Every file and folder under the test folder with its bytes, the logs left out.
    QMap<QString, QByteArray> Snapshot() const {
        QMap<QString, QByteArray> files;
        QDirIterator it(
            dir_.Path(QString()),
            QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
            QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.endsWith(QStringLiteral(".log"))) {
                QFile file(path);
                files.insert(path,
                             file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<dir>"));
            }
        }
        return files;
    }

private:
    TestDir dir_;
    QTemporaryDir settings_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

int Finish(QProcess* p) {
    EXPECT_TRUE(p->waitForFinished(60000));
    return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
}

QStringList Box(const QString& caption, const QString& text) {
    return {QStringLiteral("box"), caption, text};
}

const QString kQuit = QStringLiteral("menu:N1:N8");

}  // namespace

// The one version of the build: what --version prints and the About box shows.
TEST(Startup, VersionComesFromTheBuild) {
    EXPECT_STREQ(CORPPAY_VERSION, "1.0.1.1");
    ProgramFolder s;
    QProcess* p = s.Start({QStringLiteral("--version")}, QString(), QStringLiteral("v.log"));
    EXPECT_EQ(Finish(p), 0);
    EXPECT_EQ(QString::fromUtf8(p->readAllStandardOutput()),
              QStringLiteral("corppay " CORPPAY_VERSION "\n"));

    p = s.Start({QStringLiteral("--help")}, QString(), QStringLiteral("h.log"));
    EXPECT_EQ(Finish(p), 0);
    EXPECT_TRUE(
        QString::fromUtf8(p->readAllStandardOutput()).contains(QStringLiteral("--config <DIR>")));
}

// A portable copy works on the config/ beside it, as it always did: the About box names that
// folder, a payee added on 参数管理 is written there, and nothing goes to the user's data folder.
// The lock is gone after the program ends.
TEST(Startup, PortableCopyWorksBesideItself) {
    ProgramFolder s;
    const QString folder = s.Path(QStringLiteral("bin/config"));
    const QByteArray before = s.Dir().Read(QStringLiteral("bin/config/recvers.ini"));
    QProcess* p = s.Start({},
                          QStringLiteral("menu:N2:N3;payee:测试收款人|6222000011112222|某某银行|"
                                         "102100000000;") +
                              kQuit,
                          QStringLiteral("run.log"));
    EXPECT_EQ(Finish(p), 0) << p->readAllStandardError().toStdString();
    const auto log = s.Log(QStringLiteral("run.log"));
    EXPECT_TRUE(log.contains(QStringList{QStringLiteral("about"),
                                         QStringLiteral("Version " CORPPAY_VERSION),
                                         QStringLiteral("配置文件夹：") + folder}));
    EXPECT_TRUE(
        log.contains(Box(QStringLiteral("Information"), QStringLiteral("收款人名册添加成功！"))));
    EXPECT_EQ(s.Dir().Read(QStringLiteral("bin/config/recvers.ini")),
              before + Gb("测试收款人|6222000011112222|某某银行|102100000000\r\n"));
    EXPECT_FALSE(s.Dir().Exists(QStringLiteral("data")));
    EXPECT_FALSE(s.Dir().Exists(QStringLiteral("bin/config/.corppay.lock")));
}

// A --config folder that cannot be used, or a command line the program does not know, gets one
// error box naming it, and the program ends without creating or changing a file.
TEST(Startup, BadCommandLineIsRefusedBeforeAnyFile) {
    struct Case {
        QStringList args;
        QString text;  // %1 is the test folder
    };
    const Case cases[] = {
        {{QStringLiteral("--config"), QStringLiteral("%1/nowhere")},
         QStringLiteral("--config 指定的配置文件夹不存在：%1/nowhere")},
        {{QStringLiteral("--config"), QStringLiteral("%1/bin/corppay")},
         QStringLiteral("--config 指定的不是文件夹，而是一个文件：%1/bin/corppay")},
        {{QStringLiteral("--config")}, QStringLiteral("--config 后面缺少配置文件夹。")},
        {{QStringLiteral("--config"), QString()}, QStringLiteral("--config 后面缺少配置文件夹。")},
        {{QStringLiteral("--colour")},
         QStringLiteral("无法识别的命令行选项：--colour\n可用的选项见 corppay --help。")},
    };
    for (const Case& c : cases) {
        ProgramFolder s;
        const QString root = QDir::cleanPath(s.Path(QString()));
        QStringList args;
        for (const QString& a : c.args) {
            args.append(a.contains(QStringLiteral("%1")) ? a.arg(root) : a);
        }
        const auto before = s.Snapshot();
        QProcess* p = s.Start(args, QString(), QStringLiteral("bad.log"));
        EXPECT_EQ(Finish(p), 1) << args.join(u' ').toStdString();
        const QString text = c.text.contains(QStringLiteral("%1")) ? c.text.arg(root) : c.text;
        EXPECT_EQ(s.Log(QStringLiteral("bad.log")),
                  QList<QStringList>{Box(QStringLiteral("Error"), text)});
        EXPECT_TRUE(QString::fromLocal8Bit(p->readAllStandardError()).contains(text));
        EXPECT_EQ(s.Snapshot(), before) << args.join(u' ').toStdString();
    }
}

// A second copy on the folder in use says which folder and which process, and ends without
// touching a file; a copy on another folder runs beside the first. A copy that was killed
// leaves a lock the next start clears.
TEST(Startup, OneRunningCopyPerFolder) {
    ProgramFolder s;
    const QString folder = s.Path(QStringLiteral("bin/config"));
    const QString stop = s.Path(QStringLiteral("stop"));
    QProcess* first =
        s.Start({}, QStringLiteral("hold:") + stop + u';' + kQuit, QStringLiteral("first.log"));
    ASSERT_TRUE(s.WaitForLine(QStringLiteral("first.log"), {QStringLiteral("shown")}));
    const auto before = s.Snapshot();

    QProcess* second = s.Start({}, kQuit, QStringLiteral("second.log"));
    EXPECT_EQ(Finish(second), 1);
    const QString refused =
        QStringLiteral(
            "配置文件夹 %1 正由另一个 corppay 使用（进程号 %2）。\n同一个配置文件夹"
            "只能由一个 corppay 打开：请切换到那个窗口，或用 --config "
            "指定另一个配置文件夹。")
            .arg(folder)
            .arg(first->processId());
    EXPECT_EQ(s.Log(QStringLiteral("second.log")),
              QList<QStringList>{Box(QStringLiteral("Error"), refused)});
    EXPECT_EQ(s.Snapshot(), before);

    ProgramFolder::CopySample(s.Path(QStringLiteral("公司乙")));
    QProcess* other = s.Start({QStringLiteral("--config"), s.Path(QStringLiteral("公司乙"))},
                              QStringLiteral("menu:N2:N3;") + kQuit, QStringLiteral("other.log"));
    EXPECT_EQ(Finish(other), 0);
    EXPECT_TRUE(s.Log(QStringLiteral("other.log"))
                    .contains(QStringList{
                        QStringLiteral("about"), QStringLiteral("Version " CORPPAY_VERSION),
                        QStringLiteral("配置文件夹：") + s.Path(QStringLiteral("公司乙"))}));

    s.Dir().Write(QStringLiteral("stop"), "");
    EXPECT_EQ(Finish(first), 0);

    // Killed while holding the folder: its lock stays behind, and the next copy starts anyway.
    QProcess* killed = s.Start({}, QStringLiteral("hold:") + stop + QStringLiteral("-never"),
                               QStringLiteral("killed.log"));
    ASSERT_TRUE(s.WaitForLine(QStringLiteral("killed.log"), {QStringLiteral("shown")}));
    const qint64 killedPid = killed->processId();
    ::kill(static_cast<pid_t>(killedPid), SIGKILL);
    Finish(killed);
    EXPECT_TRUE(s.Dir().Exists(QStringLiteral("bin/config/.corppay.lock")));
    QProcess* after = s.Start({}, QStringLiteral("status;") + kQuit, QStringLiteral("after.log"));
    EXPECT_EQ(Finish(after), 0);
    EXPECT_EQ(s.Log(QStringLiteral("after.log")).value(0), QStringList{QStringLiteral("shown")});
    EXPECT_TRUE(
        s.Log(QStringLiteral("after.log"))
            .contains(QStringList{
                QStringLiteral("status"),
                QStringLiteral("已清除进程号 %1 留下的锁文件“.corppay.lock”（那个进程已经结束）")
                    .arg(killedPid)}));

    // An empty lock, as a power cut leaves one, is cleared and said too.
    s.Dir().Write(QStringLiteral("bin/config/.corppay.lock"), "");
    QProcess* powerCut = s.Start({}, QStringLiteral("status;") + kQuit, QStringLiteral("cut.log"));
    EXPECT_EQ(Finish(powerCut), 0);
    EXPECT_TRUE(s.Log(QStringLiteral("cut.log"))
                    .contains(QStringList{
                        QStringLiteral("status"),
                        QStringLiteral(
                            "已清除配置文件夹中空的锁文件“.corppay.lock”（上次可能意外断电）")}));
}

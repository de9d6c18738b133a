// Program entry: reads the command line, opens and locks the configuration folder, then creates
// the windows once, in their fixed order; they live until exit.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/aboutbox.h"
#include "app/mainwindow.h"
#include "app/qttranslations.h"
#include "corppay/version.h"
#include "lookup/banksearch.h"
#include "lookup/rosterpicker.h"
#include "platform/dialogs/guard.h"
#include "platform/dialogs/qtdialogs.h"
#include "platform/text/apperror.h"
#include "store/configdir.h"

namespace {

// The name the program and the user's data folder go by.
constexpr char16_t kAppName[] = u"corppay";
// The component id, in the reverse-DNS form of desktop applications: the desktop entry and the
// icon are named after it (packaging/packaging.cmake).
constexpr char16_t kComponentId[] = u"io.github.corppay.corppay";

void SetIdentity() {
    QCoreApplication::setApplicationName(QString::fromUtf16(kAppName));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORPPAY_VERSION));
}

// The options; --config's value is the folder.
struct Options {
    QCommandLineOption config{QStringLiteral("config"),
                              QStringLiteral("使用文件夹 DIR 中的配置文件（名册、工资项目、"
                                             "导入对应关系、打印模板），而不是默认的配置文件夹。"),
                              QStringLiteral("DIR")};
};

void Describe(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(QStringLiteral("企业网银批量支付工具"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(options.config);
}

// --version and --help print their text and need no window, so they work without a display.
bool AsksForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--version", "-v", "--help", "-h", "-?", "--help-all"}) {
            if (std::strcmp(argv[i], option) == 0) {
                return true;
            }
        }
    }
    return false;
}

// A start that cannot go on: the message on the error stream for a start from a terminal, and in
// an error box for the user at the desktop.
int Refuse(Dialogs& dialogs, const QString& text) {
    std::fprintf(stderr, "corppay: %s\n", text.toLocal8Bit().constData());
    dialogs.Error(text);
    return 1;
}

// Every file is read and written in GB18030. A Qt built without ICU has no such codec and would
// read and write every file wrong, so the program does not start on it.
bool HasFileCodec() {
    return QStringDecoder("GB18030").isValid() && QStringEncoder("GB18030").isValid();
}

bool SameFolder(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

ConfigPlaces Places(const QString& explicitFolder) {
    ConfigPlaces places;
    places.programDir = AppDirectory();
    places.installed = SameFolder(QCoreApplication::applicationDirPath(),
                                  QString::fromUtf8(CORPPAY_INSTALL_BINDIR));
    places.seedFolder = QString::fromUtf8(CORPPAY_SAMPLE_DIR);
    places.userDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    places.explicitFolder = explicitFolder;
    return places;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options;
    if (AsksForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        SetIdentity();
        LoadQtTranslations(app);
        QCommandLineParser parser;
        Describe(parser, options);
        parser.process(app);  // prints the text and ends the process
        return 0;
    }

    GuardedApplication app(argc, argv);
    SetIdentity();
    QGuiApplication::setDesktopFileName(QString::fromUtf16(kComponentId));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromUtf16(kComponentId)));
    LoadQtTranslations(app);
    QtDialogs dialogs;
    app.SetDialogs(&dialogs);
    if (!HasFileCodec()) {
        return Refuse(dialogs, QStringLiteral("此 Qt 缺少 GB18030 编码，无法正确读写文件"
                                              "（名册、工资项目和上传文件都以 GB18030 保存）。\n"
                                              "请使用带 ICU 的 Qt 运行 corppay。"));
    }

    QCommandLineParser parser;
    Describe(parser, options);
    if (!parser.parse(QCoreApplication::arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty()) {
            return Refuse(dialogs, QStringLiteral("--config 后面缺少配置文件夹。"));
        }
        const QString dashes =
            unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--");
        return Refuse(dialogs,
                      QStringLiteral("无法识别的命令行选项：%1\n可用的选项见 corppay --help。")
                          .arg(dashes + unknown.first()));
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Refuse(dialogs,
                      QStringLiteral("无法识别的命令行参数：%1\n可用的选项见 corppay --help。")
                          .arg(parser.positionalArguments().first()));
    }

    // An empty folder name is no folder: refused as a missing one, never taken as "none given".
    if (parser.isSet(options.config) && parser.value(options.config).trimmed().isEmpty()) {
        return Refuse(dialogs, QStringLiteral("--config 后面缺少配置文件夹。"));
    }
    std::unique_ptr<OpenConfig> config;
    try {
        config = std::make_unique<OpenConfig>(Places(parser.value(options.config)));
    } catch (const AppError& e) {
        return Refuse(dialogs, e.Message());
    }

    Tmform mform(dialogs, config->Dir());
    TfmRecver fmRecver(dialogs, config->Dir(), &mform);
    Tfrpayer frpayer(dialogs, config->Dir(), &mform);
    TfmBank fmBank(dialogs, &mform);
    TAboutBox AboutBox(&mform);
    AboutBox.SetConfigFolder(config->ShownFolder());
    mform.SetDialogs(&fmRecver, &frpayer, &fmBank, &AboutBox);
    // A stale or broken lock cleared at opening is said, not done in silence.
    if (!config->ClearedLock().isEmpty()) {
        mform.ShowNotice(config->ClearedLock());
    }

    mform.showMaximized();
    return app.exec();
}

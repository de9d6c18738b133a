// Program entry: the windows are created once, in their fixed order, and live until exit.
#include <QApplication>

#include "app/aboutbox.h"
#include "app/mainwindow.h"
#include "app/qttranslations.h"
#include "lookup/banksearch.h"
#include "lookup/rosterpicker.h"
#include "platform/dialogs/qtdialogs.h"
#include "store/configdir.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    LoadQtTranslations(app);
    QtDialogs dialogs;
    const ConfigDir config(AppDirectory());

    Tmform mform(dialogs, config);
    TfmRecver fmRecver(dialogs, config, &mform);
    Tfrpayer frpayer(dialogs, config, &mform);
    TfmBank fmBank(dialogs, &mform);
    TAboutBox AboutBox(&mform);
    mform.SetDialogs(&fmRecver, &frpayer, &fmBank, &AboutBox);

    mform.showMaximized();
    return app.exec();
}

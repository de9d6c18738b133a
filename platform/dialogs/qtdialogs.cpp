#include "platform/dialogs/qtdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Boxes belong to the window the user is looking at: a modal dialog when one is open.
QWidget* Owner(QWidget* fallback) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    return fallback;
}

// A short message makes a box so narrow that the window manager cuts its caption
// ("Information" shown as "In…"): a spacer under the contents keeps it readable.
void KeepCaptionReadable(QMessageBox& box) {
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

int Show(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
         QMessageBox::StandardButtons buttons, const QString& objectName,
         QCheckBox* checkBox = nullptr) {
    QMessageBox box(icon, caption, text, buttons, Owner(parent));
    if (checkBox) {
        box.setCheckBox(checkBox);  // the box takes it and deletes it with itself
    }
    box.setObjectName(objectName);
    KeepCaptionReadable(box);
    // The boxes' buttons keep their own captions; the loaded translations would show 确定/取消.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) {
        ok->setText(QStringLiteral("OK"));
    }
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) {
        cancel->setText(QStringLiteral("Cancel"));
    }
    return box.exec();
}

bool RunFileDialog(QWidget* parent, FileDialogState& state, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(Owner(parent));
    dialog.setObjectName(state.objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(mode);
    // A typed name is returned even when no such file exists (reading it then reports the
    // missing file). Saving over an existing file asks first: it may be a batch not yet
    // uploaded.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, mode != QFileDialog::AcceptSave);
    const QStringList filters = QtDialogs::NameFilters(state.filter);
    dialog.setNameFilters(filters);
    if (state.filterIndex >= 1 && state.filterIndex <= filters.size()) {
        dialog.selectNameFilter(filters[state.filterIndex - 1]);
    }
    QString ext = state.defaultExt;
    while (ext.startsWith(u'*') || ext.startsWith(u'.')) {
        ext.remove(0, 1);
    }
    dialog.setDefaultSuffix(ext);
    if (!state.fileName.isEmpty()) {
        const QFileInfo info(state.fileName);
        if (info.isAbsolute()) {
            dialog.setDirectory(info.absolutePath());
        }
        // The proposed name goes into the name box only: selecting it in the file list would
        // happen once the directory has been read, and could then override a name the user
        // typed in the meantime.
        if (auto* nameEdit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            nameEdit->setText(info.fileName());
        } else {
            dialog.selectFile(info.fileName());
        }
    }
    if (!state.folder.isEmpty()) {
        dialog.setDirectory(state.folder);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    state.fileName = dialog.selectedFiles().constFirst();
    state.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

}  // namespace

QStringList QtDialogs::NameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(u';', u' ');
        result.append(parts[i] + QStringLiteral(" (") + pattern + u')');
    }
    return result;
}

void QtDialogs::Warning(const QString& text) {
    Show(ParentWindow(), QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok,
         QStringLiteral("WarningBox"));
}

bool QtDialogs::InformationOptOut(const QString& text, const QString& optOut) {
    auto* check = new QCheckBox(optOut);
    check->setObjectName(QStringLiteral("OptOutCheckBox"));
    bool ticked = false;
    QObject::connect(check, &QCheckBox::toggled, [&ticked](bool on) { ticked = on; });
    Show(ParentWindow(), QMessageBox::Information, QStringLiteral("Information"), text,
         QMessageBox::Ok, QStringLiteral("InformationBox"), check);
    return ticked;
}

void QtDialogs::Information(const QString& text) {
    Show(ParentWindow(), QMessageBox::Information, QStringLiteral("Information"), text,
         QMessageBox::Ok, QStringLiteral("InformationBox"));
}

void QtDialogs::Error(const QString& text) {
    Show(ParentWindow(), QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok,
         QStringLiteral("ErrorBox"));
}

void QtDialogs::Plain(const QString& text) {
    Show(ParentWindow(), QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok,
         QStringLiteral("PlainBox"));
}

bool QtDialogs::OkCancel(const QString& caption, const QString& text) {
    return Show(ParentWindow(), QMessageBox::NoIcon, caption, text,
                QMessageBox::Ok | QMessageBox::Cancel,
                QStringLiteral("OkCancelBox")) == QMessageBox::Ok;
}

bool QtDialogs::Question(const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton,
                    Owner(ParentWindow()));
    box.setObjectName(QStringLiteral("QuestionBox"));
    KeepCaptionReadable(box);
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("QuestionYes"));
    no->setObjectName(QStringLiteral("QuestionNo"));
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

int QtDialogs::Choice(const QString& text, const QStringList& buttons, int escape) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton,
                    Owner(ParentWindow()));
    box.setObjectName(QStringLiteral("ChoiceBox"));
    KeepCaptionReadable(box);
    QList<QPushButton*> pushed;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QPushButton* b = box.addButton(
            buttons[i], i == escape ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        b->setObjectName(QStringLiteral("Choice%1").arg(i));
        pushed.append(b);
    }
    if (escape >= 0 && escape < pushed.size()) {
        box.setDefaultButton(pushed[escape]);
        box.setEscapeButton(pushed[escape]);
    }
    box.exec();
    const qsizetype index = pushed.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return index < 0 ? escape : static_cast<int>(index);
}

void QtDialogs::ProgramError(const QString& text) {
    Show(ParentWindow(), QMessageBox::Critical, ApplicationTitle(), ErrorBoxText(text),
         QMessageBox::Ok, QStringLiteral("ProgramErrorBox"));
}

void QtDialogs::Beep() {
    QApplication::beep();
}

bool QtDialogs::Save(FileDialogState& state) {
    return RunFileDialog(ParentWindow(), state, QFileDialog::AcceptSave);
}

bool QtDialogs::Open(FileDialogState& state) {
    return RunFileDialog(ParentWindow(), state, QFileDialog::AcceptOpen);
}

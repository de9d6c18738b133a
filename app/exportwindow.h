// "导出记录": the upload files the program wrote, newest first, each with what it held and
// whether the file is still as it was written; opens the folder of the selected file.
#pragma once

#include <QDialog>
#include <functional>

#include "payments/exportrecord.h"

class QPushButton;
class QTableWidget;

class TfmExports : public QDialog {
    Q_OBJECT
public:
    explicit TfmExports(QWidget* parent = nullptr);

    // Lists the entries of the record, newest first.
    void Show(const QList<payments::exportrecord::Entry>& entries);

    QTableWidget* ExportList = nullptr;
    // "打开所在文件夹": opens the folder of the selected file.
    QPushButton* OpenFolderButton = nullptr;
    QPushButton* CloseButton = nullptr;
    // How a folder is opened; the desktop's file manager by default.
    std::function<void(const QString& folder)> openFolder;

private:
    void OpenFolderButtonClick();
    QList<payments::exportrecord::Entry> shown_;
};

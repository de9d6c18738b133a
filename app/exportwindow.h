// "导出记录": the upload files the program wrote, newest first, each with what it held and
// whether the file is still as it was written, after the record's damaged lines (whose exports
// no check can see); opens the folder of the selected file.
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

    // Lists the damaged lines of the record, then its entries, newest first.
    void Show(payments::exportrecord::Record record);
    const payments::exportrecord::Record& Shown() const { return shown_; }

    QTableWidget* ExportList = nullptr;
    // "打开所在文件夹": opens the folder of the selected file.
    QPushButton* OpenFolderButton = nullptr;
    QPushButton* CloseButton = nullptr;
    // How a folder is opened; the desktop's file manager by default.
    std::function<void(const QString& folder)> openFolder;

private:
    void OpenFolderButtonClick();
    // The rows of damaged lines: one per listed line, and one more for those only counted.
    int Listed() const;
    // The path of the listed row's file; empty when the row names none.
    QString PathOf(int row) const;
    payments::exportrecord::Record shown_;
};

#include "app/exportwindow.h"

#include "payments/values.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

TfmExports::TfmExports(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfmExports"));
    setWindowTitle(QStringLiteral("导出记录"));
    resize(900, 420);
    ExportList = new QTableWidget(this);
    ExportList->setObjectName(QStringLiteral("ExportList"));
    ExportList->setAccessibleName(QStringLiteral("导出记录"));
    ExportList->setColumnCount(6);
    ExportList->setHorizontalHeaderLabels({QStringLiteral("导出时间"), QStringLiteral("页面"),
                                           QStringLiteral("笔数"), QStringLiteral("合计"),
                                           QStringLiteral("文件状态"), QStringLiteral("文件")});
    ExportList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ExportList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ExportList->setSelectionMode(QAbstractItemView::SingleSelection);
    ExportList->horizontalHeader()->setStretchLastSection(true);
    ExportList->verticalHeader()->setVisible(false);
    OpenFolderButton = new QPushButton(QStringLiteral("打开所在文件夹(&O)"), this);
    OpenFolderButton->setObjectName(QStringLiteral("OpenFolderButton"));
    CloseButton = new QPushButton(QStringLiteral("关闭(&C)"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OpenFolderButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ExportList);
    layout->addLayout(buttons);
    openFolder = [](const QString& folder) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    };
    connect(OpenFolderButton, &QPushButton::clicked, this, [this] { OpenFolderButtonClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ExportList, &QTableWidget::cellDoubleClicked, this,
            [this] { OpenFolderButtonClick(); });
}

void TfmExports::Show(const QList<payments::exportrecord::Entry>& entries) {
    shown_ = entries;
    std::stable_sort(shown_.begin(), shown_.end(),
                     [](const auto& a, const auto& b) { return a.time > b.time; });
    ExportList->setRowCount(static_cast<int>(shown_.size()));
    for (int r = 0; r < ExportList->rowCount(); ++r) {
        const payments::exportrecord::Entry& e = shown_[r];
        QString state;
        switch (payments::exportrecord::StateOf(e)) {
            case payments::exportrecord::FileState::Unchanged:
                state = QStringLiteral("未改动");
                break;
            case payments::exportrecord::FileState::Changed:
                state = QStringLiteral("导出后已改动");
                break;
            case payments::exportrecord::FileState::Missing:
                state = QStringLiteral("文件不存在");
                break;
        }
        const QStringList cells = {
            e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            e.page,
            QString::number(e.rows),
            payments::GroupedText(e.total),
            state,
            QDir::toNativeSeparators(e.path)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 2 || c == 3) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            ExportList->setItem(r, c, item);
        }
    }
    // Widths from the titles and the newest rows: a long record is not measured line by line.
    const QFontMetrics metrics(ExportList->font());
    for (int c = 0; c + 1 < ExportList->columnCount(); ++c) {
        int width = metrics.horizontalAdvance(ExportList->horizontalHeaderItem(c)->text()) + 24;
        for (int r = 0; r < std::min(ExportList->rowCount(), 50); ++r) {
            width = std::max(width, metrics.horizontalAdvance(ExportList->item(r, c)->text()) + 16);
        }
        ExportList->setColumnWidth(c, width);
    }
    if (!shown_.isEmpty()) {
        ExportList->selectRow(0);
    }
    OpenFolderButton->setEnabled(!shown_.isEmpty());
}

void TfmExports::OpenFolderButtonClick() {
    const int row = ExportList->currentRow();
    if (row < 0 || row >= shown_.size()) {
        return;
    }
    openFolder(QFileInfo(shown_[row].path).absolutePath());
}

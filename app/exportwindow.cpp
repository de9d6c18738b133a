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

void TfmExports::Show(payments::exportrecord::Record record) {
    shown_ = std::move(record);
    std::stable_sort(shown_.entries.begin(), shown_.entries.end(),
                     [](const auto& a, const auto& b) { return a.time > b.time; });
    const int listed = Listed();
    ExportList->setRowCount(listed + static_cast<int>(shown_.entries.size()));
    const auto put = [this](int r, const QStringList& cells) {
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 2 || c == 3) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            ExportList->setItem(r, c, item);
        }
    };
    // Damaged lines first: the exports they stood for are the ones no check can see. Past the
    // first few the record keeps only their count, which the last of these rows gives.
    for (int r = 0; r < shown_.damaged.size(); ++r) {
        const payments::exportrecord::Damage& d = shown_.damaged[r];
        put(r, {QStringLiteral("—"), QString(), QString(), QString(),
                QStringLiteral("记录第%1行已损坏").arg(d.line),
                d.path.isEmpty() ? QStringLiteral("（文件名无法读出）")
                                 : QDir::toNativeSeparators(d.path)});
    }
    if (listed > shown_.damaged.size()) {
        put(listed - 1, {QStringLiteral("—"), QString(), QString(), QString(),
                         QStringLiteral("……等共%1行已损坏").arg(shown_.damagedLines), QString()});
    }
    for (int r = listed; r < ExportList->rowCount(); ++r) {
        const payments::exportrecord::Entry& e = shown_.entries[r - listed];
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
            case payments::exportrecord::FileState::NotAFile:
                state = QStringLiteral("不是普通文件");
                break;
        }
        put(r, {e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), e.page,
                QString::number(e.rows), payments::GroupedText(e.total), state,
                QDir::toNativeSeparators(e.path)});
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
    if (ExportList->rowCount() > 0) {
        ExportList->selectRow(0);
    }
    OpenFolderButton->setEnabled(ExportList->rowCount() > 0);
}

int TfmExports::Listed() const {
    const auto damaged = static_cast<int>(shown_.damaged.size());
    return shown_.damagedLines > damaged ? damaged + 1 : damaged;
}

QString TfmExports::PathOf(int row) const {
    const int listed = Listed();
    if (row < 0) {
        return QString();
    }
    if (row < listed) {
        return row < shown_.damaged.size() ? shown_.damaged[row].path : QString();
    }
    return row - listed < shown_.entries.size() ? shown_.entries[row - listed].path : QString();
}

void TfmExports::OpenFolderButtonClick() {
    const QString path = PathOf(ExportList->currentRow());
    // Only a folder is opened: a path from a damaged or forged line could name a program, which
    // the system would run instead of showing a folder.
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!path.isEmpty() && folder.isDir()) {
        openFolder(folder.absoluteFilePath());
    }
}

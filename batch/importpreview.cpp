#include "batch/importpreview.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "platform/text/convert.h"

using namespace sheetbatch;

ImportPreview::ImportPreview(QWidget* parent) : QDialog(parent) {
    setupUi(this);
    for (int f = 0; f < kFieldCount; ++f) {
        // Alt+1 … Alt+0 and Alt+R reach the eleven column choices; S, I and C are the dialog's.
        const QString key = f < 10 ? QString::number((f + 1) % 10) : QStringLiteral("R");
        auto* label = new QLabel(FieldTitle(f) + QStringLiteral("(&") + key + QStringLiteral(")："),
                                 mapGroup);
        auto* box = new QComboBox(mapGroup);
        box->setObjectName(QStringLiteral("map_") + ColumnKey(f));
        label->setBuddy(box);
        // Read by a screen reader as the field the column feeds, never as the column chosen.
        box->setAccessibleName(FieldTitle(f) + QStringLiteral("列"));
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        // Two fields a line, so that the eleven fit beside each other.
        mapLayout->addWidget(label, f / 2, (f % 2) * 2, Qt::AlignRight);
        mapLayout->addWidget(box, f / 2, (f % 2) * 2 + 1);
        boxes_[static_cast<std::size_t>(f)] = box;
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!filling_) {
                Recompute();
            }
        });
        // A column the cashier chose settles a title that stood over two columns.
        connect(box, &QComboBox::activated, this, [this, f] {
            auto& ambiguous = input_.layout.ambiguous;
            const auto settled = std::remove_if(ambiguous.begin(), ambiguous.end(),
                                                [f](const auto& a) { return a.first == f; });
            if (settled != ambiguous.end()) {
                ambiguous.erase(settled, ambiguous.end());
                Recompute();
            }
        });
    }
    rowsGrid->setColumnCount(kFieldCount);
    QStringList titles;
    for (int f = 0; f < kFieldCount; ++f) {
        titles.append(FieldTitle(f));
    }
    rowsGrid->setHorizontalHeaderLabels(titles);
    connect(btnImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    btnImport->setDefault(true);
    // The box keeps the width of its text in a wide dialog: a click anywhere on it toggles it.
    saveMapping->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void ImportPreview::Prepare(Input input) {
    input_ = std::move(input);
    const SheetTable& table = *input_.table;
    const Layout& layout = input_.layout;
    filling_ = true;
    // Each column offered by its letter and what it holds: the header's title, else the first
    // data row's value.
    const int sampleRow = layout.headerRow > 0 ? layout.headerRow : layout.firstRow;
    QStringList names{QStringLiteral("（无）")};
    for (int c = 1; c <= table.columnCount; ++c) {
        const QString sample = convert::Excerpt(convert::Trim(table.Cell(sampleRow, c)), 12);
        names.append(sample.isEmpty() ? QStringLiteral("%1 列").arg(ColumnLetters(c))
                                      : QStringLiteral("%1 列：%2").arg(ColumnLetters(c), sample));
    }
    for (int f = 0; f < kFieldCount; ++f) {
        QComboBox* box = MapBox(f);
        box->clear();
        box->addItems(names);
        box->setCurrentIndex(
            std::min(layout.columns[static_cast<std::size_t>(f)], table.columnCount));
    }
    filling_ = false;
    lbSource->setText(SourceText());
    saveMapping->setChecked(false);
    Recompute();
}

QString ImportPreview::SourceText() const {
    const Layout& layout = input_.layout;
    QStringList titled;
    QStringList saved;
    for (int f = 0; f < kFieldCount; ++f) {
        const int column = layout.columns[static_cast<std::size_t>(f)];
        if (column == 0) {
            continue;
        }
        const QString named = QStringLiteral("%1 %2 列").arg(FieldTitle(f), ColumnLetters(column));
        (layout.from[static_cast<std::size_t>(f)] == From::Title ? titled : saved).append(named);
    }
    QString text = QStringLiteral("文件：%1\n").arg(input_.fileName);
    if (layout.headerRow > 0) {
        text += QStringLiteral("按第 %1 行的列标题对应：%2。")
                    .arg(layout.headerRow)
                    .arg(titled.join(QStringLiteral("、")));
        if (!saved.isEmpty()) {
            text += QStringLiteral("标题没有的列按保存的对应关系：%1。")
                        .arg(saved.join(QStringLiteral("、")));
        }
    } else {
        text += QStringLiteral("没有识别到列标题，按参数管理中保存的对应关系：%1。")
                    .arg(saved.join(QStringLiteral("、")));
    }
    text += QStringLiteral("数据从第 %1 行起。").arg(layout.firstRow);
    // The values taken for what the sheet does not have: only the fields it lacks.
    QStringList defaults;
    const auto lacks = [&](int f) { return layout.columns[static_cast<std::size_t>(f)] == 0; };
    if (lacks(kCpFlag)) {
        defaults.append(QStringLiteral("公私标志“%1”").arg(input_.mapping.cpflag));
    }
    if (lacks(kRemitType)) {
        defaults.append(QStringLiteral("方式“%1”").arg(input_.mapping.remittype));
    }
    if (lacks(kUse)) {
        defaults.append(QStringLiteral("用途“%1”").arg(input_.mapping.use));
    }
    if (lacks(kPayAcct)) {
        defaults.append(QStringLiteral("付款账号取录入界面的“%1”").arg(input_.payacct));
    }
    if (!defaults.isEmpty()) {
        text += QStringLiteral("表格中没有的列：%1。").arg(defaults.join(QStringLiteral("，")));
    }
    return text;
}

void ImportPreview::Recompute() {
    Layout layout = input_.layout;
    for (int f = 0; f < kFieldCount; ++f) {
        layout.columns[static_cast<std::size_t>(f)] = std::max(0, MapBox(f)->currentIndex());
    }
    result_ = Convert(*input_.table, layout, input_.mapping, input_.payacct, input_.banks);
    ShowResult();
}

void ImportPreview::ShowResult() {
    const int shown = static_cast<int>(std::min<std::size_t>(result_.rows.size(), kShownRows));
    rowsGrid->setRowCount(shown);
    QStringList rowTitles;
    for (int r = 0; r < shown; ++r) {
        const payments::Instruction& in = result_.rows[static_cast<std::size_t>(r)];
        const QString values[kFieldCount] = {in.cpflag,
                                             in.payacct,
                                             in.recacct,
                                             in.recver,
                                             in.recbankcode,
                                             in.recbank,
                                             QStringLiteral("CNY"),
                                             in.amt,
                                             in.use,
                                             in.remittype,
                                             in.remark};
        for (int f = 0; f < kFieldCount; ++f) {
            auto* item = new QTableWidgetItem(values[f]);
            if (f == kAmt) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            rowsGrid->setItem(r, f, item);
        }
        rowTitles.append(QString::number(result_.sheetRows[static_cast<std::size_t>(r)]));
    }
    // Rows are numbered as the sheet numbers them.
    rowsGrid->setVerticalHeaderLabels(rowTitles);
    // Whole accounts and amounts: every column as wide as its title and values, long names
    // and banks cut at 320 pixels.
    rowsGrid->resizeColumnsToContents();
    for (int f = 0; f < kFieldCount; ++f) {
        rowsGrid->setColumnWidth(f, std::min(rowsGrid->columnWidth(f), 320));
    }
    QString summary = QStringLiteral("可导入 %1 笔，合计 %2 元")
                          .arg(result_.rows.size())
                          .arg(result_.total.Grouped());
    if (result_.rows.size() > static_cast<std::size_t>(shown)) {
        summary += QStringLiteral("（上表列出前 %1 笔）").arg(shown);
    }
    if (result_.refusedRows > 0) {
        summary += QStringLiteral("；有 %1 行不能导入，请按下列问题改正表格或调整列对应后再导入。")
                       .arg(result_.refusedRows);
    } else if (result_.refusedSheet > 0 && !result_.rows.empty()) {
        summary += QStringLiteral("；表格不能导入，请按下列问题改正表格或调整列对应后再导入。");
    } else if (result_.rows.empty()) {
        summary += QStringLiteral("；没有可导入的指令，请检查列对应和数据起始行。");
    } else {
        summary += QStringLiteral("；核对无误后请按“导入”。");
    }
    lbSummary->setText(summary);
    problemList->clear();
    const std::size_t listed = std::min<std::size_t>(result_.problems.size(), kShownProblems);
    for (std::size_t i = 0; i < listed; ++i) {
        const Problem& p = result_.problems[i];
        problemList->addItem((p.refused ? QString() : QStringLiteral("提示：")) + ProblemText(p));
    }
    if (result_.problems.size() > listed) {
        problemList->addItem(QStringLiteral("……共 %1 个问题").arg(result_.problems.size()));
    }
    btnImport->setEnabled(result_.Importable());
}

bool ImportPreview::Execute() {
    // Wide enough for the rows' accounts and amounts: most of the window it was opened from.
    if (const QWidget* window = parentWidget() ? parentWidget()->window() : nullptr) {
        resize(std::max(width(), window->width() * 4 / 5),
               std::max(height(), window->height() * 4 / 5));
    }
    return exec() == QDialog::Accepted && result_.Importable();
}

Mapping ImportPreview::ChosenMapping() const {
    Mapping m = input_.mapping;
    for (int f = 0; f < kFieldCount; ++f) {
        const int column = std::max(0, MapBox(f)->currentIndex());
        m.columns[static_cast<std::size_t>(f)] = column > 0 ? ColumnLetters(column) : QString();
    }
    m.startRow = QString::number(input_.layout.firstRow);
    return m;
}

#include "platform/sheet/hidden.h"

#include <algorithm>

#include "platform/text/convert.h"

namespace sheet {

QString HiddenQuestion(const QString& hiddenSheet, const QStringList& hiddenColumns,
                       const std::vector<HiddenRow>& hiddenRows) {
    QStringList lines;
    if (!hiddenSheet.isEmpty()) {
        lines.append(
            QStringLiteral("导入读取的是隐藏的工作表“%1”。").arg(convert::Excerpt(hiddenSheet)));
    }
    if (!hiddenColumns.isEmpty()) {
        lines.append(QStringLiteral("以下列在工作表中是隐藏的，也将导入：%1。")
                         .arg(hiddenColumns.join(QStringLiteral("、"))));
    }
    if (!hiddenRows.empty()) {
        lines.append(
            QStringLiteral("以下 %1 行在工作表中是隐藏的，也将导入：").arg(hiddenRows.size()));
        constexpr std::size_t kListed = 10;
        for (std::size_t i = 0; i < std::min(hiddenRows.size(), kListed); ++i) {
            const HiddenRow& h = hiddenRows[i];
            lines.append(QStringLiteral("第 %1 行：%2 %3")
                             .arg(h.sheetRow)
                             .arg(convert::Excerpt(h.name), h.amount));
        }
        if (hiddenRows.size() > kListed) {
            lines.append(QStringLiteral("……"));
        }
    }
    if (lines.isEmpty()) {
        return QString();
    }
    lines.append(QString());
    lines.append(QStringLiteral("仍要导入吗？"));
    return lines.join(u'\n');
}

}  // namespace sheet

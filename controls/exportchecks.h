// Checks of a batch before its upload file is written, for mistakes that cost money and that no
// field rule catches: a mistyped bank card number, and the same payment entered twice.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace exportchecks {

// The Luhn check digit of a number of decimal digits.
bool LuhnValid(const QString& digits);
// A private recipient's account that looks like a bank card: 16 to 19 digits starting "62".
bool LooksLikeCard(const QString& account);

struct Row {
    int number;  // 1-based, as the user counts the instructions
    QString cpflag, recacct, amt;
};

// Names the rows that repeat a payment exported on an earlier day ("第3笔：账号…，金额…，
// 2026-12-10 已导出到 …"); set by the window that keeps the export record, none by default.
using History = std::function<QStringList(const QList<Row>& rows)>;
void SetHistory(History history);

// The question to ask before writing, naming the affected rows; empty when nothing is amiss.
// `what` names the rows in the text ("指令" for instructions, "工资记录" for credits).
QString Question(const QList<Row>& rows, const QString& what = QStringLiteral("指令"));

}  // namespace exportchecks

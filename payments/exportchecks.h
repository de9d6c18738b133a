// Checks of a batch before its upload file is written, for mistakes that cost money and that no
// field rule catches: a mistyped bank card number, and the same payment entered twice.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "payments/money.h"

namespace payments::exportchecks {

// The Luhn check digit of a number of decimal digits.
bool LuhnValid(const QString& digits);
// A private recipient's account that looks like a bank card: 16 to 19 digits starting "62".
bool LooksLikeCard(const QString& account);

// One payment about to be exported: two rows with the same account and amount (to the cent)
// pay the same payment twice.
struct Row {
    int number;  // 1-based, as the user counts the instructions
    QString cpflag, recacct;
    Money amount;
    // The row is in an upload file already, unchanged since: writing it again is no repeat.
    bool exported = false;
};

// What the export record says of a batch about to be exported.
struct Earlier {
    // The rows that repeat a payment exported before ("第3笔：账号…，金额…，2026-12-10 已导出到
    // …").
    QStringList repeats;
    // Exports the record could not check (damaged lines, a record that cannot be read), as a
    // paragraph; empty when the whole record was checked.
    QString unchecked;
};

// The question to ask before writing, naming the affected rows; empty when nothing is amiss.
// `what` names the rows in the text ("指令" for instructions, "工资记录" for credits).
QString Question(const QList<Row>& rows, const QString& what, const Earlier& earlier);

}  // namespace payments::exportchecks

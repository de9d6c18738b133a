// The roster-like lines the save tests write, with a mark that tells two contents apart; shared
// by the child process that writes them and the test that checks what it left.
#pragma once

#include <QString>
#include <QStringList>

inline QStringList SaveContent(char mark, int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines.append(QStringLiteral("收款人%1%2|62220000%3|星澜聚川银行|104651000001")
                         .arg(QChar::fromLatin1(mark))
                         .arg(i)
                         .arg(i, 8, 10, QChar(u'0')));
    }
    return lines;
}

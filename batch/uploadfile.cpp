#include "batch/uploadfile.h"

#include <QRegularExpression>

namespace uploadfile {

QString FormatLine(const Instruction& in) {
    QString type = QStringLiteral("P");
    if (in.cpflag == QStringLiteral("公司")) {
        type = QStringLiteral("I");
    } else if (in.cpflag == QStringLiteral("跨行")) {
        type = QStringLiteral("D");
    }
    const QString remit =
        in.remittype == QStringLiteral("加急") ? QStringLiteral("H") : QStringLiteral("N");
    return QStringList{type,           in.payacct, in.recacct, in.recver, in.recbank, in.recbank,
                       in.recbankcode, in.amt,     in.use,     remit,     in.remark}
        .join(u'|');
}

std::optional<QString> CheckLine(const QString& line) {
    const QStringList f = line.split(u'|');
    if (f.size() != 11 && f.size() != 10) {
        return QStringLiteral("字段数为%1，应为11个").arg(f.size());
    }
    if (f[0] != QStringLiteral("I") && f[0] != QStringLiteral("P") && f[0] != QStringLiteral("D")) {
        return QStringLiteral("收款对象代码“%1”无效").arg(f[0]);
    }
    // At most 13 integer digits besides leading zeros: the amount box holds a value as a double,
    // which keeps two decimals exact only up to there; a longer amount would be imported changed.
    static const QRegularExpression amount(
        QStringLiteral("^-?0*(\\d{1,13}(\\.\\d{0,2})?|\\.\\d{1,2})$"));
    if (!amount.match(f[7]).hasMatch()) {
        return QStringLiteral("金额“%1”不是有效的数字").arg(f[7]);
    }
    if (f[9] != QStringLiteral("H") && f[9] != QStringLiteral("N")) {
        return QStringLiteral("汇款方式代码“%1”无效").arg(f[9]);
    }
    return std::nullopt;
}

ImportLine ParseLine(const QString& line) {
    const QStringList f = line.split(u'|');
    ImportLine l;
    l.typeCode = f.value(0);
    l.payacct = f.value(1);
    l.recacct = f.value(2);
    l.recver = f.value(3);
    l.recbank = f.value(4);
    l.recbankcode = f.value(6);
    l.amt = f.value(7);
    l.use = f.value(8);
    l.remitCode = f.value(9);
    l.remark = f.value(10);
    return l;
}

bool IsPlainValue(const QString& value) {
    return !value.contains(u'|') && !value.contains(u'\r') && !value.contains(u'\n');
}

QString DefaultFileName(const QString& date) {
    return QStringLiteral("easy") + date + QStringLiteral(".txt");
}

}  // namespace uploadfile

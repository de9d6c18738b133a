#include "payments/batchfile.h"

#include <QRegularExpression>

#include "payments/values.h"
#include "platform/text/convert.h"

namespace payments::batchfile {

QString FormatLine(const Instruction& in) {
    QString type = QStringLiteral("P");
    if (in.cpflag == u"公司") {
        type = QStringLiteral("I");
    } else if (in.cpflag == u"跨行") {
        type = QStringLiteral("D");
    }
    const QString remit = in.remittype == u"加急" ? QStringLiteral("H") : QStringLiteral("N");
    return QStringList{type,           in.payacct, in.recacct, in.recver, in.recbank, in.recbank,
                       in.recbankcode, in.amt,     in.use,     remit,     in.remark}
        .join(u'|');
}

QStringList Lines(const std::vector<Instruction>& rows) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(rows.size()));
    for (const Instruction& in : rows) {
        lines.append(FormatLine(in));
    }
    return lines;
}

std::optional<QString> CheckLine(const QString& line) {
    const QStringList f = line.split(u'|');
    if (f.size() != 11 && f.size() != 10) {
        return QStringLiteral("字段数为%1，应为11个").arg(f.size());
    }
    if (f[0] != u"I" && f[0] != u"P" && f[0] != u"D") {
        return QStringLiteral("收款对象代码“%1”无效").arg(convert::Excerpt(f[0]));
    }
    // The size, the sign and the value are CheckAmount's, after the fields are known.
    static const QRegularExpression amount(QStringLiteral("^-?(\\d+(\\.\\d{0,2})?|\\.\\d{1,2})$"));
    if (!amount.match(f[7]).hasMatch()) {
        return QStringLiteral("金额“%1”不是有效的数字").arg(convert::Excerpt(f[7]));
    }
    if (f[9] != u"H" && f[9] != u"N") {
        return QStringLiteral("汇款方式代码“%1”无效").arg(convert::Excerpt(f[9]));
    }
    return CheckInstruction(ParseLine(line));
}

Instruction ParseLine(const QString& line) {
    const QStringList f = line.split(u'|');
    QString cpflag = QStringLiteral("公司");
    if (f.value(0) == u"P") {
        cpflag = QStringLiteral("私人");
    } else if (f.value(0) == u"D") {
        cpflag = QStringLiteral("跨行");
    }
    const QString remittype = f.value(9) == u"H" ? QStringLiteral("加急") : QStringLiteral("普通");
    return {cpflag,     f.value(1), f.value(2), f.value(3), f.value(6),
            f.value(4), f.value(7), f.value(8), remittype,  f.value(10)};
}

std::variant<std::vector<Instruction>, Refusal> Parse(const QStringList& lines) {
    std::vector<Instruction> rows;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) {
            continue;
        }
        if (auto reason = CheckLine(lines[i])) {
            return Refusal{i + 1, *reason};
        }
        Instruction in = ParseLine(lines[i]);
        // Stored as a typed amount is stored: "1.5" becomes "1.50".
        in.amt = CheckAmount(in.amt).normal;
        rows.push_back(std::move(in));
    }
    return rows;
}

QString DefaultFileName(const QString& date) {
    return QStringLiteral("easy") + date + QStringLiteral(".txt");
}

}  // namespace payments::batchfile

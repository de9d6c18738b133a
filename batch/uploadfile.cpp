#include "batch/uploadfile.h"

#include <QRegularExpression>

#include "batch/instructions.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "platform/text/convert.h"

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

std::optional<QString> CheckInstruction(const Instruction& in) {
    const QStringList titles = QString::fromUtf16(instructions::kGridTitles).split(u',');
    struct Value {
        int title;
        const QString& text;
        bool required;
        int maxBytes;
    };
    const Value values[] = {
        {0, in.cpflag, false, 0},
        {1, in.payacct, true, kMaxAccountBytes},
        {2, in.recacct, true, kMaxAccountBytes},
        {3, in.recver, true, 0},
        {4, in.recbankcode, false, kMaxAccountBytes},
        {5, in.recbank, true, 0},
        {8, in.use, true, 0},
        {9, in.remittype, false, 0},
        {10, in.remark, false, 0},
    };
    for (const Value& v : values) {
        const QString& title = titles[v.title];
        if (ansi::HasUndecodable(v.text)) {
            return QStringLiteral("“%1”含有无法识别的字节").arg(title);
        }
        if (ansi::FindControl(v.text) >= 0) {
            return QStringLiteral("“%1”含有控制字符").arg(title);
        }
        if (v.text.contains(u'|')) {
            return QStringLiteral("“%1”含有“|”").arg(title);
        }
        if (v.required && v.text.isEmpty()) {
            return QStringLiteral("“%1”为空").arg(title);
        }
        if (v.maxBytes > 0 && ansi::Size(v.text) > v.maxBytes) {
            return QStringLiteral("“%1”超过%2字节").arg(title).arg(v.maxBytes);
        }
    }
    // A cross-bank transfer without the bank's number cannot be routed by any bank.
    if (in.cpflag == u"跨行" && convert::Trim(in.recbankcode).isEmpty()) {
        return QString::fromUtf16(kCrossBankWithoutCode);
    }
    return CheckAmount(in.amt).refusal;
}

std::optional<QString> CheckLine(const QString& line) {
    const QStringList f = line.split(u'|');
    if (f.size() != 11 && f.size() != 10) {
        return QStringLiteral("字段数为%1，应为11个").arg(f.size());
    }
    if (f[0] != QStringLiteral("I") && f[0] != QStringLiteral("P") && f[0] != QStringLiteral("D")) {
        return QStringLiteral("收款对象代码“%1”无效").arg(Excerpt(f[0]));
    }
    // The size, the sign and the value are CheckAmount's, after the fields are known.
    static const QRegularExpression amount(QStringLiteral("^-?(\\d+(\\.\\d{0,2})?|\\.\\d{1,2})$"));
    if (!amount.match(f[7]).hasMatch()) {
        return QStringLiteral("金额“%1”不是有效的数字").arg(Excerpt(f[7]));
    }
    if (f[9] != QStringLiteral("H") && f[9] != QStringLiteral("N")) {
        return QStringLiteral("汇款方式代码“%1”无效").arg(Excerpt(f[9]));
    }
    return CheckInstruction(ToInstruction(ParseLine(line)));
}

Instruction ToInstruction(const ImportLine& l) {
    QString cpflag = QStringLiteral("公司");
    if (l.typeCode == u"P") {
        cpflag = QStringLiteral("私人");
    } else if (l.typeCode == u"D") {
        cpflag = QStringLiteral("跨行");
    }
    const QString remittype = l.remitCode == u"H" ? QStringLiteral("加急") : QStringLiteral("普通");
    return {cpflag,    l.payacct, l.recacct, l.recver,  l.recbankcode,
            l.recbank, l.amt,     l.use,     remittype, l.remark};
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
    return !value.contains(u'|') && ansi::FindControl(value) < 0 && !ansi::HasUndecodable(value);
}

QString DefaultFileName(const QString& date) {
    return QStringLiteral("easy") + date + QStringLiteral(".txt");
}

}  // namespace uploadfile

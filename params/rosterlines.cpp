#include "params/rosterlines.h"

#include "payments/values.h"

#include "store/record.h"

namespace params {

QList<Line> Lines(const QStringList& lines, Roster roster) {
    QList<Line> taken;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringList fields = record::Split(lines[i], record::Pipes::Replace);
        const bool takes = roster == Roster::Company ? fields.size() == 3 : fields.size() >= 2;
        if (takes) {
            taken.append({i, std::move(fields)});
        }
    }
    return taken;
}

std::optional<Line> FindLine(const QList<Line>& lines, const QString& account) {
    for (const Line& line : lines) {
        if (line.Account() == account) {
            return line;
        }
    }
    return std::nullopt;
}

std::optional<Line> FindLine(const QStringList& lines, const QString& account, Roster roster) {
    return FindLine(Lines(lines, roster), account);
}

bool IsBlank(const QString& text) {
    for (const QChar c : text) {
        // The split's blanks (codes 1 to 32) and the other spaces, the ideographic one above all.
        if (c.unicode() > 32 && !c.isSpace()) {
            return false;
        }
    }
    return true;
}

std::optional<qsizetype> FirstUnwritable(const QStringList& values) {
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString& v = values[i];
        if (payments::FindFlaw(v) == payments::Flaw::PipeOrLineBreak) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace params

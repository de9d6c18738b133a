#include "store/profile.h"

#include "platform/text/convert.h"

#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "store/listfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <optional>

namespace profile {

namespace {

QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return listfile::SplitLines(ansi::Decode(file.readAll()));
}

// The section name of a line "[name]", trimmed, or nothing.
std::optional<QString> SectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = t.indexOf(u']');
    return (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
}

struct KeyLine {
    QString key;
    QString value;
};

KeyLine SplitKey(const QString& line) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) {
        return {line.trimmed(), QString()};
    }
    return {line.left(eq).trimmed(), line.mid(eq + 1).trimmed()};
}

bool Same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Line range [begin, end) of the first section of that name, the header excluded.
std::optional<std::pair<qsizetype, qsizetype>> FindSection(const QStringList& lines,
                                                           const QString& section) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = SectionOf(lines[i]);
        if (name && Same(*name, section)) {
            qsizetype end = i + 1;
            while (end < lines.size() && !SectionOf(lines[end])) {
                ++end;
            }
            return std::make_pair(i + 1, end);
        }
    }
    return std::nullopt;
}

}  // namespace

QString ReadString(const QString& path, const QString& section, const QString& key,
                   const QString& defaultValue) {
    const QStringList lines = ReadLines(path);
    QString value = defaultValue;
    if (const auto range = FindSection(lines, section)) {
        for (qsizetype i = range->first; i < range->second; ++i) {
            if (lines[i].trimmed().isEmpty()) {
                continue;
            }
            const KeyLine kl = SplitKey(lines[i]);
            if (Same(kl.key, key)) {
                value = kl.value;
                // A value in matching quotes is given without them.
                if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                    value.back() == value.front()) {
                    value = value.mid(1, value.size() - 2);
                }
                break;
            }
        }
    }
    // The limit counts UTF-16 units; a character of two that does not fit is left out whole.
    if (value.size() > kMaxValue) {
        value.truncate(value[kMaxValue].isLowSurrogate() ? kMaxValue - 1 : kMaxValue);
    }
    return value;
}

std::optional<QString> EntryProblem(const QString& section, const QString& key,
                                    const QString& value) {
    const auto breaks = [](const QString& text) {
        for (const QChar c : text) {
            if (c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029) ||
                c == QChar(0x85) || c == u'\v' || c == u'\f') {
                return true;
            }
        }
        return false;
    };
    if (breaks(section) || breaks(key) || breaks(value)) {
        return QStringLiteral("“%1”含有换行符，不能写入配置文件").arg(convert::Excerpt(value));
    }
    if (key.contains(u'=') || key.trimmed().startsWith(u'[')) {
        return QStringLiteral("配置项名“%1”不能含有“=”或以“[”开头").arg(convert::Excerpt(key));
    }
    if (section.contains(u']')) {
        return QStringLiteral("配置节名“%1”不能含有“]”").arg(convert::Excerpt(section));
    }
    return std::nullopt;
}

void WriteString(const QString& path, const QString& section, const QString& key,
                 const QString& value) {
    if (const auto problem = EntryProblem(section, key, value)) {
        throw AppError(*problem);
    }
    QStringList lines = ReadLines(path);
    const QString entry = key + u'=' + value;
    if (const auto range = FindSection(lines, section)) {
        bool done = false;
        qsizetype lastEntry = range->first - 1;
        for (qsizetype i = range->first; i < range->second; ++i) {
            if (lines[i].trimmed().isEmpty()) {
                continue;
            }
            lastEntry = i;
            const KeyLine kl = SplitKey(lines[i]);
            if (Same(kl.key, key)) {
                lines[i] = kl.key + u'=' + value;
                done = true;
                break;
            }
        }
        if (!done) {
            lines.insert(lastEntry + 1, entry);
        }
    } else {
        lines.append(u'[' + section + u']');
        lines.append(entry);
    }
    if (!listfile::WriteWhole(path, listfile::JoinLines(lines))) {
        throw MakeError(msg::kUnableToWrite, path);
    }
}

}  // namespace profile

#include "store/record.h"

namespace record {

namespace {
bool IsBlank(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}
}  // namespace

QStringList Split(const QString& input, Pipes pipes) {
    QString line = input;
    if (const qsizetype nul = line.indexOf(QChar(u'\0')); nul >= 0) {
        line.truncate(nul);
    }
    if (pipes == Pipes::Replace) {
        line.replace(u'|', u',');
    }
    QStringList fields;
    const qsizetype n = line.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && IsBlank(line[i])) {
            ++i;
        }
    };
    skipBlanks();
    while (i < n) {
        QString field;
        if (line[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        field.append(u'"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field.append(line[i]);
                ++i;
            }
            if (!closed) {
                // An unclosed quote takes the rest of the line but its last character.
                field.chop(1);
                fields.append(field);
                break;
            }
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != u',' && !IsBlank(line[i])) {
                ++i;
            }
            field = line.mid(start, i - start);
        }
        fields.append(field);
        skipBlanks();
        if (i < n && line[i] == u',') {
            ++i;
            skipBlanks();
        }
    }
    return fields;
}

QString Join(const QStringList& fields) {
    return fields.join(u'|');
}

QString Quote(const QString& field) {
    bool needs = field.isEmpty();
    for (const QChar c : field) {
        needs = needs || IsBlank(c) || c == u',' || c == u'"';
    }
    if (!needs) {
        return field;
    }
    QString quoted = field;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString JoinQuoted(const QStringList& fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields) {
        quoted.append(Quote(f));
    }
    return quoted.join(u'|');
}

bool HasField(const QStringList& fields, const QString& text) {
    for (const QString& f : fields) {
        if (f.compare(text, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace record

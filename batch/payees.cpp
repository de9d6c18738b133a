#include "batch/payees.h"

#include <QSet>

#include "store/record.h"

namespace payees {

namespace {

bool Passes(qsizetype fieldCount, LineTest test) {
    return test == LineTest::MoreThanTwoFields ? fieldCount > 2 : fieldCount == 4;
}

// Field equality as the roster compares accounts: whole text, letter case ignored.
QString Key(const QString& field) {
    return field.toCaseFolded();
}

}  // namespace

QString Line(const Payee& payee) {
    return record::JoinQuoted({payee.name, payee.account, payee.bank, payee.bankCode});
}

int Learn(QStringList& roster, const QList<Payee>& list, LineTest test) {
    if (list.isEmpty()) {
        return 0;
    }
    QSet<QString> known;
    if (list.size() == 1) {
        // One payee: only lines that hold the account somewhere need to be split.
        const QString& account = list.front().account;
        for (const QString& line : roster) {
            if (!line.contains(account, Qt::CaseInsensitive)) {
                continue;
            }
            const QStringList fields = record::Split(line, record::Pipes::Replace);
            if (Passes(fields.size(), test) && record::HasField(fields, account)) {
                return 0;
            }
        }
    } else {
        for (const QString& line : roster) {
            const QStringList fields = record::Split(line, record::Pipes::Replace);
            if (Passes(fields.size(), test)) {
                for (const QString& f : fields) {
                    known.insert(Key(f));
                }
            }
        }
    }
    int added = 0;
    for (const Payee& p : list) {
        if (known.contains(Key(p.account))) {
            continue;
        }
        const QString line = Line(p);
        roster.append(line);
        ++added;
        // A line written here always has four fields, so it counts under either test.
        for (const QString& f : record::Split(line, record::Pipes::Replace)) {
            known.insert(Key(f));
        }
    }
    return added;
}

}  // namespace payees

// One salary credit as a value: the rules every value of a credit meets before it is stored or
// written to a salary upload file, whichever way it came in (typed, edited in place,
// imported, restored): nothing is cut or altered silently, and a refusal names the item.
#pragma once

#include <QString>

namespace payments {

// An account is digits only, at most this many.
inline constexpr int kMaxAccountDigits = 32;

// One salary field as the checks see it: its field name, caption and size in bytes.
struct FieldRule {
    QString name, label;
    int size = 0;
};

// Checks a value for a field of the salary table and returns the text to store: an amount in
// its normal form (two decimals), every other value as it stands. Throws AppError naming the
// item when the value is refused: longer than the field, a "|", a line break, another control
// character or a byte that is no character, a blank name, an account that is not 1 to 32
// digits, an amount that is no number, not above 0, with a third decimal or more than 13
// integer digits. An empty value passes (a required field refuses it when the row is posted)
// unless `whole` asks for a complete value.
QString CheckCreditValue(const FieldRule& field, const QString& value, bool whole = false);

// The credit as the salary upload file writes it.
struct Credit {
    QString acct, name, finalincome, memo;
};

}  // namespace payments

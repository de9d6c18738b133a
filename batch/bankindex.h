// The bank directory's branches by exact name and by number, for filling in the number of a bank
// that an imported sheet names and for checking a number against the name beside it. The directory
// is read at the first lookup, not at start-up.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class BankIndex {
public:
    explicit BankIndex(QString resource = QStringLiteral(":/BANKDATA"));

    // The numbers of every branch whose name is exactly `name`, in the directory's order.
    // Fails with an AppError when the directory cannot be read.
    QStringList Codes(const QString& name);
    // The names of every branch whose number is exactly `code` (one, in a sound directory).
    QStringList Names(const QString& code);

private:
    void Load();

    QString resource_;
    bool loaded_ = false;
    QByteArray names_, codes_;
    // Name bytes to the rows holding that name, each row as its code's place in codes_.
    QMultiHash<QByteArrayView, QByteArrayView> byName_;
    QMultiHash<QByteArrayView, QByteArrayView> byCode_;
};

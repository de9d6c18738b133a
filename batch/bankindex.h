// The bank directory's branches by exact name, for filling in the number of a bank that an
// imported sheet names. The directory is read at the first lookup, not at start-up.
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

private:
    void Load();

    QString resource_;
    bool loaded_ = false;
    QByteArray names_, codes_;
    // Name bytes to the rows holding that name, each row as its code's place in codes_.
    QMultiHash<QByteArrayView, QByteArrayView> byName_;
};

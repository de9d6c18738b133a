// Typing into a line edit or an editable combo box as a user does: a click into it, the old
// text selected and deleted, then the keys.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

// Replaces the text of an edit or of an editable combo box by typed text: ASCII characters as
// keys, the others as an input method (or a paste) inserts them.
inline void TypeReplacing(QWidget* widget, const QString& text) {
    QLineEdit* edit = qobject_cast<QLineEdit*>(widget);
    if (auto* box = qobject_cast<QComboBox*>(widget)) {
        edit = box->lineEdit();
    }
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() >= 32 && c.unicode() < 127) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            edit->insert(QString(c));
        }
    }
}

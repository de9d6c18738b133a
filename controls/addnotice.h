// The notice after a successful add on the batch and the salary page. By default it is the
// "增加成功！" box, which carries a "不再提示" check box; once that is ticked the success shows
// in the status bar with the count instead, so that a cashier keys line after line without a
// box in between. The choice is kept in the user's settings and undone from the 文件 menu.
// Failures are never affected: they always show their box.
#pragma once

#include <QString>
#include <functional>

class Dialogs;
class QSettings;

class AddNotice {
public:
    AddNotice(Dialogs& dialogs, QSettings& settings);

    // After an add: the box, or the status line naming the rows in the table.
    void Succeeded(int rows);

    bool Quiet() const;
    void SetQuiet(bool quiet);

    // Shows a line in the window's status bar; set by the window.
    std::function<void(const QString&)> showStatus;
    // Called when the choice changes, so that the menu follows it.
    std::function<void(bool quiet)> changed;

private:
    Dialogs& dialogs_;
    QSettings& settings_;
};

// The preview window of a prepared report: pages at their printed size, zoom, page navigation,
// find, page setup, printing through the system print dialog and export to PDF. Pages are
// painted as they come into view, so a long report opens at once.
#pragma once

#include <QDialog>
#include <QPrinter>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QToolBar;
class TfrxReport;

namespace report {
class PageView;
}

class TfrxPreviewForm : public QDialog {
    Q_OBJECT
public:
    TfrxPreviewForm(TfrxReport& report, QWidget* parent = nullptr);
    ~TfrxPreviewForm() override;

    // Shows the window modally, maximized (and at least as large as the window it belongs to)
    // when the report says so, at the report's zoom, on the top of page 1; returns when it
    // closes.
    void Execute();

    // Commands of the tool bar.
    void PrintClick();
    void ExportPdfClick();
    void PageSetupClick();
    void FindClick();
    void GoToPage(int page);  // 1-based

    int CurrentPage() const;
    int PageCount() const;
    QString StatusText() const;

protected:
    // Page Up and Page Down turn pages also while the page view has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolBar();
    QAction* AddAction(const QString& name, const QString& text, const QKeySequence& key,
                       void (TfrxPreviewForm::*handler)());
    // A key that moves the focus to a box of the tool bar, named in the box's tooltip.
    void FocusKey(QWidget* box, const QString& name, const QKeySequence& key);
    void Refresh();
    void UpdatePageControls();
    void UpdateZoomBox();
    void ApplyZoom(int index);
    void ApplyTypedZoom();
    void Run(const std::function<void()>& handler);
    void SetStatus(const QString& text);

    TfrxReport& report_;
    QPrinter printer_;
    QToolBar* toolBar_ = nullptr;
    report::PageView* view_ = nullptr;
    QLabel* empty_ = nullptr;
    QSpinBox* pageBox_ = nullptr;
    QLabel* pageCount_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QLineEdit* findEdit_ = nullptr;
    QLabel* status_ = nullptr;
    QString statusText_;
    int findPage_ = -1;
    int findItem_ = -1;
};

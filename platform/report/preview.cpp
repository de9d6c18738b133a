#include "platform/report/preview.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QScreen>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/guard.h"
#include "platform/report/pagesetup.h"
#include "platform/report/pageview.h"
#include "platform/report/render.h"
#include "platform/report/report.h"

namespace {

// The zoom box: the zoom steps as percentages, then the two fitting zooms.
const QString kPageWidth = QStringLiteral("页宽");
const QString kWholePage = QStringLiteral("整页");
constexpr int kZoomStepCount = static_cast<int>(std::size(report::kZoomSteps));

QString Percent(double factor) {
    return QStringLiteral("%1%").arg(std::lround(factor * 100));
}

// "打印（Ctrl+P）": the command and the keys that reach it, as the tooltip shows them.
QString WithKeys(const QString& text, const QList<QKeySequence>& keys) {
    QStringList names;
    for (const QKeySequence& key : keys) {
        names.append(key.toString(QKeySequence::NativeText));
    }
    return names.isEmpty() ? text
                           : QStringLiteral("%1（%2）").arg(text, names.join(QStringLiteral("，")));
}

// The tooltip names every key of the command. The buttons keep their short texts, so that the
// whole tool bar fits a small or scaled screen.
void ShowKeys(QAction* action) {
    action->setToolTip(WithKeys(action->text(), action->shortcuts()));
}

}  // namespace

TfrxPreviewForm::TfrxPreviewForm(TfrxReport& report, QWidget* parent)
    : QDialog(parent), report_(report), printer_(QPrinter::HighResolution) {
    setObjectName(QStringLiteral("TfrxPreviewForm"));
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    printer_.setPageLayout(report_.PageSetup());
    printer_.setFullPage(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(toolBar_);
    view_ = new report::PageView(this);
    view_->setObjectName(QStringLiteral("Preview"));
    layout->addWidget(view_, 1);
    empty_ = new QLabel(QStringLiteral("报表没有内容。"), this);
    empty_->setObjectName(QStringLiteral("EmptyLabel"));
    empty_->setAlignment(Qt::AlignCenter);
    layout->addWidget(empty_, 1);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    layout->addWidget(status_);
    BuildToolBar();

    connect(view_, &report::PageView::CurrentPageChanged, this, [this] {
        statusText_.clear();
        UpdatePageControls();
    });
    connect(view_, &report::PageView::ZoomChanged, this, &TfrxPreviewForm::UpdateZoomBox);
    view_->installEventFilter(this);
    for (QWidget* child : view_->findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
    Refresh();
}

bool TfrxPreviewForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            GoToPage(CurrentPage() + (key == Qt::Key_PageUp ? -1 : 1));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

TfrxPreviewForm::~TfrxPreviewForm() = default;

QAction* TfrxPreviewForm::AddAction(const QString& name, const QString& text,
                                    const QKeySequence& key, void (TfrxPreviewForm::*handler)()) {
    QAction* action = toolBar_->addAction(text);
    action->setObjectName(name);
    if (!key.isEmpty()) {
        action->setShortcut(key);
    }
    ShowKeys(action);
    connect(action, &QAction::triggered, this,
            [this, handler] { Run([&] { (this->*handler)(); }); });
    return action;
}

void TfrxPreviewForm::BuildToolBar() {
    // Every command has a key of its own; the tool bar's buttons take no focus, so the boxes
    // between them have keys that move the focus there.
    AddAction(QStringLiteral("actPrint"), QStringLiteral("打印"), QKeySequence::Print,
              &TfrxPreviewForm::PrintClick);
    AddAction(QStringLiteral("actExportPdf"), QStringLiteral("导出PDF"),
              QKeySequence(Qt::CTRL | Qt::Key_E), &TfrxPreviewForm::ExportPdfClick);
    AddAction(QStringLiteral("actPageSetup"), QStringLiteral("页面设置"),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), &TfrxPreviewForm::PageSetupClick);
    toolBar_->addSeparator();

    QAction* zoomOut = toolBar_->addAction(QStringLiteral("缩小"));
    zoomOut->setObjectName(QStringLiteral("actZoomOut"));
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    ShowKeys(zoomOut);
    connect(zoomOut, &QAction::triggered, view_, &report::PageView::ZoomOut);
    // The box shows the zoom in use; a percentage typed into it is applied with Enter.
    zoomBox_ = new QComboBox(toolBar_);
    zoomBox_->setObjectName(QStringLiteral("ZoomBox"));
    zoomBox_->setEditable(true);
    zoomBox_->setInsertPolicy(QComboBox::NoInsert);
    for (double step : report::kZoomSteps) {
        zoomBox_->addItem(Percent(step));
    }
    zoomBox_->addItem(kPageWidth);
    zoomBox_->addItem(kWholePage);
    zoomBox_->lineEdit()->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{1,3}%?|") + kPageWidth + u'|' + kWholePage),
        zoomBox_));
    connect(zoomBox_->lineEdit(), &QLineEdit::returnPressed, this,
            &TfrxPreviewForm::ApplyTypedZoom);
    toolBar_->addWidget(zoomBox_);
    FocusKey(zoomBox_, QStringLiteral("缩放比例"), QKeySequence(Qt::ALT | Qt::Key_Z));
    QAction* zoomIn = toolBar_->addAction(QStringLiteral("放大"));
    zoomIn->setObjectName(QStringLiteral("actZoomIn"));
    // Ctrl++ as the platform names it, and Ctrl+= for the same key without Shift.
    zoomIn->setShortcuts(
        {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ShowKeys(zoomIn);
    connect(zoomIn, &QAction::triggered, view_, &report::PageView::ZoomIn);
    toolBar_->addSeparator();

    const auto go = [this](const QString& name, const QString& text, const QKeySequence& key,
                           std::function<int()> target) {
        QAction* action = toolBar_->addAction(text);
        action->setObjectName(name);
        action->setShortcut(key);
        ShowKeys(action);
        connect(action, &QAction::triggered, this, [this, target] { GoToPage(target()); });
    };
    go(QStringLiteral("actFirst"), QStringLiteral("首页"), QKeySequence(Qt::CTRL | Qt::Key_Home),
       [] { return 1; });
    go(QStringLiteral("actPrior"), QStringLiteral("上一页"), QKeySequence(Qt::Key_PageUp),
       [this] { return CurrentPage() - 1; });
    pageBox_ = new QSpinBox(toolBar_);
    pageBox_->setObjectName(QStringLiteral("PageBox"));
    pageBox_->setKeyboardTracking(false);
    toolBar_->addWidget(pageBox_);
    FocusKey(pageBox_, QStringLiteral("页码"), QKeySequence(Qt::CTRL | Qt::Key_G));
    pageCount_ = new QLabel(toolBar_);
    pageCount_->setObjectName(QStringLiteral("PageCountLabel"));
    toolBar_->addWidget(pageCount_);
    go(QStringLiteral("actNext"), QStringLiteral("下一页"), QKeySequence(Qt::Key_PageDown),
       [this] { return CurrentPage() + 1; });
    go(QStringLiteral("actLast"), QStringLiteral("末页"), QKeySequence(Qt::CTRL | Qt::Key_End),
       [this] { return PageCount(); });
    toolBar_->addSeparator();

    findEdit_ = new QLineEdit(toolBar_);
    findEdit_->setObjectName(QStringLiteral("FindEdit"));
    findEdit_->setPlaceholderText(QStringLiteral("查找文字"));
    findEdit_->setMaximumWidth(200);
    toolBar_->addWidget(findEdit_);
    FocusKey(findEdit_, QStringLiteral("查找文字"), QKeySequence(QKeySequence::Find));
    QAction* find = AddAction(QStringLiteral("actFind"), QStringLiteral("查找下一个"),
                              QKeySequence(Qt::Key_F3), &TfrxPreviewForm::FindClick);
    connect(findEdit_, &QLineEdit::returnPressed, find, &QAction::trigger);
    toolBar_->addSeparator();

    QAction* close = toolBar_->addAction(QStringLiteral("关闭"));
    close->setObjectName(QStringLiteral("actClose"));
    ShowKeys(close);
    // Escape closes the dialog itself; the tooltip names it.
    close->setToolTip(WithKeys(close->text(), {QKeySequence(Qt::Key_Escape)}));
    connect(close, &QAction::triggered, this, &QDialog::reject);

    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != CurrentPage()) {
            GoToPage(page);
        }
    });
    connect(zoomBox_, &QComboBox::activated, this, &TfrxPreviewForm::ApplyZoom);
}

void TfrxPreviewForm::FocusKey(QWidget* box, const QString& name, const QKeySequence& key) {
    box->setAccessibleName(name);
    box->setToolTip(WithKeys(name, {key}));
    auto* action = new QAction(this);
    action->setShortcut(key);
    connect(action, &QAction::triggered, box, [box] { box->setFocus(Qt::ShortcutFocusReason); });
    addAction(action);
}

void TfrxPreviewForm::Run(const std::function<void()>& handler) {
    Guarded(report_.GetDialogs(), handler);
}

void TfrxPreviewForm::Execute() {
    if (report_.PreviewOptions.Maximized) {
        // A window manager may leave a dialog at its own size: the window takes the screen's
        // working area, and at least the size of the window it belongs to, before it asks to
        // be maximized.
        QRect area = screen()->availableGeometry();
        if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
            area.setSize(area.size().expandedTo(owner->size()));
        }
        setGeometry(area);
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    switch (report_.PreviewOptions.ZoomMode) {
        case TfrxReport::zmPageWidth:
            view_->SetFitMode(report::PageView::Fit::Width);
            break;
        case TfrxReport::zmWholePage:
            view_->SetFitMode(report::PageView::Fit::Page);
            break;
        case TfrxReport::zmDefault:
            view_->SetZoomFactor(report_.PreviewOptions.ZoomFactor);
            break;
    }
    UpdateZoomBox();
    GoToPage(1);
    view_->setFocus();
    exec();
}

void TfrxPreviewForm::Refresh() {
    const bool hasPages = report_.PreparedPageCount() > 0;
    view_->setVisible(hasPages);
    empty_->setVisible(!hasPages);
    for (QAction* a : toolBar_->actions()) {
        if (a->objectName() != u"actClose" && a->objectName() != u"actPageSetup") {
            a->setEnabled(hasPages);
        }
    }
    zoomBox_->setEnabled(hasPages);
    printer_.setPageLayout(report_.PageSetup());
    printer_.setFullPage(true);
    view_->SetReport(&report_.PreparedPages());
    UpdatePageControls();
}

void TfrxPreviewForm::UpdateZoomBox() {
    int index = -1;
    switch (view_->FitMode()) {
        case report::PageView::Fit::Width:
            index = kZoomStepCount;
            break;
        case report::PageView::Fit::Page:
            index = kZoomStepCount + 1;
            break;
        case report::PageView::Fit::None:
            index = zoomBox_->findText(Percent(view_->ZoomFactor()));
            break;
    }
    const QSignalBlocker block(zoomBox_);
    zoomBox_->setCurrentIndex(index);
    if (index < 0) {
        zoomBox_->setEditText(Percent(view_->ZoomFactor()));
    }
}

void TfrxPreviewForm::UpdatePageControls() {
    const int count = PageCount();
    const QSignalBlocker block(pageBox_);
    pageBox_->setRange(count > 0 ? 1 : 0, count);
    pageBox_->setValue(CurrentPage());
    pageCount_->setText(QStringLiteral(" / %1 页 ").arg(count));
    if (statusText_.isEmpty()) {
        status_->setText(count > 0
                             ? QStringLiteral("第 %1 页，共 %2 页").arg(CurrentPage()).arg(count)
                             : QStringLiteral("报表没有内容"));
    }
}

void TfrxPreviewForm::SetStatus(const QString& text) {
    statusText_ = text;
    status_->setText(text);
}

QString TfrxPreviewForm::StatusText() const {
    return status_->text();
}

int TfrxPreviewForm::CurrentPage() const {
    return view_->CurrentPage();
}

int TfrxPreviewForm::PageCount() const {
    return report_.PreparedPageCount();
}

void TfrxPreviewForm::GoToPage(int page) {
    if (PageCount() == 0) {
        return;
    }
    statusText_.clear();
    view_->SetCurrentPage(std::clamp(page, 1, PageCount()));
    UpdatePageControls();
}

void TfrxPreviewForm::ApplyZoom(int index) {
    if (index >= 0 && index < kZoomStepCount) {
        view_->SetZoomFactor(report::kZoomSteps[index]);
    } else if (index == kZoomStepCount) {
        view_->SetFitMode(report::PageView::Fit::Width);
    } else if (index == kZoomStepCount + 1) {
        view_->SetFitMode(report::PageView::Fit::Page);
    }
    UpdateZoomBox();
}

void TfrxPreviewForm::ApplyTypedZoom() {
    QString text = zoomBox_->currentText();
    const int index = zoomBox_->findText(text);
    if (index >= 0) {
        ApplyZoom(index);
        return;
    }
    text.remove(u'%');
    bool ok = false;
    const int percent = text.toInt(&ok);
    if (ok && percent > 0) {
        view_->SetZoomFactor(percent / 100.0);
    }
    UpdateZoomBox();
}

void TfrxPreviewForm::PrintClick() {
    const QPageLayout preset = printer_.pageLayout();
    QPrintDialog dialog(&printer_, this);
    dialog.setMinMax(1, PageCount());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const report::Sheets sheets = report::PrinterSheets(printer_, preset);
    // The next print dialog starts from the report's paper again.
    const auto reset = qScopeGuard([this] {
        printer_.setPageLayout(report_.PageSetup());
        printer_.setFullPage(true);
    });
    // Printing to a PDF file writes the exported document, whose text reads as printed, and
    // writes it as the export does: whole or not at all.
    if (report::WritesPdfFile(printer_)) {
        const QString path = printer_.outputFileName();
        report_.ExportToPdfFile(path, sheets);
        SetStatus(QStringLiteral("已打印到 %1").arg(path));
        return;
    }
    if (!report_.Print(printer_, sheets)) {
        report_.GetDialogs().Error(
            QStringLiteral("无法打印：打印机不可用。请检查打印机后重试，或导出为PDF。"));
    }
}

void TfrxPreviewForm::ExportPdfClick() {
    FileDialogState state;
    state.objectName = QStringLiteral("PdfSaveDialog");
    state.filter = QStringLiteral("PDF 文件|*.pdf");
    state.defaultExt = QStringLiteral("pdf");
    if (!report_.GetDialogs().Save(state)) {
        return;
    }
    report_.ExportToPdfFile(state.fileName);
    SetStatus(QStringLiteral("已导出到 %1").arg(state.fileName));
}

void TfrxPreviewForm::PageSetupClick() {
    TfrxPageSetupForm dialog(report_.PageSetup(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    report_.SetPageSetup(dialog.Layout());
    report_.PrepareReport();
    findPage_ = findItem_ = -1;
    statusText_.clear();
    Refresh();
}

void TfrxPreviewForm::FindClick() {
    const QString needle = findEdit_->text();
    const report::PreparedReport& prepared = report_.PreparedPages();
    if (needle.isEmpty() || prepared.pages.empty()) {
        return;
    }
    const int pages = static_cast<int>(prepared.pages.size());
    // From the item after the last hit, through every page once, back round to the start.
    int page = std::max(findPage_, 0);
    int item = findPage_ >= 0 ? findItem_ + 1 : 0;
    for (int visited = 0; visited <= pages; ++visited) {
        const std::vector<report::PreparedItem>& items =
            prepared.pages[static_cast<std::size_t>(page)].items;
        for (; item < static_cast<int>(items.size()); ++item) {
            if (items[static_cast<std::size_t>(item)].text.contains(needle, Qt::CaseInsensitive)) {
                findPage_ = page;
                findItem_ = item;
                view_->SetHighlight(page, item);
                GoToPage(page + 1);
                SetStatus(QStringLiteral("在第 %1 页找到“%2”").arg(page + 1).arg(needle));
                return;
            }
        }
        page = (page + 1) % pages;
        item = 0;
    }
    findPage_ = findItem_ = -1;
    view_->SetHighlight(-1, -1);
    SetStatus(QStringLiteral("未找到“%1”").arg(needle));
}

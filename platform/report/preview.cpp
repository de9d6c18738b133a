#include "platform/report/preview.h"

#include <QAction>
#include <QComboBox>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/guard.h"
#include "platform/report/pagesetup.h"
#include "platform/report/render.h"
#include "platform/report/report.h"

namespace {

struct Zoom {
    const char16_t* text;
    double factor;  // 0: fit width, -1: whole page
};
constexpr Zoom kZooms[] = {{u"50%", 0.5},  {u"75%", 0.75}, {u"100%", 1}, {u"125%", 1.25},
                           {u"150%", 1.5}, {u"200%", 2},   {u"页宽", 0}, {u"整页", -1}};
constexpr int kZoom100 = 2;

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
    view_ = new QPrintPreviewWidget(&printer_, this);
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

    connect(view_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        const report::PreparedReport& prepared = report_.PreparedPages();
        if (prepared.pages.empty()) {
            return;
        }
        QPainter painter(printer);
        report::PageRenderer renderer(prepared);
        for (int i = 0; i < static_cast<int>(prepared.pages.size()); ++i) {
            if (i > 0) {
                printer->newPage();
            }
            renderer.Paint(painter, i, i == findPage_ ? findItem_ : -1);
        }
    });
    connect(view_, &QPrintPreviewWidget::previewChanged, this,
            &TfrxPreviewForm::UpdatePageControls);
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
    connect(action, &QAction::triggered, this,
            [this, handler] { Run([&] { (this->*handler)(); }); });
    return action;
}

void TfrxPreviewForm::BuildToolBar() {
    AddAction(QStringLiteral("actPrint"), QStringLiteral("打印"), QKeySequence::Print,
              &TfrxPreviewForm::PrintClick);
    AddAction(QStringLiteral("actExportPdf"), QStringLiteral("导出PDF"), QKeySequence(),
              &TfrxPreviewForm::ExportPdfClick);
    AddAction(QStringLiteral("actPageSetup"), QStringLiteral("页面设置"), QKeySequence(),
              &TfrxPreviewForm::PageSetupClick);
    toolBar_->addSeparator();

    QAction* zoomOut = toolBar_->addAction(QStringLiteral("缩小"));
    zoomOut->setObjectName(QStringLiteral("actZoomOut"));
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    connect(zoomOut, &QAction::triggered, this, [this] { view_->zoomOut(1.25); });
    zoomBox_ = new QComboBox(toolBar_);
    zoomBox_->setObjectName(QStringLiteral("ZoomBox"));
    for (const Zoom& z : kZooms) {
        zoomBox_->addItem(QString::fromUtf16(z.text));
    }
    toolBar_->addWidget(zoomBox_);
    QAction* zoomIn = toolBar_->addAction(QStringLiteral("放大"));
    zoomIn->setObjectName(QStringLiteral("actZoomIn"));
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    connect(zoomIn, &QAction::triggered, this, [this] { view_->zoomIn(1.25); });
    toolBar_->addSeparator();

    const auto go = [this](const QString& name, const QString& text, const QKeySequence& key,
                           std::function<int()> target) {
        QAction* action = toolBar_->addAction(text);
        action->setObjectName(name);
        action->setShortcut(key);
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
    QAction* find = AddAction(QStringLiteral("actFind"), QStringLiteral("查找下一个"),
                              QKeySequence(Qt::Key_F3), &TfrxPreviewForm::FindClick);
    connect(findEdit_, &QLineEdit::returnPressed, find, &QAction::trigger);
    QAction* focusFind = new QAction(this);
    focusFind->setShortcut(QKeySequence::Find);
    connect(focusFind, &QAction::triggered, findEdit_, [this] { findEdit_->setFocus(); });
    addAction(focusFind);
    toolBar_->addSeparator();

    QAction* close = toolBar_->addAction(QStringLiteral("关闭"));
    close->setObjectName(QStringLiteral("actClose"));
    connect(close, &QAction::triggered, this, &QDialog::reject);

    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != CurrentPage()) {
            GoToPage(page);
        }
    });
    connect(zoomBox_, &QComboBox::activated, this, &TfrxPreviewForm::ApplyZoom);
}

void TfrxPreviewForm::Run(const std::function<void()>& handler) {
    Guarded(report_.GetDialogs(), handler);
}

void TfrxPreviewForm::Execute() {
    if (report_.PreviewOptions.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    view_->setZoomFactor(report_.PreviewOptions.ZoomFactor);
    zoomBox_->setCurrentIndex(report_.PreviewOptions.ZoomFactor == 1 ? kZoom100 : -1);
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
    printer_.setPageLayout(report_.PageSetup());
    printer_.setFullPage(true);
    view_->updatePreview();
    UpdatePageControls();
}

void TfrxPreviewForm::ShowPageTop() {
    // The page view centres the current page; a reader starts at its top left corner.
    auto* pageView = view_->findChild<QGraphicsView*>();
    const int page = CurrentPage();
    if (!pageView || !pageView->scene() || page < 1) {
        return;
    }
    QList<QGraphicsItem*> pages;
    for (QGraphicsItem* item : pageView->scene()->items()) {
        if (!item->parentItem()) {
            pages.append(item);
        }
    }
    std::sort(pages.begin(), pages.end(),
              [](QGraphicsItem* a, QGraphicsItem* b) { return a->y() < b->y(); });
    if (page <= pages.size()) {
        const QRectF r = pages[page - 1]->sceneBoundingRect();
        pageView->ensureVisible(QRectF(r.topLeft(), QSizeF(1, 1)), 10, 10);
    }
}

void TfrxPreviewForm::UpdatePageControls() {
    ShowPageTop();
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
    return report_.PreparedPageCount() > 0 ? view_->currentPage() : 0;
}

int TfrxPreviewForm::PageCount() const {
    return report_.PreparedPageCount();
}

void TfrxPreviewForm::GoToPage(int page) {
    if (PageCount() == 0) {
        return;
    }
    statusText_.clear();
    view_->setCurrentPage(std::clamp(page, 1, PageCount()));
    UpdatePageControls();
}

void TfrxPreviewForm::ApplyZoom(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kZooms))) {
        return;
    }
    const double factor = kZooms[index].factor;
    if (factor > 0) {
        view_->setZoomFactor(factor);
    } else {
        view_->setZoomMode(factor == 0 ? QPrintPreviewWidget::FitToWidth
                                       : QPrintPreviewWidget::FitInView);
    }
}

void TfrxPreviewForm::PrintClick() {
    QPrintDialog dialog(&printer_, this);
    dialog.setMinMax(1, PageCount());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const bool printed = report_.Print(printer_);
    Refresh();
    if (!printed) {
        report_.GetDialogs().Error(QStringLiteral("无法打印：打印机不可用。"));
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
                view_->updatePreview();
                GoToPage(page + 1);
                SetStatus(QStringLiteral("在第 %1 页找到“%2”").arg(page + 1).arg(needle));
                return;
            }
        }
        page = (page + 1) % pages;
        item = 0;
    }
    findPage_ = findItem_ = -1;
    view_->updatePreview();
    SetStatus(QStringLiteral("未找到“%1”").arg(needle));
}

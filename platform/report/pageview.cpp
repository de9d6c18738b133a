#include "platform/report/pageview.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/report/render.h"

namespace report {

namespace {

constexpr int kMargin = 12;  // px around the pages and between them
constexpr int kShadow = 3;
// Painted pages kept for scrolling back and forth, within a memory bound; the pages in view
// are always kept.
constexpr std::size_t kCachedPages = 12;
constexpr qsizetype kCachedBytes = qsizetype{96} << 20;

// What a screen reader gets from the view: its name (the page shown) and the page's lines as
// read-only text.
class PageViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit PageViewAccessible(PageView* view) : QAccessibleWidget(view, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        return s;
    }

    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return std::min(cursor_, characterCount()); }
    void setCursorPosition(int position) override { cursor_ = position; }
    QString text(int start, int end) const override {
        return Text().mid(start, std::max(0, end - start));
    }
    int characterCount() const override { return static_cast<int>(Text().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return QString();
    }

private:
    QString Text() const {
        const auto* view = static_cast<const PageView*>(object());
        return view->PageLines(view->CurrentPage()).join(u'\n');
    }
    int cursor_ = 0;
};

QAccessibleInterface* PageViewFactory(const QString& className, QObject* object) {
    auto* view = qobject_cast<PageView*>(object);
    if (view != nullptr && className == QLatin1StringView(PageView::staticMetaObject.className())) {
        return new PageViewAccessible(view);
    }
    return nullptr;
}

}  // namespace

PageView::PageView(QWidget* parent) : QAbstractScrollArea(parent) {
    // Installed once for the process: a second call with the same factory is ignored.
    QAccessible::installFactory(&PageViewFactory);
    setFocusPolicy(Qt::StrongFocus);
    // The vertical bar stays, so that the width a zoom fits to never depends on whether the
    // pages at that zoom need it.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(24);
    horizontalScrollBar()->setSingleStep(24);
}

PageView::~PageView() = default;

void PageView::SetReport(const PreparedReport* report) {
    report_ = report && !report->pages.empty() ? report : nullptr;
    renderer_ = report_ ? std::make_unique<PageRenderer>(*report_) : nullptr;
    cache_.clear();
    highlightPage_ = highlightItem_ = -1;
    painted_ = 0;
    current_ = report_ ? 1 : 0;
    Relayout();
    if (report_) {
        SetCurrentPage(1);
    }
    viewport()->update();
    UpdateAccessibleText();
    emit CurrentPageChanged(current_);
}

QStringList PageView::PageLines(int page) const {
    if (page < 1 || page > PageCount()) {
        return {};
    }
    const std::vector<PreparedItem>& items =
        report_->pages[static_cast<std::size_t>(page - 1)].items;
    std::vector<const PreparedItem*> order;
    for (const PreparedItem& item : items) {
        if (!item.text.trimmed().isEmpty()) {
            order.push_back(&item);
        }
    }
    std::stable_sort(order.begin(), order.end(), [](const PreparedItem* a, const PreparedItem* b) {
        return a->rect.top() < b->rect.top() ||
               (a->rect.top() == b->rect.top() && a->rect.left() < b->rect.left());
    });
    // A box whose middle lies within the height of the row's first box belongs to that row: the
    // cells of one printed line may differ in height.
    QStringList lines;
    std::vector<const PreparedItem*> row;
    const auto flush = [&] {
        std::stable_sort(row.begin(), row.end(), [](const PreparedItem* a, const PreparedItem* b) {
            return a->rect.left() < b->rect.left();
        });
        QStringList cells;
        for (const PreparedItem* item : row) {
            cells.append(item->text.simplified());
        }
        if (!cells.isEmpty()) {
            lines.append(cells.join(u'\t'));
        }
        row.clear();
    };
    for (const PreparedItem* item : order) {
        if (!row.empty() && (item->rect.center().y() < row.front()->rect.top() ||
                             item->rect.center().y() > row.front()->rect.bottom())) {
            flush();
        }
        row.push_back(item);
    }
    flush();
    return lines;
}

void PageView::UpdateAccessibleText() {
    setAccessibleName(
        report_ ? QStringLiteral("打印预览：第 %1 页，共 %2 页").arg(current_).arg(PageCount())
                : QStringLiteral("打印预览：没有页面"));
    if (!QAccessible::isActive()) {
        accessibleText_.clear();
        return;
    }
    const QString text = PageLines(current_).join(u'\n');
    if (text != accessibleText_) {
        QAccessibleTextUpdateEvent event(this, 0, accessibleText_, text);
        accessibleText_ = text;
        QAccessible::updateAccessibility(&event);
    }
}

int PageView::PageCount() const {
    return report_ ? static_cast<int>(report_->pages.size()) : 0;
}

void PageView::SetCurrentPage(int page) {
    if (PageCount() == 0) {
        return;
    }
    page = std::clamp(page, 1, PageCount());
    const bool changed = page != current_;
    current_ = page;
    scrolling_ = true;
    verticalScrollBar()->setValue(tops_[static_cast<std::size_t>(page - 1)] - kMargin);
    scrolling_ = false;
    viewport()->update();
    if (changed) {
        UpdateAccessibleText();
        emit CurrentPageChanged(current_);
    }
}

double PageView::PixelsPerMm(double factor) const {
    return factor * logicalDpiX() / 25.4;
}

double PageView::FitFactor() const {
    if (!report_) {
        return factor_;
    }
    double widest = 0;
    double tallest = 0;
    for (const PreparedPage& p : report_->pages) {
        widest = std::max(widest, p.width);
        tallest = std::max(tallest, p.height);
    }
    const double pxPerMm = PixelsPerMm(1);
    // The width beside the vertical bar; a fitting zoom needs no horizontal one.
    const QSize area = maximumViewportSize();
    const double width = std::max(1, area.width() - 2 * kMargin);
    const double height = std::max(1, area.height() - 2 * kMargin);
    double f = width / (widest * pxPerMm);
    if (fit_ == Fit::Page) {
        f = std::min(f, height / (tallest * pxPerMm));
    }
    return std::clamp(f, kMinZoom, kMaxZoom);
}

void PageView::Relayout() {
    // Where the current page is in the view, to keep it there.
    int anchor = -1;
    int offset = 0;
    int oldHeight = 1;
    double centre = 0.5;
    if (current_ > 0 && current_ <= static_cast<int>(tops_.size())) {
        anchor = current_ - 1;
        offset = verticalScrollBar()->value() - tops_[static_cast<std::size_t>(anchor)];
        oldHeight = std::max(1, sizes_[static_cast<std::size_t>(anchor)].height());
        if (contentWidth_ > 0) {
            centre = (horizontalScrollBar()->value() + viewport()->width() / 2.0) / contentWidth_;
        }
    }
    if (fit_ != Fit::None) {
        factor_ = FitFactor();
    }
    const bool zoomed = factor_ != laidOutFactor_;
    laidOutFactor_ = factor_;
    if (zoomed) {
        cache_.clear();
    }

    tops_.clear();
    sizes_.clear();
    contentWidth_ = contentHeight_ = 0;
    if (report_) {
        const double pxPerMm = PixelsPerMm(factor_);
        tops_.reserve(report_->pages.size());
        sizes_.reserve(report_->pages.size());
        int y = kMargin;
        int widest = 0;
        for (const PreparedPage& p : report_->pages) {
            const QSize size(std::max(1, static_cast<int>(std::lround(p.width * pxPerMm))),
                             std::max(1, static_cast<int>(std::lround(p.height * pxPerMm))));
            tops_.push_back(y);
            sizes_.push_back(size);
            y += size.height() + kMargin;
            widest = std::max(widest, size.width());
        }
        contentHeight_ = y;
        contentWidth_ = widest + 2 * kMargin;
    }

    // The view's size once the horizontal bar shows where the pages need it.
    const QSize area = maximumViewportSize();
    const int barHeight =
        style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, horizontalScrollBar());
    const bool horizontal = contentWidth_ > area.width();
    const QSize view(area.width(), area.height() - (horizontal ? barHeight : 0));
    scrolling_ = true;
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, contentHeight_ - view.height()));
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth_ - view.width()));
    if (anchor >= 0 && anchor < static_cast<int>(tops_.size())) {
        const int height = sizes_[static_cast<std::size_t>(anchor)].height();
        const int inPage =
            offset <= 0
                ? offset
                : static_cast<int>(std::lround(static_cast<double>(offset) * height / oldHeight));
        verticalScrollBar()->setValue(tops_[static_cast<std::size_t>(anchor)] + inPage);
        horizontalScrollBar()->setValue(
            static_cast<int>(std::lround(centre * contentWidth_ - view.width() / 2.0)));
    }
    scrolling_ = false;
    viewport()->update();
    if (zoomed) {
        emit ZoomChanged();
    }
}

void PageView::SetFactor(double factor, Fit fit) {
    const bool fitChanged = fit != fit_;
    const double laidOut = laidOutFactor_;
    fit_ = fit;
    factor_ = std::clamp(factor, kMinZoom, kMaxZoom);
    Relayout();
    // Relayout tells a new factor; a new fit mode at the same factor is a change too.
    if (fitChanged && factor_ == laidOut) {
        emit ZoomChanged();
    }
}

void PageView::SetZoomFactor(double factor) {
    SetFactor(factor, Fit::None);
}

void PageView::SetFitMode(Fit fit) {
    SetFactor(factor_, fit);
}

void PageView::ZoomIn() {
    for (double step : kZoomSteps) {
        if (step > factor_ * 1.001) {
            SetZoomFactor(step);
            return;
        }
    }
}

void PageView::ZoomOut() {
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it) {
        if (*it < factor_ * 0.999) {
            SetZoomFactor(*it);
            return;
        }
    }
}

void PageView::SetHighlight(int page, int item) {
    DropCached(highlightPage_);
    highlightPage_ = page;
    highlightItem_ = item;
    DropCached(page);
    viewport()->update();
}

void PageView::DropCached(int index) {
    cache_.remove_if([index](const Cached& c) { return c.page == index; });
}

QRect PageView::PageRect(int page) const {
    if (page < 1 || page > static_cast<int>(tops_.size())) {
        return {};
    }
    const QSize size = sizes_[static_cast<std::size_t>(page - 1)];
    const int inner = contentWidth_ - 2 * kMargin;
    const int x = contentWidth_ <= viewport()->width()
                      ? (viewport()->width() - size.width()) / 2
                      : kMargin + (inner - size.width()) / 2 - horizontalScrollBar()->value();
    return QRect(
        QPoint(x, tops_[static_cast<std::size_t>(page - 1)] - verticalScrollBar()->value()), size);
}

const QImage& PageView::PageImage(int index) {
    const auto hit = std::find_if(cache_.begin(), cache_.end(),
                                  [index](const Cached& c) { return c.page == index; });
    if (hit != cache_.end()) {
        cache_.splice(cache_.begin(), cache_, hit);
        return cache_.front().image;
    }
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize size = sizes_[static_cast<std::size_t>(index)];
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        const double pxPerMm = size.width() / report_->pages[static_cast<std::size_t>(index)].width;
        renderer_->PaintScaled(painter, index, pxPerMm,
                               index == highlightPage_ ? highlightItem_ : -1);
    }
    ++painted_;
    cache_.push_front({index, std::move(image)});
    return cache_.front().image;
}

void PageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    if (!report_) {
        return;
    }
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height();
    // The last page that starts above the view's top is the first one in view.
    auto first = std::upper_bound(tops_.begin(), tops_.end(), top);
    const int from = first == tops_.begin() ? 0 : static_cast<int>(first - tops_.begin()) - 1;
    std::size_t shown = 0;
    for (int i = from; i < static_cast<int>(tops_.size()) && tops_[i] < bottom; ++i) {
        const QRect r = PageRect(i + 1);
        if (!r.adjusted(0, 0, kShadow, kShadow).intersects(event->rect())) {
            continue;
        }
        painter.fillRect(r.translated(kShadow, kShadow), palette().color(QPalette::Shadow));
        painter.drawImage(r.topLeft(), PageImage(i));
        ++shown;
    }
    // Older pages go while the memory bound or the count is passed; those in view stay.
    qsizetype bytes = 0;
    for (const Cached& c : cache_) {
        bytes += c.image.sizeInBytes();
    }
    while (cache_.size() > shown && (cache_.size() > kCachedPages || bytes > kCachedBytes)) {
        bytes -= cache_.back().image.sizeInBytes();
        cache_.pop_back();
    }
}

void PageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void PageView::scrollContentsBy(int, int) {
    viewport()->update();
    if (!scrolling_) {
        UpdateCurrentFromScroll();
    }
}

void PageView::UpdateCurrentFromScroll() {
    if (tops_.empty()) {
        return;
    }
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height();
    auto first = std::upper_bound(tops_.begin(), tops_.end(), top);
    int i = first == tops_.begin() ? 0 : static_cast<int>(first - tops_.begin()) - 1;
    int best = i;
    int bestShown = -1;
    for (; i < static_cast<int>(tops_.size()) && tops_[i] < bottom; ++i) {
        const int shown = std::min(bottom, tops_[i] + sizes_[i].height()) - std::max(top, tops_[i]);
        if (shown > bestShown) {
            best = i;
            bestShown = shown;
        }
    }
    if (best + 1 != current_) {
        current_ = best + 1;
        UpdateAccessibleText();
        emit CurrentPageChanged(current_);
    }
}

void PageView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() > 0) {
            ZoomIn();
        } else if (event->angleDelta().y() < 0) {
            ZoomOut();
        }
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

}  // namespace report

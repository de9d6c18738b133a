// The page area of the preview: the prepared pages one under the other, painted only when they
// come into view and kept for a few pages, so that a report of thousands of pages opens as fast
// as one of a single page and takes no memory per page beyond its prepared boxes.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <list>
#include <memory>
#include <vector>

#include "platform/report/layout.h"

namespace report {

class PageRenderer;

// The steps of zooming in and out: 25% to 400%.
inline constexpr double kZoomSteps[] = {0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 3, 4};
inline constexpr double kMinZoom = 0.1;
inline constexpr double kMaxZoom = 5;

class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Fit { None, Width, Page };

    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // Shows the pages (none for nullptr) from the top of the first page; call again after the
    // report was prepared anew. The report must outlive the view or the next call.
    void SetReport(const PreparedReport* report);

    int PageCount() const;
    // 1-based; the page the user reads: the one shown largest, or the one last gone to. 0
    // without pages.
    int CurrentPage() const { return current_; }
    // Scrolls the page's top to the top of the view.
    void SetCurrentPage(int page);

    // The zoom in use: 1 shows a page at its printed size.
    double ZoomFactor() const { return factor_; }
    Fit FitMode() const { return fit_; }
    // A fixed zoom, within kMinZoom and kMaxZoom.
    void SetZoomFactor(double factor);
    // The zoom that fits the widest page's width, or a whole page, into the view; it follows
    // the view's size.
    void SetFitMode(Fit fit);
    // The next step of kZoomSteps above or below the zoom in use.
    void ZoomIn();
    void ZoomOut();

    // Marks the item (0-based page and item index; -1 for none).
    void SetHighlight(int page, int item);

    // Where the page (1-based) is, in the coordinates of the viewport.
    QRect PageRect(int page) const;
    // How many times a page was painted since the report was set: the view paints only what
    // is shown.
    int PagesPainted() const { return painted_; }

    // The text of a page (1-based) as lines in reading order: its boxes row by row from the
    // top, each row's texts from the left, separated by tabs. A screen reader reads the page
    // shown through the view's text interface, and the view's name says which page it is.
    QStringList PageLines(int page) const;

signals:
    void CurrentPageChanged(int page);
    void ZoomChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct Cached {
        int page;
        QImage image;
    };

    double PixelsPerMm(double factor) const;
    double FitFactor() const;
    // Page positions at the zoom in use; keeps the current page where it was in the view.
    void Relayout();
    void SetFactor(double factor, Fit fit);
    void UpdateCurrentFromScroll();
    const QImage& PageImage(int index);
    void DropCached(int index);
    // The name and text a screen reader gets for the page in view.
    void UpdateAccessibleText();

    const PreparedReport* report_ = nullptr;
    std::unique_ptr<PageRenderer> renderer_;
    std::vector<int> tops_;  // content y of each page's top
    std::vector<QSize> sizes_;
    int contentWidth_ = 0;
    int contentHeight_ = 0;
    double factor_ = 1;
    double laidOutFactor_ = 1;  // the factor of tops_ and sizes_
    Fit fit_ = Fit::None;
    int current_ = 0;
    bool scrolling_ = false;  // the view scrolls itself; the current page stays
    int highlightPage_ = -1;
    int highlightItem_ = -1;
    std::list<Cached> cache_;  // most recently used first
    int painted_ = 0;
    QString accessibleText_;  // the lines of the page in view, as last told
};

}  // namespace report

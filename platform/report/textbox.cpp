#include "platform/report/textbox.h"

#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace report {

namespace {

QTextOption WrapOption(Qt::Alignment align) {
    QTextOption option(align & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    return option;
}

// Breaks the text into lines of at most width units; returns the height in units.
double BreakLines(QTextLayout& layout, double width) {
    layout.beginLayout();
    double height = 0;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

QString ForLayout(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\n', QChar::LineSeparator);
    return t;
}

}  // namespace

QFont MakeFont(const FontDef& fontDef) {
    QFont font;
    font.setFamilies({fontDef.name, QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(fontDef.height * 10))));
    font.setBold(fontDef.bold);
    font.setItalic(fontDef.italic);
    font.setUnderline(fontDef.underline);
    font.setHintingPreference(QFont::PreferNoHinting);
    // Text is drawn with the glyphs the font's character map names, without OpenType
    // substitutions (scripts that cannot do without them are still shaped): Qt's PDF writer
    // names a glyph in the document's text only through that map. Shaped, a CJK font draws the
    // digits of "E001" in a Latin run with glyphs no character names, and "fi" as a ligature;
    // the PDF would read "E" and "ﬁ".
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferNoShaping));
    return font;
}

TextMeasure::TextMeasure(const FontDef& fontDef)
    : font_(MakeFont(fontDef)), metrics_(font_), lineHeight_(metrics_.height() / kUnitsPerMm) {}

double TextMeasure::NaturalWidth(const QString& text) const {
    if (!text.contains(u'\n')) {
        return metrics_.horizontalAdvance(text) / kUnitsPerMm;
    }
    double width = 0;
    for (const QString& line : text.split(u'\n')) {
        width = std::max(width, metrics_.horizontalAdvance(line) / kUnitsPerMm);
    }
    return width;
}

double TextMeasure::WrappedHeight(const QString& text, double width) const {
    QTextLayout layout(ForLayout(text), font_);
    layout.setTextOption(WrapOption(Qt::AlignLeft));
    return BreakLines(layout, width * kUnitsPerMm) / kUnitsPerMm;
}

void DrawBox(QPainter& painter, const QRectF& rectMm, const QString& text, const TextStyle& style,
             const QFont& font, bool wrap, bool clip) {
    const QRectF r(rectMm.x() * kUnitsPerMm, rectMm.y() * kUnitsPerMm, rectMm.width() * kUnitsPerMm,
                   rectMm.height() * kUnitsPerMm);
    if (style.fill.isValid()) {
        painter.fillRect(r, style.fill);
    }
    if (!text.isEmpty()) {
        const double gx = style.gapX * kMmPerPx * kUnitsPerMm;
        const double gy = style.gapY * kMmPerPx * kUnitsPerMm;
        const QRectF inner = r.adjusted(gx, gy, -gx, -gy);
        painter.save();
        if (clip) {
            painter.setClipRect(r);
        }
        painter.setFont(font);
        painter.setPen(style.font.color);
        if (!wrap) {
            painter.drawText(inner, static_cast<int>(style.align) | Qt::TextDontClip, text);
        } else {
            QTextLayout layout(ForLayout(text), font);
            layout.setTextOption(WrapOption(style.align));
            const double height = BreakLines(layout, inner.width());
            double top = inner.top();
            if (style.align & Qt::AlignVCenter) {
                top += (inner.height() - height) / 2;
            } else if (style.align & Qt::AlignBottom) {
                top += inner.height() - height;
            }
            layout.draw(&painter, QPointF(inner.left(), top));
        }
        painter.restore();
    }
    if (style.frame != 0) {
        QPen pen(style.frameColor);
        pen.setWidthF(style.frameWidth * kMmPerPx * kUnitsPerMm);
        painter.setPen(pen);
        if (style.frame & kFrameLeft) {
            painter.drawLine(r.topLeft(), r.bottomLeft());
        }
        if (style.frame & kFrameTop) {
            painter.drawLine(r.topLeft(), r.topRight());
        }
        if (style.frame & kFrameRight) {
            painter.drawLine(r.topRight(), r.bottomRight());
        }
        if (style.frame & kFrameBottom) {
            painter.drawLine(r.bottomLeft(), r.bottomRight());
        }
    }
}

}  // namespace report

// Fonts, text measuring and text drawing shared by the layout and the painting, so that a text
// breaks into the same lines on every device. Text is laid out in a logical space of 960 units
// per inch (10 per report pixel); the painter scales that space to the device.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QRectF>
#include <QString>

#include "platform/report/reportobjects.h"

class QPainter;

namespace report {

inline constexpr double kUnitsPerInch = 960;
inline constexpr double kUnitsPerMm = kUnitsPerInch / 25.4;
inline constexpr double kMmPerPx = 25.4 / 96;

// The font a template describes: its family first, then installed CJK serif fonts.
QFont MakeFont(const FontDef& fontDef);

// Measures texts in one font, in millimetres.
class TextMeasure {
public:
    explicit TextMeasure(const FontDef& fontDef);
    const QFont& Font() const { return font_; }
    // Height of one line.
    double LineHeight() const { return lineHeight_; }
    // Width of the text on one line; a text with line breaks is as wide as its widest line.
    double NaturalWidth(const QString& text) const;
    // Height of the text broken into lines of at most width.
    double WrappedHeight(const QString& text, double width) const;

private:
    QFont font_;
    QFontMetricsF metrics_;
    double lineHeight_;
};

// Paints a box in the style: background, frame, and the text inside the gaps. wrap breaks the
// text into lines as TextMeasure::WrappedHeight does; clip keeps it inside the box. The painter
// draws in the logical space (kUnitsPerMm units per millimetre).
void DrawBox(QPainter& painter, const QRectF& rectMm, const QString& text, const TextStyle& style,
             const QFont& font, bool wrap, bool clip);

}  // namespace report

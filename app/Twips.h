#pragma once

#include <QRect>
#include <QtMath>

namespace qf {

// Window layouts are stored in twips, 1440 to the inch; dpi is the screen's logical DPI.
inline int TwipsToPixels(int twips, qreal dpi)
{
    return qRound(twips * dpi / 1440.0);
}

inline QRect TwipsRect(int left, int top, int width, int height, qreal dpi)
{
    return QRect(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
                 TwipsToPixels(height, dpi));
}

} // namespace qf

#pragma once

#include <QColor>

class QProgressBar;

namespace qf {

// Paints the bar's filled part in colour, in the style the window uses.
void SetBarColor(QProgressBar *bar, const QColor &colour);

// The colour last given with SetBarColor; an invalid colour when none was.
QColor BarColorOf(const QProgressBar *bar);

} // namespace qf

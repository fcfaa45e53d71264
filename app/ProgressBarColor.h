#pragma once

#include <QColor>
#include <QtGlobal>

class QProgressBar;

namespace qf {

// 0x00BBGGRR, red in the lowest byte, as the colour values are stored.
QColor ColorFromBgr(quint32 colour);

// Paints the bar's filled part in colour (0x00BBGGRR), in the style the window uses.
void SetBarColor(QProgressBar *bar, quint32 colour);

// The colour last given with SetBarColor, 0 when none was.
quint32 BarColorOf(const QProgressBar *bar);

} // namespace qf

#include "app/ProgressBarColor.h"

#include <QPalette>
#include <QProgressBar>

namespace qf {
namespace {
const char *const kColourProperty = "quirefoldBarColor";
}

QColor ColorFromBgr(quint32 colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

void SetBarColor(QProgressBar *bar, quint32 colour)
{
    // The window's style (Fusion) fills the bar with the palette's highlight, in every state.
    QPalette palette = bar->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Highlight, ColorFromBgr(colour));
    bar->setPalette(palette);
    bar->setProperty(kColourProperty, colour);
    bar->update();
}

quint32 BarColorOf(const QProgressBar *bar)
{
    return bar->property(kColourProperty).toUInt();
}

} // namespace qf

#include "app/ProgressBarColor.h"

#include <QPalette>
#include <QProgressBar>

namespace qf {
namespace {
const char *const kColourProperty = "quirefoldBarColor";
}

void SetBarColor(QProgressBar *bar, const QColor &colour)
{
    // The window's style (Fusion) fills the bar with the palette's highlight, in every state.
    QPalette palette = bar->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Highlight, colour);
    bar->setPalette(palette);
    bar->setProperty(kColourProperty, colour);
    bar->update();
}

QColor BarColorOf(const QProgressBar *bar)
{
    return bar->property(kColourProperty).value<QColor>();
}

} // namespace qf

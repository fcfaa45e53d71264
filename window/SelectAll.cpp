#include "window/SelectAll.h"

namespace qf {

void SetAllSelected(TickList &list, bool value)
{
    const int count = list.ListCount();
    for (int i = 0; i < count; ++i)
        list.SetSelected(i, value);
}

} // namespace qf

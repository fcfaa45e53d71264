#include "window/SelectAll.h"

namespace qf {

void SetAllSelected(TickList &list, bool value)
{
    const int count = list.Count();
    for (int i = 0; i < count; ++i)
        list.SetTicked(i, value);
}

} // namespace qf

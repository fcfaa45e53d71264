#pragma once

#include "window/Controls.h"

namespace qf {

// Ticks (true) or unticks (false) every item; the current item and the order stay.
void SetAllSelected(TickList &list, bool value);

} // namespace qf

#pragma once
// The strip of query tabs the main window holds.
#include "TabStripStandIn.h"

using QueryTabStrip = TabStripStandIn;

#pragma once
// The strip of query tabs the main window holds.
#include "controls/MaxTab.h"

using QueryTabStrip = MaxTab;

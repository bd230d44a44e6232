#pragma once
// Feeds a speed graph the way the detailed progress view does during a copy of 3 GiB
// whose speed wanders between about 40 and 110 MB/s: positions scaled by the range
// divisor, the speed range raised by the 80 % rule, each point with its speed label.
// For screenshots that should look like a real copy.
#include "ui/CGraphProgressControl.h"

void FeedSampleCopy(CGraphProgressControl& graph, int percentDone);

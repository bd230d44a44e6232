#include "tests/ui/GraphSamples.h"

#include <cmath>

#include "ui/ProgressRules.h"

void FeedSampleCopy(CGraphProgressControl& graph, int percentDone) {
    const unsigned long long total = 3ull << 30;
    const long long d = ProgressRules::RangeDivisor(total);
    graph.SetMarquee(FALSE, 100);
    graph.SetRange(0, ProgressRules::ScaledPosition(total, d));
    graph.SetSpeedRange(0, 0);
    for (int step = 0; step <= percentDone * 4; ++step) {
        const double t = step / 400.0;
        const double megabytes = 60 + 25 * std::sin(t * 23) + 12 * std::sin(t * 71) + 30 * t;
        const auto speed = static_cast<unsigned long long>(megabytes * 1048576);
        int bottom = 0, top = 0;
        graph.GetSpeedRange(bottom, top);
        const int s = ProgressRules::GraphSpeed(speed);
        const int newTop = ProgressRules::SpeedRangeTop(s, top);
        if (newTop != top) graph.SetSpeedRange(0, newTop);
        const CGraphProgressControl::VData point(s, ProgressRules::SpeedLabel(speed));
        graph.SetPos(ProgressRules::ScaledPosition(total / 400 * step, d), &point);
    }
}

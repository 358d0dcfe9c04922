#include "osc/SweepOverlay.h"

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/TraceGeometry.h"
#include "store/uSignalsData.h"

namespace kvaril {

std::vector<TOverlayRun> OverlayRuns(const TSweepShown& sweep, int signalCount, int quantCount) {
    std::vector<TOverlayRun> runs;
    const std::vector<TSweepRun>& all = sweep.Result.Runs;
    for (size_t run = 0; run < all.size(); ++run) {
        if (!all[run].Ok() || !all[run].Signals) continue;
        const TSignalsData& data = all[run].Signals->Data();
        if (data.SignalCount() < signalCount || data.SampleCount() < quantCount) continue;
        const int index = static_cast<int>(run);
        runs.push_back({index, sweep.Sweep.DisplayLabel(index), all[run].Signals.get()});
    }
    return runs;
}

double OverlayAutoMax(const std::vector<TOverlayRun>& runs,
                      const std::vector<const TBeam*>& beams) {
    double m = 0;
    for (const TOverlayRun& run : runs) {
        const TSignalsData& data = run.Signals->Data();
        for (const TBeam* b : beams) {
            if (b->Gain() != 0 || b->SignalIndex() < 0 || b->SignalIndex() >= data.SignalCount())
                continue;
            const double own = AutoScaleMax(data, b->SignalIndex());
            if (own > m) m = own;  // a NaN never wins
        }
    }
    return m;
}

}  // namespace kvaril

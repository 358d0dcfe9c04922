#include "model/AfterRun.h"

#include <new>

#include "document/uSignal.h"
#include "model/RunHistory.h"
#include "model/uSignalsData.h"
#include "osc/uBeam.h"

namespace kvaril {

void FinishRun(TSignals& signals, TOsc& osc, TRunHistory* history, std::time_t when) {
    signals.Data().CalcMaxima();
    osc.SyncWithSignals(signals);
    if (!history) return;
    try {
        history->Add(CaptureRun(signals, when));
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace kvaril

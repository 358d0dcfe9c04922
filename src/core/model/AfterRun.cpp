#include "model/AfterRun.h"

#include <new>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "model/RunHistory.h"
#include "store/StoreBudget.h"
#include "store/uSignalsData.h"

namespace kvaril {

std::string FinishRun(TSignals& signals, TOsc& osc, TRunHistory* history, std::time_t when) {
    signals.Data().CalcMaxima();
    osc.SyncWithSignals(signals);
    if (!history) return {};
    const TSignalsData& data = signals.Data();
    const unsigned long long bytes = StoreBytes(data.SignalCount(), data.SampleCount());
    if (bytes > history->Budget())
        return "Прогон не сохранен в истории для сравнения: " + FormatBytes(bytes) +
               " больше отведенных " + FormatBytes(history->Budget());
    try {
        history->Add(CaptureRun(signals, when));
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (history->Dropped() > 0)
        return "Из истории прогонов удалено старых прогонов: " +
               std::to_string(history->Dropped()) + " (память истории - не более " +
               FormatBytes(history->Budget()) + ")";
    return {};
}

}  // namespace kvaril

#pragma once
// A document made by hand for a test, with a "run" whose samples the test chooses: the named
// signals, the times, and the store of their size, filled as if the model had computed it.

#include <functional>
#include <initializer_list>
#include <memory>

#include "document/uSignal.h"
#include "model/AfterRun.h"
#include "store/uSignalsData.h"

namespace kvaril {

// Sample q of signal s: value(s, q).
using TSampleOf = std::function<double(int signal, int quantum)>;

// Appends signals `names` to `signals`, sets QuantTime and TotalTime, sizes the store and fills
// it. The maxima are left to the test, as some look at a store before they are computed: a test
// that wants the state after a real run calls FinishRun (AfterRun.h), as the window does.
inline void MakeHandRun(TSignals& signals, std::initializer_list<const char*> names,
                        double quantTime, double totalTime, const TSampleOf& value) {
    for (const char* name : names) {
        auto signal = std::make_unique<TSignal>(signals);
        signal->SetName(name);
        signals.Insert(std::move(signal), -1);
    }
    signals.SetQuantTime(quantTime);
    signals.SetTotalTime(totalTime);
    TSignalsData& d = signals.Data();
    d.SetSize(signals.Count(), signals.QuantCount());
    for (int s = 0; s < d.SignalCount(); ++s)
        for (int q = 0; q < d.SampleCount(); ++q) d.SetData(s, q, value(s, q));
}

}  // namespace kvaril

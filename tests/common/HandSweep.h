#pragma once
// A finished sweep made by hand for a test: one constant "Fc" with the given values, each run
// a copy of `document`'s signals and times with samples the test chooses, as RunSweep leaves
// them (maxima computed); the runs listed in `failed` have no samples, as a failed run has none.

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "HandRun.h"
#include "sweep/SweepShown.h"

namespace kvaril {

// Sample q of signal s in run r: value(r, s, q).
using TRunSampleOf = std::function<double(int run, int signal, int quantum)>;

inline TSweepShownPtr MakeHandSweep(const TSignals& document, const std::vector<double>& values,
                                    const TRunSampleOf& value, const std::set<int>& failed = {}) {
    auto shown = std::make_shared<TSweepShown>();
    TSweepParameter parameter;
    parameter.Constant.Name = "Fc";
    parameter.Label = "Fc";
    parameter.Values.Values = values;
    shown->Sweep.Parameters.push_back(parameter);
    for (int r = 0; r < static_cast<int>(values.size()); ++r) {
        TSweepRun run;
        run.Signals = std::make_unique<TSignals>();
        run.Signals->CopyFrom(document);
        run.Outcome.Ok = failed.count(r) == 0;
        if (run.Outcome.Ok) {
            TSignalsData& d = run.Signals->Data();
            d.SetSize(document.Count(), document.QuantCount());
            for (int s = 0; s < d.SignalCount(); ++s)
                for (int q = 0; q < d.SampleCount(); ++q) d.SetData(s, q, value(r, s, q));
            d.CalcMaxima();
        }
        shown->Result.Runs.push_back(std::move(run));
    }
    return shown;
}

}  // namespace kvaril

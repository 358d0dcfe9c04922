#pragma once
// A finished sweep made by hand for a test: one constant "Fc" with the given values, each run
// a copy of `document`'s signals and times with samples the test chooses, as RunSweep leaves
// them (maxima computed); the runs listed in `failed` have no samples, as a failed run has none.
// Or one or two constants of any values, the samples chosen from each run's values.

#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
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

// One or two constants with their values; signals `names` with times `quantTime`, `totalTime`.
struct THandParameter {
    std::string Label;
    std::vector<double> Values;
    bool Logarithmic = false;
};

// Sample q of signal s in the run with these swept values.
using TSweepSampleOf =
    std::function<double(const std::vector<double>& values, int signal, int quantum)>;

inline std::shared_ptr<TSweepShown> MakeHandSweep(std::initializer_list<const char*> names,
                                                  double quantTime, double totalTime,
                                                  const std::vector<THandParameter>& parameters,
                                                  const TSweepSampleOf& value,
                                                  const std::set<int>& failed = {}) {
    auto shown = std::make_shared<TSweepShown>();
    for (const THandParameter& p : parameters) {
        TSweepParameter parameter;
        parameter.Constant.Name = p.Label;
        parameter.Constant.Numeric = true;
        parameter.Values.Values = p.Values;
        parameter.Values.Logarithmic = p.Logarithmic;
        parameter.Label = p.Label;
        shown->Sweep.Parameters.push_back(std::move(parameter));
    }
    for (int run = 0; run < shown->Sweep.RunCount(); ++run) {
        TSweepRun r;
        r.Signals = std::make_unique<TSignals>();
        if (failed.count(run)) {
            r.Outcome = TModelOutcome::Failure("Ошибка", "сбой");
            shown->Result.Failures.push_back(
                {run, shown->Sweep.RunLabel(run), "", "Компиляция", "Ошибка\nсбой"});
        } else {
            const std::vector<double> values = shown->Sweep.ValuesOf(run);
            MakeHandRun(*r.Signals, names, quantTime, totalTime,
                        [&](int s, int q) { return value(values, s, q); });
            r.Outcome = TModelOutcome::Success();
        }
        shown->Result.Runs.push_back(std::move(r));
    }
    return shown;
}

}  // namespace kvaril

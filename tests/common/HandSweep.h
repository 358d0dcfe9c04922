#pragma once
// A finished sweep made by hand: its constants and values, and each run's samples as the test
// chooses them from the run's values. Failed runs have no samples, as after a real sweep.

#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "HandRun.h"
#include "sweep/SweepShown.h"

namespace kvaril {

struct THandParameter {
    std::string Label;
    std::vector<double> Values;
    bool Logarithmic = false;
};

// Sample q of signal s in the run with these swept values.
using TRunSampleOf =
    std::function<double(const std::vector<double>& values, int signal, int quantum)>;

inline std::shared_ptr<TSweepShown> MakeHandSweep(std::initializer_list<const char*> names,
                                                  double quantTime, double totalTime,
                                                  const std::vector<THandParameter>& parameters,
                                                  const TRunSampleOf& value,
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

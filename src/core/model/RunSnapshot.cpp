#include "model/RunSnapshot.h"

#include <cstdio>

#include "base/RussianCount.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"

namespace kvaril {

std::unique_ptr<TSignals> CopyForRun(const TSignals& signals) {
    auto copy = std::make_unique<TSignals>();
    copy->CopyFrom(signals);
    copy->Modified = false;
    // An empty store rather than none: whatever asks for its size gets 0.
    copy->Data().SetSize(copy->Count(), 0);
    return copy;
}

std::string RunKey(TSignals& copy) {
    char times[64];
    std::snprintf(times, sizeof times, "%.17g %.17g\n", copy.QuantTime(), copy.TotalTime());
    std::string key = times;
    for (const std::string& line : GenerateUnit(copy)) key += line + '\n';
    return key;
}

std::string StaleNote(int errors) {
    return "устарело: " + RussianCount(errors, "ошибка", "ошибки", "ошибок");
}

}  // namespace kvaril

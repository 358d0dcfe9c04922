// What the compiler printed, read back into the signal and line of a message: whatever the log
// says, the outcome points into the document or nowhere.

#include <cstdlib>

#include "FuzzText.h"
#include "document/uSignal.h"
#include "model/CompilerLog.h"
#include "model/FpcDiagnostics.h"

using namespace kvaril;

namespace {

// Two signals of a few lines, the second using the first.
const TSignals& Document() {
    static TSignals* signals = [] {
        auto* s = new TSignals;
        for (const char* name : {"Gen", "Out"}) {
            auto signal = std::make_unique<TSignal>(*s);
            signal->SetName(name);
            s->Insert(std::move(signal), -1);
        }
        s->Items(1).Lines().push_back("  Value := Gen.Value * 2;");
        return s;
    }();
    return *signals;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string log = fuzz::Text(data, size);
    const std::vector<std::string> unit{"unit kvm;", "interface", "var Gen: Double;", "end."};
    const TSignals& signals = Document();
    const TModelOutcome outcome = ParseCompilerLog(log, signals, unit);
    if (outcome.Location) {
        const TSourceLocation& at = *outcome.Location;
        if (at.SignalIndex < 0 || at.SignalIndex >= signals.Count() || at.Line < 1 || at.Column < 1)
            std::abort();
    }
    if (!outcome.Ok && !outcome.Error) std::abort();  // a failure always says why
    RewriteFpcOutput(log, unit);
    return 0;
}

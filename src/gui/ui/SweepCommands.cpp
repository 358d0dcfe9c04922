#include "ui/SweepCommands.h"

#include <memory>

#include "base/RussianCount.h"
#include "common/Dialogs.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "document/uSignal.h"
#include "model/AfterRun.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"
#include "sweep/SweepShown.h"
#include "ui/MainWindowPort.h"
#include "ui/ModelCommands.h"

namespace kvaril {

namespace {

constexpr const char* kCannotSweep = "Свип невозможен";

std::vector<std::string> ToStrings(const QStringList& list) {
    std::vector<std::string> strings;
    for (const QString& item : list) strings.push_back(ToUtf8(item));
    return strings;
}

QStringList ToList(const std::vector<std::string>& strings) {
    QStringList list;
    for (const std::string& item : strings) list << FromUtf8(item);
    return list;
}

// "Свип: 8 прогонов, Ok" or "Свип: 6 из 8 прогонов, 2 с ошибкой".
QString Outcome(const TSweepResult& result) {
    const int runs = static_cast<int>(result.Runs.size());
    const int failed = static_cast<int>(result.Failures.size());
    if (failed == 0)
        return FromUtf8("Свип: " + RussianCount(runs, "прогон", "прогона", "прогонов") + ", Ok");
    return FromUtf8("Свип: " + std::to_string(runs - failed) + " из " +
                    RussianCount(runs, "прогона", "прогонов", "прогонов") + ", " +
                    std::to_string(failed) + " с ошибкой");
}

}  // namespace

std::vector<TSweepForm> TSweepCommands::Remembered() const {
    const std::string& path = w_.Workbench().DocumentFile;
    if (path.empty()) return unsaved_;
    return RememberedSweep(ToStrings(ReadSetting(settings::kSweeps)), path);
}

void TSweepCommands::Remember(const std::vector<TSweepForm>& forms) {
    const std::string& path = w_.Workbench().DocumentFile;
    if (path.empty()) {
        unsaved_ = forms;
        return;
    }
    std::vector<std::string> entries = ToStrings(ReadSetting(settings::kSweeps));
    RememberSweep(entries, path, forms);
    WriteSetting(settings::kSweeps, ToList(entries));
}

bool TSweepCommands::Sweep() {
    w_.StoreEditor();
    w_.ClearCompilerError();
    TWorkbench& wb = w_.Workbench();
    if (wb.Signals.IsEmpty()) return false;
    if (SweepChoices(wb.Signals).empty()) {
        w_.ShowError(kCannotSweep,
                     "Ни один сигнал не объявляет константу с числовым значением.\n"
                     "Свип меняет такие константы, например: const Fc = 3000;");
        return false;
    }
    // Times the model refuses (with the limit F9 has in force) would fail every run alike: said
    // once, before anything runs, where F9 says it (beside the oscilloscope: in the pane).
    if (const std::optional<TErrorBox> box =
            CheckModelTimes(wb.Signals, w_.ModelCommands().MaxQuanta())) {
        TModelOutcome refused;
        refused.Error = box;
        w_.ModelCommands().Report(refused);
        return false;
    }
    const std::optional<std::vector<TSweepForm>> forms =
        w_.Dialogs().Sweep(w_.Window(), wb.Signals, Remembered());
    if (!forms) return false;
    Remember(*forms);
    const TSweepCheck check = CheckSweepForms(wb.Signals, *forms);
    if (!check.Ok) {
        w_.ShowError(kCannotSweep, FromUtf8(check.Text));
        return false;
    }

    // Every run's store is kept: all of them must fit.
    if (const std::optional<TErrorBox> box =
            CheckSweepRuns(wb.Signals, check.Sweep.RunCount(), w_.ModelCommands().RunOptions())) {
        TModelOutcome refused;
        refused.Error = box;
        w_.ModelCommands().Report(refused);
        return false;
    }
    w_.ShowStatus(FromUtf8("Свип: " + check.Text));
    auto shown = std::make_shared<TSweepShown>();
    shown->Sweep = check.Sweep;
    try {
        shown->Result = w_.ModelCommands().RunSweep(shown->Sweep);
    } catch (const std::exception& e) {
        // A model folder that cannot be made: nothing ran.
        w_.ShowError(kCannotSweep, QString::fromUtf8(e.what()));
        return false;
    }
    if (shown->Result.Cancelled) {
        w_.ShowStatus("Свип прерван");
        return false;
    }
    w_.ShowStatus(Outcome(shown->Result));
    if (!shown->Result.Failures.empty()) {
        // Named as the legend names the runs.
        std::vector<TSweepFailure> failures = shown->Result.Failures;
        for (TSweepFailure& failure : failures)
            failure.Values = shown->Sweep.DisplayLabel(failure.Run);
        w_.Dialogs().SweepFailures(w_.Window(), failures, shown->Sweep.RunCount());
    }

    const TSweepRun* first = nullptr;
    for (const TSweepRun& run : shown->Result.Runs)
        if (run.Ok()) {
            first = &run;
            break;
        }
    if (!first) return false;
    // The window reads the workbench's store as the current run: it gets the first good run's
    // samples, which the sweep keeps as well, so the overlay never depends on the store.
    wb.Signals.Data().CopyFrom(first->Signals->Data());
    FinishRun(wb.Signals, wb.Osc);
    w_.ShowOscilloscope(std::move(shown));
    return true;
}

}  // namespace kvaril

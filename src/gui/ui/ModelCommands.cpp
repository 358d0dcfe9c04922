#include "ui/ModelCommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <atomic>
#include <ctime>
#include <thread>

#include "model/ModelRunner.h"
#include "ui/Dialogs.h"
#include "ui/FrmMain.h"
#include "ui/QtText.h"
#include "ui/Workbench.h"

namespace kvaril {

void TModelCommands::Params() { w_.Dialogs().ModelParams(&w_, w_.Workbench().Signals); }

TModelOutcome TModelCommands::InBackground(
    const std::function<TModelOutcome(const TModelHooks&)>& work) {
    std::atomic<bool> done{false};
    std::atomic<bool> cancel{false};
    TModelOutcome outcome;
    std::exception_ptr failure;

    TModelHooks hooks;
    hooks.Cancelled = [&cancel] { return cancel.load(); };
    hooks.ShowStatus = [this](const std::string& text) {
        QMetaObject::invokeMethod(
            &w_, [this, status = FromUtf8(text)] { w_.ShowStatus(status); }, Qt::QueuedConnection);
    };

    w_.Busy = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    bool busyCursor = true;
    std::thread worker([&] {
        try {
            outcome = work(hooks);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });

    // A quick build shows nothing; a longer one gets a box with a way out.
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<QProgressDialog> progress;
    while (!done) {
        if (!progress && timer.elapsed() > 500) {
            QApplication::restoreOverrideCursor();
            busyCursor = false;
            progress = std::make_unique<QProgressDialog>(w_.StatusText(), "Прервать", 0, 0, &w_);
            progress->setWindowTitle("Kvaril");
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
            QObject::connect(progress.get(), &QProgressDialog::canceled,
                             [&cancel] { cancel = true; });
            progress->show();
        }
        if (progress) {
            progress->setLabelText(w_.StatusText());
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        } else {
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        }
        if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    worker.join();
    progress.reset();
    if (busyCursor) QApplication::restoreOverrideCursor();
    // Status texts posted by the worker arrive before the outcome is shown.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    w_.Busy = false;
    if (failure) std::rethrow_exception(failure);
    return outcome;
}

void TModelCommands::Report(const TModelOutcome& outcome) {
    if (outcome.Location) {
        w_.ShowSignalAt(outcome.Location->SignalIndex, outcome.Location->Line,
                        outcome.Location->Column);
        w_.MarkCompilerError(outcome.Location->SignalIndex, outcome.Location->Line,
                             outcome.Location->Column);
    }
    if (outcome.Error) w_.ShowError(FromUtf8(outcome.Error->Title), FromUtf8(outcome.Error->Text));
    if (outcome.Status) w_.ShowStatus(FromUtf8(*outcome.Status));
}

bool TModelCommands::Compile() {
    w_.StoreEditor();
    w_.ClearCompilerError();
    w_.ShowStatus("");
    TSignals& signals = w_.Workbench().Signals;
    if (signals.IsEmpty()) return false;
    const std::string binDir = ToUtf8(w_.Paths().BinDir);
    TModelOutcome outcome = InBackground(
        [&](const TModelHooks& hooks) { return GenerateModel(binDir, signals, hooks); });
    Report(outcome);
    if (outcome.Cancelled && !outcome.Status) w_.ShowStatus("Компиляция прервана");
    if (outcome.Ok) w_.ShowStatus("Ok");
    return outcome.Ok;
}

bool TModelCommands::Run() {
    w_.StoreEditor();
    w_.ClearCompilerError();
    TWorkbench& wb = w_.Workbench();
    if (wb.Signals.IsEmpty()) return false;
    TRunOptions options;
    options.BinDir = ToUtf8(w_.Paths().BinDir);
    TModelOutcome outcome = InBackground(
        [&](const TModelHooks& hooks) { return RunModel(wb.Signals, options, hooks); });
    Report(outcome);
    if (outcome.Cancelled && !outcome.Status) w_.ShowStatus("Компиляция прервана");
    if (!outcome.Ok) return false;
    wb.Osc.SyncWithSignals(wb.Signals);
    try {
        wb.Runs.Add(CaptureRun(wb.Signals, std::time(nullptr)));
    } catch (const std::bad_alloc&) {
        // The run is shown all the same; only comparing with it later is not possible.
    }
    if (OnRunSucceeded) OnRunSucceeded();
    return true;
}

}  // namespace kvaril

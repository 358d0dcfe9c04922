#include "ui/ModelCommands.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <ctime>

#include "common/Dialogs.h"
#include "common/LongWork.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "document/uSignal.h"
#include "model/AfterRun.h"
#include "model/ModelRunner.h"
#include "model/RunProgress.h"
#include "model/RunSnapshot.h"
#include "ui/DocumentCommands.h"
#include "ui/LiveModelling.h"
#include "ui/MainWindowPort.h"

namespace kvaril {

TModelCommands::TModelCommands(TMainWindowPort& window)
    : w_(window), longRuns_(ReadSetting(settings::kLongRuns)) {
    worker_.setMaxThreadCount(1);
}

void TModelCommands::SetLongRuns(bool on) {
    longRuns_ = on;
    WriteSetting(settings::kLongRuns, on);
}

int32_t TModelCommands::MaxQuanta() const { return longRuns_ ? kLongMaxQuanta : kClassicMaxQuanta; }

TRunOptions TModelCommands::RunOptions() const {
    TRunOptions options;
    options.BinDir = ToUtf8(w_.Paths().BinDir);
    options.MaxQuanta = MaxQuanta();
    return options;
}

TModelCommands::~TModelCommands() = default;

void TModelCommands::Params() {
    if (w_.Dialogs().ModelParams(w_.Window(), w_.Workbench().Signals, MaxQuanta()))
        w_.OscilloscopeFollowsDocument();
}

bool TModelCommands::eventFilter(QObject* watched, QEvent* event) {
    // Only the busy window: the progress box above it must still take its button.
    if (busy_ && watched->isWidgetType() && IsUserInput(event->type()) &&
        static_cast<QWidget*>(watched)->window() == w_.Window()) {
        // A key the widget takes as its own is no shortcut of the window either.
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

TModelOutcome TModelCommands::InBackground(
    const std::function<TModelOutcome(const TModelHooks&)>& work) {
    cancel_ = false;
    TModelHooks hooks;
    hooks.Cancelled = [this] { return cancel_.load(); };
    hooks.ShowStatus = [this](const std::string& text) {
        QMetaObject::invokeMethod(
            this, [this, status = FromUtf8(text)] { ShowWorkStatus(status); },
            Qt::QueuedConnection);
    };
    // At most one progress event waits in the queue: the worker polls every 50 ms.
    progressPosted_ = false;
    if (!progressText_) progressText_ = ProgressText;
    runStarted_ = 0;
    hooks.Progress = [this](int64_t done, int64_t total) {
        if (progressPosted_.exchange(true)) return;
        QMetaObject::invokeMethod(
            this,
            [this, done, total] {
                progressPosted_ = false;
                ShowRunProgress(done, total);
            },
            Qt::QueuedConnection);
    };

    busy_ = true;
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    bool busyCursor = true;
    const auto idleAgain = qScopeGuard([this, &busyCursor] {
        progress_.reset();
        progressText_ = nullptr;
        if (busyCursor) QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(this);
        busy_ = false;
    });

    // A quick build shows nothing; a longer one gets a box with a way out.
    QTimer delay;
    delay.setSingleShot(true);
    connect(&delay, &QTimer::timeout, this, [this, &busyCursor] {
        QApplication::restoreOverrideCursor();
        busyCursor = false;
        ShowProgress();
    });

    // A future and its watcher instead of a polling loop: the local loop sleeps until the
    // worker ends. The status texts the worker posted are queued before its end, so they are
    // shown before the outcome.
    std::exception_ptr failure;
    QFutureWatcher<TModelOutcome> watcher;
    QEventLoop loop;
    connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run(&worker_, [&work, &hooks, &failure] {
        try {
            return work(hooks);
        } catch (...) {
            failure = std::current_exception();
            return TModelOutcome();
        }
    }));
    delay.start(kProgressDelayMs);
    loop.exec();
    if (!watcher.isFinished()) {
        // The application is quitting: its exit ended the loop, not the worker.
        cancel_ = true;
        watcher.waitForFinished();
    }
    if (failure) std::rethrow_exception(failure);
    return watcher.result();
}

void TModelCommands::ShowProgress() {
    progress_ = ShowProgressBox(w_.Window(), w_.StatusText(), [this] { cancel_ = true; });
}

void TModelCommands::ShowRunProgress(qint64 done, qint64 total) {
    // The times count from the run's first report, not from the build before it.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (runStarted_ == 0) runStarted_ = now;
    // Before the first quantum the box keeps the status (a model stuck in its first Make).
    if (!progress_ || total <= 0 || done <= 0) return;
    const double elapsed = (now - runStarted_) / 1000.0;
    SetBoxProgress(*progress_, done, total, FromUtf8(progressText_(done, total, elapsed)));
}

void TModelCommands::ShowWorkStatus(const QString& text) {
    w_.ShowStatus(text);
    if (progress_) progress_->setLabelText(text);
}

void TModelCommands::Report(const TModelOutcome& outcome) {
    if (w_.Live().Beside()) {
        w_.ListMessages(outcome, true);
        if (outcome.Status) w_.ShowStatus(FromUtf8(*outcome.Status));
        return;
    }
    if (outcome.Location) {
        w_.ShowSignalAt(outcome.Location->SignalIndex, outcome.Location->Line,
                        outcome.Location->Column);
        w_.MarkCompilerError(outcome.Location->SignalIndex, outcome.Location->Line,
                             outcome.Location->Column);
    }
    if (outcome.Error && outcome.Reorder) {
        if (OfferReorder(*outcome.Error, *outcome.Reorder)) return;
    } else if (outcome.Error) {
        w_.ShowError(FromUtf8(outcome.Error->Title), FromUtf8(outcome.Error->Text));
    }
    if (outcome.Status) w_.ShowStatus(FromUtf8(*outcome.Status));
}

bool TModelCommands::OfferReorder(const TErrorBox& error, const TSignalMove& move) {
    TSignals& signals = w_.Workbench().Signals;
    const QString title = FromUtf8(error.Title), text = FromUtf8(error.Text);
    if (move.From < 0 || move.From >= signals.Count() || move.To < 0 ||
        move.To >= signals.Count()) {
        w_.ShowError(title, text);
        return false;
    }
    const QString moved = FromCp1251(signals.Items(move.From).Name());
    const QString above = FromCp1251(signals.Items(move.To).Name());
    w_.ShowStatus(title);
    if (!w_.Dialogs().ErrorOffering(w_.Window(), title, text,
                                    "Переместить " + moved + " выше " + above))
        return false;
    w_.DocumentCommands().MoveSignal(move.From, move.To);
    w_.ShowStatus("Сигнал " + moved + " перемещен выше сигнала " + above);
    return true;
}

bool TModelCommands::Compile() {
    w_.StoreEditor();
    w_.ClearCompilerError();
    w_.ShowStatus("");
    TSignals& signals = w_.Workbench().Signals;
    if (signals.IsEmpty()) return false;
    const std::string binDir = ToUtf8(w_.Paths().BinDir);
    TModelOutcome outcome = InBackground([&, maxQuanta = MaxQuanta()](const TModelHooks& hooks) {
        return GenerateModel(binDir, signals, hooks, kCompileTimeout, maxQuanta);
    });
    Report(outcome);
    if (outcome.Cancelled && !outcome.Status) w_.ShowStatus("Компиляция прервана");
    if (outcome.Ok) w_.ShowStatus("Ok");
    return outcome.Ok;
}

bool TModelCommands::Run() {
    w_.Live().Yield();
    w_.StoreEditor();
    w_.ClearCompilerError();
    TWorkbench& wb = w_.Workbench();
    if (wb.Signals.IsEmpty()) return false;
    const TRunOptions options = RunOptions();
    // The run fills a copy: the samples shown (beside the editor, while it runs) stay whole
    // until it has succeeded.
    const std::unique_ptr<TSignals> copy = CopyForRun(wb.Signals);
    TModelOutcome outcome =
        InBackground([&](const TModelHooks& hooks) { return RunModel(*copy, options, hooks); });
    Report(outcome);
    if (outcome.Ok && w_.Live().Active()) w_.Live().NoteRunOf(wb.Signals);
    const bool ran = TakeRun(outcome, *copy);
    if (outcome.Cancelled && !outcome.Status) w_.ShowStatus("Компиляция прервана");
    return ran;
}

TSweepResult TModelCommands::RunSweep(const TSweep& sweep) {
    w_.Live().Yield();
    // The runs of a sweep are F9's runs: the same folder and limit.
    TSweepOptions options;
    options.Run = RunOptions();
    const TSignals& document = w_.Workbench().Signals;
    TSweepResult result;
    progressText_ = SweepProgressText;
    InBackground([&](const TModelHooks& hooks) {
        TSweepHooks sweepHooks;
        sweepHooks.Cancelled = hooks.Cancelled;
        sweepHooks.Progress = [&hooks](int done, int total) { hooks.Progress(done, total); };
        // The times count from here: the first report comes only when a whole run is done.
        hooks.Progress(0, sweep.RunCount());
        result = kvaril::RunSweep(document, sweep, options, sweepHooks);
        TModelOutcome outcome;
        outcome.Ok = !result.Cancelled;
        outcome.Cancelled = result.Cancelled;
        return outcome;
    });
    return result;
}

void TModelCommands::ShowLiveOutcome(const TModelOutcome& outcome, TSignals& copy) {
    w_.ListMessages(outcome, false);
    if (outcome.Status && !outcome.Error) w_.ShowStatus(FromUtf8(*outcome.Status));
    // A run the window started by itself is no change of the user's: the default screen it
    // may make for the oscilloscope is nothing to ask about when the document closes.
    TOsc& osc = w_.Workbench().Osc;
    const bool oscModified = osc.Modified;
    if (TakeRun(outcome, copy)) osc.Modified = oscModified;
}

bool TModelCommands::TakeRun(const TModelOutcome& outcome, TSignals& copy) {
    w_.ShowModelOutput(outcome);
    // A weaker box than usual is said once, after the run's own status.
    static bool noticeShown = false;
    if (!outcome.Notice.empty() && !noticeShown) {
        noticeShown = true;
        w_.ShowStatus(FromUtf8(outcome.Notice));
    }
    if (!outcome.Ok) return false;
    TWorkbench& wb = w_.Workbench();
    wb.Signals.SwapData(copy);
    const std::string historyNote = FinishRun(wb.Signals, wb.Osc, &wb.Runs, std::time(nullptr));
    if (!historyNote.empty())
        w_.ShowStatus(FromUtf8(outcome.Status.value_or("Ok") + ". " + historyNote));
    Q_EMIT RunSucceeded();
    return true;
}

}  // namespace kvaril

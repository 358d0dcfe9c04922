#include "ui/LiveModelling.h"

#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "base/Errors.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "document/uSignal.h"
#include "model/ModelRunner.h"
#include "model/RunSnapshot.h"
#include "ui/MainWindowPort.h"
#include "ui/ModelCommands.h"

namespace kvaril {

namespace {

// How long the editing must pause before the model runs.
constexpr int kPauseMs = 400;

}  // namespace

TLiveModelling::TLiveModelling(TMainWindowPort& window)
    : w_(window),
      beside_(ReadSetting(settings::kOscBesideEditor)),
      autoRun_(ReadSetting(settings::kAutoRun)) {
    pool_.setMaxThreadCount(1);
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(&pause_, &QTimer::timeout, this, [this] { w_.Guard(this, [this] { Start(); }); });
}

TLiveModelling::~TLiveModelling() { Yield(); }

void TLiveModelling::SetBeside(bool on) {
    beside_ = on;
    WriteSetting(settings::kOscBesideEditor, on);
    if (!Active()) Yield();
}

void TLiveModelling::SetAutoRun(bool on) {
    autoRun_ = on;
    WriteSetting(settings::kAutoRun, on);
    if (Active())
        DocumentEdited();
    else
        Yield();
}

void TLiveModelling::DocumentEdited() {
    if (Active()) pause_.start();
}

void TLiveModelling::Yield() {
    pause_.stop();
    if (!watcher_) return;
    cancel_ = true;
    watcher_->waitForFinished();
    watcher_.reset();
    copy_.reset();
}

void TLiveModelling::NoteRunOf(TSignals& signals) { lastKey_ = RunKey(*CopyForRun(signals)); }

void TLiveModelling::Start() {
    if (!Active()) return;
    // A command of the window has the model folder now; the pause starts again after it.
    if (w_.Busy()) {
        pause_.start();
        return;
    }
    w_.StoreEditor();
    TSignals& signals = w_.Workbench().Signals;
    if (signals.IsEmpty()) return;
    std::unique_ptr<TSignals> copy = CopyForRun(signals);
    const std::string key = RunKey(*copy);
    if (watcher_) {
        // The job in progress runs an older text: it stops, and its end starts this one.
        if (key != runningKey_) cancel_ = true;
        return;
    }
    if (key == lastKey_) return;
    runningKey_ = key;
    cancel_ = false;
    copy_ = std::move(copy);
    TRunOptions options = w_.ModelCommands().RunOptions();
    options.Timeout = std::chrono::milliseconds(ReadSetting(settings::kAutoRunLimitMs));
    watcher_ = std::make_unique<QFutureWatcher<TModelOutcome>>();
    connect(watcher_.get(), &QFutureWatcherBase::finished, this,
            [this] { w_.Guard(this, [this] { Finished(); }); });
    watcher_->setFuture(QtConcurrent::run(&pool_, [this, copy = copy_.get(), options] {
        TModelHooks hooks;
        hooks.Cancelled = [this] { return cancel_.load(); };
        try {
            return RunModel(*copy, options, hooks);
        } catch (const std::exception& e) {
            return TModelOutcome::Failure("Ошибка автозапуска", e.what());
        }
    }));
}

void TLiveModelling::Finished() {
    // Yield took it, or a later job than the one a deferred call waited for is running.
    if (!watcher_ || !watcher_->isFinished()) return;
    // An export or analysis reads the samples this run would replace: it waits for them.
    if (w_.Busy()) {
        QTimer::singleShot(100, this, [this] { w_.Guard(this, [this] { Finished(); }); });
        return;
    }
    TModelOutcome outcome = watcher_->result();
    watcher_.reset();
    const std::unique_ptr<TSignals> copy = std::move(copy_);
    if (cancel_) {
        // Cancelled for a newer text, which runs now.
        Start();
        return;
    }
    lastKey_ = runningKey_;
    // The text may have changed while the model ran, without a pause yet: the newer text wins
    // then, and this run is not shown.
    w_.StoreEditor();
    if (RunKey(*CopyForRun(w_.Workbench().Signals)) != runningKey_) {
        DocumentEdited();
        return;
    }
    if (outcome.Cancelled)
        outcome.Error = TErrorBox{
            "Автозапуск",
            QString("Модель работает дольше %1 с и остановлена; F9 запускает ее без этого предела")
                .arg(ReadSetting(settings::kAutoRunLimitMs) / 1000.0)
                .toStdString()};
    w_.ModelCommands().ShowLiveOutcome(outcome, *copy);
    Q_EMIT AutoRunShown();
}

}  // namespace kvaril

#pragma once
// The modelling commands of the main window: parameters, compile and run. Building and running
// happen on a worker thread while the window stays painted; a run that takes long offers a
// button to stop it.

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

#include "model/CompilerDriver.h"
#include "model/ModelOutcome.h"
#include "model/ModelRunner.h"
#include "sweep/SweepRun.h"
#include "ui/MainWindowPort.h"

class QProgressDialog;

namespace kvaril {

class TSignals;

class TModelCommands : public QObject {
    Q_OBJECT
  public:
    explicit TModelCommands(TMainWindowPort& window);
    ~TModelCommands() override;

    void Params();
    // Whether the library was built.
    bool Compile();
    // Whether the model ran.
    bool Run();

    // "Моделирование → Длинные прогоны": read from the settings at the start, written there
    // when changed. The quanta limit every command passes down (ModelGenerator.h).
    bool LongRuns() const { return longRuns_; }
    void SetLongRuns(bool on);
    int32_t MaxQuanta() const;
    // What every run of the window passes down from the settings (F9, the auto-run and a sweep's
    // runs alike); the auto-run adds its own time limit.
    TRunOptions RunOptions() const;

    // Every run of `sweep` over a copy of the document, in the background as Run runs one, with
    // one progress bar and one way to stop them all.
    TSweepResult RunSweep(const TSweep& sweep);

    // The editor goes to the located place, then the box, then the status. Beside the
    // oscilloscope the messages go to their pane instead of a box.
    void Report(const TModelOutcome& outcome);

    // While a model is built or run: the window's idle work and commands wait.
    bool Busy() const { return busy_; }
    // An auto-run's outcome on `copy`, the copy of the document it ran: its messages, and on
    // success its samples taken over and shown.
    void ShowLiveOutcome(const TModelOutcome& outcome, TSignals& copy);

  Q_SIGNALS:
    // After a successful run, before Run returns: the window shows the results.
    void RunSucceeded();

  protected:
    // While busy, the window's keyboard and mouse input is held back.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Runs `work` on the worker thread and returns its outcome (or throws what it threw) when
    // it is done; meanwhile the window repaints and takes no input, and after a moment a
    // progress box shows whose button cancels the work.
    TModelOutcome InBackground(const std::function<TModelOutcome(const TModelHooks&)>& work);
    void ShowProgress();
    // The run's progress the worker posted: a determinate bar, elapsed and remaining time.
    void ShowRunProgress(qint64 done, qint64 total);
    // A status text the worker posted, on this thread.
    void ShowWorkStatus(const QString& text);

    // After a run: what the model printed, and on success the samples of `copy` shown.
    bool TakeRun(const TModelOutcome& outcome, TSignals& copy);
    // The box of a signal used above its place, with a button that moves it up: true when the
    // user moved it.
    bool OfferReorder(const TErrorBox& error, const TSignalMove& move);

    TMainWindowPort& w_;
    QThreadPool worker_;  // one thread, for the model alone
    bool busy_ = false;
    std::atomic<bool> cancel_{false};
    std::unique_ptr<QProgressDialog> progress_;
    bool longRuns_ = false;
    std::atomic<bool> progressPosted_{false};  // one progress event in the queue at a time
    qint64 runStarted_ = 0;                    // ms since the epoch, the run's first report
    // What the progress box says of `done` of `total` after `elapsed` seconds.
    std::string (*progressText_)(int64_t done, int64_t total, double elapsed) = nullptr;
};

}  // namespace kvaril

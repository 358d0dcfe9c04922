#pragma once
// Live modelling: the oscilloscope beside the editor instead of a modal window, and, in that
// mode, auto-run: a pause in the editing builds and runs the model in the background on a copy
// of the document, so that typing never waits and a newer text always wins over an older run.

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <memory>
#include <string>

#include "model/ModelOutcome.h"
#include "ui/MainWindowPort.h"

namespace kvaril {

class TSignals;

class TLiveModelling : public QObject {
    Q_OBJECT
  public:
    // Reads the two choices from the settings.
    explicit TLiveModelling(TMainWindowPort& window);
    ~TLiveModelling() override;

    bool Beside() const { return beside_; }
    void SetBeside(bool on);
    bool AutoRun() const { return autoRun_; }
    void SetAutoRun(bool on);
    // Whether auto-run is in force: both choices on.
    bool Active() const { return beside_ && autoRun_; }

    // Something of the document changed: the pause is counted from now.
    void DocumentEdited();
    // A command of the window builds or runs now, or the document goes: an auto-run in
    // progress is cancelled and waited for.
    void Yield();
    bool Working() const { return watcher_ != nullptr; }
    // What a successful F9 ran, so that the same text does not run again after the pause.
    void NoteRunOf(TSignals& signals);

  Q_SIGNALS:
    // An auto-run ended and its outcome was shown (successful or not).
    void AutoRunShown();

  private:
    void Start();
    void Finished();

    TMainWindowPort& w_;
    bool beside_ = false, autoRun_ = false;
    QTimer pause_;
    QThreadPool pool_;  // one thread: the model folder takes one build at a time anyway
    std::atomic<bool> cancel_{false};
    std::unique_ptr<QFutureWatcher<TModelOutcome>> watcher_;
    std::unique_ptr<TSignals> copy_;  // what the job in progress runs
    std::string runningKey_, lastKey_;
};

}  // namespace kvaril

#pragma once
// The modelling commands of the main window: parameters, compile and run. Building and running
// happen on a worker thread while the window stays responsive; a run that takes long offers a
// button to stop it.

#include <functional>

#include "model/CompilerDriver.h"
#include "model/ModelOutcome.h"

namespace kvaril {

class TFormMain;

class TModelCommands {
  public:
    explicit TModelCommands(TFormMain& window) : w_(window) {}

    void Params();
    // Whether the library was built.
    bool Compile();
    // Whether the model ran.
    bool Run();

    // Called after a successful run, before the window shows the results.
    std::function<void()> OnRunSucceeded;

  private:
    // Runs `work` on a worker thread; the window repaints meanwhile, takes no input, and after a
    // moment shows a progress box whose button cancels the work.
    TModelOutcome InBackground(const std::function<TModelOutcome(const TModelHooks&)>& work);
    // The editor goes to the located place, then the box, then the status.
    void Report(const TModelOutcome& outcome);

    TFormMain& w_;
};

}  // namespace kvaril

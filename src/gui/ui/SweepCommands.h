#pragma once
// "Моделирование → Свип...": the document run once per value set of one or two of its
// constants, every run shown together in the oscilloscope. The document never changes; the
// sweep is remembered in the settings for the document's file.

#include <vector>

#include "sweep/SweepForm.h"
#include "ui/MainWindowPort.h"

namespace kvaril {

class TSweepCommands {
  public:
    explicit TSweepCommands(TMainWindowPort& window) : w_(window) {}

    // Asks for the sweep, runs it and shows its runs; false when nothing was shown.
    bool Sweep();

  private:
    std::vector<TSweepForm> Remembered() const;
    void Remember(const std::vector<TSweepForm>& forms);

    TMainWindowPort& w_;
    std::vector<TSweepForm> unsaved_;  // the last sweep of a document without a file
};

}  // namespace kvaril

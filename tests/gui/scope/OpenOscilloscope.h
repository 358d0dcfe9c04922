#pragma once
// The oscilloscope window over the workbench's run, shown as the runner shows it after a run,
// at a size the tests' pixel positions are written for.

#include <QApplication>
#include <memory>

#include "common/Dialogs.h"
#include "common/Workbench.h"
#include "document/uBeam.h"
#include "scope/FrmOsc.h"

namespace kvaril::testing {

inline std::unique_ptr<TFormOsc> OpenOscilloscope(TWorkbench& wb, TDialogs& dialogs) {
    auto osc = std::make_unique<TFormOsc>(wb, dialogs, nullptr);
    wb.Osc.SyncWithSignals(wb.Signals);
    osc->PrepareForRun();
    osc->resize(800, 500);
    osc->show();
    QApplication::processEvents();
    return osc;
}

}  // namespace kvaril::testing

// The main window's event loop while auto-run builds and runs a 10-signal document in the
// background: a 1 ms timer on the window's thread records the largest gap between its ticks,
// from an edit's pause until the new picture is shown (goal: at most 16 ms, so that keys are
// never held up).
//   build/bench/live_stall_bench [REPEATS]

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "common/Dialogs.h"
#include "common/ProgramPaths.h"
#include "common/Workbench.h"
#include "document/uSignal.h"
#include "ui/FrmMain.h"
#include "ui/LiveModelling.h"
#include "ui/SignalEditor.h"

namespace fs = std::filesystem;
using namespace kvaril;

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path dir = fs::temp_directory_path() / ("kvaril-stall-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "Bin");
    fs::create_directories(dir / "Projects");
    fs::create_directories(dir / "config");
    for (const char* file : {"dcc32", "kvaril-modelhost", "kvml.dpr", "uSignalsData.pas"})
        fs::copy_file(fs::path(KVARIL_BENCH_BIN_DIR) / file, dir / "Bin" / file);
    // The choices the bench switches on stay out of the user's settings.
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    TWorkbench wb;
    for (int i = 0; i < 10; ++i) {
        auto s = std::make_unique<TSignal>(wb.Signals);
        s->InitTemplate("S" + std::to_string(i), false);
        s->Lines()[20] = "  Value := Sin(" + std::to_string(i + 1) + " * t) * 0.5 + t;";
        wb.Signals.Insert(std::move(s), -1);
    }
    wb.Signals.SetQuantTime(0.0001);
    wb.Signals.SetTotalTime(1.0);
    TDialogs dialogs;
    TProgramPaths paths;
    paths.ProgramDir = QString::fromStdString(dir.string() + "/");
    paths.ProjectsDir = paths.ProgramDir + "Projects/";
    paths.BinDir = paths.ProgramDir + "Bin/";
    TFormMain window(wb, dialogs, paths);
    window.resize(1920, 1080);
    window.show();
    window.RebuildTabs(0);
    window.LoadEditor();
    for (const char* name : {"actOscBeside", "actAutoRun"}) {
        QAction* action = window.findChild<QAction*>(name);
        if (!action) {
            std::fprintf(stderr, "no %s\n", name);
            return 1;
        }
        action->setChecked(true);
    }
    TSignalEditor* editor = window.findChild<TSignalEditor*>("edSignal");
    if (!editor) {
        std::fprintf(stderr, "no editor\n");
        return 1;
    }

    std::vector<double> stalls, waits;
    // The caret goes after "0.5" in the first signal's line of the value: each key appends a
    // digit to the coefficient, a new text for every run.
    editor->setCursorPosition(20, static_cast<int>(editor->text(20).indexOf("0.5")) + 3);
    for (int r = 0; r < repeats + 1; ++r) {  // the first run warms up and is not counted
        QElapsedTimer clock;
        double last = 0, stall = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const double now = static_cast<double>(clock.nsecsElapsed()) * 1e-6;
            stall = std::max(stall, now - last);
            last = now;
        });
        QEventLoop loop;
        QObject::connect(&window.Live(), &TLiveModelling::AutoRunShown, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        editor->setFocus();
        const QString digit = QString::number(r % 10);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + r % 10, Qt::NoModifier, digit);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_0 + r % 10, Qt::NoModifier, digit);
        QApplication::sendEvent(editor, &press);
        QApplication::sendEvent(editor, &release);
        clock.start();
        tick.start();
        loop.exec();
        tick.stop();
        if (r > 0) {
            stalls.push_back(stall);
            waits.push_back(static_cast<double>(clock.nsecsElapsed()) * 1e-6);
        }
    }
    std::sort(stalls.begin(), stalls.end());
    std::sort(waits.begin(), waits.end());
    std::printf(
        "auto-run of 10 signals, %d edits: key to picture median %.0f ms (400 ms pause "
        "included); longest event-loop stall %.1f ms, median of the runs' longest %.1f "
        "ms (goal <= 16)\n",
        repeats, waits[waits.size() / 2], stalls.back(), stalls[stalls.size() / 2]);
    fs::remove_all(dir);
    return 0;
}

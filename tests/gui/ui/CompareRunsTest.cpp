// Comparing runs from the window: F9 twice, then the second run offers the first.

#include <QAction>
#include <QTimer>

#include "MainWindowFixture.h"
#include "model/RunHistory.h"
#include "osc/OscSession.h"
#include "scope/BeamPage.h"
#include "scope/FrmOsc.h"

namespace kvaril {
namespace {

using MainWindow = testing::MainWindowFixture;

TEST_F(MainWindow, ASecondRunOffersTheFirstAsReference) {
    AddSignal("A");
    Signals().Items(0).Lines()[20] = "  Value := t;";
    W().LoadEditor();
    Idle();

    // Each run opens the oscilloscope modally; `look` runs once it shows, then it closes.
    std::function<void(TFormOsc&)> look;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        TFormOsc* osc = W().Oscilloscope();
        if (!osc || !osc->isVisible()) return;
        if (look) look(*osc);
        look = nullptr;
        osc->close();
    });
    closer.start(20);
    bool offeredNothing = false;
    look = [&](TFormOsc& osc) {
        offeredNothing = !osc.findChild<QAction*>("actCompareRun")->isEnabled();
    };
    Action("actModelRun")->trigger();
    EXPECT_TRUE(offeredNothing) << "the first run has nothing to compare with";

    Signals().Items(0).Lines()[20] = "  Value := 2 * t;";
    W().LoadEditor();
    Idle();
    int reference = 0;
    QString cell;
    QStringList titles;
    look = [&](TFormOsc& osc) {
        dialogs_.Choices.push_back(1);
        osc.findChild<QAction*>("actCompareRun")->trigger();
        if (const TStoredRun* run = osc.Session().References().Reference()) reference = run->Id;
        cell = QString::fromStdString(osc.Session().Readings().ValueRows().at(0).Cells[4].Text);
        titles = osc.findChild<TValueGrid*>("tsValueGrid")->Titles();
    };
    Action("actModelRun")->trigger();
    closer.stop();

    ASSERT_EQ(dialogs_.ChoiceLists.size(), 1)
        << dialogs_.Errors.join("|").toStdString() << " runs " << workbench_.Runs.Runs().size();
    const QStringList offered = dialogs_.ChoiceLists[0];
    ASSERT_EQ(offered.size(), 2) << offered.join("|").toStdString();
    EXPECT_EQ(offered[0], "нет");
    EXPECT_TRUE(offered[1].endsWith(", сигналов: 1")) << offered[1].toStdString();
    EXPECT_EQ(reference, 1);
    EXPECT_EQ(cell, "0") << "at t = 0 both runs are 0";
    EXPECT_EQ(titles, QStringList({"", "Луч", "Знач.", "Опорн.", "Δ"}))
        << "the reference run's columns are named";
    EXPECT_EQ(workbench_.Runs.Runs().size(), 2u);

    dialogs_.Confirms.push_back(TAnswer::No);  // do not save
    Idle();
    Action("actFileNew")->trigger();  // a new document forgets the runs of the old one
    EXPECT_TRUE(workbench_.Runs.Runs().empty());
}

}  // namespace
}  // namespace kvaril

// Live modelling as the user meets it: the oscilloscope beside the editor keeps its view across
// F9, auto-run follows a pause in the typing, and errors go to a pane instead of boxes.

#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "common/Settings.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "scope/FrmOsc.h"
#include "store/uSignalsData.h"
#include "ui/LiveModelling.h"

namespace kvaril {
namespace {

class LiveModelling : public testing::MainWindowFixture {
  protected:
    void SetUp() override {
        OpenSettings().remove("Modelling");
        MainWindowFixture::SetUp();
        AddSignal("A");  // the caret waits in "Value := ;"
        Idle();
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        OpenSettings().remove("Modelling");
    }
    void Beside(bool autoRun) {
        Action("actOscBeside")->setChecked(true);
        Action("actAutoRun")->setChecked(autoRun);
    }
    // Waits for the auto-run to show its outcome; false after 30 s.
    bool AutoRunShown(QSignalSpy& spy, int count) {
        for (int i = 0; i < 300 && spy.count() < count; ++i) spy.wait(100);
        return spy.count() >= count;
    }
    double Sample(int quant) { return Signals().Data().GetData(0, quant); }
    TFormOsc* Osc() { return W().Oscilloscope(); }
    QTreeWidget* Messages() { return Find<QTreeWidget>("lvMessages"); }
};

TEST_F(LiveModelling, BesideTheEditorF9RefreshesTheOpenWindowAndKeepsItsView) {
    Beside(false);
    QTest::keyClicks(Editor(), "t");
    Action("actModelRun")->trigger();
    ASSERT_NE(Osc(), nullptr);
    EXPECT_TRUE(Osc()->isVisible());
    EXPECT_TRUE(W().isVisible()) << "the main window stays";
    EXPECT_FALSE(Osc()->isModal());
    TView& view = workbench_.Osc.View(0);
    view.SetT1(0.05);
    view.SetT0(0.02);

    QTest::keyClicks(Editor(), "*2");
    Action("actModelRun")->trigger();
    EXPECT_TRUE(Osc()->isVisible());
    EXPECT_DOUBLE_EQ(workbench_.Osc.View(0).T0(), 0.02) << "the view is kept";
    EXPECT_DOUBLE_EQ(workbench_.Osc.View(0).T1(), 0.05);
    EXPECT_NEAR(Sample(10), 2 * 10 * Signals().QuantTime(), 1e-12) << "the new run is shown";

    // Back to the classic flow: the window closes.
    Action("actOscBeside")->setChecked(false);
    EXPECT_FALSE(Osc()->isVisible());
    EXPECT_FALSE(Action("actAutoRun")->isEnabled());
}

// The window beside the editor reads the document's list and times: when a signal is deleted or
// added, or the times change, it closes rather than show rows that are no longer there.
TEST_F(LiveModelling, TheWindowBesideClosesWhenTheSignalsOrTimesChange) {
    Beside(false);
    QTest::keyClicks(Editor(), "t");
    AddSignal("B");
    QTest::keyClicks(Editor(), "2");
    Action("actModelRun")->trigger();
    ASSERT_NE(Osc(), nullptr);
    ASSERT_TRUE(Osc()->isVisible());
    dialogs_.Confirms.push_back(TAnswer::Yes);
    Action("actSignalDelete")->trigger();
    ASSERT_EQ(Signals().Count(), 1);
    EXPECT_FALSE(Osc()->isVisible());
    EXPECT_TRUE(LabelText("pnlMessage").startsWith("Осциллограф закрыт"))
        << LabelText("pnlMessage").toStdString();
    AddSignal("C");
    // The next run shows the new list.
    QTest::keyClicks(Editor(), "3");
    Tabs()->setCurrentIndex(1);
    QTest::keyClicks(Editor(), "4");
    Action("actModelRun")->trigger();
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    EXPECT_TRUE(Osc()->isVisible());
    // New times: the same.
    dialogs_.Params.push_back([](TSignals& s) {
        s.SetTotalTime(0.05);
        return true;
    });
    Action("actModelParam")->trigger();
    EXPECT_FALSE(Osc()->isVisible());
}

TEST_F(LiveModelling, AutoRunRunsOnceAfterABurstOfKeysAndErrorsGoToThePane) {
    Beside(true);
    QSignalSpy shown(&W().Live(), &TLiveModelling::AutoRunShown);
    QTest::keyClicks(Editor(), "100");
    ASSERT_TRUE(AutoRunShown(shown, 1));
    Idle();
    EXPECT_EQ(shown.count(), 1) << "one run for the burst, not one per key";
    EXPECT_EQ(Sample(3), 100);
    ASSERT_NE(Osc(), nullptr);
    EXPECT_TRUE(Osc()->isVisible());
    EXPECT_FALSE(Messages()->isVisible());

    // An error: no box, a row in the pane, the window marked as older than the text.
    QTest::keyClicks(Editor(), " +");
    ASSERT_TRUE(AutoRunShown(shown, 2));
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    ASSERT_EQ(Messages()->topLevelItemCount(), 1);
    QTreeWidgetItem* row = Messages()->topLevelItem(0);
    EXPECT_EQ(row->text(0), "A");
    EXPECT_TRUE(Osc()->windowTitle().contains("устарело: 1 ошибка"))
        << Osc()->windowTitle().toStdString();
    EXPECT_EQ(Sample(3), 100) << "the last good run stays";
    // A click on the row goes to the place.
    Editor()->SetCaret(1, 1);
    Q_EMIT Messages()->itemClicked(row, 3);
    int line = 0, column = 0;
    Editor()->getCursorPosition(&line, &column);
    EXPECT_EQ(line + 1, row->text(1).toInt());

    // Mended: the pane empties and the window is up to date.
    Editor()->SetCaret(row->text(1).toInt(), row->text(2).toInt());
    Editor()->setText(Editor()->text().replace("100 +", "7"));
    ASSERT_TRUE(AutoRunShown(shown, 3));
    EXPECT_EQ(Sample(3), 7);
    EXPECT_EQ(Messages()->topLevelItemCount(), 0);
    EXPECT_FALSE(Osc()->windowTitle().contains("устарело"));
}

TEST_F(LiveModelling, AnEditDuringARunCancelsItAndTheNewerTextWins) {
    WriteSetting(settings::kAutoRunLimitMs, 120000);
    Beside(true);
    QSignalSpy shown(&W().Live(), &TLiveModelling::AutoRunShown);
    // A model that would compute for minutes.
    const QString fast = Editor()->text();
    Editor()->setText(QString(fast).replace(
        "begin\n  Value := ;",
        "var i: Integer;\nbegin\n  Value := 1; i := 0; while i < 100000000 do i := i + 1;"));
    for (int i = 0; i < 300 && !W().Live().Working(); ++i) QTest::qWait(20);
    ASSERT_TRUE(W().Live().Working());
    QTest::qWait(300);
    // Typing goes on meanwhile, and the newer text wins.
    Editor()->selectAll();
    QTest::keyClicks(Editor(), "x");
    EXPECT_EQ(Editor()->text(), "x") << "no key is lost while the model runs";
    Editor()->setText(QString(fast).replace("Value := ;", "Value := 2;"));
    ASSERT_TRUE(AutoRunShown(shown, 1));
    Idle();
    EXPECT_EQ(shown.count(), 1) << "the older run is never shown";
    EXPECT_EQ(Sample(0), 2);
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

class LiveModellingBeside : public LiveModelling {};

// Under a window manager the frames are real: the window beside the editor, title bar and
// status line included, stays on the screen's free area. (Offscreen there are no frames, and
// this holds trivially.)
TEST_F(LiveModellingBeside, TheWindowBesideFitsTheScreenWithItsFrame) {
    OpenSettings().remove(settings::kOscBesideWindow);
    Beside(false);
    QTest::keyClicks(Editor(), "t");
    Action("actModelRun")->trigger();
    ASSERT_NE(Osc(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Osc()));
    QTest::qWait(300);  // the window manager's frame arrives after the window
    const QRect free = Osc()->screen()->availableGeometry();
    const QRect frame = Osc()->frameGeometry();
    EXPECT_TRUE(free.contains(frame))
        << "screen " << free.x() << "," << free.y() << " " << free.width() << "x" << free.height()
        << ", window " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
        << frame.height();
    QStatusBar* status = Osc()->findChild<QStatusBar*>();
    if (status) {
        const QPoint bottom = status->mapToGlobal(QPoint(0, status->height()));
        EXPECT_LE(bottom.y(), free.bottom() + 1) << "the status line is on the screen";
    }
    Action("actOscBeside")->setChecked(false);
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// The auto-run runs what F9 runs: with long runs on, a document of 50 000 quanta runs in the
// background instead of failing with the classic maximum time.
TEST_F(LiveModelling, AutoRunHonoursLongRunsAsF9Does) {
    Action("actModelLong")->setChecked(true);
    Signals().SetQuantTime(1e-6);
    Signals().SetTotalTime(0.05);
    Beside(true);
    QSignalSpy shown(&W().Live(), &TLiveModelling::AutoRunShown);
    QTest::keyClicks(Editor(), "t");
    const bool ran = AutoRunShown(shown, 1);
    Action("actModelLong")->setChecked(false);  // the settings are the user's
    ASSERT_TRUE(ran);
    EXPECT_EQ(Messages()->topLevelItemCount(), 0);
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    EXPECT_EQ(Signals().Data().SampleCount(), 50000);
    EXPECT_NEAR(Sample(49999), 0.049999, 1e-12);
}

// Opening a document is no edit: the auto-run waits for the user's first change, and the run
// it then makes is no change of the oscilloscope's settings to ask about on closing.
TEST_F(LiveModelling, OpeningIsNoEditAndAnAutoRunLeavesNothingToSave) {
    TSignals document;
    auto signal = std::make_unique<TSignal>(document);
    signal->InitTemplate("Five", false);
    signal->Lines()[signal->Lines().size() - 2] = "  Value := 5;";
    document.Insert(std::move(signal), -1);
    TOsc never;  // never opened in the oscilloscope: no screen stored
    WriteDocument(Path("Five.sig").toStdString(), document, never);

    Beside(true);
    QSignalSpy shown(&W().Live(), &TLiveModelling::AutoRunShown);
    ASSERT_TRUE(AutoRunShown(shown, 1)) << "turning the auto-run on runs the text there";
    dialogs_.Confirms.push_back(TAnswer::No);  // the fixture's unsaved signal is not kept
    dialogs_.Files.push_back(Path("Five.sig"));
    W().DocumentCommands().Open();
    ASSERT_EQ(Signals().Count(), 1);
    QTest::qWait(1000);  // more than the auto-run's pause
    EXPECT_EQ(shown.count(), 1) << "opening ran the model";
    EXPECT_FALSE(Signals().Modified);
    EXPECT_FALSE(workbench_.Osc.Modified);

    Editor()->SetCaret(Editor()->lines() - 1, 1);
    QTest::keyClicks(Editor(), " ");
    ASSERT_TRUE(AutoRunShown(shown, 2));
    EXPECT_EQ(Sample(0), 5);
    EXPECT_FALSE(workbench_.Osc.Modified) << "the run is no change of the user's";
    EXPECT_TRUE(Signals().Modified) << "the edit is";
}

}  // namespace
}  // namespace kvaril

// The oscilloscope window driven as a user drives it, over a store filled by hand.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <cmath>
#include <functional>

#include "OscilloscopeFixture.h"
#include "ScriptedDialogs.h"
#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "common/QtText.h"
#include "common/Workbench.h"
#include "osc/OscSession.h"
#include "scope/BeamPage.h"
#include "scope/FrmOsc.h"
#include "scope/PaintAreas.h"
#include "scope/TimePanel.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

class Oscilloscope : public testing::OscilloscopeFixture {};

TEST_F(Oscilloscope, StartsWithOneScreenAndTheTimeTexts) {
    EXPECT_EQ(O().windowTitle(), "Kvaril - Многолучевой осциллограф");
    ASSERT_EQ(Tabs()->count(), 1);
    EXPECT_EQ(Tabs()->tabText(0), "Экран 1");
    EXPECT_EQ(LabelText("lblTime0"), "T0 : 0");
    EXPECT_EQ(LabelText("lblTime1"), "1 : T1");
    EXPECT_EQ(LabelText("lblCaption"), "< dT : 1 >");
    EXPECT_EQ(List()->count(), 4);
    EXPECT_FALSE(Action("actViewDelete")->isEnabled());
}

TEST_F(Oscilloscope, PreparingAfterAnUnchangedRunKeepsEverything) {
    AddScreen("Второй");
    View().Beam(1).SetGain(3);
    auto label = std::make_unique<TTimeLabel>(wb_.Osc);
    label->SetTime(0.5);
    View().AddTimeLabel(std::move(label));
    O().close();
    Run();
    Prepare();
    EXPECT_EQ(Tabs()->count(), 2);
    EXPECT_EQ(Tabs()->currentIndex(), 1) << "the screen shown when it closed";
    EXPECT_EQ(View().Beam(1).Gain(), 3);
    EXPECT_EQ(View().TimeLabelCount(), 1);

    O().close();
    wb_.Signals.Items(1).SetName("Renamed");
    Run();
    Prepare();
    ASSERT_EQ(Tabs()->count(), 1);
    EXPECT_EQ(Tabs()->tabText(0), "Экран 1");
    EXPECT_EQ(View().Beam(1).Gain(), 0);
}

TEST_F(Oscilloscope, ClosingOnTheThirdScreenReopensIt) {
    for (const char* name : {"2", "3"}) {
        AddScreen(name);
    }
    EXPECT_EQ(Tabs()->currentIndex(), 2);
    O().close();
    Prepare();
    EXPECT_EQ(Tabs()->currentIndex(), 2);
    O().close();
    wb_.Signals.SetTotalTime(0.5);  // the model is reset
    Run();
    Prepare();
    EXPECT_EQ(Tabs()->currentIndex(), 0);
}

TEST_F(Oscilloscope, DeletingScreensSelectsTheNeighbour) {
    for (const char* name : {"2", "3"}) {
        AddScreen(name);
    }
    QApplication::processEvents();
    EXPECT_TRUE(Action("actViewDelete")->isEnabled());
    dialogs_.Confirms.push_back(TAnswer::No);
    Action("actViewDelete")->trigger();
    EXPECT_EQ(Tabs()->count(), 3);
    EXPECT_EQ(dialogs_.Asked.back(), "Вы действительно хотите удалить экран:\n<3> ?");
    dialogs_.Confirms.push_back(TAnswer::Yes);
    Action("actViewDelete")->trigger();  // the last of three
    EXPECT_EQ(Tabs()->count(), 2);
    EXPECT_EQ(Tabs()->currentIndex(), 1);
    Tabs()->setCurrentIndex(0);
    dialogs_.Confirms.push_back(TAnswer::Yes);
    Action("actViewDelete")->trigger();  // the first
    EXPECT_EQ(Tabs()->count(), 1);
    EXPECT_EQ(Tabs()->tabText(0), "2");
    QApplication::processEvents();
    EXPECT_FALSE(Action("actViewDelete")->isEnabled());
}

TEST_F(Oscilloscope, TheCursorIsClampedAndFollowsTheMouse) {
    TGraphArea* graph = Graph();
    const int w = graph->width();
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(0, 10));
    EXPECT_EQ(graph->CursorX(), 1);
    EXPECT_DOUBLE_EQ(Session().Cursors().MeasureTime(), 1.0 / w);
    EXPECT_EQ(LabelText("lblCaption").left(3), "T: ");
    QTest::mouseMove(graph, QPoint(w + 50, 10));
    EXPECT_EQ(graph->CursorX(), w - 1);
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(w + 50, 10));
    EXPECT_EQ(graph->CursorX(), -1);
    EXPECT_EQ(Session().Cursors().MeasureTime(), -1);
    EXPECT_EQ(LabelText("lblCaption"), "< dT : 1 >");
    EXPECT_EQ(View().TimeLabelCount(), 0) << "a drag on the traces never sets labels";
}

TEST_F(Oscilloscope, ClicksOnTheLabelStripToggleLabels) {
    TLabelStrip* strip = Strip();
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(100, 5));
    ASSERT_EQ(View().TimeLabelCount(), 1);
    const double t = View().TimeLabel(0).Time();
    EXPECT_NEAR(t, 100.0 / Graph()->width(), 1e-12) << "the traces did not move under the click";
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(50, 5));
    EXPECT_EQ(View().TimeLabelCount(), 2);
    EXPECT_EQ(View().TimeLabel(1).Time(), t) << "m2 now: the names follow time order";
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(102, 5));
    EXPECT_EQ(View().TimeLabelCount(), 1) << "near an existing label: removed";
    EXPECT_TRUE(wb_.Osc.Modified);
}

TEST_F(Oscilloscope, BeamTableEditsGroupsAndTheValueTableFollows) {
    EXPECT_EQ(ValueColumn(1), QStringList({"A", "B", "C", "D"}));
    EXPECT_EQ(ValueColumn(2).mid(0, 3), QStringList({"0", "0.5", "0.6667"}));

    Select({0});
    EditBeams(2, "Нет");
    EXPECT_EQ(ValueColumn(1), QStringList({"B", "C", "D"}));
    Select({1, 2});
    EditBeams(2, "3");
    EXPECT_EQ(ValueColumn(1), QStringList({"B", "C", "D"}));
    EXPECT_EQ(ValueColumn(0), QStringList({"3", "3", "4"}));
    Select({3});
    EditBeams(2, "-1");
    EXPECT_EQ(ValueColumn(1), QStringList({"B", "C", "D"}));
    EXPECT_EQ(ValueColumn(0).back(), "X");

    Select({1, 2});
    EXPECT_EQ(BeamGrid()->item(0, 1)->text(), "Авто");
    EXPECT_EQ(LabelText("tsMaxValueLabel"), "");
    Select({1});
    EXPECT_EQ(LabelText("tsMaxValueLabel"), "Макс: 0.5 ");
    EditBeams(0, "2");
    Select({1, 2});
    EXPECT_EQ(BeamGrid()->item(0, 1)->text(), "") << "the gains differ";
    EXPECT_TRUE(wb_.Osc.Modified);

    Action("actBeamToOneGroup")->trigger();
    Action("actBeamToManyGroup")->trigger();
    EXPECT_EQ(ValueColumn(0), QStringList({"1", "2", "3", "4"}));
}

TEST_F(Oscilloscope, TheMeasuredTimeDrivesTheValueColumn) {
    EXPECT_EQ(ValueColumn(2)[3], "0") << "values at T0";
    TGraphArea* graph = Graph();
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(graph->width() / 2, 10));
    EXPECT_EQ(ValueColumn(2)[3], QString::fromStdString(FormatFloat4(
                                     std::round(Session().Cursors().MeasureTime() * 1000) / 1000)));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(graph->width() / 2, 10));
    EXPECT_EQ(ValueColumn(2)[3], "0");
}

TEST_F(Oscilloscope, TheTimeEntryCommitsWhatItHolds) {
    Window("0.2..0.3");
    EXPECT_EQ(ScrollBar()->maximum(), 900);
    EXPECT_EQ(ScrollBar()->value(), 200);
    EXPECT_EQ(ScrollBar()->pageStep(), 100);
    EXPECT_EQ(ScrollBar()->singleStep(), 10);

    ClickTime(TEntryMode::Length);
    ASSERT_TRUE(Entry()->isVisible());
    EXPECT_EQ(Entry()->currentText(), "0.1");
    EXPECT_EQ(Status(), "Значение интервала может быть в пределах от 0.01 до 1");
    EXPECT_EQ(Entry()->itemText(1), "D*2");
    Entry()->setCurrentIndex(1);  // picking a suggestion does not commit
    EXPECT_TRUE(Entry()->isVisible());
    ClickTime(TEntryMode::Start);  // a click on a text while it is open only commits
    EXPECT_FALSE(Entry()->isVisible());
    EXPECT_DOUBLE_EQ(View().T0(), 0.2);
    EXPECT_DOUBLE_EQ(View().T1(), 0.4);
    EXPECT_EQ(Status(), "");

    ClickTime(TEntryMode::Start);
    QLineEdit* edit = Entry()->lineEdit();
    edit->setText("0.95");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(Entry()->isVisible());
    EXPECT_DOUBLE_EQ(View().T0(), 0.8);
    EXPECT_DOUBLE_EQ(View().T1(), 1.0);

    ScrollBar()->setValue(ScrollBar()->value() - 20);
    EXPECT_DOUBLE_EQ(View().T0(), 0.78);
    EXPECT_EQ(LabelText("lblTime0"), "T0 : 0.78");
}

TEST_F(Oscilloscope, TheFullRunRefusesStartAndEndEntries) {
    ClickTime(TEntryMode::Start);
    EXPECT_FALSE(Entry()->isVisible());
    EXPECT_EQ(dialogs_.Beeps, 1);
    EXPECT_EQ(Status(), "На экране отображается полный интервал времен");
    ClickTime(TEntryMode::Length);
    EXPECT_TRUE(Entry()->isVisible()) << "the length entry stays available";
}

TEST_F(Oscilloscope, ColourSchemesMarkTheSettingsModified) {
    wb_.Osc.Modified = false;
    Action("mnuBlack")->trigger();
    EXPECT_EQ(wb_.Osc.ColorScheme(), 2);
    EXPECT_TRUE(wb_.Osc.Modified);
    EXPECT_TRUE(Action("mnuBlack")->isChecked());
    EXPECT_EQ(Graph()->Rendered().pixelColor(Graph()->width() / 2, 5), QColor(0, 0, 0));
}

TEST_F(Oscilloscope, TheWheelZoomsAroundThePointer) {
    Window("0.2..0.3");
    TGraphArea* graph = Graph();
    QWheelEvent in(QPointF(graph->width() / 2.0, 10),
                   graph->mapToGlobal(QPointF(graph->width() / 2.0, 10)), {}, QPoint(0, 120),
                   Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(graph, &in);
    EXPECT_NEAR(View().T1() - View().T0(), 0.08, 1e-9);
    EXPECT_NEAR((View().T0() + View().T1()) / 2, 0.25, 0.002);
    QWheelEvent pan(QPointF(10, 10), graph->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, -120),
                    Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    const double t0 = View().T0();
    QApplication::sendEvent(graph, &pan);
    EXPECT_GT(View().T0(), t0);
}

// The trace area writes the window's memory itself: a whole repaint draws the traces there, a
// cursor move copies two thin strips back from the off-screen picture and inverts the cursor.
// What the window holds must be that picture, with the cursor (and only it) inverted.
TEST_F(Oscilloscope, TheWindowShowsThePictureWithOnlyTheCursorInverted) {
    TSignalsData& d = wb_.Signals.Data();
    for (int q = 0; q < d.SampleCount(); ++q) d.SetData(3, q, std::sin(q * 0.9));  // steep D
    d.CalcMaxima();
    Prepare();
    Window("0.2..0.3");
    TGraphArea* graph = Graph();
    auto shown = [&] {
        QApplication::processEvents();
        const QPoint at = graph->mapTo(&O(), QPoint(0, 0));
        return O()
            .screen()
            ->grabWindow(O().winId(), at.x(), at.y(), graph->width(), graph->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    auto withCursor = [&](int x) {
        QImage image = graph->Rendered().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int c = x - 1; c <= x + 1; ++c) image.setPixel(c, y, image.pixel(c, y) ^ 0xffffff);
        return image;
    };
    const QImage picture = graph->Rendered().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), graph->size());
    EXPECT_EQ(shown(), picture);

    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(shown(), withCursor(100));
    QTest::mouseMove(graph, QPoint(140, 10));
    EXPECT_EQ(shown(), withCursor(140)) << "the old place restored, the new one inverted";
    QTest::mouseMove(graph, QPoint(141, 10));
    EXPECT_EQ(shown(), withCursor(141)) << "strips that overlap";
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(141, 10));
    EXPECT_EQ(shown(), graph->Rendered().convertToFormat(QImage::Format_RGB32));
}

// A document with several screens showed no tabs until a screen command rebuilt them.
TEST_F(Oscilloscope, TheScreenTabsShowAtOpening) {
    O().close();
    wb_.Osc.AddView("Second");
    wb_.Osc.AddView("Third");
    osc_ = std::make_unique<TFormOsc>(wb_, dialogs_, nullptr);  // as the first run creates it
    O().layout()->activate();  // laid out once before the run fills the tabs
    Prepare();
    QTabBar* tabs = Tabs();
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(tabs->tabText(2), "Third");
    EXPECT_TRUE(tabs->isVisible());
    EXPECT_GE(tabs->height(), tabs->sizeHint().height());
    EXPECT_GT(tabs->height(), 0);
    EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(2))) << "every tab is on the bar";
}

// An oscilloscope without screens (a document can hold one) left no screen and Add disabled.
TEST_F(Oscilloscope, ADocumentWithoutScreensOpensWithOne) {
    O().close();
    wb_.Osc.DeleteView(0);
    ASSERT_EQ(wb_.Osc.ViewCount(), 0);
    O().PrepareForRun();
    O().show();
    QApplication::processEvents();
    ASSERT_EQ(Tabs()->count(), 1);
    EXPECT_EQ(Tabs()->tabText(0), "Экран 1");
    EXPECT_TRUE(Action("actViewAdd")->isEnabled());
    EXPECT_EQ(LabelText("lblTime1"), "1 : T1");
}

// Typing T and Enter in the start entry gave T/2, typing 0 in the length entry 0..T: the
// entry completed the text from its suggestions and Enter applied the completion.
TEST_F(Oscilloscope, EnterAppliesWhatWasTypedNotACompletion) {
    Window("0.2..0.3");
    Type(TEntryMode::Start, "T");
    EXPECT_FALSE(Entry()->isVisible());
    EXPECT_DOUBLE_EQ(View().T0(), 0.9);
    EXPECT_DOUBLE_EQ(View().T1(), 1.0);
    Type(TEntryMode::Length, "0");
    EXPECT_DOUBLE_EQ(View().T0(), 0.9);
    EXPECT_DOUBLE_EQ(View().T1(), 0.91) << "length 0 is the shortest window, not 0..T";
}

// An open entry stayed open when the user clicked a tab and then applied to the next screen.
TEST_F(Oscilloscope, AnOpenEntryIsCommittedToItsScreenWhenTheUserGoesElsewhere) {
    AddScreen("2");
    Tabs()->setCurrentIndex(0);
    Window("0.2..0.3");
    const std::vector<std::pair<const char*, std::function<void()>>> elsewhere = {
        {"a click on another tab",
         [&] { QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center()); }},
        {"a click on the signal list",
         [&] {
             QListWidget* list = List();
             QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                               list->visualItemRect(list->item(1)).center());
         }},
        {"a press on the traces",
         [&] {
             QTest::mousePress(Graph(), Qt::LeftButton, {}, QPoint(30, 10));
             QTest::mouseRelease(Graph(), Qt::LeftButton, {}, QPoint(30, 10));
         }},
        {"a click on the label strip",
         [&] { QTest::mouseClick(Strip(), Qt::LeftButton, {}, QPoint(30, 5)); }},
    };
    for (const auto& [name, action] : elsewhere) {
        SCOPED_TRACE(name);
        Tabs()->setCurrentIndex(0);
        Window("0.2..0.3");
        TView& first = wb_.Osc.View(0);
        TView& second = wb_.Osc.View(1);
        second.SetT0(0.5);
        second.SetT1(0.6);
        O().activateWindow();
        ClickTime(TEntryMode::Start);
        ASSERT_TRUE(Entry()->isVisible());
        Entry()->lineEdit()->setText("0.4");
        action();
        QApplication::processEvents();
        EXPECT_FALSE(Entry()->isVisible());
        EXPECT_DOUBLE_EQ(first.T0(), 0.4);
        EXPECT_DOUBLE_EQ(first.T1(), 0.5);
        EXPECT_DOUBLE_EQ(second.T0(), 0.5) << "the other screen keeps its window";
        EXPECT_DOUBLE_EQ(second.T1(), 0.6);
        while (wb_.Osc.View(0).TimeLabelCount() > 0) wb_.Osc.View(0).DeleteTimeLabel(0);
    }
}

// Left on the time scroll bar moved the window later in time.
TEST_F(Oscilloscope, LeftAndRightOnTheScrollBarMoveEarlierAndLater) {
    Window("0.2..0.3");
    ScrollBar()->setFocus();
    QTest::keyClick(ScrollBar(), Qt::Key_Left);
    EXPECT_DOUBLE_EQ(View().T0(), 0.19);
    QTest::keyClick(ScrollBar(), Qt::Key_Right);
    QTest::keyClick(ScrollBar(), Qt::Key_Right);
    EXPECT_DOUBLE_EQ(View().T0(), 0.21);
    EXPECT_DOUBLE_EQ(View().T1(), 0.31);
    QTest::keyClick(ScrollBar(), Qt::Key_PageDown);
    EXPECT_DOUBLE_EQ(View().T0(), 0.31) << "Page Down still moves on";
    QTest::keyClick(ScrollBar(), Qt::Key_Home);
    EXPECT_DOUBLE_EQ(View().T0(), 0);
}

// At the window's minimum size the T0 and T1 texts overlapped and the status bar was cut; at
// the panel's minimum width the "Значения" tab was cut.
TEST_F(Oscilloscope, NothingOverlapsOrIsCutAtTheMinimumSize) {
    Window("0.123..0.456");
    O().resize(O().minimumSize());
    QApplication::processEvents();
    const QSize outer = O().frameGeometry().size();
    EXPECT_GE(outer.width(), 300);
    EXPECT_GE(outer.height(), 200);

    auto textFits = [](QLabel* label) {
        return label->fontMetrics().horizontalAdvance(label->text()) <= label->width();
    };
    auto* t0 = Find<QLabel>("lblTime0");
    auto* t1 = Find<QLabel>("lblTime1");
    auto* caption = Find<QLabel>("lblCaption");
    EXPECT_FALSE(t0->geometry().intersects(t1->geometry()));
    EXPECT_FALSE(t0->geometry().intersects(caption->geometry()));
    EXPECT_FALSE(caption->geometry().intersects(t1->geometry()));
    EXPECT_TRUE(textFits(t0)) << t0->width();
    EXPECT_TRUE(textFits(t1)) << t1->width();
    EXPECT_TRUE(textFits(caption)) << caption->width();
    EXPECT_LE(TimePanel()->geometry().right(), TimePanel()->parentWidget()->width());

    QStatusBar* status = O().statusBar();
    EXPECT_GE(status->height(), status->minimumSizeHint().height());
    EXPECT_LE(status->geometry().bottom(), O().height() - 1);

    auto* panel = Find<QTabWidget>("tabControl");
    QTabBar* pages = panel->tabBar();
    EXPECT_LE(pages->tabRect(1).right(), panel->width()) << "the Значения tab is whole";
    EXPECT_GE(pages->tabRect(1).width(), pages->fontMetrics().horizontalAdvance(pages->tabText(1)));
    EXPECT_GT(Graph()->height(), 0);

    QTableWidget* grid = BeamGrid();
    const QRect shown = grid->visibleRegion().boundingRect();
    EXPECT_GE(shown.bottom() + 1, grid->rowViewportPosition(4) + grid->rowHeight(4))
        << "the beam table's last row is whole";
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

TEST_F(Oscilloscope, UndoRestoresZoomGainAndADeletedScreenExactly) {
    EXPECT_EQ(Action("actOscUndo")->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(Action("actOscRedo")->shortcut(), QKeySequence("Ctrl+Shift+Z"));
    EXPECT_FALSE(Action("actOscUndo")->isEnabled()) << "the history starts empty";

    TGraphArea* graph = Graph();
    QWheelEvent in(QPointF(100, 10), graph->mapToGlobal(QPointF(100, 10)), {}, QPoint(0, 120),
                   Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(graph, &in);
    QApplication::sendEvent(graph, &in);  // one burst
    const double t0 = View().T0(), t1 = View().T1();
    ASSERT_LT(t1 - t0, 1);
    Select({1});  // selecting ends the burst
    EditBeams(0, "3");
    ASSERT_EQ(View().Beam(1).Gain(), 3);
    AddScreen("Два");
    dialogs_.Confirms.push_back(TAnswer::Yes);
    Action("actViewDelete")->trigger();
    ASSERT_EQ(Tabs()->count(), 1);

    QAction* undo = Action("actOscUndo");
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(Tabs()->count(), 2);
    EXPECT_EQ(Tabs()->tabText(1), "Два");
    EXPECT_EQ(Tabs()->currentIndex(), 1);
    undo->trigger();  // the added screen
    EXPECT_EQ(Tabs()->count(), 1);
    undo->trigger();
    EXPECT_EQ(View().Beam(1).Gain(), 0);
    EXPECT_EQ(BeamGrid()->item(0, 1)->text(), "Авто");
    EXPECT_EQ(View().T0(), t0);
    EXPECT_EQ(View().T1(), t1);
    undo->trigger();
    EXPECT_EQ(View().T0(), 0);
    EXPECT_EQ(View().T1(), 1);
    EXPECT_FALSE(undo->isEnabled());

    Action("actOscRedo")->trigger();
    EXPECT_EQ(View().T0(), t0);
    EXPECT_EQ(View().T1(), t1);
}

TEST_F(Oscilloscope, FittingTheWindowSetsTheGainOfTheSelection) {
    Window("0..0.5");
    Select({3});
    Action("actBeamFit")->trigger();
    EXPECT_NEAR(View().Beam(3).Gain(), 1 / 0.499, 1e-12);
    Action("actOscUndo")->trigger();
    EXPECT_EQ(View().Beam(3).Gain(), 0);
}

}  // namespace
}  // namespace kvaril

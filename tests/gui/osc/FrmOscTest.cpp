// The oscilloscope window driven as a user drives it, over a store filled by hand.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>

#include <cmath>
#include "ScriptedDialogs.h"
#include "document/Cp1251.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/BeamPage.h"
#include "osc/FrmOsc.h"
#include "osc/PaintAreas.h"
#include "osc/TimePanel.h"
#include "ui/QtText.h"
#include "ui/Workbench.h"

namespace kvaril {
namespace {

// Four signals A..D, Q = 0.001, T = 1; the store holds a "run": A = 0.000000005, B = 0.5,
// C = 2/3 everywhere, D = t.
class Oscilloscope : public ::testing::Test {
  protected:
    void SetUp() override {
        TSignals& s = wb_.Signals;
        for (const char* name : {"A", "B", "C", "D"}) {
            auto signal = std::make_unique<TSignal>(s);
            signal->SetName(name);
            s.Insert(std::move(signal), -1);
        }
        s.SetQuantTime(0.001);
        s.SetTotalTime(1);
        Run();
        osc_ = std::make_unique<TFormOsc>(wb_, dialogs_, nullptr);
        Prepare();
    }

    void Run() {
        TSignalsData& d = wb_.Signals.Data();
        d.SetSize(wb_.Signals.Count(), wb_.Signals.QuantCount());
        for (int q = 0; q < d.SampleCount(); ++q) {
            d.SetData(0, q, 0.000000005);
            d.SetData(1, q, 0.5);
            d.SetData(2, q, 2.0 / 3.0);
            if (d.SignalCount() > 3) d.SetData(3, q, q * 0.001);
        }
    }
    // What the runner does after every successful run.
    void Prepare() {
        wb_.Osc.SyncWithSignals(wb_.Signals);
        O().PrepareForRun();
        O().resize(800, 500);
        O().show();
        QApplication::processEvents();
    }
    TFormOsc& O() { return *osc_; }
    TView& View() { return *O().CurrentView(); }
    QStringList ValueColumn(int column) {
        QStringList texts;
        for (int r = 0; r < O().tsValueGrid->RowCount; ++r)
            texts << O().tsValueGrid->Cell(r, column).first;
        return texts;
    }
    // Types into the beam table's editor of `row`, for the selected signals.
    void EditBeams(int row, const QString& text) {
        QTableWidget* grid = O().tsBeamGrid;
        grid->setCurrentCell(row, 1);
        grid->editItem(grid->item(row, 1));
        auto* editor = qobject_cast<QComboBox*>(grid->indexWidget(grid->model()->index(row, 1)));
        ASSERT_NE(editor, nullptr);
        editor->setEditText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void Select(std::initializer_list<int> rows) {
        O().tsBeamList->clearSelection();
        for (int r : rows) O().tsBeamList->item(r)->setSelected(true);
    }

    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(Oscilloscope, StartsWithOneScreenAndTheTimeTexts) {
    EXPECT_EQ(O().windowTitle(), "Kvaril - Многолучевой осциллограф");
    ASSERT_EQ(O().tabGraph->count(), 1);
    EXPECT_EQ(O().tabGraph->tabText(0), "Экран 1");
    EXPECT_EQ(O().pnlTime->lblTime0->text(), "T0 : 0");
    EXPECT_EQ(O().pnlTime->lblTime1->text(), "1 : T1");
    EXPECT_EQ(O().pnlTime->lblCaption->text(), "< dT : 1 >");
    EXPECT_EQ(O().tsBeamList->count(), 4);
    EXPECT_FALSE(O().actViewDelete->isEnabled());
}

TEST_F(Oscilloscope, PreparingAfterAnUnchangedRunKeepsEverything) {
    dialogs_.Names.push_back("Второй");
    O().ViewAdd();
    View().Beam(1).SetGain(3);
    auto label = std::make_unique<TTimeLabel>(wb_.Osc);
    label->SetTime(0.5);
    View().AddTimeLabel(std::move(label));
    O().close();
    Run();
    Prepare();
    EXPECT_EQ(O().tabGraph->count(), 2);
    EXPECT_EQ(O().tabGraph->currentIndex(), 1) << "the screen shown when it closed";
    EXPECT_EQ(View().Beam(1).Gain(), 3);
    EXPECT_EQ(View().TimeLabelCount(), 1);

    O().close();
    wb_.Signals.Items(1).SetName("Renamed");
    Run();
    Prepare();
    ASSERT_EQ(O().tabGraph->count(), 1);
    EXPECT_EQ(O().tabGraph->tabText(0), "Экран 1");
    EXPECT_EQ(View().Beam(1).Gain(), 0);
}

TEST_F(Oscilloscope, ClosingOnTheThirdScreenReopensIt) {
    for (const char* name : {"2", "3"}) {
        dialogs_.Names.push_back(name);
        O().ViewAdd();
    }
    EXPECT_EQ(O().tabGraph->currentIndex(), 2);
    O().close();
    Prepare();
    EXPECT_EQ(O().tabGraph->currentIndex(), 2);
    O().close();
    wb_.Signals.SetTotalTime(0.5);  // the model is reset
    Run();
    Prepare();
    EXPECT_EQ(O().tabGraph->currentIndex(), 0);
}

TEST_F(Oscilloscope, DeletingScreensSelectsTheNeighbour) {
    for (const char* name : {"2", "3"}) {
        dialogs_.Names.push_back(name);
        O().ViewAdd();
    }
    QApplication::processEvents();
    EXPECT_TRUE(O().actViewDelete->isEnabled());
    dialogs_.Confirms.push_back(TAnswer::No);
    O().ViewDelete();
    EXPECT_EQ(O().tabGraph->count(), 3);
    EXPECT_EQ(dialogs_.Asked.back(), "Вы действительно хотите удалить экран:\n<3> ?");
    dialogs_.Confirms.push_back(TAnswer::Yes);
    O().ViewDelete();  // the last of three
    EXPECT_EQ(O().tabGraph->count(), 2);
    EXPECT_EQ(O().tabGraph->currentIndex(), 1);
    O().tabGraph->setCurrentIndex(0);
    dialogs_.Confirms.push_back(TAnswer::Yes);
    O().ViewDelete();  // the first
    EXPECT_EQ(O().tabGraph->count(), 1);
    EXPECT_EQ(O().tabGraph->tabText(0), "2");
    QApplication::processEvents();
    EXPECT_FALSE(O().actViewDelete->isEnabled());
}

TEST_F(Oscilloscope, TheCursorIsClampedAndFollowsTheMouse) {
    TGraphArea* graph = O().pbGraph;
    const int w = graph->width();
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(0, 10));
    EXPECT_EQ(graph->CursorX, 1);
    EXPECT_DOUBLE_EQ(O().MeasureTime, 1.0 / w);
    EXPECT_EQ(O().pnlTime->lblCaption->text().left(3), "T: ");
    QTest::mouseMove(graph, QPoint(w + 50, 10));
    EXPECT_EQ(graph->CursorX, w - 1);
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(w + 50, 10));
    EXPECT_EQ(graph->CursorX, -1);
    EXPECT_EQ(O().MeasureTime, -1);
    EXPECT_EQ(O().pnlTime->lblCaption->text(), "< dT : 1 >");
    EXPECT_EQ(View().TimeLabelCount(), 0) << "a drag on the traces never sets labels";
}

TEST_F(Oscilloscope, ClicksOnTheLabelStripToggleLabels) {
    TLabelStrip* strip = O().pbLabels;
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(100, 5));
    ASSERT_EQ(View().TimeLabelCount(), 1);
    const double t = View().TimeLabel(0).Time();
    EXPECT_NEAR(t, 100.0 / O().pbGraph->width(), 1e-12);
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
    EXPECT_EQ(O().tsBeamGrid->item(0, 1)->text(), "Авто");
    EXPECT_EQ(O().tsMaxValueLabel->text(), "");
    Select({1});
    EXPECT_EQ(O().tsMaxValueLabel->text(), "Макс: 0.5 ");
    EditBeams(0, "2");
    Select({1, 2});
    EXPECT_EQ(O().tsBeamGrid->item(0, 1)->text(), "") << "the gains differ";
    EXPECT_TRUE(wb_.Osc.Modified);

    O().BeamsToOneGroup();
    O().BeamsToManyGroups();
    EXPECT_EQ(ValueColumn(0), QStringList({"1", "2", "3", "4"}));
}

TEST_F(Oscilloscope, TheMeasuredTimeDrivesTheValueColumn) {
    EXPECT_EQ(ValueColumn(2)[3], "0") << "values at T0";
    TGraphArea* graph = O().pbGraph;
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(graph->width() / 2, 10));
    EXPECT_EQ(ValueColumn(2)[3],
              QString::fromStdString(FormatFloat4(std::round(O().MeasureTime * 1000) / 1000)));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(graph->width() / 2, 10));
    EXPECT_EQ(ValueColumn(2)[3], "0");
}

TEST_F(Oscilloscope, TheTimeEntryCommitsWhatItHolds) {
    View().SetT0(0.2);
    View().SetT1(0.3);
    O().RefreshAll();
    EXPECT_EQ(O().sbTime->maximum(), 900);
    EXPECT_EQ(O().sbTime->value(), 200);
    EXPECT_EQ(O().sbTime->pageStep(), 100);
    EXPECT_EQ(O().sbTime->singleStep(), 10);

    O().TimePanelClick(2);
    ASSERT_TRUE(O().pnlTime->EntryOpen());
    EXPECT_EQ(O().pnlTime->edTime->currentText(), "0.1");
    EXPECT_EQ(O().StatusText(), "Значение интервала может быть в пределах от 0.01 до 1");
    EXPECT_EQ(O().pnlTime->edTime->itemText(1), "D*2");
    O().pnlTime->edTime->setCurrentIndex(1);  // picking a suggestion does not commit
    EXPECT_TRUE(O().pnlTime->EntryOpen());
    O().TimePanelClick(0);  // a click on a text while it is open only commits
    EXPECT_FALSE(O().pnlTime->EntryOpen());
    EXPECT_DOUBLE_EQ(View().T0(), 0.2);
    EXPECT_DOUBLE_EQ(View().T1(), 0.4);
    EXPECT_EQ(O().StatusText(), "");

    O().TimePanelClick(0);
    QLineEdit* edit = O().pnlTime->edTime->lineEdit();
    edit->setText("0.95");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(O().pnlTime->EntryOpen());
    EXPECT_DOUBLE_EQ(View().T0(), 0.8);
    EXPECT_DOUBLE_EQ(View().T1(), 1.0);

    O().sbTime->setValue(O().sbTime->value() - 20);
    EXPECT_DOUBLE_EQ(View().T0(), 0.78);
    EXPECT_EQ(O().pnlTime->lblTime0->text(), "T0 : 0.78");
}

TEST_F(Oscilloscope, TheFullRunRefusesStartAndEndEntries) {
    O().TimePanelClick(0);
    EXPECT_FALSE(O().pnlTime->EntryOpen());
    EXPECT_EQ(dialogs_.Beeps, 1);
    EXPECT_EQ(O().StatusText(), "На экране отображается полный интервал времен");
    O().TimePanelClick(2);
    EXPECT_TRUE(O().pnlTime->EntryOpen()) << "the length entry stays available";
}

TEST_F(Oscilloscope, ColourSchemesMarkTheSettingsModified) {
    wb_.Osc.Modified = false;
    O().mnuBlack->trigger();
    EXPECT_EQ(wb_.Osc.ColorScheme(), 2);
    EXPECT_TRUE(wb_.Osc.Modified);
    EXPECT_TRUE(O().mnuBlack->isChecked());
    EXPECT_EQ(O().pbGraph->Picture.pixelColor(O().pbGraph->width() / 2, 5), QColor(0, 0, 0));
}

TEST_F(Oscilloscope, TheWheelZoomsAroundThePointer) {
    View().SetT0(0.2);
    View().SetT1(0.3);
    O().RefreshAll();
    TGraphArea* graph = O().pbGraph;
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

}  // namespace
}  // namespace kvaril

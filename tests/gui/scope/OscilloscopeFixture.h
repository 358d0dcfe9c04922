#pragma once
// The oscilloscope window over a store filled by hand, and the ways a user drives it: the
// window's controls are found by their names.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>

#include "ScriptedDialogs.h"
#include "common/Workbench.h"
#include "document/uSignal.h"
#include "osc/OscSession.h"
#include "scope/BeamPage.h"
#include "scope/FrmOsc.h"
#include "scope/PaintAreas.h"
#include "scope/TimePanel.h"
#include "store/uSignalsData.h"

namespace kvaril::testing {

// Four signals A..D, Q = 0.001, T = 1; the store holds a "run": A = 0.000000005, B = 0.5,
// C = 2/3 everywhere, D = t.
class OscilloscopeFixture : public ::testing::Test {
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
    template <typename T>
    T* Find(const char* name) {
        T* child = O().findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QTabBar* Tabs() { return Find<QTabBar>("tabGraph"); }
    QListWidget* List() { return Find<QListWidget>("tsBeamList"); }
    QTableWidget* BeamGrid() { return Find<QTableWidget>("tsBeamGrid"); }
    TGraphArea* Graph() { return Find<TGraphArea>("pbGraph"); }
    TLabelStrip* Strip() { return Find<TLabelStrip>("pbLabels"); }
    TTimePanel* TimePanel() { return Find<TTimePanel>("pnlTime"); }
    QScrollBar* ScrollBar() { return Find<QScrollBar>("sbTime"); }
    QComboBox* Entry() { return Find<QComboBox>("edTime"); }
    QString LabelText(const char* name) { return Find<QLabel>(name)->text(); }
    QString Status() { return LabelText("pnlStatus"); }
    QAction* Action(const char* name) { return Find<QAction>(name); }
    TView& View() { return *O().Session().Current(); }
    const TOscSession& Session() { return O().Session(); }
    QStringList ValueColumn(int column) {
        auto* grid = Find<TValueGrid>("tsValueGrid");
        QStringList texts;
        for (int r = 0; r < grid->RowCount(); ++r) texts << grid->Text(r, column);
        return texts;
    }
    // Types into the beam table's editor of `row`, for the selected signals.
    void EditBeams(int row, const QString& text) {
        QTableWidget* grid = BeamGrid();
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
        List()->clearSelection();
        for (int r : rows) List()->item(r)->setSelected(true);
    }
    // A click on the time panel's start, middle or end.
    void ClickTime(TEntryMode where) {
        TTimePanel* panel = TimePanel();
        const int x = where == TEntryMode::Start ? 5
                      : where == TEntryMode::End ? panel->width() - 5
                                                 : panel->width() / 2;
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(x, panel->height() / 2));
    }
    // Opens the entry of `where`, types `text` key by key and presses Enter.
    void Type(TEntryMode where, const QString& text) {
        ClickTime(where);
        ASSERT_TRUE(Entry()->isVisible());
        QLineEdit* edit = Entry()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    // Sets the window of the current screen through the length entry.
    void Window(const QString& range) { Type(TEntryMode::Length, range); }
    void AddScreen(const char* name) {
        dialogs_.Names.push_back(name);
        Action("actViewAdd")->trigger();
    }

    TWorkbench wb_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
};

}  // namespace kvaril::testing

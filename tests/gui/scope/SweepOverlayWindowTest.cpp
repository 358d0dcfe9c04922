// A finished sweep shown in the oscilloscope window: every good run drawn over each beam in a
// ramp of its colour, named in the legend, a column per run in the values and the statistics;
// and the window as it was once the sweep is taken away.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <cmath>

#include "HandSweep.h"
#include "OpenOscilloscope.h"
#include "common/Dialogs.h"
#include "common/Workbench.h"
#include "osc/BeamPalette.h"
#include "osc/OscSession.h"
#include "osc/ScreenLayout.h"
#include "scope/BeamPage.h"
#include "scope/FrmOsc.h"
#include "scope/OscPainter.h"
#include "scope/PaintAreas.h"

namespace kvaril {
namespace {

// Signals In and Out, Q = 0.001, T = 1, as the main window leaves them after a sweep of Fc
// over 1000, 2000 and 4000 whose second run failed: the first run's samples in the store.
// Run r has In = (r + 1) sin and Out = 0.25.
class SweepOverlayWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSettings();
        MakeHandRun(wb_.Signals, {"In", "Out"}, 0.001, 1,
                    [](int s, int q) { return Sample(0, s, q); });
        wb_.Signals.Data().CalcMaxima();
        sweep_ = MakeHandSweep(wb_.Signals, {1000, 2000, 4000}, Sample, {1});
        osc_ = testing::OpenOscilloscope(wb_, dialogs_);
    }
    void TearDown() override {
        osc_.reset();
        ClearSettings();
    }
    static double Sample(int run, int signal, int q) {
        return signal == 0 ? (run + 1) * std::sin(q * 0.02) : 0.25;
    }
    static void ClearSettings() {
        QSettings settings("Dornek", "Kvaril");
        settings.remove("Oscilloscope");
        settings.remove("Windows/Oscilloscope");
    }
    QImage Picture() {
        QApplication::processEvents();
        return osc_->findChild<TGraphArea*>("pbGraph")->Rendered();
    }
    static int Count(const QImage& image, TRgb color, int rows) {
        const QRgb wanted = qRgb(color.R, color.G, color.B);
        int n = 0;
        for (int y = 0; y < std::min(rows, image.height()); ++y)
            for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == wanted;
        return n;
    }
    // The ramp of In's runs: the first beam of group 1, on the gray screen.
    static std::vector<TRgb> InRamp() {
        return SweepRamp(TColorScheme::Gray, BeamColor(TColorScheme::Gray, 0), 2);
    }
    void ShowPage(const QString& caption) {
        auto* tabs = osc_->findChild<QTabWidget*>("tabControl");
        ASSERT_NE(tabs, nullptr);
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == caption) tabs->setCurrentIndex(i);
        QApplication::processEvents();
    }

    TWorkbench wb_;
    TDialogs dialogs_;  // nothing here asks
    TSweepShownPtr sweep_;
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(SweepOverlayWindow, TheRunsAreDrawnAndNamedAfterSetSweep) {
    const QImage before = Picture();
    const std::vector<TRgb> ramp = InRamp();
    EXPECT_EQ(Count(before, ramp[0], before.height()), 0);
    osc_->SetSweep(sweep_);
    const QImage after = Picture();
    // Both good runs of In drawn in its ramp.
    EXPECT_GT(Count(after, ramp[0], after.height()), 300);
    EXPECT_GT(Count(after, ramp[1], after.height()), 300);
    // The window paints the session's layout, whose legend names the good runs in each band
    // (In's and Out's), with the legend choice off.
    TGraphPicture layout;
    osc_->Session().Picture().LayoutGraph(after.width(), after.height(), layout);
    QImage drawn(after.size(), QImage::Format_RGB32);
    PaintGraphImage(drawn, layout);
    EXPECT_EQ(drawn, after);
    std::vector<std::string> names;
    for (const TDrawItem& item : layout.Items)
        if (item.What == TDrawItem::RunLegend) names.push_back(item.Text);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Fc = 1000", "Fc = 4000", "Fc = 1000", "Fc = 4000"}));
    // Those names are text in the bands' top rows.
    std::vector<int> tops;
    for (const TDrawItem& item : layout.Items)
        if (item.What == TDrawItem::GroupNumber) tops.push_back(item.Y);
    ASSERT_EQ(tops.size(), 2u);
    std::erase_if(layout.Items, [](const TDrawItem& i) { return i.What == TDrawItem::RunLegend; });
    QImage bare(after.size(), QImage::Format_RGB32);
    PaintGraphImage(bare, layout);
    int differ = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (bare.pixel(x, y) != after.pixel(x, y)) {
                ++differ;
                EXPECT_TRUE((y >= tops[0] && y < tops[0] + 16) ||
                            (y >= tops[1] && y < tops[1] + 16))
                    << "only the legend's rows differ: " << x << ", " << y;
            }
    EXPECT_GT(differ, 100);
}

TEST_F(SweepOverlayWindow, WithoutTheSweepThePictureIsAsBefore) {
    const QImage before = Picture();
    osc_->SetSweep(sweep_);
    ASSERT_NE(Picture(), before);
    osc_->SetSweep(nullptr);
    EXPECT_EQ(Picture(), before) << "pixel for pixel";
}

TEST_F(SweepOverlayWindow, TheValuesGiveAColumnPerRun) {
    ShowPage("Значения");
    auto* grid = osc_->findChild<TValueGrid*>("tsValueGrid");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->ColumnCount(), 3);
    osc_->SetSweep(sweep_);
    QApplication::processEvents();
    ASSERT_EQ(grid->ColumnCount(), 4);
    EXPECT_EQ(grid->Titles(), (QStringList{"", "Луч", "Fc = 1000", "Fc = 4000"}));
    // At T0 In is 0 in every run; Out is 0.25 in both.
    EXPECT_EQ(grid->Text(1, 1), "Out");
    EXPECT_EQ(grid->Text(1, 2), "0.25");
    EXPECT_EQ(grid->Text(1, 3), "0.25");
    const std::vector<TRgb> ramp = InRamp();
    EXPECT_EQ(grid->Color(0, 2), QColor(ramp[0].R, ramp[0].G, ramp[0].B));
    EXPECT_EQ(grid->Color(0, 3), QColor(ramp[1].R, ramp[1].G, ramp[1].B));
    osc_->SetSweep(nullptr);
    QApplication::processEvents();
    EXPECT_EQ(grid->ColumnCount(), 3);
    EXPECT_TRUE(grid->Titles().isEmpty());
}

TEST_F(SweepOverlayWindow, TheStatisticsGiveAColumnPerBeamAndRun) {
    ShowPage("Статистика");
    auto* grid = osc_->findChild<QTableWidget*>("tsStatsGrid");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->columnCount(), 2);
    osc_->SetSweep(sweep_);
    QApplication::processEvents();
    ASSERT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "In\nFc = 1000");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "In\nFc = 4000");
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "Out\nFc = 1000");
    const int max = static_cast<int>(TMeasure::Max);
    EXPECT_EQ(grid->item(max, 0)->text(), "1");
    EXPECT_EQ(grid->item(max, 1)->text(), "3") << "the third run's own samples";
    const std::vector<TRgb> ramp = InRamp();
    EXPECT_EQ(grid->item(max, 1)->foreground().color(), QColor(ramp[1].R, ramp[1].G, ramp[1].B));
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// The A/B readout above the traces names each run shown, as the legend does; the window's
// picture export carries the same readout under its traces.
TEST_F(SweepOverlayWindow, TheCursorReadoutNamesEachRun) {
    osc_->SetSweep(sweep_);
    osc_->findChild<QAction*>("actCursors")->trigger();
    QApplication::processEvents();
    const QString readout = osc_->findChild<QLabel*>("pnlCursors")->text();
    for (const char* run : {"In: Fc = 1000", "In: Fc = 4000", "Out: Fc = 1000"})
        EXPECT_TRUE(readout.contains(run)) << run << " in " << readout.toStdString();
    EXPECT_FALSE(readout.contains("Fc = 2000")) << "the failed run is not shown";
    osc_->findChild<QAction*>("actCursors")->trigger();  // the settings are the user's
}

}  // namespace
}  // namespace kvaril

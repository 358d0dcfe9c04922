// The oscilloscope's View menu (beam names, a common scale for a group) and the grouping of the
// selected beams, driven as a user drives them.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QSettings>
#include <QSplitter>
#include <cmath>

#include "HandRun.h"
#include "OpenOscilloscope.h"
#include "common/Dialogs.h"
#include "common/Workbench.h"
#include "document/uSignal.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/PaintAreas.h"
#include "scope/PictureExport.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

// Signals In (a sine of amplitude 4) and Out (a tenth of it), Q = 0.001, T = 1.
class OscViewChoices : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSettings();
        MakeHandRun(wb_.Signals, {"In", "Out", "Third"}, 0.001, 1, [](int s, int q) {
            return s == 0 ? 4 * std::sin(q * 0.02) : s == 1 ? 0.4 * std::sin(q * 0.02) : 1;
        });
        wb_.Signals.Data().CalcMaxima();
        Open();
    }
    void TearDown() override {
        osc_.reset();
        ClearSettings();
    }
    static void ClearSettings() {
        QSettings settings("Dornek", "Kvaril");
        settings.remove("Oscilloscope");
        settings.remove("Windows/Oscilloscope");
    }
    void Open() { osc_ = testing::OpenOscilloscope(wb_, dialogs_); }
    QAction* Action(const char* name) {
        auto* a = osc_->findChild<QAction*>(name);
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    QImage Picture() {
        QApplication::processEvents();
        return osc_->findChild<TGraphArea*>("pbGraph")->Rendered();
    }
    // Pixels of the top left corner, beside the group number, that differ between two pictures.
    static int CornerDifference(const QImage& a, const QImage& b) {
        int differ = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = 12; x < 60; ++x) differ += a.pixel(x, y) != b.pixel(x, y);
        return differ;
    }

    TWorkbench wb_;
    TDialogs dialogs_;  // none of these steps asks anything
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(OscViewChoices, BothAreOffAtFirstAndRememberedInTheSettings) {
    QAction* legend = Action("actViewLegend");
    QAction* shared = Action("actViewSharedScale");
    ASSERT_TRUE(legend && shared);
    EXPECT_EQ(legend->text(), "&Подписи лучей");
    EXPECT_EQ(shared->text(), "&Общий масштаб групп");
    EXPECT_FALSE(legend->isChecked());
    EXPECT_FALSE(shared->isChecked());
    EXPECT_FALSE(osc_->Session().Picture().Legend());

    wb_.Osc.Modified = false;
    legend->trigger();
    shared->trigger();
    EXPECT_TRUE(osc_->Session().Picture().Legend());
    EXPECT_TRUE(osc_->Session().Picture().SharedGroupScale());
    EXPECT_FALSE(wb_.Osc.Modified) << "the document does not change";
    Open();  // the next start
    EXPECT_TRUE(Action("actViewLegend")->isChecked());
    EXPECT_TRUE(Action("actViewSharedScale")->isChecked());
    EXPECT_TRUE(osc_->Session().Picture().Legend());
    EXPECT_TRUE(osc_->Session().Picture().SharedGroupScale());
}

TEST_F(OscViewChoices, TheLegendIsDrawnAndExported) {
    Action("actBeamToManyGroup")->trigger();
    const QImage without = Picture();
    Action("actViewLegend")->trigger();
    EXPECT_GT(CornerDifference(without, Picture()), 20)
        << "the names are written beside the group number";

    const QSize size(400, 300);
    const QImage plain = RenderScreen(wb_.Osc, 0, wb_.Signals, size);
    const QImage named = RenderScreen(wb_.Osc, 0, wb_.Signals, size, nullptr,
                                      osc_->Session().Picture().LayoutOptions());
    EXPECT_GT(CornerDifference(plain, named), 20) << "the export has them too";
}

TEST_F(OscViewChoices, ACommonScaleKeepsTheRatioOfAGroup) {
    // In and Out in one group, Third apart.
    Action("actBeamToManyGroup")->trigger();
    auto* list = osc_->findChild<QListWidget*>("tsBeamList");
    list->clearSelection();
    list->item(0)->setSelected(true);
    list->item(1)->setSelected(true);
    Action("actBeamToOneGroup")->trigger();
    ASSERT_EQ(wb_.Osc.View(0).Beam(1).Group(), 1);
    // The extent of Out's colour (second in its group) in the picture.
    const auto outRows = [this] {
        const QImage image = Picture();
        const QRgb colour = QColor(0, 128, 0).rgb();
        int top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == colour) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return bottom - top;
    };
    const int own = outRows();
    Action("actViewSharedScale")->trigger();
    const int common = outRows();
    EXPECT_GT(own, 0);
    EXPECT_NEAR(common, own / 10.0, 3) << "a tenth of In's swing";
}

TEST_F(OscViewChoices, ToOneGroupActsOnTheSelectedBeams) {
    Action("actBeamToManyGroup")->trigger();
    auto* list = osc_->findChild<QListWidget*>("tsBeamList");
    list->clearSelection();
    list->item(1)->setSelected(true);
    list->item(2)->setSelected(true);
    Action("actBeamToOneGroup")->trigger();
    const TView& view = wb_.Osc.View(0);
    EXPECT_EQ(view.Beam(0).Group(), 1);
    EXPECT_EQ(view.Beam(1).Group(), 2);
    EXPECT_EQ(view.Beam(2).Group(), 2);

    list->clearSelection();
    list->item(0)->setSelected(true);
    Action("actBeamToOneGroup")->trigger();
    EXPECT_EQ(view.Beam(2).Group(), 1) << "one selected: every beam";
}

TEST_F(OscViewChoices, TheWindowAndItsSplitterComeBack) {
    osc_->resize(700, 450);
    auto* split = osc_->findChild<QSplitter*>("tabControlSplit");
    split->setSizes({260, 400});
    QApplication::processEvents();
    const QList<int> sizes = split->sizes();
    osc_->close();
    Open();
    EXPECT_EQ(osc_->findChild<QSplitter*>("tabControlSplit")->sizes().front(), sizes.front());
}

}  // namespace
}  // namespace kvaril

// The Измерения page through the real window: off at first, "Вид → Измерения" shows it and is
// remembered, the beams' numbers and the reasons fill its table, and the measures ticked under
// "Меры" are its rows.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include "HandRun.h"
#include "ScriptedDialogs.h"
#include "common/Workbench.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"

namespace kvaril {
namespace {

class MeasurePage : public ::testing::Test {
  protected:
    void SetUp() override {
        QSettings("Dornek", "Kvaril").remove("Oscilloscope/Measures");
        QSettings("Dornek", "Kvaril").remove("Oscilloscope/MeasureKeys");
        QSettings("Dornek", "Kvaril").remove("Oscilloscope/MeasurePairs");
        // Square: 20 ms periods, high 5 ms of them; Flat: 0.5 throughout; Late: Square 2 ms
        // later.
        MakeHandRun(wb_.Signals, {"Square", "Flat", "Late"}, 1e-4, 0.1, [](int s, int q) {
            const int at = s == 2 ? q + 180 : q;
            return s == 1 ? 0.5 : (at % 200 < 50 ? 1.0 : 0.0);
        });
        Open();
    }
    void Open() {
        osc_ = std::make_unique<TFormOsc>(wb_, dialogs_, nullptr);
        FinishRun(wb_.Signals, wb_.Osc);
        osc_->PrepareForRun();
        osc_->resize(900, 500);
        osc_->show();
        QApplication::processEvents();
    }
    QTableWidget* Grid() { return osc_->findChild<QTableWidget*>("tsMeasureGrid"); }
    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(MeasurePage, AppearsWhenChosenAndMeasuresEachBeam) {
    auto* action = osc_->findChild<QAction*>("actMeasures");
    ASSERT_NE(action, nullptr);
    EXPECT_FALSE(action->isChecked()) << "off at first";
    ASSERT_NE(Grid(), nullptr);
    EXPECT_FALSE(Grid()->isVisible());

    action->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(Grid()->isVisible());
    ASSERT_EQ(Grid()->rowCount(), 7);  // the default measures
    ASSERT_EQ(Grid()->columnCount(), 3);
    EXPECT_EQ(Grid()->verticalHeaderItem(0)->text(), "частота");
    EXPECT_EQ(Grid()->item(0, 0)->text(), "50,000 Гц");
    EXPECT_EQ(Grid()->item(5, 0)->text(), "25,00 %");  // duty
    EXPECT_EQ(Grid()->item(0, 1)->text(), "сигнал постоянен в интервале");

    // Remembered: a new window shows the page again, its tab within the panel.
    Open();
    EXPECT_TRUE(osc_->findChild<QAction*>("actMeasures")->isChecked());
    auto* tabs = osc_->findChild<QTabWidget*>("tabControl");
    ASSERT_NE(tabs, nullptr);
    const int index = tabs->indexOf(Grid()->parentWidget());
    ASSERT_GE(index, 0);
    EXPECT_TRUE(tabs->tabBar()->rect().contains(tabs->tabBar()->tabRect(index)))
        << "the tab lies beyond the panel's edge";
}

TEST_F(MeasurePage, TheMeasuresTickedAreItsRows) {
    osc_->findChild<QAction*>("actMeasures")->trigger();
    QApplication::processEvents();
    auto* button = osc_->findChild<QToolButton*>("btMeasureChoose");
    ASSERT_NE(button, nullptr);
    for (QAction* a : button->menu()->actions())
        if (a->text() == "частота" || a->text() == "период") a->trigger();  // off, on
    QApplication::processEvents();
    ASSERT_EQ(Grid()->rowCount(), 7);
    EXPECT_EQ(Grid()->verticalHeaderItem(0)->text(), "период");
    EXPECT_EQ(Grid()->item(0, 0)->text().toStdString().substr(0, 4), "0.02");

    // Delay and phase from the first beam: Late rises 2 ms after Square, a tenth of its period.
    for (QAction* a : button->menu()->actions())
        if (a->objectName() == "actMeasurePairs") a->trigger();
    QApplication::processEvents();
    ASSERT_EQ(Grid()->rowCount(), 9);
    EXPECT_EQ(Grid()->verticalHeaderItem(7)->text(), "задержка от Square");
    EXPECT_EQ(Grid()->item(7, 2)->text(), "0.002");
    EXPECT_EQ(Grid()->item(8, 2)->text(), "36,0 °");
    EXPECT_EQ(Grid()->item(7, 0)->text(), "");
}

}  // namespace
}  // namespace kvaril

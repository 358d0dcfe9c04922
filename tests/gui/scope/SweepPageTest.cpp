// A sweep in the oscilloscope window: the "Свип" page appears with it and goes with it, measures
// every run with the signal, measure and interval chosen, copies its table; the spectrum window
// overlays the runs of the beam.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <cmath>

#include "HandSweep.h"
#include "ScriptedDialogs.h"
#include "common/Workbench.h"
#include "document/uBeam.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/FrmSpectrum.h"
#include "scope/SpectrumPlot.h"
#include "scope/SweepPage.h"
#include "scope/SweepPlot.h"

namespace kvaril {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kQuant = 1e-5;  // 1000 samples: bins of 100 Hz

double Sample(const std::vector<double>& values, int signal, int q) {
    const double fc = values[0];
    return signal == 0 ? std::sin(2 * kPi * fc * q * kQuant) : 0.1 * fc / 1000;
}

// Tone = sin(2π·Fc·t), Level = Fc / 10000; Fc = 1000, 2000 (failed), 4000. The workbench holds
// the first run, as after a sweep.
class SweepPage : public ::testing::Test {
  protected:
    void SetUp() override {
        sweep_ = MakeHandSweep({"Tone", "Level"}, kQuant, 0.01, {{"Fc", {1000, 2000, 4000}, true}},
                               Sample, {1});
        MakeHandRun(wb_.Signals, {"Tone", "Level"}, kQuant, 0.01,
                    [](int s, int q) { return Sample({1000}, s, q); });
        osc_ = std::make_unique<TFormOsc>(wb_, dialogs_, nullptr);
        FinishRun(wb_.Signals, wb_.Osc);
        osc_->PrepareForRun();
        osc_->resize(1000, 600);
        osc_->show();
        osc_->Session().Current()->SetT0(0);
        osc_->Session().Current()->SetT1(0.00999);  // every tone on a bin
        QApplication::processEvents();
    }
    template <typename T>
    T* Find(QWidget* in, const char* name) {
        T* child = in->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QTabWidget* Tabs() { return Find<QTabWidget>(osc_.get(), "tabControl"); }
    TSweepPage* Page() { return Find<TSweepPage>(osc_.get(), "tsSweep"); }
    bool PageListed() { return Tabs()->indexOf(Page()) >= 0; }
    void Choose(const char* combo, const QString& text) {
        auto* box = Find<QComboBox>(Page(), combo);
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        QApplication::processEvents();
    }
    QStringList Column(int c) {
        auto* grid = Find<QTableWidget>(Page(), "tsSweepGrid");
        QStringList texts;
        for (int r = 0; r < grid->rowCount(); ++r)
            texts << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        return texts;
    }
    QString Header(int c) {
        auto* grid = Find<QTableWidget>(Page(), "tsSweepGrid");
        return grid->horizontalHeaderItem(c) ? grid->horizontalHeaderItem(c)->text() : QString();
    }

    std::shared_ptr<TSweepShown> sweep_;
    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(SweepPage, AppearsWithASweepAndGoesWithIt) {
    EXPECT_FALSE(PageListed());
    const int pages = Tabs()->count();
    const int minimum = Tabs()->minimumWidth();
    osc_->SetSweep(sweep_);
    EXPECT_TRUE(PageListed());
    EXPECT_EQ(Tabs()->tabText(Tabs()->indexOf(Page())), "Свип");
    QApplication::processEvents();
    const QTabBar* bar = Tabs()->tabBar();
    EXPECT_LE(bar->tabRect(Tabs()->indexOf(Page())).right(), bar->width()) << "its tab is seen";
    Tabs()->setCurrentWidget(Page());
    QApplication::processEvents();
    EXPECT_TRUE(Page()->isVisible());
    osc_->SetSweep(nullptr);
    EXPECT_FALSE(PageListed());
    EXPECT_EQ(Tabs()->count(), pages);
    EXPECT_EQ(Tabs()->minimumWidth(), minimum) << "the panel may be as narrow as before";
    EXPECT_FALSE(Page()->isVisible());
    EXPECT_NE(Tabs()->currentWidget(), Page()) << "another page is shown in its place";
    EXPECT_TRUE(Page()->Table().Rows.empty()) << "the runs are let go";
}

TEST_F(SweepPage, TabulatesTheChosenMeasureOfEveryRun) {
    osc_->SetSweep(sweep_);
    Tabs()->setCurrentWidget(Page());
    QApplication::processEvents();
    // The first shown beam to begin with; its peak's frequency follows Fc.
    EXPECT_EQ(Find<QComboBox>(Page(), "cbSweepSignal")->currentText(), "Tone");
    Choose("cbSweepMeasure", "f пика");
    EXPECT_EQ(Header(0), "Fc");
    EXPECT_EQ(Header(1), "f пика");
    EXPECT_EQ(Column(0), (QStringList{"1000", "2000", "4000"}));
    EXPECT_EQ(Column(1), (QStringList{"1,0000 кГц", "ошибка", "4,0000 кГц"}));
    EXPECT_TRUE(Find<QLabel>(Page(), "lbSweepNote")->isVisible()) << "the failed run is told";
    // The plot: Fc against the measure on a logarithmic Fc axis, the failed run left out.
    const TSweepPlot* plot = Page()->Plot();
    ASSERT_EQ(plot->Curves().size(), 1u);
    EXPECT_EQ(plot->Curves()[0].X, (std::vector<double>{1000, 4000}));
    EXPECT_TRUE(plot->Axes().LogX);

    Choose("cbSweepSignal", "Level");
    Choose("cbSweepMeasure", "среднее");
    EXPECT_EQ(Column(1), (QStringList{"0.1", "ошибка", "0.4"}));
    Find<QPushButton>(Page(), "btSweepCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "Fc\tсреднее\n1000\t0.1\n2000\t\n4000\t0.4\n");

    Choose("cbSweepSignal", "Tone");
    Choose("cbSweepMeasure", "min");
    // 4000 Hz is 25 samples a period: none falls on the trough.
    EXPECT_EQ(Column(1), (QStringList{"-1", "ошибка", "-0.998"}));
    auto* interval = Find<QComboBox>(Page(), "cbSweepInterval");
    EXPECT_EQ(interval->currentText(), "Окно");
    EXPECT_GE(interval->findText("Весь запуск"), 0);
    EXPECT_GE(interval->findText("A..B (нет курсоров)"), 0);
    // Between two markers a quarter period of 1000 Hz apart: a whole period of 4000 Hz.
    for (double t : {0.0, 0.00025}) {
        auto label = std::make_unique<TTimeLabel>(wb_.Osc);
        label->SetTime(t);
        osc_->Session().Current()->AddTimeLabel(std::move(label));
    }
    osc_->SetSweep(sweep_);  // any action shows the session anew
    Choose("cbSweepInterval", "m1..m2");
    EXPECT_EQ(Column(1), (QStringList{"0", "ошибка", "-0.998"}));
}

TEST_F(SweepPage, TheWindowOfTimeIsMeasuredAsItMoves) {
    osc_->SetSweep(sweep_);
    Tabs()->setCurrentWidget(Page());
    QApplication::processEvents();
    Choose("cbSweepMeasure", "n");
    EXPECT_EQ(Column(1), (QStringList{"1000", "ошибка", "1000"}));
    // A narrower window, then a refresh as after any action: the page measures it anew.
    osc_->Session().Current()->SetT1(0.00099);
    osc_->SetSweep(sweep_);
    EXPECT_EQ(Column(1), (QStringList{"100", "ошибка", "100"}));
}

TEST_F(SweepPage, TheSpectrumWindowOverlaysEveryGoodRunOfTheBeam) {
    osc_->SetSweep(sweep_);
    osc_->findChild<QAction*>("actSpectrum")->trigger();
    TFormSpectrum* form = osc_->SpectrumWindow();
    ASSERT_NE(form, nullptr);
    QApplication::processEvents();
    const std::vector<TBeamSpectrum>& spectra = form->Spectra();
    ASSERT_EQ(spectra.size(), 2u) << "one curve per run that has samples, of the first beam";
    EXPECT_EQ(spectra[0].Name, "Fc = 1000");
    EXPECT_EQ(spectra[1].Name, "Fc = 4000");
    EXPECT_NEAR(spectra[0].Peak.Frequency, 1000, 1);
    EXPECT_NEAR(spectra[1].Peak.Frequency, 4000, 1);
    EXPECT_NE(form->Plot()->CurveColor(spectra[0]), form->Plot()->CurveColor(spectra[1]));
    // The peak table names the runs.
    auto* peaks = Find<QTableWidget>(form, "tbSpectrumPeaks");
    ASSERT_GE(peaks->rowCount(), 2);
    EXPECT_EQ(peaks->item(0, 0)->text(), "Fc = 1000");
    // Without the sweep, the beams of the current run again.
    osc_->SetSweep(nullptr);
    osc_->findChild<QAction*>("actSpectrum")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(form->Spectra().size(), 2u);
    EXPECT_EQ(form->Spectra()[0].Name, "Tone");
    EXPECT_EQ(form->Spectra()[1].Name, "Level");
}

}  // namespace
}  // namespace kvaril

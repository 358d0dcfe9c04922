// The frequency-response window through its real widgets: opened on the selected beams, it
// measures a one-pole low-pass driven by noise, marks its half-power frequency, and says why when
// there is nothing to estimate.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <cmath>

#include "HandRun.h"
#include "ScriptedDialogs.h"
#include "common/Workbench.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/FrmResponse.h"
#include "scope/SpectrumPlot.h"

namespace kvaril {
namespace {

constexpr double kQuant = 1e-4, kPole = 0.9;

// X: uniform noise; Y: X through y = (1 − a)·x + a·y₋₁; Zero: 0 throughout.
std::vector<double> Samples(int n) {
    std::vector<double> x(static_cast<size_t>(n));
    unsigned long long state = 12345;
    for (double& v : x) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        v = static_cast<double>(state >> 11) / 9007199254740992.0 * 2 - 1;
    }
    return x;
}

class ResponseWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        QSettings("Dornek", "Kvaril").remove("Response");
        const std::vector<double> x = Samples(10001);
        std::vector<double> y(x.size());
        for (size_t q = 0; q < x.size(); ++q)
            y[q] = (1 - kPole) * x[q] + kPole * (q > 0 ? y[q - 1] : 0);
        MakeHandRun(wb_.Signals, {"X", "Y", "Zero"}, kQuant, 1, [&](int s, int q) {
            return s == 0 ? x[size_t(q)] : s == 1 ? y[size_t(q)] : 0.0;
        });
        osc_ = std::make_unique<TFormOsc>(wb_, dialogs_, nullptr);
        FinishRun(wb_.Signals, wb_.Osc);
        osc_->PrepareForRun();
        osc_->resize(900, 500);
        osc_->show();
        QApplication::processEvents();
    }
    TFormResponse* Open(std::initializer_list<int> selected) {
        auto* list = osc_->findChild<QListWidget*>("tsBeamList");
        for (int row : selected) list->item(row)->setSelected(true);
        osc_->findChild<QAction*>("actResponse")->trigger();
        QApplication::processEvents();
        return osc_->ResponseWindow();
    }
    template <typename T>
    T* Find(TFormResponse* form, const char* name) {
        T* child = form->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(ResponseWindow, MeasuresTheSelectedFilterAndMarksItsHalfPowerFrequency) {
    TFormResponse* form = Open({0, 1});
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Find<QComboBox>(form, "cbResponseInput")->currentText(), "X");
    auto* outputs = Find<QListWidget>(form, "lstResponseOutputs");
    ASSERT_EQ(outputs->count(), 3);
    EXPECT_EQ(outputs->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(outputs->item(2)->checkState(), Qt::Unchecked);

    ASSERT_EQ(form->Estimates().Runs.size(), 1u);
    const TResponseMarks marks = ResponseMarks(form->Estimates().Runs[0], 0);
    ASSERT_EQ(marks.HalfPowerFrequencies.size(), 1u);
    const double formula =
        std::acos((-1 + 4 * kPole - kPole * kPole) / (2 * kPole)) / (2 * M_PI * kQuant);
    EXPECT_NEAR(marks.HalfPowerFrequencies[0], formula, formula * 0.01);
    EXPECT_TRUE(Find<QLabel>(form, "lbResponseMarks")->text().contains("−3 дБ:"));
    EXPECT_TRUE(Find<QLabel>(form, "lbResponseRange")->text().contains("сегментов по "));

    auto* at = Find<QLineEdit>(form, "edResponseAt");
    at->setText("1k");
    Q_EMIT at->editingFinished();
    EXPECT_TRUE(Find<QLabel>(form, "lbResponseMarks")->text().contains("на 1,000 кГц: −"))
        << Find<QLabel>(form, "lbResponseMarks")->text().toStdString();
}

TEST_F(ResponseWindow, SaysWhyWhenThereIsNothingToEstimate) {
    TFormResponse* form = Open({2, 1});  // the input is the zero signal
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Find<QComboBox>(form, "cbResponseInput")->currentText(), "Y");  // document order
    auto* input = Find<QComboBox>(form, "cbResponseInput");
    input->setCurrentIndex(2);  // Zero
    EXPECT_TRUE(form->Estimates().Runs.empty());
    EXPECT_TRUE(Find<QLabel>(form, "lbResponseRange")->text().contains("Вход Zero равен нулю"));

    auto* outputs = Find<QListWidget>(form, "lstResponseOutputs");
    for (int i = 0; i < outputs->count(); ++i) outputs->item(i)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(Find<QLabel>(form, "lbResponseRange")->text().contains("хотя бы один выход"));
}

}  // namespace
}  // namespace kvaril

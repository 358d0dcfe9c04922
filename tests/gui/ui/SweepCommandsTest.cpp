// "Моделирование → Свип..." through the real main window: every run reaches the oscilloscope,
// a failing value set is tabled while the others show, the sweep is remembered per document,
// and the document itself never changes.

#include <QCheckBox>
#include <QComboBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "base/uCommon.h"
#include "common/DlgSweep.h"
#include "common/Settings.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

class SweepCommands : public testing::MainWindowFixture {
  protected:
    void SetUp() override {
        OpenSettings().remove("Modelling");
        OpenSettings().remove(settings::kSweeps.Key);
        MainWindowFixture::SetUp();
        // Beside the editor, so that showing the runs does not wait for the window to close.
        Action("actOscBeside")->setChecked(true);
        AddSignal("Tone");
        // 1 div Round(Freq) is 0 for these frequencies; for 0 the compiler refuses the
        // constant division by zero.
        QTest::keyClicks(Editor(), "Sin(2 * Pi * Freq * t) + 1 div Round(Freq)");
        W().StoreEditor();
        Signals().Items(0).Lines().insert(Signals().Items(0).Lines().begin(), "const Freq = 50;");
        W().LoadEditor();
        Idle();
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        OpenSettings().remove("Modelling");
        OpenSettings().remove(settings::kSweeps.Key);
    }

    static TSweepForm Freqs(const std::string& list) {
        TSweepForm form;
        form.Name = "Tone.Freq";
        form.List = list;
        return form;
    }
    // The next sweep dialog answers `forms` and keeps what it started from.
    void Answer(std::vector<TSweepForm> forms) {
        dialogs_.Sweeps.push_back([this, forms](const std::vector<TSweepForm>& previous) {
            offered_.push_back(previous);
            return std::optional<std::vector<TSweepForm>>(forms);
        });
    }
    const TSweepShown* Shown() {
        return W().Oscilloscope() ? W().Oscilloscope()->Session().References().Sweep() : nullptr;
    }

    std::vector<std::vector<TSweepForm>> offered_;
};

TEST_F(SweepCommands, EveryRunReachesTheOscilloscopeAndTheDocumentStaysAsItWas) {
    const std::vector<std::string> text = Signals().Items(0).Lines();
    const bool modified = Signals().Modified;
    Answer({Freqs("10, 20, 40")});
    Action("actModelSweep")->trigger();

    ASSERT_NE(W().Oscilloscope(), nullptr);
    EXPECT_TRUE(W().Oscilloscope()->isVisible());
    const TSweepShown* shown = Shown();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->Result.Runs.size(), 3u);
    EXPECT_TRUE(dialogs_.SweepFailureTables.isEmpty());
    EXPECT_EQ(W().StatusText(), "Свип: 3 прогона, Ok");
    // Each run computed its own frequency; the window's current run is the first.
    const double dt = Signals().QuantTime();
    const int q = 7;
    for (int run = 0; run < 3; ++run) {
        const double freq = 10.0 * (1 << run);
        ASSERT_TRUE(shown->Result.Runs[run].Ok());
        EXPECT_NEAR(shown->Result.Runs[run].Signals->Data().GetData(0, q),
                    std::sin(2 * M_PI * freq * q * dt), 1e-9)
            << freq;
    }
    EXPECT_NEAR(Signals().Data().GetData(0, q), std::sin(2 * M_PI * 10 * q * dt), 1e-9);
    EXPECT_EQ(Signals().Items(0).Lines(), text) << "the sweep writes into copies only";
    EXPECT_EQ(Signals().Modified, modified);

    // The next sweep starts from this one, and a plain run shows the current run alone.
    Answer({Freqs("5")});
    Action("actModelSweep")->trigger();
    ASSERT_EQ(offered_.size(), 2u);
    EXPECT_TRUE(offered_[0].empty());
    EXPECT_EQ(offered_[1], std::vector<TSweepForm>{Freqs("10, 20, 40")});
    ASSERT_NE(Shown(), nullptr);
    EXPECT_EQ(Shown()->Result.Runs.size(), 1u);
    Action("actModelRun")->trigger();
    EXPECT_EQ(Shown(), nullptr);
    EXPECT_NEAR(Signals().Data().GetData(0, q), std::sin(2 * M_PI * 50 * q * dt), 1e-9);
}

TEST_F(SweepCommands, AFailingValueSetIsTabledWhileTheOthersShow) {
    Answer({Freqs("0, 5, 10")});
    Action("actModelSweep")->trigger();
    ASSERT_EQ(dialogs_.SweepFailureTables.size(), 1);
    const std::vector<TSweepFailure>& failures = dialogs_.SweepFailureTables[0];
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].Values, "Freq = 0");
    EXPECT_EQ(failures[0].Signal, "Tone");
    EXPECT_EQ(failures[0].Phase, "Компиляция");
    EXPECT_FALSE(failures[0].Message.empty());
    EXPECT_EQ(W().StatusText(), "Свип: 2 из 3 прогонов, 1 с ошибкой");
    ASSERT_NE(Shown(), nullptr);
    EXPECT_FALSE(Shown()->Result.Runs[0].Ok());
    EXPECT_TRUE(Shown()->Result.Runs[1].Ok());
    // The window's current run is the first that succeeded.
    const double dt = Signals().QuantTime();
    EXPECT_NEAR(Signals().Data().GetData(0, 3), std::sin(2 * M_PI * 5 * 3 * dt), 1e-9);
}

TEST_F(SweepCommands, OneButtonStopsEveryRun) {
    W().StoreEditor();
    for (std::string& line : Signals().Items(0).Lines())
        if (line.find("Value :=") != std::string::npos)
            line = "  while t >= 0 do Value := Value + Freq;";
    W().LoadEditor();
    Answer({Freqs("1, 2, 3, 4")});
    QString label;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = W().findChild<QProgressDialog*>();
        if (!box || !box->isVisible()) return;
        watch.stop();
        label = box->labelText();
        QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton);
    });
    watch.start(20);
    Action("actModelSweep")->trigger();
    watch.stop();

    EXPECT_TRUE(label.startsWith("Свип")) << label.toStdString();
    EXPECT_EQ(W().StatusText(), "Свип прерван");
    EXPECT_TRUE(dialogs_.SweepFailureTables.isEmpty()) << "stopped runs are no failures";
    EXPECT_EQ(Shown(), nullptr);
    EXPECT_FALSE(W().Busy());
}

TEST_F(SweepCommands, TheSettingsKeepTheSweepOfEachSavedDocument) {
    dialogs_.Files.push_back(Path("tone.sig"));
    Action("actFileSaveAs")->trigger();
    TSweepForm range;
    range.Name = "Tone.Freq";
    range.Range = true;
    range.From = "10";
    range.To = "1000";
    range.Count = "3";
    range.Logarithmic = true;
    Answer({range});
    Action("actModelSweep")->trigger();
    ASSERT_NE(Shown(), nullptr);
    EXPECT_EQ(Shown()->Sweep.RunCount(), 3);

    std::vector<std::string> entries;
    for (const QString& entry : ReadSetting(settings::kSweeps))
        entries.push_back(entry.toStdString());
    EXPECT_EQ(RememberedSweep(entries, Path("tone.sig").toStdString()),
              std::vector<TSweepForm>{range});
    // A cancelled dialog runs nothing and keeps what was shown.
    dialogs_.Sweeps.push_back(
        [](const std::vector<TSweepForm>&) { return std::optional<std::vector<TSweepForm>>(); });
    Action("actModelSweep")->trigger();
    ASSERT_NE(Shown(), nullptr);
    EXPECT_EQ(Shown()->Sweep.RunCount(), 3);
}

TEST_F(SweepCommands, ADocumentWithoutNumericConstantsIsToldWhy) {
    W().StoreEditor();
    Signals().Items(0).Lines().erase(Signals().Items(0).Lines().begin());
    W().LoadEditor();
    Action("actModelSweep")->trigger();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_TRUE(dialogs_.Errors[0].startsWith("Свип невозможен|"))
        << dialogs_.Errors[0].toStdString();
    EXPECT_EQ(Shown(), nullptr);
}

TEST_F(SweepCommands, TheDialogChecksTheSweepAsItIsTyped) {
    TDlgSweep dialog(&W(), Signals(), {});
    TDlgSweep::TRow& row = dialog.Rows[0];
    EXPECT_EQ(row.cbConstant->currentText(), "Tone.Freq = 50");
    EXPECT_EQ(dialog.Rows[1].cbConstant->currentText(), "нет");
    EXPECT_FALSE(dialog.btnOk->isEnabled()) << "no values yet";
    EXPECT_EQ(dialog.lblCheck->text(), "Задайте список значений или диапазон");
    EXPECT_FALSE(dialog.Rows[1].edList->isEnabled()) << "the second row has no constant";

    QTest::keyClicks(row.edFrom, "500");
    EXPECT_TRUE(row.rbRange->isChecked()) << "typing into the range picks it";
    QTest::keyClicks(row.edTo, "4000");
    QTest::keyClicks(row.edCount, "8");
    row.chLog->setChecked(true);
    EXPECT_EQ(dialog.lblCheck->text(), "8 прогонов");
    EXPECT_TRUE(dialog.btnOk->isEnabled());

    dialog.Rows[1].cbConstant->setCurrentIndex(1);  // the same constant again
    EXPECT_TRUE(dialog.Rows[1].edList->isEnabled());
    QTest::keyClicks(dialog.Rows[1].edList, "1,2");
    EXPECT_FALSE(dialog.btnOk->isEnabled());
    EXPECT_TRUE(dialog.lblCheck->text().contains("дважды"))
        << dialog.lblCheck->text().toStdString();
    dialog.Rows[1].cbConstant->setCurrentIndex(0);
    QTest::keyClicks(row.edList, "1,2");
    EXPECT_TRUE(row.rbList->isChecked());
    QTest::keyClicks(row.edList, ",");
    EXPECT_EQ(dialog.lblCheck->text(), "Значения Tone.Freq: пустое значение") << "a real mistake";
    QTest::keyClick(row.edList, Qt::Key_Backspace);
    EXPECT_EQ(dialog.lblCheck->text(), "2 прогона");

    // The dialog opens as it was left, range fields and all.
    const std::vector<TSweepForm> forms = dialog.Forms();
    ASSERT_EQ(forms.size(), 1u);
    EXPECT_EQ(SweepOption(forms[0]), "Tone.Freq=1,2");
    TDlgSweep again(&W(), Signals(), forms);
    EXPECT_EQ(again.Forms(), forms);
    EXPECT_EQ(again.Rows[0].edFrom->text(), "500");
    // A remembered constant the text no longer declares leaves its row empty.
    TSweepForm gone = forms[0];
    gone.Name = "Tone.Gone";
    TDlgSweep without(&W(), Signals(), {forms[0], gone});
    EXPECT_EQ(without.Forms(), forms);
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// A sweep runs what F9 runs: with "Длинные прогоны" on, a document beyond the classic limit is
// swept; with it off, it is refused once, in the pane beside the editor as F9's errors are.
TEST_F(SweepCommands, LongRunsAreSweptAsF9RunsThem) {
    Signals().SetQuantTime(1e-5);
    Signals().SetTotalTime(0.2);  // 20000 quanta
    Answer({Freqs("10, 20")});
    Action("actModelSweep")->trigger();
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << "no box beside the editor";
    EXPECT_TRUE(offered_.empty()) << "refused before the dialog";
    auto* messages = Find<QTreeWidget>("lvMessages");
    ASSERT_EQ(messages->topLevelItemCount(), 1);
    EXPECT_TRUE(messages->topLevelItem(0)->text(3).contains("максимальное время моделирования"))
        << messages->topLevelItem(0)->text(3).toStdString();

    Action("actModelLong")->setChecked(true);
    Action("actModelSweep")->trigger();
    Action("actModelLong")->setChecked(false);  // the settings are the user's
    const TSweepShown* shown = Shown();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->Result.Runs.size(), 2u);
    EXPECT_TRUE(shown->Result.Failures.empty());
    EXPECT_EQ(shown->Result.Runs[1].Signals->Data().SampleCount(), 20000);
    EXPECT_EQ(W().StatusText(), "Свип: 2 прогона, Ok");
}

}  // namespace
}  // namespace kvaril

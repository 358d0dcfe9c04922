// The "Свип" dialog's forms: the options they make, what the dialog offers and says, and the
// sweeps the settings remember per document.

#include "sweep/SweepForm.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/uCommon.h"
#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

TSweepForm List(const std::string& name, const std::string& list) {
    TSweepForm form;
    form.Name = name;
    form.List = list;
    return form;
}

TSweepForm Range(const std::string& name, const std::string& from, const std::string& to,
                 const std::string& count, bool logarithmic) {
    TSweepForm form;
    form.Name = name;
    form.Range = true;
    form.From = from;
    form.To = to;
    form.Count = count;
    form.Logarithmic = logarithmic;
    return form;
}

TEST(SweepForm, BecomesTheCommandLinesOptionAndBack) {
    EXPECT_EQ(SweepOption(List("Tone.Freq", "1000, 2000 ,4000")), "Tone.Freq=1000,2000,4000");
    EXPECT_EQ(SweepOption(Range("Tone.Freq", " 500", "4000 ", "8", true)),
              "Tone.Freq=500:4000:8log");
    EXPECT_EQ(SweepOption(Range("Tone.Freq", "-1", "1", "5", false)), "Tone.Freq=-1:1:5");
    // A range keeps its fields while the list is chosen, but only the chosen one is the option.
    TSweepForm both = Range("A.K", "1", "2", "3", false);
    both.List = "7";
    EXPECT_EQ(SweepOption(both), "A.K=1:2:3");
    both.Range = false;
    EXPECT_EQ(SweepOption(both), "A.K=7");

    for (const TSweepForm& form :
         {List("Tone.Freq", "1000,2000"), Range("Tone.Freq", "500", "4000", "8", true),
          Range("Gain_.K", "1e-3", "-2.5", "3", false)})
        EXPECT_EQ(ParseSweepForm(SweepOption(form)), form) << SweepOption(form);
    // What a hand-edited settings file may hold still makes a form, never a crash.
    EXPECT_EQ(ParseSweepForm("Tone.Freq"), List("Tone.Freq", ""));
    EXPECT_EQ(ParseSweepForm("Tone.Freq=1:2"), Range("Tone.Freq", "1", "2", "", false));
    EXPECT_EQ(ParseSweepForm("=log"), List("", "log"));
}

std::unique_ptr<TSignal> Signal(TSignals& owner, const std::string& name, const std::string& text) {
    auto signal = std::make_unique<TSignal>(owner);
    signal->SetName(name);
    signal->Lines() = SplitLines(text);
    return signal;
}

class SweepFormInDocument : public ::testing::Test {
  protected:
    void SetUp() override {
        signals_.Insert(Signal(signals_, "Tone", "const Freq = 50; Shift = Pi / 2;"), -1);
        signals_.Insert(Signal(signals_, "Gain", "const K: Double = -2.5e1; { N = 3; }"), -1);
        // Twice in one signal: "Twice.N" cannot say which.
        signals_.Insert(Signal(signals_, "Twice", "const N = 1;\nconst N = 2;"), -1);
    }
    TSignals signals_;
};

TEST_F(SweepFormInDocument, TheDialogOffersOnlyWhatCanBeSwept) {
    std::vector<std::string> texts;
    for (const TSweepChoice& choice : SweepChoices(signals_)) texts.push_back(choice.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Tone.Freq = 50", "Gain.K = -2.5e1"}));
}

TEST_F(SweepFormInDocument, TheLiveLineCountsRunsOrSaysWhyNot) {
    TSweepCheck check = CheckSweepForms(signals_, {Range("Tone.FREQ", "10", "1000", "8", true)});
    EXPECT_TRUE(check.Ok);
    EXPECT_EQ(check.Text, "8 прогонов");
    EXPECT_EQ(check.Sweep.RunCount(), 8);

    check =
        CheckSweepForms(signals_, {List("Tone.Freq", "1,2,3"), List("Gain.K", "1,2,3,4,5,6,7")});
    EXPECT_TRUE(check.Ok);
    EXPECT_EQ(check.Text, "21 прогон");
    check = CheckSweepForms(signals_, {List("Tone.Freq", "1,2"), List("Gain.K", "3")});
    EXPECT_EQ(check.Text, "2 прогона");

    const std::pair<std::vector<TSweepForm>, const char*> refused[] = {
        {{}, "Не выбрана"},
        {{List("Tone.Shift", "1")}, "Shift"},
        {{List("Tone.Freq", "")}, "пустое значение"},
        {{Range("Tone.Freq", "0", "10", "3", true)}, "логарифмический"},
        {{Range("Tone.Freq", "5", "5", "3", false)}, "пустой диапазон"},
        {{List("Tone.Freq", "1"), List("Tone.freq", "2")}, "дважды"},
    };
    for (const auto& [forms, reason] : refused) {
        check = CheckSweepForms(signals_, forms);
        EXPECT_FALSE(check.Ok) << reason;
        EXPECT_NE(check.Text.find(reason), std::string::npos) << check.Text;
        EXPECT_EQ(check.Sweep.RunCount(), 0) << reason;
    }
}

TEST(SweepMemory, KeepsTheLastSweepOfEachDocumentNewestFirst) {
    std::vector<std::string> entries;
    const std::vector<TSweepForm> first{Range("Tone.Freq", "500", "4000", "8", true)};
    const std::vector<TSweepForm> two{List("Tone.Freq", "1,2"), List("Gain.K", "3,4")};
    RememberSweep(entries, "/home/u/a.sig", first);
    RememberSweep(entries, "/home/u/b.sig", two);
    EXPECT_EQ(RememberedSweep(entries, "/home/u/a.sig"), first);
    EXPECT_EQ(RememberedSweep(entries, "/home/u/b.sig"), two);
    EXPECT_TRUE(RememberedSweep(entries, "/home/u/A.sig").empty());  // file names keep case

    // A new sweep of a document replaces its old one and moves to the front.
    RememberSweep(entries, "/home/u/a.sig", two);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(RememberedSweep(entries, "/home/u/a.sig"), two);
    EXPECT_EQ(entries.front().substr(0, 13), "/home/u/a.sig");

    // The oldest documents are forgotten first.
    for (int i = 0; i < kRememberedSweeps; ++i)
        RememberSweep(entries, "/d/" + std::to_string(i) + ".sig", first);
    EXPECT_EQ(entries.size(), static_cast<size_t>(kRememberedSweeps));
    EXPECT_TRUE(RememberedSweep(entries, "/home/u/b.sig").empty());
    EXPECT_EQ(RememberedSweep(entries, "/d/0.sig"), first);

    // A path that could pass for an option is not remembered rather than misread.
    RememberSweep(entries, "/odd\nTone.Freq=1", first);
    EXPECT_TRUE(RememberedSweep(entries, "/odd").empty());
}

TEST(SignalsDataCopy, TakesTheSizeAndEverySampleOfAnotherStore) {
    TSignalsData from, to;
    from.SetSize(3, 100);
    for (int s = 0; s < 3; ++s)
        for (int q = 0; q < 100; ++q) from.SetData(s, q, s * 1000.0 + q);
    to.SetSize(1, 7);
    to.SetData(0, 0, -1);
    to.CopyFrom(from);
    ASSERT_EQ(to.SignalCount(), 3);
    ASSERT_EQ(to.SampleCount(), 100);
    for (int s = 0; s < 3; ++s)
        for (int q = 0; q < 100; q += 33) EXPECT_EQ(to.GetData(s, q), s * 1000.0 + q);
    // The copy holds its own samples: a later write to the store it came from does not reach it.
    from.SetData(2, 99, 0);
    EXPECT_EQ(to.GetData(2, 99), 2099.0);
}

}  // namespace
}  // namespace kvaril

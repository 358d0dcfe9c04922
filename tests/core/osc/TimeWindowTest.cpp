#include "osc/TimeWindow.h"

#include <gtest/gtest.h>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/OscTime.h"

namespace kvaril {
namespace {

// Q = 0.001, T = 1, a screen showing 0.2 .. 0.3.
struct Fixture {
    Fixture() {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName("S");
        signals.Insert(std::move(s), -1);
        signals.SetQuantTime(0.001);
        signals.SetTotalTime(1);
        osc.SyncWithSignals(signals);
        Reset();
    }
    void Reset() {
        View().SetT0(0.2);
        View().SetT1(0.3);
    }
    void Label(double t) {
        auto label = std::make_unique<TTimeLabel>(osc);
        label->SetTime(t);
        View().AddTimeLabel(std::move(label));
    }
    TView& View() { return osc.View(0); }
    // Commits `text` in `mode` from the start window and returns the window.
    std::pair<double, double> Commit(TEntryMode mode, const std::string& text) {
        Reset();
        CommitTimeEntry(View(), frame, mode, text);
        return {View().T0(), View().T1()};
    }
    TSignals signals;
    TOsc osc;
    TTimeFrame frame{0.001, 1.0, 0.01};
};

#define EXPECT_WINDOW(pair, t0, t1)        \
    do {                                   \
        auto w_ = (pair);                  \
        EXPECT_DOUBLE_EQ(w_.first, (t0));  \
        EXPECT_DOUBLE_EQ(w_.second, (t1)); \
    } while (0)

TEST(TimeWindow, StartAndEndKeepTheWidth) {
    Fixture f;
    EXPECT_WINDOW(f.Commit(TEntryMode::Start, "0.95"), 0.9, 1.0);
    EXPECT_WINDOW(f.Commit(TEntryMode::End, "0.05"), 0.0, 0.1);
    EXPECT_WINDOW(f.Commit(TEntryMode::Start, "abc"), 0.2, 0.3);
    EXPECT_WINDOW(f.Commit(TEntryMode::Start, "T/2"), 0.5, 0.6);
    EXPECT_WINDOW(f.Commit(TEntryMode::End, "T"), 0.9, 1.0);
}

TEST(TimeWindow, LengthsAndExpressions) {
    Fixture f;
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "0.001"), 0.2, 0.21);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "5"), 0.0, 1.0);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "D*2"), 0.2, 0.4);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "D/2"), 0.2, 0.25);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "Q*10"), 0.2, 0.21);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "T/0.0005"), 0.2, 0.3);  // divisor not above Q
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, " 0.05 "), 0.2, 0.25);
}

// Snapping 1E15 to the quantum grid overflowed the 64-bit quantum count, and the window wrapped
// to the run's other end.
TEST(TimeWindow, HugeTimesStayAtTheirEndOfTheRun) {
    Fixture f;
    EXPECT_WINDOW(f.Commit(TEntryMode::Start, "1E15"), 0.9, 1.0);
    EXPECT_WINDOW(f.Commit(TEntryMode::Start, "1E300"), 0.9, 1.0);
    EXPECT_WINDOW(f.Commit(TEntryMode::End, "1E16"), 0.9, 1.0);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "1E15"), 0.0, 1.0);  // the whole run
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "T*1E300"), 0.0, 1.0);
    EXPECT_WINDOW(f.Commit(TEntryMode::Start, "0-1E15"), 0.0, 0.1);
    EXPECT_WINDOW(f.Commit(TEntryMode::End, "0-1E16"), 0.0, 0.1);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "0-1E15"), 0.2, 0.21);  // the shortest window
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "1E15..2E15"), 0.99, 1.0);
}

TEST(TimeWindow, Ranges) {
    Fixture f;
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "0..T/2"), 0.0, 0.5);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "0.7..0.2"), 0.7, 0.71);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "..0.5"), 0.2, 0.3);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "0.5.."), 0.2, 0.3);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "0..T"), 0.0, 1.0);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "0.995..2"), 0.99,
                  1.0);  // minimal window at the end
}

TEST(TimeWindow, LabelRanges) {
    Fixture f;
    f.Label(0.15);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "m1..m2"), 0.15, 0.3);  // the end falls back to T1
    f.Label(0.45);
    EXPECT_WINDOW(f.Commit(TEntryMode::Length, "m1..m2"), 0.15, 0.45);
}

TEST(TimeWindow, ExpressionRules) {
    Fixture f;
    const TView& v = f.View();
    auto eval = [&](const std::string& text) { return EvalTimeText(v, f.frame, text, 42); };
    EXPECT_DOUBLE_EQ(eval("T/2"), 0.5);
    EXPECT_DOUBLE_EQ(eval("1-0.5"), 0.5);
    EXPECT_EQ(eval("-1"), 42) << "a leading minus is an operator with nothing on its left";
    EXPECT_DOUBLE_EQ(eval("1e-3"), 0.001) << "an exponent's sign is no operator";
    EXPECT_DOUBLE_EQ(eval("T-1E-3"), 0.999);
    EXPECT_DOUBLE_EQ(eval("2E+1*Q"), 0.02);
    EXPECT_EQ(eval("E-3"), 42 - 3) << "no number before the E: still the operator";
    EXPECT_DOUBLE_EQ(eval("D*2/3"), 0.1 * 42)
        << "the right part 2/3 is no number: D times the default";
    EXPECT_DOUBLE_EQ(eval("Tail"), 1) << "only the first letter counts";
    EXPECT_DOUBLE_EQ(eval("Q"), 0.001);
    EXPECT_EQ(eval("m1"), 42) << "no such label";
    EXPECT_EQ(eval(""), 42);
    EXPECT_EQ(eval("q"), 42) << "letters are case-sensitive";
}

TEST(TimeWindow, ScrollBarFollowsTheWindow) {
    Fixture f;
    const TScrollState s = ScrollStateOf(f.View(), f.frame);
    EXPECT_EQ(s.Maximum, 900);
    EXPECT_EQ(s.Position, 200);
    EXPECT_EQ(s.LargeStep, 100);
    EXPECT_EQ(s.SmallStep, 10);
    ScrollWindowTo(f.View(), f.frame, s.Position + s.SmallStep);
    EXPECT_DOUBLE_EQ(f.View().T0(), 0.21);
    EXPECT_DOUBLE_EQ(f.View().T1(), 0.31);
    ScrollWindowTo(f.View(), f.frame, 2000);
    EXPECT_DOUBLE_EQ(f.View().T1(), 1.0);
}

TEST(TimeWindow, SuggestionsAndHints) {
    Fixture f;
    f.Label(0.5);
    EXPECT_EQ(EntrySuggestions(f.View(), TEntryMode::Start),
              (std::vector<std::string>{"0", "T/2", "m1"}));
    EXPECT_EQ(EntrySuggestions(f.View(), TEntryMode::End),
              (std::vector<std::string>{"T", "T/2", "m1"}));
    EXPECT_EQ(EntrySuggestions(f.View(), TEntryMode::Length).front(), "D/2");
    EXPECT_EQ(EntryHint(f.View(), f.frame, TEntryMode::Start),
              "Значение T0 может быть в пределах от 0 до 0.9");
    EXPECT_EQ(EntryHint(f.View(), f.frame, TEntryMode::Length),
              "Значение интервала может быть в пределах от 0.01 до 1");
}

TEST(TimeWindow, ZoomKeepsThePointUnderThePointer) {
    Fixture f;
    ZoomWindow(f.View(), f.frame, 0.25, 0.5);
    EXPECT_DOUBLE_EQ(f.View().T0(), 0.225);
    EXPECT_DOUBLE_EQ(f.View().T1(), 0.275);
    ZoomWindow(f.View(), f.frame, 0.25, 1000);
    EXPECT_DOUBLE_EQ(f.View().T0(), 0.0);
    EXPECT_DOUBLE_EQ(f.View().T1(), 1.0) << "never wider than the run";
    ZoomWindow(f.View(), f.frame, 0.5, 1e-6);
    EXPECT_NEAR(f.View().T1() - f.View().T0(), 0.01, 1e-12) << "never narrower than MinInterval";
    f.Reset();
    PanWindow(f.View(), f.frame, 0.85);
    EXPECT_DOUBLE_EQ(f.View().T0(), 0.9);
    EXPECT_DOUBLE_EQ(f.View().T1(), 1.0);
}

// A time the window showed in scientific form (2E-5) could not be typed back: the exponent's
// sign was taken for an operator, so committing the unchanged entry moved the window.
struct ShownTime {
    double Q;
    double T0, T1;
};

class EveryShownTimeReadsBack : public ::testing::TestWithParam<ShownTime> {};

TEST_P(EveryShownTimeReadsBack, CommittingTheShownTextKeepsTheWindow) {
    const ShownTime p = GetParam();
    TSignals signals;
    auto s = std::make_unique<TSignal>(signals);
    s->SetName("S");
    signals.Insert(std::move(s), -1);
    signals.SetQuantTime(p.Q);
    signals.SetTotalTime(1);
    TOsc osc;
    osc.SyncWithSignals(signals);
    TView& view = osc.View(0);
    const TTimeFrame frame{p.Q, 1.0, 10 * p.Q};
    for (TEntryMode mode : {TEntryMode::Start, TEntryMode::End, TEntryMode::Length}) {
        SCOPED_TRACE(static_cast<int>(mode));
        view.SetT0(p.T0);
        view.SetT1(p.T1);
        const double shown = mode == TEntryMode::Start ? p.T0
                             : mode == TEntryMode::End ? p.T1
                                                       : p.T1 - p.T0;
        const std::string text = FormatOscTime(p.Q, shown);
        EXPECT_NEAR(EvalTimeText(view, frame, text, -7), shown, p.Q / 1000) << text;
        CommitTimeEntry(view, frame, mode, text);
        EXPECT_NEAR(view.T0(), p.T0, p.Q / 1000) << text;
        EXPECT_NEAR(view.T1(), p.T1, p.Q / 1000) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(TimeWindow, EveryShownTimeReadsBack,
                         ::testing::Values(ShownTime{0.00001, 0.00002, 0.00015},
                                           ShownTime{0.000001, 0.000005, 0.000015},
                                           ShownTime{0.00001, 0.5, 0.5002},
                                           ShownTime{0.001, 0.2, 0.3},
                                           ShownTime{0.0001, 0.0001, 0.0011}));

}  // namespace
}  // namespace kvaril

#include "export/DataRange.h"

#include "ExportFixture.h"

namespace kvaril {
namespace {

using testing::ExportFixture;

TEST(SelectionOptionTest, ParsesSignalListsAndTimes) {
    TDataSelection selection;
    std::string error;
    EXPECT_EQ(ParseSelectionOption("--signals", "A,Шум,B", selection, error), TOptionParse::Ok);
    EXPECT_EQ(selection.SignalNames, (std::vector<std::string>{"A", "Шум", "B"}));
    EXPECT_EQ(ParseSelectionOption("--from", "0.25", selection, error), TOptionParse::Ok);
    EXPECT_EQ(ParseSelectionOption("--to", "1E-2", selection, error), TOptionParse::Ok);
    EXPECT_EQ(selection.From, 0.25);
    EXPECT_EQ(selection.To, 0.01);
    EXPECT_EQ(ParseSelectionOption("--csv", "x.csv", selection, error), TOptionParse::NotMine);
    EXPECT_TRUE(error.empty());
}

struct TBadOption {
    const char* Option;
    const char* Value;
};

class BadSelectionOptionTest : public ::testing::TestWithParam<TBadOption> {};

TEST_P(BadSelectionOptionTest, IsRefusedWithTheValueInTheMessage) {
    TDataSelection selection;
    std::string error;
    EXPECT_EQ(ParseSelectionOption(GetParam().Option, GetParam().Value, selection, error),
              TOptionParse::Bad);
    EXPECT_NE(error.find(GetParam().Value), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Values, BadSelectionOptionTest,
                         ::testing::Values(TBadOption{"--from", "soon"}, TBadOption{"--to", ""},
                                           TBadOption{"--to", "1,5"}, TBadOption{"--from", "nan"},
                                           TBadOption{"--from", "1e999"},
                                           TBadOption{"--signals", ""},
                                           TBadOption{"--signals", "A,,B"},
                                           TBadOption{"--signals", "A,"}));

class DataRangeTest : public ExportFixture {};

TEST_F(DataRangeTest, NoSelectionIsTheWholeRun) {
    Make({"A", "B", "C"}, 0.0001, 1000);
    const TDataRange range = ResolveSelection(signals_, {});
    EXPECT_EQ(range.Signals, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(range.FirstQuant, 0);
    EXPECT_EQ(range.LastQuant, 999);
}

TEST_F(DataRangeTest, SignalsComeInDocumentOrderEverySignalOfAName) {
    Make({"A", "Шум", "C", "Шум"}, 0.0001, 100);
    TDataSelection selection;
    selection.SignalNames = {"C", "Шум"};
    EXPECT_EQ(ResolveSelection(signals_, selection).Signals, (std::vector<int>{1, 2, 3}));
}

TEST_F(DataRangeTest, ANameGivenTwiceIsRefused) {
    Make({"A", "Шум", "C"}, 0.0001, 100);
    TDataSelection selection;
    selection.SignalNames = {"Шум", "C", "Шум"};
    try {
        ResolveSelection(signals_, selection);
        FAIL() << "accepted";
    } catch (const ERangeError& e) {
        EXPECT_EQ(std::string(e.what()), "Сигнал \"Шум\" назван в списке дважды");
    }
}

TEST_F(DataRangeTest, BeamsPickedInAnyOrderGiveDocumentOrder) {
    Make({"A", "B", "C", "D"}, 0.0001, 100);
    const TDataRange range = RangeOf(signals_, {3, 0, 3, 2}, 0.001, std::nullopt);
    EXPECT_EQ(range.Signals, (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(range.FirstQuant, 10);
    EXPECT_EQ(range.LastQuant, 99);
    EXPECT_THROW(RangeOf(signals_, {4}, std::nullopt, std::nullopt), EAssertionFailed);
}

TEST_F(DataRangeTest, UnknownSignalIsNamed) {
    Make({"A", "B"}, 0.0001, 100);
    TDataSelection selection;
    selection.SignalNames = {"A", "Z"};
    try {
        ResolveSelection(signals_, selection);
        FAIL() << "accepted";
    } catch (const ERangeError& e) {
        EXPECT_NE(std::string(e.what()).find("\"Z\""), std::string::npos) << e.what();
    }
}

struct TTimeCase {
    std::optional<double> From, To;
    int First, Last;  // -1, -1: refused
};

class TimeRangeTest : public ExportFixture, public ::testing::WithParamInterface<TTimeCase> {};

TEST_P(TimeRangeTest, HoldsTheQuantaBetweenTheTimes) {
    Make({"A"}, 0.0001, 1000);  // quanta 0 .. 999, t up to 0.0999
    TDataSelection selection;
    selection.From = GetParam().From;
    selection.To = GetParam().To;
    if (GetParam().First < 0) {
        EXPECT_THROW(ResolveSelection(signals_, selection), ERangeError);
        return;
    }
    const TDataRange range = ResolveSelection(signals_, selection);
    EXPECT_EQ(range.FirstQuant, GetParam().First);
    EXPECT_EQ(range.LastQuant, GetParam().Last);
}

INSTANTIATE_TEST_SUITE_P(
    Times, TimeRangeTest,
    ::testing::Values(TTimeCase{0.01, 0.02, 100, 200},        // both ends on quanta: kept
                      TTimeCase{0.03, 0.07, 300, 700},        // 0.03 / 0.0001 is not exactly 300
                      TTimeCase{0.01005, 0.01015, 101, 101},  // between quanta
                      TTimeCase{0.01232, 0.04568, 124, 456},  // off the grid: the quanta inside
                      TTimeCase{std::nullopt, 0.0005, 0, 5},
                      TTimeCase{0.0995, std::nullopt, 995, 999},
                      TTimeCase{-1.0, 100.0, 0, 999},       // cut to the run
                      TTimeCase{0.05, 0.05, 500, 500},      // one sample
                      TTimeCase{0.02, 0.01, -1, -1},        // reversed
                      TTimeCase{0.2, 0.3, -1, -1},          // after the run
                      TTimeCase{-0.3, -0.2, -1, -1},        // before it
                      TTimeCase{0.01001, 0.01009, -1, -1},  // no quantum inside
                      TTimeCase{1e300, std::nullopt, -1, -1}));

TEST_F(DataRangeTest, RangeBeyondTheStoredSamplesIsRefused) {
    Make({"A", "B"}, 0.0001, 100);
    signals_.SetTotalTime(0.02);  // times changed after the run: 200 quanta, 100 stored
    EXPECT_THROW(CheckRangeInData(signals_, WholeRun(signals_)), ERangeError);
    TDataRange range = WholeRun(signals_);
    range.LastQuant = 99;
    EXPECT_NO_THROW(CheckRangeInData(signals_, range));
    range.Signals = {2};
    EXPECT_THROW(CheckRangeInData(signals_, range), ERangeError);
}

}  // namespace
}  // namespace kvaril

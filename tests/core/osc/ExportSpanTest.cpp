#include "osc/ExportSpan.h"

#include <fstream>

#include "document/uBeam.h"
#include "export/DataExport.h"
#include "export/ExportFixture.h"

namespace kvaril {
namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class ExportSpanTest : public testing::ExportFixture {
  protected:
    // Three signals over 0.001 s × 100 quanta, one screen with labels at `labels` seconds.
    TView& Screen(const std::vector<double>& labels) {
        Make({"A", "B", "C"}, 0.001, 100);
        osc_.SyncWithSignals(signals_);
        if (osc_.ViewCount() == 0) osc_.AddView("Экран");
        TView& view = osc_.View(0);
        for (double t : labels) {
            auto label = std::make_unique<TTimeLabel>(osc_);
            label->SetTime(t);
            view.AddTimeLabel(std::move(label));
        }
        return view;
    }
    TOsc osc_;
};

TEST_F(ExportSpanTest, CsvBetweenTwoMarkersHoldsExactlyThatRangesRows) {
    TView& view = Screen({0.05, 0.02});  // stored sorted: 0.02, 0.05
    // The later label picked first: the interval still runs forwards.
    const TDataRange range = ExportRangeOf(signals_, &view, {2, 0}, TExportSpan::Markers, 1, 0);
    EXPECT_EQ(range.Signals, (std::vector<int>{0, 2}));
    EXPECT_EQ(range.FirstQuant, 20);
    EXPECT_EQ(range.LastQuant, 50);
    WriteSamplesCsv(Path("markers.csv"), signals_, range);
    const auto lines = ReadLines(Path("markers.csv"));
    ASSERT_EQ(lines.size(), 1u + 31u) << "a header and the quanta 20..50, both ends included";
    EXPECT_EQ(lines[0], "t,A,C");
    EXPECT_EQ(lines[1].substr(0, 5), "0.02,");
    EXPECT_EQ(lines.back().substr(0, 5), "0.05,");
}

TEST_F(ExportSpanTest, WindowWholeRunAndEmptySelection) {
    TView& view = Screen({});
    view.SetT1(0.04);
    view.SetT0(0.01);
    const TDataRange window = ExportRangeOf(signals_, &view, {}, TExportSpan::Window);
    EXPECT_EQ(window.Signals, (std::vector<int>{0, 1, 2})) << "no beam picked: every signal";
    EXPECT_EQ(window.FirstQuant, 10);
    EXPECT_EQ(window.LastQuant, 40);
    const TDataRange all = ExportRangeOf(signals_, &view, {1}, TExportSpan::WholeRun);
    EXPECT_EQ(all.Signals, (std::vector<int>{1}));
    EXPECT_EQ(all.FirstQuant, 0);
    EXPECT_EQ(all.LastQuant, 99);
    const TDataRange noScreen = ExportRangeOf(signals_, nullptr, {}, TExportSpan::Window);
    EXPECT_EQ(noScreen.QuantCount(), 100);
}

TEST_F(ExportSpanTest, MarkersThatDoNotExistAreRefused) {
    TView& one = Screen({0.03});
    EXPECT_THROW(ExportRangeOf(signals_, &one, {}, TExportSpan::Markers, 0, 0), ERangeError);
    EXPECT_THROW(ExportRangeOf(signals_, nullptr, {}, TExportSpan::Markers, 0, 1), ERangeError);
    auto label = std::make_unique<TTimeLabel>(osc_);
    label->SetTime(0.06);
    one.AddTimeLabel(std::move(label));
    EXPECT_THROW(ExportRangeOf(signals_, &one, {}, TExportSpan::Markers, 0, 2), ERangeError);
    EXPECT_THROW(ExportRangeOf(signals_, &one, {}, TExportSpan::Markers, -1, 1), ERangeError);
    EXPECT_EQ(ExportRangeOf(signals_, &one, {}, TExportSpan::Markers, 0, 1).QuantCount(), 31);
    const auto texts = MarkerTexts(&one, signals_.QuantTime());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].substr(0, 3), "1: ");
    EXPECT_TRUE(MarkerTexts(nullptr, 0.001).empty());
}

}  // namespace
}  // namespace kvaril

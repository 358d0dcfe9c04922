// The Δ readout, the stepped cursor, spans and per-beam statistics and spectra of a session.

#include "osc/OscAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "SessionFixture.h"
#include "document/uSignal.h"
#include "model/uSignalsData.h"
#include "osc/BeamGroups.h"
#include "osc/OscSession.h"
#include "osc/uBeam.h"

namespace kvaril {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Analysis : TSessionFixture {
    void Label(double t) {
        auto label = std::make_unique<TTimeLabel>(osc);
        label->SetTime(t);
        View().AddTimeLabel(std::move(label));
    }
    std::string ValueOfC() { return s.Readings().ValueRows().at(2).Cells[2].Text; }
};

TEST_F(Analysis, WithoutMarkersTheDeltaColumnsAreEmpty) {
    s.Cursors().Step(TCursorStep::Right);
    const TDeltaReadout d = s.Cursors().Delta();
    EXPECT_EQ(d.Reference, -1);
    EXPECT_EQ(d.Header, "");
    ASSERT_EQ(d.Rows.size(), 3u);
    for (const TDeltaCells& cells : d.Rows) {
        EXPECT_EQ(cells.Reference, "");
        EXPECT_EQ(cells.Delta, "");
    }
}

TEST_F(Analysis, DeltaFromTheNearestMarkerLeftOfTheInstant) {
    Label(0.1);
    Label(0.3);
    Label(0.8);
    Window(0.5, 0.7);
    s.Cursors().Step(TCursorStep::Home);
    EXPECT_EQ(s.Cursors().DisplayTime(), 0.5);
    TDeltaReadout d = s.Cursors().Delta();
    EXPECT_EQ(d.Reference, 1) << "m2 at 0.3 is the last one left of 0.5";
    EXPECT_EQ(d.DeltaTime, "0.2");
    EXPECT_EQ(d.InverseDelta, "5");
    EXPECT_EQ(d.Header, "m2   Δt: 0.2   1/Δt: 5 Гц");
    EXPECT_EQ(d.Rows[2].Reference, "0.3");
    EXPECT_EQ(d.Rows[2].Delta, "0.2");
    EXPECT_EQ(d.Rows[1].Delta, "0") << "a constant beam has no difference";

    s.Cursors().PickReferenceMarker(2);  // m3 lies right of the instant: Δt is negative
    d = s.Cursors().Delta();
    EXPECT_EQ(d.Reference, 2);
    EXPECT_EQ(d.DeltaTime, "-0.3");
    EXPECT_EQ(d.Rows[2].Delta, "-0.3");
    s.Cursors().PickReferenceMarker(7);  // no such label: back to the nearest one
    EXPECT_EQ(s.Cursors().Delta().Reference, 1);
}

TEST_F(Analysis, AnInstantOnTheMarkerHasNoFrequency) {
    Label(0.25);
    Window(0.25, 0.5);
    s.Cursors().Step(TCursorStep::Home);
    const TDeltaReadout d = s.Cursors().Delta();
    EXPECT_EQ(d.Reference, 0);
    EXPECT_EQ(d.DeltaTime, "0");
    EXPECT_EQ(d.InverseDelta, "");
    EXPECT_EQ(d.Header, "m1   Δt: 0");
}

TEST_F(Analysis, KeysStepByQuantaWithinTheWindow) {
    Window(0.2, 0.3);
    EXPECT_FALSE(s.Cursors().Stepping());
    EXPECT_EQ(s.Cursors().ShownCursorColumn(), -1);
    s.Cursors().Step(TCursorStep::Right);
    EXPECT_TRUE(s.Cursors().Stepping());
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.201);
    EXPECT_EQ(ValueOfC(), "0.201") << "the value table follows the cursor";
    EXPECT_EQ(s.TimeView().CaptionText(), "T: 0.201");
    s.Cursors().Step(TCursorStep::RightTen);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.211);
    s.Cursors().Step(TCursorStep::LeftTen);
    s.Cursors().Step(TCursorStep::LeftTen);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.2) << "clamped to the window's start";
    s.Cursors().Step(TCursorStep::End);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.3);
    EXPECT_EQ(s.Cursors().ShownCursorColumn(), 199) << "the last column a cursor may take";
    s.Cursors().Step(TCursorStep::Right);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.3);
    s.Cursors().Step(TCursorStep::Home);
    EXPECT_EQ(s.Cursors().ShownCursorColumn(), 1);
    s.Cursors().EndStepping();
    EXPECT_EQ(s.TimeView().CaptionText(), "< dT : 0.1 >");
}

TEST_F(Analysis, SteppingStartsWhereTheLastMeasurementEnded) {
    Window(0, 0.2);
    s.Cursors().Press(100, false);  // 0.1
    s.Cursors().Release(100, false, 0);
    EXPECT_FALSE(s.Cursors().Measuring());
    EXPECT_EQ(s.Cursors().DisplayTime(), 0) << "the classic table reads T0 after a release";
    s.Cursors().Step(TCursorStep::Left);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.099);
    s.Cursors().Press(50, false);  // the mouse takes over
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.05);
    s.Cursors().Release(50, false, 0);
    EXPECT_FALSE(s.Cursors().Stepping());
}

TEST_F(Analysis, ACursorScrolledOutOfTheWindowIsGone) {
    Window(0.2, 0.3);
    s.Cursors().Step(TCursorStep::End);
    Window(0.5, 0.6);
    EXPECT_FALSE(s.Cursors().Stepping());
    EXPECT_EQ(s.Cursors().DisplayTime(), 0.5);
    EXPECT_EQ(s.Cursors().ShownCursorColumn(), -1);
}

TEST_F(Analysis, SwitchingScreensForgetsCursorAndPickedReference) {
    Label(0.1);
    Label(0.2);
    s.Cursors().PickReferenceMarker(0);
    s.Cursors().Step(TCursorStep::Right);
    s.AddScreen("Два");
    s.SelectScreen(0);
    EXPECT_FALSE(s.Cursors().Stepping());
    EXPECT_EQ(s.Cursors().PickedReferenceMarker(), -1);
}

struct SpanCase {
    const char* Text;
    bool Ok;
    double T0, T1;
};

struct Spans : Analysis, ::testing::WithParamInterface<SpanCase> {};

TEST_P(Spans, ResolveAgainstTheScreensMarkers) {
    Label(0.1);
    Label(0.4);
    Label(0.7);
    Window(0.2, 0.9);
    double t0 = -1, t1 = -1;
    EXPECT_EQ(ResolveSpan(View(), GetParam().Text, t0, t1), GetParam().Ok);
    EXPECT_DOUBLE_EQ(t0, GetParam().T0);
    EXPECT_DOUBLE_EQ(t1, GetParam().T1);
}

INSTANTIATE_TEST_SUITE_P(
    Analysis, Spans,
    ::testing::Values(SpanCase{"Окно", true, 0.2, 0.9}, SpanCase{"", true, 0.2, 0.9},
                      SpanCase{"m1..m2", true, 0.1, 0.4}, SpanCase{"m3..m1", true, 0.1, 0.7},
                      SpanCase{" m2 .. m3", true, 0.4, 0.7}, SpanCase{"m1..m4", false, 0.2, 0.9},
                      SpanCase{"m0..m1", false, 0.2, 0.9}, SpanCase{"m1..", false, 0.2, 0.9},
                      SpanCase{"m1-m2", false, 0.2, 0.9}, SpanCase{"m1..m2x", false, 0.2, 0.9}));

TEST_F(Analysis, SpanSuggestionsNameEveryPairOfMarkers) {
    EXPECT_EQ(SpanSuggestions(View()), (std::vector<std::string>{"Окно"}));
    Label(0.1);
    Label(0.2);
    Label(0.3);
    EXPECT_EQ(SpanSuggestions(View()),
              (std::vector<std::string>{"Окно", "m1..m2", "m1..m3", "m2..m3"}));
}

TEST_F(Analysis, StatisticsFollowTheWindowAndTheMarkers) {
    Window(0.1, 0.2);
    std::vector<TStatsRow> rows = s.Readings().StatsRows();
    ASSERT_EQ(rows.size(), 3u);
    const TStatsRow& c = rows[2];
    EXPECT_EQ(c.Name, "C");
    auto cell = [](const TStatsRow& r, TStatsColumn col) { return r.Cells[static_cast<int>(col)]; };
    EXPECT_EQ(cell(c, TStatsColumn::Count), "101") << "both ends of the window count";
    EXPECT_EQ(cell(c, TStatsColumn::Min), "0.1");
    EXPECT_EQ(cell(c, TStatsColumn::TimeOfMin), "0.1");
    EXPECT_EQ(cell(c, TStatsColumn::Max), "0.2");
    EXPECT_EQ(cell(c, TStatsColumn::TimeOfMax), "0.2");
    EXPECT_EQ(cell(c, TStatsColumn::Mean), "0.15");
    EXPECT_EQ(cell(c, TStatsColumn::PeakToPeak), "0.1");
    EXPECT_EQ(cell(rows[1], TStatsColumn::StdDev), "0");
    EXPECT_EQ(cell(rows[1], TStatsColumn::Rms), "0.5");

    Label(0.5);
    Label(0.52);
    s.Readings().SetSpan("m1..m2");
    rows = s.Readings().StatsRows();
    EXPECT_EQ(cell(rows[2], TStatsColumn::Count), "21");
    EXPECT_EQ(cell(rows[2], TStatsColumn::Min), "0.5");
    s.Readings().SetSpan("m1..m9");  // names no markers: the window again
    double t0 = 0, t1 = 0;
    EXPECT_FALSE(s.Readings().SpanTimes(t0, t1));
    EXPECT_EQ(cell(s.Readings().StatsRows()[2], TStatsColumn::Count), "101");
}

TEST_F(Analysis, HiddenBeamsHaveNoStatisticsRow) {
    View().Beam(0).SetGroup(0);
    const std::vector<TStatsRow> rows = s.Readings().StatsRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name, "B");
}

TEST_F(Analysis, SpectraOfChosenBeamsKeepTheirColours) {
    TSignalsData& d = signals.Data();
    // A: a sine of amplitude 2 at 50 Hz, on a bin of a 1000-sample range.
    for (int q = 0; q < d.SampleCount(); ++q)
        d.SetData(0, q, 2 * std::sin(2 * kPi * 50 * q * 0.001));
    BeamsToOneGroup(View());
    TSpectrumAnalyzer analyzer;
    s.Beams().SetSelection({0, 2});
    Window(0, 0.999);
    const TSpectrumRequest request = s.Readings().SpectrumRequest();
    EXPECT_EQ(request.Span, "Окно");
    std::vector<TBeamSpectrum> spectra = BeamSpectra(analyzer, signals, request.Beams, request.T0,
                                                     request.T1, TSpectrumWindow::Hann);
    ASSERT_EQ(spectra.size(), 2u);
    EXPECT_EQ(spectra[0].Name, "A");
    EXPECT_EQ(spectra[0].ColorIndex, 0);
    EXPECT_EQ(spectra[1].Name, "C");
    EXPECT_EQ(spectra[1].ColorIndex, 2) << "C is the third beam of the one group";
    EXPECT_EQ(spectra[0].Spectrum.N, 1000);
    EXPECT_NEAR(spectra[0].Peak.Frequency, 50, 1e-6);
    EXPECT_NEAR(spectra[0].Peak.Amplitude, 2, 1e-9);
    // None chosen: every beam the screen shows.
    s.Beams().SetSelection({});
    EXPECT_EQ(s.Readings().SpectrumRequest().Beams.size(), 3u);
}

TEST_F(Analysis, ASpectrumOfABeamWithNaNSaysSo) {
    signals.Data().SetData(1, 10, std::nan(""));
    TSpectrumAnalyzer analyzer;
    const std::vector<TBeamSpectrum> spectra = BeamSpectra(
        analyzer, signals, ChooseBeams(TBeamGrouping(View()), {1}), 0, 1, TSpectrumWindow::Hann);
    ASSERT_EQ(spectra.size(), 1u);
    EXPECT_TRUE(spectra[0].Spectrum.NonFinite);
}

}  // namespace
}  // namespace kvaril

#include "document/uBeam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/ValueStream.h"
#include "document/uSignal.h"
#include "osc/BeamGroups.h"

namespace kvaril {
namespace {

void AddSignal(TSignals& signals, const std::string& name) {
    auto signal = std::make_unique<TSignal>(signals);
    signal->SetName(name);
    signals.Insert(std::move(signal), -1);
}

// An oscilloscope synchronised with `count` signals S0, S1, ...
struct Fixture {
    explicit Fixture(int count) {
        for (int i = 0; i < count; ++i) AddSignal(signals, "S" + std::to_string(i));
        osc.SyncWithSignals(signals);
    }
    TView& View() { return osc.View(0); }
    TSignals signals;
    TOsc osc;
};

TEST(TOsc, SynchronisingANewDocumentGivesOneDefaultScreen) {
    Fixture f(3);
    EXPECT_TRUE(f.osc.Modified);
    ASSERT_EQ(f.osc.ViewCount(), 1);
    const TView& view = f.View();
    EXPECT_EQ(view.Name(), Utf8ToCp1251("Экран 1"));
    EXPECT_EQ(view.T0(), 0);
    EXPECT_EQ(view.T1(), 0.1);
    ASSERT_EQ(view.BeamCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view.Beam(i).Gain(), 0);
        EXPECT_EQ(view.Beam(i).Offset(), 0);
        EXPECT_EQ(view.Beam(i).Group(), i + 1);
        EXPECT_TRUE(view.Beam(i).XAxis());
        EXPECT_EQ(view.Beam(i).Interpolation(), 0);
        EXPECT_EQ(view.Beam(i).SignalIndex(), i);
    }
    EXPECT_EQ(f.osc.SignalNames, (std::vector<std::string>{"S0", "S1", "S2"}));
}

TEST(TOsc, AnUnchangedDocumentKeepsEverySetting) {
    Fixture f(2);
    f.osc.AddView("Two");
    f.View().Beam(1).SetGain(3);
    f.osc.Modified = false;
    f.osc.SyncWithSignals(f.signals);
    EXPECT_FALSE(f.osc.Modified);
    EXPECT_EQ(f.osc.ViewCount(), 2);
    EXPECT_EQ(f.View().Beam(1).Gain(), 3);
}

TEST(TOsc, ChangedSignalsOrTimesResetTheScreens) {
    const std::vector<std::function<void(TSignals&)>> changes = {
        [](TSignals& s) { s.Items(1).SetName("Renamed"); },
        [](TSignals& s) { AddSignal(s, "New"); },
        [](TSignals& s) { s.Delete(0); },
        [](TSignals& s) { s.SetQuantTime(0.001); },
        [](TSignals& s) { s.SetTotalTime(0.2); },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        Fixture f(2);
        f.osc.AddView("Two");
        f.View().Beam(0).SetGain(3);
        f.osc.SetColorScheme(TColorScheme::Black);
        f.osc.Modified = false;
        changes[i](f.signals);
        f.osc.SyncWithSignals(f.signals);
        EXPECT_TRUE(f.osc.Modified);
        ASSERT_EQ(f.osc.ViewCount(), 1);
        EXPECT_EQ(f.View().Beam(0).Gain(), 0);
        EXPECT_EQ(f.View().BeamCount(), f.signals.Count());
        EXPECT_EQ(f.osc.TotalTime, f.signals.TotalTime());
        EXPECT_EQ(f.osc.ColorScheme(), 2) << "the scheme survives";
    }
}

TEST(TOsc, ClearEmptiesEverythingButTheScheme) {
    Fixture f(2);
    f.osc.SetColorScheme(TColorScheme::White);
    f.osc.Clear();
    EXPECT_EQ(f.osc.ViewCount(), 0);
    EXPECT_TRUE(f.osc.SignalNames.empty());
    EXPECT_EQ(f.osc.QuantTime, 0);
    EXPECT_EQ(f.osc.TotalTime, 0);
    EXPECT_FALSE(f.osc.Modified);
    EXPECT_EQ(f.osc.ColorScheme(), 1);
}

TEST(TOsc, ColourSchemes) {
    TOsc osc;
    EXPECT_EQ(osc.BackgroundColor(), (TRgb{192, 192, 192}));
    osc.SetColorScheme(TColorScheme::White);
    EXPECT_EQ(osc.BackgroundColor(), (TRgb{255, 255, 255}));
    osc.SetColorScheme(TColorScheme::Black);
    EXPECT_EQ(osc.BackgroundColor(), (TRgb{0, 0, 0}));
    EXPECT_EQ(osc.ColorScheme(), 2);
    EXPECT_TRUE(osc.Modified);
    osc.Modified = false;
    osc.SetColorScheme(TColorScheme::Black);
    EXPECT_FALSE(osc.Modified);
}

TEST(TOsc, AStoredSchemeOutOfRangeShowsAsGray) {
    for (int stored : {7, -1, 3}) {
        SCOPED_TRACE(stored);
        TOsc osc;
        MemorySink sink;
        {
            TValueWriter writer(sink);
            osc.WriteTo(writer);
            writer.FlushBuffer();
        }
        // The scheme is the last integer of the settings: one tag byte and its value.
        sink.bytes.back() = static_cast<char>(stored);
        MemorySource source(sink.bytes);
        TValueReader reader(source);
        TOsc back;
        back.ReadFrom(reader, 4);
        EXPECT_EQ(back.ColorScheme(), stored) << "kept as stored";
        EXPECT_EQ(back.Scheme(), TColorScheme::Gray);
        EXPECT_EQ(back.BackgroundColor(), (TRgb{192, 192, 192}));
    }
}

TEST(TOsc, ScreensAreAddedAndDeleted) {
    Fixture f(1);
    TView& two = f.osc.AddView("Two");
    EXPECT_EQ(two.T1(), 0.1);
    EXPECT_EQ(two.BeamCount(), 1);
    f.osc.Modified = false;
    f.osc.DeleteView(0);
    EXPECT_TRUE(f.osc.Modified);
    ASSERT_EQ(f.osc.ViewCount(), 1);
    EXPECT_EQ(f.osc.View(0).Name(), "Two");
    EXPECT_THROW(f.osc.View(1), EAssertionFailed);
    EXPECT_THROW(f.osc.DeleteView(-1), EAssertionFailed);
}

TEST(TOsc, AModelWithoutScreensGetsTheDefaultScreenAtSynchronisation) {
    Fixture f(2);
    f.osc.DeleteView(0);  // what a file without screens reads as
    ASSERT_EQ(f.osc.ViewCount(), 0);
    f.osc.SyncWithSignals(f.signals);
    ASSERT_EQ(f.osc.ViewCount(), 1);
    EXPECT_EQ(f.View().Name(), Utf8ToCp1251("Экран 1"));
    EXPECT_EQ(f.View().BeamCount(), 2);
    EXPECT_EQ(f.View().T1(), f.signals.TotalTime());
}

TEST(TBeam, SettersMarkModifiedOnlyOnChange) {
    Fixture f(1);
    TBeam& beam = f.View().Beam(0);
    f.osc.Modified = false;
    beam.SetGain(0);
    beam.SetOffset(0);
    beam.SetGroup(1);
    beam.SetXAxis(true);
    beam.SetInterpolation(0);
    EXPECT_FALSE(f.osc.Modified);
    beam.SetInterpolation(2);
    EXPECT_TRUE(f.osc.Modified);
}

TEST(TView, TimeWindowIsClampedToTheModelTime) {
    Fixture f(1);
    TView& view = f.View();
    view.SetT0(-1);
    EXPECT_EQ(view.T0(), 0);
    view.SetT0(NAN);
    EXPECT_EQ(view.T0(), 0);
    view.SetT1(5);
    EXPECT_EQ(view.T1(), 0.1);
    view.SetT0(0.08);
    view.SetT1(0.02);
    EXPECT_EQ(view.T0(), 0.08) << "ordering is the callers' business";
    EXPECT_EQ(view.T1(), 0.02);
    EXPECT_THROW(view.Beam(1), EAssertionFailed);
}

TEST(TView, LabelsStaySortedAndAreNamedInOrder) {
    Fixture f(1);
    TView& view = f.View();
    auto add = [&](double t) {
        auto label = std::make_unique<TTimeLabel>(f.osc);
        label->SetTime(t);
        TTimeLabel* raw = label.get();
        view.AddTimeLabel(std::move(label));
        return raw;
    };
    add(0.3);
    add(0.1);
    TTimeLabel* first02 = add(0.2);
    ASSERT_EQ(view.TimeLabelCount(), 3);
    EXPECT_EQ(view.TimeLabel(0).Time(), 0.1);
    EXPECT_EQ(view.TimeLabel(1).Time(), 0.2);
    EXPECT_EQ(view.TimeLabel(2).Time(), 0.3);

    TTimeLabel* second02 = add(0.2);
    EXPECT_EQ(&view.TimeLabel(1), first02);
    EXPECT_EQ(&view.TimeLabel(2), second02) << "behind the first 0.2";

    EXPECT_EQ(view.FindTimeLabel(0.1, 0.2), 0);
    EXPECT_EQ(view.FindTimeLabel(0.15, 0.2), 1) << "both ends inclusive";
    EXPECT_EQ(view.FindTimeLabel(0.31, 0.5), -1);

    f.osc.Modified = false;
    view.DeleteTimeLabel(0);
    EXPECT_TRUE(f.osc.Modified);
    EXPECT_EQ(view.TimeLabel(0).Time(), 0.2);
    EXPECT_THROW(view.DeleteTimeLabel(3), EAssertionFailed);
}

TEST(TBeamGrouping, GroupsAreSortedAndTheFirstNegativeBeamComesLast) {
    Fixture f(6);
    const int groups[] = {3, 0, -1, 3, 1, -2};
    for (int i = 0; i < 6; ++i) f.View().Beam(i).SetGroup(groups[i]);
    const TBeamGrouping g(f.View());

    ASSERT_EQ(g.GroupCount(), 2);
    EXPECT_EQ(g.Group(0).Number, 1);
    EXPECT_EQ(g.Group(1).Number, 3);
    EXPECT_EQ(g.Group(1).Beams, (std::vector<const TBeam*>{&f.View().Beam(0), &f.View().Beam(3)}));
    ASSERT_EQ(g.RowCount(), 4);
    const TBeam* rows[] = {&f.View().Beam(4), &f.View().Beam(0), &f.View().Beam(3),
                           &f.View().Beam(2)};
    const int colours[] = {0, 0, 1, 0};  // position within the group; the X row has 0
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(g.Row(r)->Beam, rows[r]) << r;
        EXPECT_EQ(g.Row(r)->IndexInGroup, colours[r]) << r;
    }
    EXPECT_EQ(g.XBeam(), &f.View().Beam(2));
    EXPECT_EQ(g.Row(4), nullptr);
    EXPECT_EQ(g.Row(-1), nullptr);
    EXPECT_THROW(g.Group(2), EAssertionFailed);
}

TEST(TBeamGrouping, FollowsTheScreenWithoutBeingRebuilt) {
    Fixture f(3);
    EXPECT_EQ(TBeamGrouping(f.View()).GroupCount(), 3);
    f.View().Beam(0).SetGroup(7);
    f.View().Beam(1).SetGroup(7);
    const TBeamGrouping g(f.View());
    ASSERT_EQ(g.GroupCount(), 2);
    EXPECT_EQ(g.Group(1).Number, 7);
    EXPECT_EQ(TBeamGrouping().RowCount(), 0) << "no screen: no rows";
}

}  // namespace
}  // namespace kvaril

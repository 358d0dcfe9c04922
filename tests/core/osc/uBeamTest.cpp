#include "osc/uBeam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "Errors.h"
#include "document/Cp1251.h"
#include "document/uSignal.h"

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
        f.osc.SetColorScheme(2);
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
    f.osc.SetColorScheme(1);
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
    osc.SetColorScheme(1);
    EXPECT_EQ(osc.BackgroundColor(), (TRgb{255, 255, 255}));
    osc.SetColorScheme(2);
    EXPECT_EQ(osc.BackgroundColor(), (TRgb{0, 0, 0}));
    EXPECT_TRUE(osc.Modified);
    osc.Modified = false;
    osc.SetColorScheme(2);
    EXPECT_FALSE(osc.Modified);
    EXPECT_THROW(osc.SetColorScheme(3), EAssertionFailed);
    EXPECT_EQ(SchemeBackground(7), (TRgb{192, 192, 192})) << "a stored scheme out of range";
    EXPECT_EQ(SchemeBackground(-1), (TRgb{192, 192, 192}));
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

TEST(TOsc, DeletingTheGroupedScreenForgetsItsBeams) {
    Fixture f(2);
    f.osc.RebuildGroups(&f.View());
    ASSERT_EQ(f.osc.RowCount(), 2);
    f.osc.DeleteView(0);
    EXPECT_EQ(f.osc.RowCount(), 0);
    EXPECT_EQ(f.osc.BeamAtRow(0), nullptr);
    EXPECT_EQ(f.osc.Groups.GroupCount(), 0);
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

TEST(TBeamGroupList, GroupsAreSortedAndTheFirstNegativeBeamComesLast) {
    Fixture f(6);
    const int groups[] = {3, 0, -1, 3, 1, -2};
    for (int i = 0; i < 6; ++i) f.View().Beam(i).SetGroup(groups[i]);
    f.osc.RebuildGroups(&f.View());

    const TBeamGroupList& list = f.osc.Groups;
    ASSERT_EQ(list.GroupCount(), 2);
    EXPECT_EQ(list.GroupItem(0).Number, 1);
    EXPECT_EQ(list.GroupItem(1).Number, 3);
    EXPECT_EQ(f.osc.RowCount(), 4);
    EXPECT_EQ(f.View().Beam(4).Row, 0);
    EXPECT_EQ(f.View().Beam(0).Row, 1);
    EXPECT_EQ(f.View().Beam(3).Row, 2);
    EXPECT_EQ(f.View().Beam(2).Row, 3);
    EXPECT_EQ(list.XBeam(), &f.View().Beam(2));
    EXPECT_EQ(f.osc.BeamAtRow(2), &f.View().Beam(3));
    EXPECT_EQ(f.osc.BeamAtRow(3), &f.View().Beam(2));
    EXPECT_EQ(f.osc.BeamAtRow(4), nullptr);
    EXPECT_EQ(f.View().Beam(1).Row, -1);
    EXPECT_EQ(f.View().Beam(5).Row, -1);
    // Colours go by position within the group.
    EXPECT_EQ(f.View().Beam(0).IndexInGroup, 0);
    EXPECT_EQ(f.View().Beam(3).IndexInGroup, 1);
    EXPECT_EQ(list.GroupItem(1).FirstBeam, &f.View().Beam(0));
    EXPECT_EQ(f.View().Beam(0).NextInGroup, &f.View().Beam(3));
    EXPECT_EQ(f.View().Beam(3).NextInGroup, nullptr);
}

TEST(TBeamGroupList, RegroupingReusesItsItems) {
    Fixture f(3);
    f.osc.RebuildGroups(&f.View());
    std::vector<const TBeamGroupItem*> before;
    for (int i = 0; i < f.osc.Groups.GroupCount(); ++i)
        before.push_back(&f.osc.Groups.GroupItem(i));
    f.View().Beam(0).SetGroup(7);
    f.osc.RebuildGroups(&f.View());
    ASSERT_EQ(f.osc.Groups.GroupCount(), 3);
    EXPECT_EQ(f.osc.Groups.GroupItem(2).Number, 7);
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(std::find(before.begin(), before.end(), &f.osc.Groups.GroupItem(i)),
                  before.end());
    f.osc.RebuildGroups(nullptr);  // no screen: nothing happens
    EXPECT_EQ(f.osc.Groups.GroupCount(), 3);
}

}  // namespace
}  // namespace kvaril

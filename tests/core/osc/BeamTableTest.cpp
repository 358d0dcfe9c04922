#include "osc/BeamTable.h"

#include <gtest/gtest.h>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/BeamGroups.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

struct Fixture {
    Fixture() {
        for (const char* name : {"A", "B", "C", "D"}) {
            auto s = std::make_unique<TSignal>(signals);
            s->SetName(name);
            signals.Insert(std::move(s), -1);
        }
        osc.SyncWithSignals(signals);
        signals.Data().SetSize(4, signals.QuantCount());
        signals.Data().SetData(0, 0, 0.000000005);
        signals.Data().SetData(1, 0, 0.5);
        signals.Data().SetData(2, 0, 2.0 / 3.0);
        signals.Data().SetData(3, 999, 7);
    }
    TView& View() { return osc.View(0); }
    std::vector<std::string> Column(int column, double measure = -1) {
        const TBeamGrouping grouping(View());
        std::vector<std::string> texts;
        for (int r = 0; r < grouping.RowCount(); ++r)
            texts.push_back(ValueCell(grouping, &View(), signals, r, column, measure).Text);
        return texts;
    }
    int Colour(int row) {
        return ValueCell(TBeamGrouping(View()), &View(), signals, row, 1, -1).ColorIndex;
    }
    TSignals signals;
    TOsc osc;
};

TEST(BeamTable, EditsApplyToEverySelectedBeam) {
    Fixture f;
    ApplyBeamEdit(f.View(), {0, 2}, TBeamRow::Gain, "2.5");
    EXPECT_EQ(f.View().Beam(0).Gain(), 2.5);
    EXPECT_EQ(f.View().Beam(1).Gain(), 0);
    EXPECT_EQ(f.View().Beam(2).Gain(), 2.5);
    ApplyBeamEdit(f.View(), {0}, TBeamRow::Gain, "Авто");
    EXPECT_EQ(f.View().Beam(0).Gain(), 0);
    ApplyBeamEdit(f.View(), {2}, TBeamRow::Gain, "2.");
    ApplyBeamEdit(f.View(), {2}, TBeamRow::Gain, "abc");
    EXPECT_EQ(f.View().Beam(2).Gain(), 2) << "not a number keeps the gain";
    ApplyBeamEdit(f.View(), {1}, TBeamRow::Offset, "-1");
    EXPECT_EQ(f.View().Beam(1).Offset(), -1);
    ApplyBeamEdit(f.View(), {1}, TBeamRow::Group, "Нет");
    EXPECT_EQ(f.View().Beam(1).Group(), 0);
    ApplyBeamEdit(f.View(), {1}, TBeamRow::Group, "x7");
    EXPECT_EQ(f.View().Beam(1).Group(), 0) << "not an integer keeps the group";
    ApplyBeamEdit(f.View(), {1}, TBeamRow::Group, "-1");
    EXPECT_EQ(f.View().Beam(1).Group(), -1);
    ApplyBeamEdit(f.View(), {3}, TBeamRow::XAxis, "Ест");
    EXPECT_FALSE(f.View().Beam(3).XAxis()) << "anything but Есть switches the line off";
    ApplyBeamEdit(f.View(), {3}, TBeamRow::XAxis, "Есть");
    EXPECT_TRUE(f.View().Beam(3).XAxis());
    ApplyBeamEdit(f.View(), {3}, TBeamRow::Interpolation, "Ли");
    EXPECT_EQ(f.View().Beam(3).Interpolation(), 2) << "typing Линия passes through spline";
    ApplyBeamEdit(f.View(), {3}, TBeamRow::Interpolation, "Линия");
    EXPECT_EQ(f.View().Beam(3).Interpolation(), 1);
}

TEST(BeamTable, GroupsShapeTheValueTable) {
    Fixture f;
    EXPECT_EQ(f.Column(1), (std::vector<std::string>{"A", "B", "C", "D"}));
    ApplyBeamEdit(f.View(), {0}, TBeamRow::Group, "Нет");
    ApplyBeamEdit(f.View(), {1, 2}, TBeamRow::Group, "3");
    EXPECT_EQ(f.Column(1), (std::vector<std::string>{"B", "C", "D"}));
    EXPECT_EQ(f.Column(0), (std::vector<std::string>{"3", "3", "4"}));
    EXPECT_EQ(f.Colour(1), 1) << "second in its band";

    ApplyBeamEdit(f.View(), {0, 3}, TBeamRow::Group, "-1");
    EXPECT_EQ(f.Column(1), (std::vector<std::string>{"B", "C", "A"})) << "only the first negative";
    EXPECT_EQ(f.Column(0).back(), "X");
    EXPECT_EQ(f.Colour(2), 0);

    BeamsToOneGroup(f.View(), {2});
    EXPECT_EQ(f.Column(0), (std::vector<std::string>{"1", "1", "1", "1"})) << "one: all of them";
    BeamsToManyGroups(f.View());
    BeamsToOneGroup(f.View(), {1, 3});
    const auto groups = [&f] {
        std::vector<int> g;
        for (int i = 0; i < f.View().BeamCount(); ++i) g.push_back(f.View().Beam(i).Group());
        return g;
    };
    EXPECT_EQ(groups(), (std::vector<int>{1, 2, 3, 2}))
        << "the selected ones join the lowest group among them";
    ApplyBeamEdit(f.View(), {1, 2}, TBeamRow::Group, "-1");
    BeamsToOneGroup(f.View(), {1, 2});
    EXPECT_EQ(f.View().Beam(1).Group(), 1) << "none of them shown: group 1";
    EXPECT_EQ(f.View().Beam(2).Group(), 1);
    BeamsToOneGroup(f.View(), {});
    EXPECT_EQ(f.Column(0), (std::vector<std::string>{"1", "1", "1", "1"})) << "none: all of them";
    BeamsToManyGroups(f.View());
    EXPECT_EQ(f.Column(0), (std::vector<std::string>{"1", "2", "3", "4"}));
}

TEST(BeamTable, ValuesAtTheStartOrTheMeasuredTime) {
    Fixture f;
    EXPECT_EQ(f.Column(2), (std::vector<std::string>{"0", "0.5", "0.6667", "0"}));
    EXPECT_EQ(f.Column(2, 0.0999)[3], "7") << "at the measured time";
    EXPECT_EQ(f.Column(2, 0.09996)[3], "7") << "half a quantum before the end: the last sample";
    EXPECT_EQ(f.Column(2, 5)[1], "0.5") << "outside the run: at T0";
}

}  // namespace
}  // namespace kvaril
